// SPDX-License-Identifier: MIT
#include "script_file.h"

#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

bool CScriptFile::Open(const char* path, int& error) {
    Close();
    errno = 0;
    file_ = std::fopen(path, "rb");
    error = file_ == nullptr ? errno : 0;
    buffer_.resize(kBufferSize);
    begin_ = end_ = 0;
    failed_ = false;
    lineNumber_ = 0;
    return file_ != nullptr;
}

void CScriptFile::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

bool CScriptFile::Refill() {
    if (file_ == nullptr || failed_) return false;
    begin_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (end_ == 0 && std::ferror(file_)) failed_ = true;
    return end_ > 0;
}

CScriptFile::Read CScriptFile::ReadLine(std::string& line) {
    line.clear();
    bool any = false;
    bool tooLong = false;
    // A CR LF line may hold one byte more before its line end.
    const auto keep = [&](const char* start, std::size_t length) {
        if (tooLong) return;
        if (line.size() + length > kLongestLine + 1) {
            tooLong = true;
            std::string().swap(line);
            return;
        }
        line.append(start, length);
    };
    while (true) {
        if (begin_ == end_ && !Refill()) break;
        any = true;
        const char* start = buffer_.data() + begin_;
        const void* lf = std::memchr(start, '\n', end_ - begin_);
        if (lf != nullptr) {
            const std::size_t length = static_cast<const char*>(lf) - start;
            keep(start, length);
            begin_ += length + 1;
            break;
        }
        keep(start, end_ - begin_);
        begin_ = end_;
    }
    if (failed_) return Read::kError;
    if (!any) return Read::kEnd;
    ++lineNumber_;
    if (!tooLong && !line.empty() && line.back() == '\r') line.pop_back();
    if (tooLong || line.size() > kLongestLine) {
        line.clear();
        return Read::kTooLong;
    }
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    return Read::kLine;
}
