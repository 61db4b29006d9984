// SPDX-License-Identifier: MIT
#include "trace_log.h"

#include <unistd.h>

#include <cerrno>

#include "clock.h"
#include "platform/system.h"
#include "quarv32.h"

namespace {

constexpr const char* kStampPattern = "%m/%d/%Y %H:%M:%S";

// Log lines end in one LF: a CR LF pair inside a text is one line end, not two.
std::string ToLogText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

std::string Stamp() {
    return quarv::FormatLocalTime(quarv::Now(), kStampPattern);
}

// This thread's gathered lines and the file they belong to.
struct Gathered {
    int depth = 0;
    std::string file;
    std::string text;
};
thread_local Gathered gathered;

// A statement that writes very much (a long trace) still appends now and then.
constexpr std::size_t kGatherLimit = 64 * 1024;

}  // namespace

CTraceLog& CTraceLog::Instance() {
    static CTraceLog log;
    return log;
}

namespace {
// Built when the library is loaded, so that unloading it writes the end line.
[[maybe_unused]] CTraceLog& loadedLog = CTraceLog::Instance();
}  // namespace

// Runs after this thread's gathered lines are gone (thread storage ends before static
// storage), so it appends directly.
CTraceLog::~CTraceLog() {
    std::lock_guard lock(mutex_);
    if (enabled_.load() != 0) AppendToFile(fileName_, quarv::Cat(Stamp(), " QUARV32 Log End.\n"));
    enabled_.store(0);
}

void CTraceLog::TraceText(std::string_view message) {
    WriteLine(quarv::Cat(Stamp(), " Trace-->"), message);
}

void CTraceLog::WriteText(std::string_view text) {
    std::lock_guard lock(mutex_);
    AppendLocked(ToLogText(text));
}

void CTraceLog::WriteLine(std::string_view prefix, std::string_view line) {
    std::string text = ToLogText(quarv::Cat(prefix, line));
    if (text.empty() || text.back() != '\n') text.push_back('\n');
    std::lock_guard lock(mutex_);
    AppendLocked(text);
}

CTraceLog::Gather::Gather() {
    ++gathered.depth;
}

CTraceLog::Gather::~Gather() {
    if (--gathered.depth == 0) CTraceLog::Instance().Flush();
}

void CTraceLog::Flush() {
    if (gathered.text.empty()) return;
    std::lock_guard lock(mutex_);
    FlushLocked();
}

void CTraceLog::FlushLocked() {
    if (gathered.text.empty()) return;
    AppendToFile(gathered.file, gathered.text);
    gathered.text.clear();
}

void CTraceLog::Open(const std::string& fileName) {
    std::lock_guard lock(mutex_);
    FlushLocked();  // lines gathered for the file before go there
    fileName_ = fileName;
    enabled_.store(1);
    AppendLocked(quarv::Cat(Stamp(), " QUARV32 version " QUARV32_VERSION_TEXT ": Log Begin.\n"));
}

void CTraceLog::Close() {
    std::lock_guard lock(mutex_);
    if (enabled_.load() != 0) AppendLocked(quarv::Cat(Stamp(), " QUARV32 Log End.\n"));
    enabled_.store(0);
}

std::string CTraceLog::FileName() const {
    std::lock_guard lock(mutex_);
    return fileName_;
}

std::string CTraceLog::LastStatus() const {
    std::lock_guard lock(mutex_);
    return lastStatus_;
}

void CTraceLog::SetStatus(std::string status) {
    std::lock_guard lock(mutex_);
    lastStatus_ = std::move(status);
}

void CTraceLog::AppendLocked(std::string_view text) {
    if (enabled_.load() == 0) return;
    if (gathered.depth == 0) {
        AppendToFile(fileName_, text);
        return;
    }
    if (gathered.file != fileName_) {
        FlushLocked();
        gathered.file = fileName_;
    }
    gathered.text.append(text);
    if (gathered.text.size() >= kGatherLimit) FlushLocked();
}

void CTraceLog::AppendToFile(const std::string& file, std::string_view text) {
    // Opened and closed for every append, so the lines are on disk when their statement
    // returns, and nothing holds the file between statements.
    const int fd = quarv::platform::OpenForAppend(file);
    if (fd < 0) {
        if (file == fileName_) {
            writeError_.store(errno);
            enabled_.store(0);
        }
        return;
    }
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            // a full disk ends logging as an unwritable file does
            if (file == fileName_) {
                writeError_.store(written < 0 ? errno : ENOSPC);
                enabled_.store(0);
            }
            break;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
}
