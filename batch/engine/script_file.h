// SPDX-License-Identifier: MIT
// Reads a script file line by line. A line ends at LF; a CR before it is dropped, so CR LF
// scripts read the same. A line holds at most kLongestLine bytes: a longer one is skipped
// to its end without being kept, so memory stays bounded whatever the file holds.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class CScriptFile {
  public:
    enum class Read { kLine, kEnd, kError, kTooLong };
    static constexpr std::size_t kLongestLine = 1024 * 1024;

    CScriptFile() = default;
    ~CScriptFile() { Close(); }
    CScriptFile(const CScriptFile&) = delete;
    CScriptFile& operator=(const CScriptFile&) = delete;

    // Opens the file read-only; on failure `error` holds the cause (0 when none is known).
    bool Open(const char* path, int& error);
    void Close();

    // The next line without its line end. A NUL byte ends the line's text: what follows it
    // on the same line is dropped, as from a C string.
    // kTooLong: the line had more than kLongestLine bytes; `line` is then empty.
    Read ReadLine(std::string& line);
    // The number of the line read last, counting from 1.
    std::size_t LineNumber() const { return lineNumber_; }

  private:
    bool Refill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // unread bytes are buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool failed_ = false;
    std::size_t lineNumber_ = 0;
};
