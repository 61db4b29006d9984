// SPDX-License-Identifier: MIT
// What quarv shows of transfers on standard error: one updating progress line while a
// statement moves bytes (a terminal), and with -v one summary line after it.
#pragma once

#include <chrono>
#include <map>
#include <ostream>
#include <string>

// Counts the bytes the library's progress reports tell of, per statement.
class TransferMeter {
  public:
    // A progress report of handle h: `done` of `total` (-1 unknown) bytes of its transfer.
    void Report(int h, long long done, long long total);
    // Forgets the statement's transfers.
    void Reset();

    long long Bytes() const { return bytes_; }
    long long Total() const { return total_; }
    // True once a transfer began in this statement.
    bool Transferred() const { return transferred_; }

  private:
    std::map<int, long long> last_;  // per handle, the bytes its transfer had done
    long long bytes_ = 0;
    long long total_ = -1;
    bool transferred_ = false;
};

// "1.5 MiB" and the like; plain bytes below 1 KiB.
std::string HumanBytes(double bytes);

// The progress line: name, bytes done, percent and time left when the size is known, rate.
std::string ProgressText(const std::string& name, long long done, long long total, double seconds);
// The -v line after a transfer: bytes, seconds and rate.
std::string TransferSummary(const std::string& name, long long bytes, double seconds);

// Draws the progress line on a terminal, at most a few times a second, and wipes it.
class ProgressLine {
  public:
    explicit ProgressLine(std::ostream& err) : err_(err) {}
    void Begin(std::string name);
    void Update(long long done, long long total);
    // Removes the line, so that what follows starts on a clean one.
    void Clear();

  private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    std::string name_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point drawn_{};
    bool shown_ = false;
};
