// SPDX-License-Identifier: MIT
// --report FILE: one JSON object per line (JSON Lines) for every statement the script ran and
// one for the whole run, each written and flushed as soon as it is known, so that a monitor
// reading the file sees a job while it runs. The fields are listed in docs/quarv-report.md.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// A JSON string literal of text: quotes, backslashes and control characters escaped, bytes
// that are not UTF-8 written as U+FFFD.
std::string JsonString(std::string_view text);

// "2026-12-07T15:04:05.123Z" for the current time.
std::string UtcTimestamp();

struct StatementRecord {
    std::string script;
    int line = 0;
    std::string statement;  // secrets already masked
    std::string session;
    int result = 0;
    std::string reply;
    long long bytes = 0;
    double seconds = 0;
};

struct RunRecord {
    std::string script;
    int result = 0;
    int exitStatus = 0;
    int statements = 0;
    int failed = 0;
    long long bytes = 0;
    double seconds = 0;
    std::string started;
};

class JsonReport {
  public:
    // Appends to path; false when it cannot be opened.
    bool Open(const std::string& path);
    ~JsonReport();
    bool IsOpen() const { return file_ != nullptr; }

    void Write(const StatementRecord& record);
    void Write(const RunRecord& record);

  private:
    void WriteLine(const std::string& line);
    std::FILE* file_ = nullptr;
};
