// Questions about a remote file whose answers conditions compare: exists (bool), filesize
// (dword) and filedate and filedatetime (time). The last three also show their answer as a
// server line.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "clock.h"
#include "interpreter.h"
#include "quarv32_session.h"
#include "trace_log.h"
#include "varnix32.h"

namespace {

constexpr int kDateBufferSize = 32;

// The number written at [position, position + length) of text; 0 where text is shorter.
int FieldOf(std::string_view text, std::size_t position, std::size_t length) {
    if (position >= text.size()) return 0;
    return quarv::NumberOfText(text.substr(position, length));
}

// A server's modification time, YYYYMMDDhhmmss, read as local time with the digits as
// they stand; the time of day is left at midnight unless withTime.
std::time_t LocalTimeOfDigits(std::string_view digits, bool withTime) {
    std::tm fields{};
    fields.tm_year = FieldOf(digits, 0, 4) - 1900;
    fields.tm_mon = FieldOf(digits, 4, 2) - 1;
    fields.tm_mday = FieldOf(digits, 6, 2);
    if (withTime) {
        fields.tm_hour = FieldOf(digits, 8, 2);
        fields.tm_min = FieldOf(digits, 10, 2);
        fields.tm_sec = FieldOf(digits, 12, 2);
    }
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

}  // namespace

void CInterpreter::ShowReply(std::string_view text) {
    const std::string line = quarv::Cat("S> ", text, quarv::EndsWithCrLf(text) ? "" : "\r\n");
    CTraceLog& log = CTraceLog::Instance();
    log.Trace(line);
    if (echo_) serverOutput_(userValue_, line.c_str());
    log.WriteLine("S> ", text);
}

// exists file: the result is 0 either way; the value says whether the file is there.
int CInterpreter::ExecExists(CValue& value) {
    static constexpr CommandForm kForm{"ExecExists", "Exists", "<string>", "Exists"};
    BeginCommand(kForm);
    std::string file;
    int result = 0;
    if (!NextName(file)) {
        result = CommandSyntaxError(kForm);
        value.SetBool(result, false);
    } else {
        const bool exists = current_->FtpExists(file) != 0;
        value.SetBool(exists ? 1 : 0, exists);
    }
    ReportResult(kForm.handler, kForm.label, result);
    return result;
}

// filesize file: the size as a dword; -1 for a missing or empty file.
int CInterpreter::ExecFilesize(CValue& value) {
    static constexpr CommandForm kForm{"ExecFilesize", "GetFilesize", "<string>", "GetFilesize"};
    BeginCommand(kForm);
    std::string file;
    int result = 0;
    if (!NextName(file)) {
        result = CommandSyntaxError(kForm);
        value.SetInt(result, 0);
    } else if (const long long size = ftp_GetFileSize(current_->GetHandle(), file.c_str());
               size > 0) {
        // Larger files than a dword holds compare as the largest dword.
        value.SetDword(0, static_cast<uint32_t>(std::min<long long>(size, UINT32_MAX)));
        ShowReply(quarv::Cat(size));
    } else {
        result = -1;
        value.SetInt(result, 0);
    }
    ReportResult(kForm.handler, kForm.label, result);
    return result;
}

// filedate file
int CInterpreter::ExecFileDate(CValue& value) {
    return ExecFileTime(value, "ExecFileDate: Begin", false);
}

// filedatetime file
int CInterpreter::ExecFiledatetime(CValue& value) {
    return ExecFileTime(value, "ExecFiledatetime: Begin", true);
}

// The modification time as a time value; -1 when the server gives none.
int CInterpreter::ExecFileTime(CValue& value, const char* beginLine, bool withTime) {
    static constexpr CommandForm kForm{"ExecFiledatetime", "GetFileDateTime", "<string>",
                                       "GetFileDateTime"};
    CTraceLog& log = CTraceLog::Instance();
    log.Trace(beginLine);
    std::string file;
    int result = 0;
    char buffer[kDateBufferSize] = {};
    if (!NextName(file)) {
        result = CommandSyntaxError(kForm);
        value.SetInt(result, 0);
    } else if (ftp_GetFileDateTime(current_->GetHandle(), file.c_str(), buffer, sizeof buffer,
                                   "") != 0) {
        result = -1;
        value.SetInt(result, 0);
    } else {
        std::string_view digits(buffer, strnlen(buffer, sizeof buffer));
        while (!digits.empty() && quarv::IsSpace(digits.front()))
            digits.remove_prefix(1);
        log.Trace(file, " datetime = ", digits);
        const std::time_t time = LocalTimeOfDigits(digits, withTime);
        ShowReply(
            quarv::FormatLocalTime(time, withTime ? "%m/%d/%Y %H:%M:%S GMT" : "%m/%d/%Y GMT"));
        value.SetTime(0, time);
    }
    ReportResult(kForm.handler, kForm.label, result);
    return result;
}
