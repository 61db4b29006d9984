// SPDX-License-Identifier: MIT
#include "progress_line.h"

#include <cmath>
#include <cstdio>

void TransferMeter::Report(int h, long long done, long long total) {
    transferred_ = true;
    auto [entry, fresh] = last_.try_emplace(h, 0);
    // A smaller count than before is the start of the handle's next transfer.
    const long long before = fresh || done < entry->second ? 0 : entry->second;
    bytes_ += done - before;
    entry->second = done;
    total_ = total;
}

void TransferMeter::Reset() {
    last_.clear();
    bytes_ = 0;
    total_ = -1;
    transferred_ = false;
}

std::string HumanBytes(double bytes) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) return std::to_string(static_cast<long long>(bytes)) + " B";
    int unit = -1;
    while (bytes >= 1024 && unit < 3) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", bytes, kUnits[unit]);
    return text;
}

namespace {

std::string Rate(double bytes, double seconds) {
    return seconds > 0 ? HumanBytes(bytes / seconds) + "/s" : std::string("-");
}

std::string Clock(double seconds) {
    const long long whole = std::llround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

}  // namespace

std::string ProgressText(const std::string& name, long long done, long long total, double seconds) {
    std::string text = name + "  " + HumanBytes(static_cast<double>(done));
    if (total > 0) {
        const long long percent = done >= total ? 100 : done * 100 / total;
        text +=
            " of " + HumanBytes(static_cast<double>(total)) + "  " + std::to_string(percent) + "%";
    }
    text += "  " + Rate(static_cast<double>(done), seconds);
    if (total > 0 && done > 0 && seconds > 0) {
        const double left = static_cast<double>(total - done) * seconds / static_cast<double>(done);
        text += "  " + Clock(left > 0 ? left : 0) + " left";
    }
    return text;
}

std::string TransferSummary(const std::string& name, long long bytes, double seconds) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", seconds);
    return name + ": " + std::to_string(bytes) + " bytes in " + time + " s (" +
           Rate(static_cast<double>(bytes), seconds) + ")";
}

void ProgressLine::Begin(std::string name) {
    Clear();
    // A long statement would wrap, and a wrapped line cannot be redrawn in place.
    constexpr std::size_t kLongestName = 40;
    if (name.size() > kLongestName) name = name.substr(0, kLongestName - 3) + "...";
    name_ = std::move(name);
    start_ = Clock::now();
    drawn_ = {};
}

void ProgressLine::Update(long long done, long long total) {
    const Clock::time_point now = Clock::now();
    const bool finished = total >= 0 && done >= total;
    if (!finished && shown_ && now - drawn_ < std::chrono::milliseconds(200)) return;
    drawn_ = now;
    const std::chrono::duration<double> seconds = now - start_;
    // Carriage return, the line, then erase what a longer earlier line left.
    err_ << '\r' << ProgressText(name_, done, total, seconds.count()) << "\x1b[K";
    err_.flush();
    shown_ = true;
}

void ProgressLine::Clear() {
    if (!shown_) return;
    err_ << "\r\x1b[K";
    err_.flush();
    shown_ = false;
}
