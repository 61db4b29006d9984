// SPDX-License-Identifier: MIT
#include "dates.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "clock.h"
#include "platform/system.h"
#include "trace_log.h"
#include "value.h"

namespace quarv {
namespace {

constexpr int kLastYear = 9999;

// The number written at the place of a field code in the format; 0 when the format has
// no such code or the text ends before that place.
int FieldOf(std::string_view text, std::string_view format, std::string_view code) {
    const std::size_t at = format.find(code);
    if (at == std::string_view::npos || at >= text.size()) return 0;
    return NumberOfText(text.substr(at, code.size()));
}

bool ContainsGmt(std::string_view format) {
    std::string lower(format);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("gmt") != std::string::npos;
}

}  // namespace

std::time_t LocalTime(const DateFields& fields) {
    std::tm tm{};
    tm.tm_year = fields.year - 1900;
    tm.tm_mon = fields.month - 1;
    tm.tm_mday = fields.day;
    tm.tm_hour = fields.hour;
    tm.tm_min = fields.minute;
    tm.tm_sec = fields.second;
    tm.tm_isdst = -1;
    const std::time_t time = std::mktime(&tm);
    // mktime has carried the fields over: tm_year is the year the time falls in.
    if (time < 0 || tm.tm_year + 1900 > kLastYear) return kNoTime;
    return time;
}

std::time_t GetDate(std::string_view text, std::string_view format) {
    CTraceLog::Instance().Trace("GetDate: Begin");
    const DateFields fields{FieldOf(text, format, "yyyy"), FieldOf(text, format, "mm"),
                            FieldOf(text, format, "dd"),   FieldOf(text, format, "HH"),
                            FieldOf(text, format, "MM"),   FieldOf(text, format, "SS")};
    std::time_t time = LocalTime(fields);
    // "gmt": the UTC clock reading of that time, taken as a local reading, so that local
    // clocks then show what UTC clocks showed. A date out of range stays out of range.
    if (time != kNoTime && ContainsGmt(format)) {
        std::tm utc{};
        platform::UtcTime(time, utc);
        time = LocalTime(DateFields{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour,
                                    utc.tm_min, utc.tm_sec});
    }
    return time;
}

std::time_t CurrentTime() {
    CTraceLog::Instance().Trace("CurrentTime: Begin");
    return Now();
}

std::time_t StartOfDay(std::time_t time) {
    std::tm local{};
    platform::LocalTime(time, local);
    return LocalTime(DateFields{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0});
}

}  // namespace quarv
