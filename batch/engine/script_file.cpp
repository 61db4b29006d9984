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
    while (true) {
        if (begin_ == end_ && !Refill()) break;
        any = true;
        const char* start = buffer_.data() + begin_;
        const void* lf = std::memchr(start, '\n', end_ - begin_);
        if (lf != nullptr) {
            const std::size_t length = static_cast<const char*>(lf) - start;
            line.append(start, length);
            begin_ += length + 1;
            break;
        }
        line.append(start, end_ - begin_);
        begin_ = end_;
    }
    if (failed_) return Read::kError;
    if (!any) return Read::kEnd;
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    return Read::kLine;
}
