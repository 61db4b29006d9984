#include "trace_log.h"

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

}  // namespace

CTraceLog& CTraceLog::Instance() {
    static CTraceLog log;
    return log;
}

namespace {
// Built when the library is loaded, so that unloading it writes the end line.
[[maybe_unused]] CTraceLog& loadedLog = CTraceLog::Instance();
}  // namespace

CTraceLog::~CTraceLog() {
    Close();
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

void CTraceLog::Open(const std::string& fileName) {
    std::lock_guard lock(mutex_);
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
    // Opened and closed for every write, so a line is on disk when its statement returns.
    // A full disk ends logging as an unwritable file does.
    if (!quarv::platform::AppendToFile(fileName_, text)) enabled_.store(0);
}
