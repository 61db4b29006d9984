// SPDX-License-Identifier: MIT
#include "json_report.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "quarv32_version.h"

namespace {

// The length of the UTF-8 sequence at text[at], or 0 when the bytes there are not one.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned int value = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, value = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, value = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, value = lead & 0x07;
    else
        return 0;
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        value = value << 6 | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000) ||
        (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    return length;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::isfinite(seconds) ? seconds : 0.0);
    return text;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            const std::size_t length = Utf8Length(text, at);
            if (length == 0) {
                json += "\\ufffd";
                ++at;
            } else {
                json.append(text.substr(at, length));
                at += length;
            }
            continue;
        }
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
        } else {
            json += static_cast<char>(c);
        }
        ++at;
    }
    return json + "\"";
}

std::string UtcTimestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &seconds);
#else
    gmtime_r(&seconds, &utc);
#endif
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03dZ", text, static_cast<int>(millis));
    return full;
}

bool JsonReport::Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

JsonReport::~JsonReport() {
    if (file_ != nullptr) std::fclose(file_);
}

void JsonReport::Write(const StatementRecord& r) {
    WriteLine("{\"record\":\"statement\",\"script\":" + JsonString(r.script) +
              ",\"line\":" + std::to_string(r.line) + ",\"statement\":" + JsonString(r.statement) +
              ",\"session\":" + JsonString(r.session) + ",\"result\":" + std::to_string(r.result) +
              ",\"reply\":" + JsonString(r.reply) + ",\"bytes\":" + std::to_string(r.bytes) +
              ",\"seconds\":" + Seconds(r.seconds) + ",\"time\":" + JsonString(UtcTimestamp()) +
              "}");
}

void JsonReport::Write(const RunRecord& r) {
    WriteLine("{\"record\":\"run\",\"script\":" + JsonString(r.script) + ",\"result\":" +
              std::to_string(r.result) + ",\"exit\":" + std::to_string(r.exitStatus) +
              ",\"statements\":" + std::to_string(r.statements) +
              ",\"failed\":" + std::to_string(r.failed) + ",\"bytes\":" + std::to_string(r.bytes) +
              ",\"seconds\":" + Seconds(r.seconds) + ",\"started\":" + JsonString(r.started) +
              ",\"time\":" + JsonString(UtcTimestamp()) +
              ",\"version\":" + JsonString(QUARV32_RELEASE) + "}");
}

void JsonReport::WriteLine(const std::string& line) {
    if (file_ == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}
