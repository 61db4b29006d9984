// SPDX-License-Identifier: MIT
// Questions about a remote file whose answers conditions compare: exists (bool), filesize
// (dword) and filedate and filedatetime (time). The last three also show their answer as a
// server line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

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

// A server's modification time, YYYYMMDDhhmmss; the time of day is left at midnight unless
// withTime.
struct DigitTime {
    int year, month, day, hour = 0, minute = 0, second = 0;

    DigitTime(std::string_view digits, bool withTime)
        : year(FieldOf(digits, 0, 4)), month(FieldOf(digits, 4, 2)), day(FieldOf(digits, 6, 2)) {
        if (withTime) {
            hour = FieldOf(digits, 8, 2);
            minute = FieldOf(digits, 10, 2);
            second = FieldOf(digits, 12, 2);
        }
    }

    // The digits as the server sent them, never moved by a trip through local time (which
    // shifts a time in the hour that a daylight-saving change skips).
    std::string Shown(bool withTime) const {
        char text[128];
        const int n =
            withTime ? std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d GMT", month,
                                     day, year, hour, minute, second)
                     : std::snprintf(text, sizeof text, "%02d/%02d/%04d GMT", month, day, year);
        return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    }

    // The local time with these digits, for comparisons with $Date, $Today and $Now.
    std::time_t LocalTime() const {
        std::tm fields{};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_hour = hour;
        fields.tm_min = minute;
        fields.tm_sec = second;
        fields.tm_isdst = -1;
        return std::mktime(&fields);
    }
};

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

// filesize file: the size as a dword (0 for an empty file); -1 when the server gives none.
int CInterpreter::ExecFilesize(CValue& value) {
    static constexpr CommandForm kForm{"ExecFilesize", "GetFilesize", "<string>", "GetFilesize"};
    BeginCommand(kForm);
    std::string file;
    int result = 0;
    if (!NextName(file)) {
        result = CommandSyntaxError(kForm);
        value.SetInt(result, 0);
    } else if (const long long size = ftp_GetFileSize(current_->GetHandle(), file.c_str());
               size >= 0) {
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
        const DigitTime time(digits, withTime);
        ShowReply(time.Shown(withTime));
        value.SetTime(0, time.LocalTime());
    }
    ReportResult(kForm.handler, kForm.label, result);
    return result;
}
