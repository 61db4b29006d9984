// SPDX-License-Identifier: MIT
// Calendar times of the script language: seconds since 1970-01-01 00:00:00 UTC, built from
// local-time fields. Valid from 1970 to the end of the year 9999; a date outside is -1.
#pragma once

#include <ctime>
#include <string_view>

namespace quarv {

inline constexpr std::time_t kNoTime = -1;

struct DateFields {
    int year = 0;
    int month = 0;  // 1 to 12; others carry over into the year
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The time of local-time fields, daylight saving decided by the C library; fields out of
// range carry over (month 13 is January of the next year). kNoTime outside 1970..9999.
std::time_t LocalTime(const DateFields& fields);

// The time of a date text read with a format of field codes: "yyyy" (4 characters), "mm"
// month, "dd", "HH", "MM" minute, "SS" (2 characters each), each taken at its first place
// in the format. A code missing from the format gives 0. A format that contains "gmt" (any
// letter case) moves the time by the zone's offset: the result's local reading is the UTC
// reading of the date.
std::time_t GetDate(std::string_view text, std::string_view format);

// The engine clock's time.
std::time_t CurrentTime();
// Local midnight at the start of the day of a time.
std::time_t StartOfDay(std::time_t time);

}  // namespace quarv
