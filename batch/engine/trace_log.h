// SPDX-License-Identifier: MIT
// The process-wide log file and trace writer, shared by every call in the process. A mutex
// guards it, so concurrent calls interleave whole lines.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "text.h"

class CTraceLog {
  public:
    // The one instance: created when the library is loaded, gone when it is unloaded.
    static CTraceLog& Instance();

    // Writes the end line when a log file is still in use.
    virtual ~CTraceLog();
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // Trace lines are written while the trace level has the mask bit and a log file is used.
    bool Tracing() const {
        return (level_.load(std::memory_order_relaxed) & mask_) != 0 &&
               enabled_.load(std::memory_order_relaxed) != 0;
    }
    bool Enabled() const { return enabled_.load(std::memory_order_relaxed) != 0; }
    int Level() const { return level_.load(std::memory_order_relaxed); }
    // The error number of the last write that failed and ended logging (0: none).
    int WriteError() const { return writeError_.load(std::memory_order_relaxed); }
    void SetLevel(int level) { level_.store(level, std::memory_order_relaxed); }

    // A time-stamped "Trace-->" line of the parts; nothing is built while tracing is off.
    template <class... Parts>
    void Trace(const Parts&... parts) {
        if (Tracing()) TraceText(quarv::Cat(parts...));
    }
    void TraceText(std::string_view message);

    // Appends the parts as they stand: no time stamp, no prefix, no added line end.
    template <class... Parts>
    void WriteLog(const Parts&... parts) {
        if (Enabled()) WriteText(quarv::Cat(parts...));
    }
    void WriteText(std::string_view text);
    // Appends prefix and line with exactly one line end, whether or not the line had one.
    void WriteLine(std::string_view prefix, std::string_view line);

    // Logs to fileName from now on (appending) and writes the begin line there.
    void Open(const std::string& fileName);
    // Writes the end line and stops logging; the name is kept.
    void Close();
    std::string FileName() const;

    // While one is alive on a thread (a statement runs), that thread's lines are gathered and
    // appended together when the last one goes, or at Flush: one open and close of the file
    // per statement instead of per line. Lines stay whole and in order.
    class Gather {
      public:
        Gather();
        ~Gather();
        Gather(const Gather&) = delete;
        Gather& operator=(const Gather&) = delete;
    };
    // Appends what this thread has gathered: before the statement waits for a server or
    // sleeps, so that the log shows what it waits for.
    void Flush();

    // Progress messages of sessions. The library shows them nowhere; the last one is kept.
    template <class... Parts>
    void Status(const Parts&... parts) {
        SetStatus(quarv::Cat(parts..., "\r\n"));
    }
    std::string LastStatus() const;

  private:
    CTraceLog() = default;
    // Appends a text to the log file; the caller holds the mutex. A file that cannot be
    // opened or written turns logging off until the next Open.
    void AppendLocked(std::string_view text);
    // One open, append and close; a failure turns logging off when file is still the log.
    void AppendToFile(const std::string& file, std::string_view text);
    void FlushLocked();
    void SetStatus(std::string status);

    mutable std::mutex mutex_;
    const int mask_ = 1;
    std::atomic<int> level_{0};
    std::atomic<int> enabled_{0};
    std::atomic<int> writeError_{0};
    std::string fileName_;
    std::string lastStatus_;
};
