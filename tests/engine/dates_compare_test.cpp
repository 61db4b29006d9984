// SPDX-License-Identifier: MIT
// Calendar times from date texts, and the typed comparisons with their trace lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "compare.h"
#include "dates.h"
#include "engine_test.h"
#include "tokens.h"
#include "trace_log.h"
#include "windows_skips.h"

namespace {

// Sets a time zone for the life of the object (POSIX zone texts need no zone database).
class ScopedZone {
  public:
    explicit ScopedZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone() {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

using DateTest = EngineTest;

TEST_F(DateTest, FieldsAreTakenWhereTheFormatPutsThem) {
    EXPECT_EQ(quarv::GetDate("12311999", "mmddyyyy"), 946598400);
    EXPECT_EQ(quarv::GetDate("1999-12-31 23:59", "yyyy-mm-dd HH:MM"), 946684740);
    EXPECT_EQ(quarv::GetDate("31.12.1999 23:59:30", "dd.mm.yyyy HH:MM:SS"), 946684770);
    // Field codes are case-sensitive: "MM" is the minute, so the month is 0 (December of
    // the year before): 1998-12-31 00:12.
    EXPECT_EQ(quarv::GetDate("12311999", "MMddyyyy"), 915063120);
    // Month 31 carries over into July 2001, day 12.
    EXPECT_EQ(quarv::GetDate("31121999", "mmddyyyy"), 994896000);
    // A text shorter than the format leaves the fields it lacks at 0.
    EXPECT_EQ(quarv::GetDate("0101200", "mmddyyyy"), quarv::GetDate("01010200", "mmddyyyy"));
}

TEST_F(DateTest, TimesRunFrom1970ToTheEndOf9999) {
    VARNIX_SKIP_ON_WINDOWS("the C runtime's time functions end in the year 3000");
    EXPECT_EQ(quarv::GetDate("01011970", "mmddyyyy"), 0);
    EXPECT_EQ(quarv::GetDate("01012040", "mmddyyyy"), 2208988800);
    EXPECT_EQ(quarv::GetDate("12319999 235959", "mmddyyyy HHMMSS"), 253402300799);
    EXPECT_EQ(quarv::GetDate("12311969", "mmddyyyy"), -1);
    EXPECT_EQ(quarv::GetDate("01011969", "mmddyyyy"), -1);
    EXPECT_EQ(quarv::GetDate("13019999", "mmddyyyy"), -1) << "month 13 of 9999 is in 10000";
    EXPECT_EQ(quarv::GetDate("abc", "mmddyyyy"), -1);
    EXPECT_EQ(quarv::GetDate("1231", "mmdd"), -1) << "no year";
    EXPECT_EQ(quarv::GetDate("", ""), -1);
}

TEST_F(DateTest, LocalTimeAndTheGmtOption) {
    ScopedZone zone("CET-1");  // one hour east of UTC, no daylight saving
    const std::time_t local = quarv::GetDate("01011999", "mmddyyyy");
    EXPECT_EQ(local, 915145200);  // midnight in the zone is 23:00 UTC the day before
    EXPECT_EQ(quarv::GetDate("01011999", "mmddyyyy gmt"), local - 3600);
    EXPECT_EQ(quarv::GetDate("01011999", "mmddyyyy (Gmt)"), local - 3600);
    EXPECT_EQ(quarv::GetDate("abc", "mmddyyyy gmt"), -1);
    EXPECT_EQ(quarv::StartOfDay(local + 86399), local);
    EXPECT_EQ(quarv::StartOfDay(local + 86400), local + 86400);
}

using CompareTest = EngineTest;

TEST_F(CompareTest, EachTypeItsOwnOrder) {
    EXPECT_FALSE(quarv::CompareInt(-1, TK_GT, 1000));
    EXPECT_TRUE(quarv::CompareDword(0xFFFFFFFFu, TK_GT, 1000));
    EXPECT_TRUE(quarv::CompareBool(false, TK_LT, true));
    EXPECT_TRUE(quarv::CompareTime(-1, TK_LT, 0));
    EXPECT_TRUE(quarv::CompareString("a\xff", TK_GT, "a\x7f"));
    EXPECT_TRUE(quarv::CompareString("", TK_LT, "a"));
    for (int op = TK_EQ; op <= TK_GE; ++op)
        EXPECT_EQ(quarv::CompareInt(3, op, 3), op == TK_EQ || op == TK_LE || op == TK_GE) << op;
    // Codes outside the comparison operators are false.
    EXPECT_FALSE(quarv::CompareInt(3, TK_NOT, 3));
    EXPECT_FALSE(quarv::CompareString("a", 0, "a"));
}

TEST_F(CompareTest, ValuesConvertTheRightOperandToTheLeftType) {
    CValue size, text, time, none;
    size.SetDword(0, 4000000000u);
    text.SetString(0, "1000");
    time.SetTime(0, 946598400);
    EXPECT_TRUE(quarv::CompareValues(size, TK_GT, text));
    CValue nine;
    nine.SetString(0, "9");
    EXPECT_FALSE(quarv::CompareValues(nine, TK_LT, size)) << "\"9\" against \"4000000000\"";
    CValue asInt;
    asInt.SetInt(0, 1000);
    EXPECT_FALSE(quarv::CompareValues(asInt, TK_GT, text));
    EXPECT_TRUE(quarv::CompareValues(time, TK_EQ, time));
    CValue timeText;
    timeText.SetString(0, "946598400");
    EXPECT_TRUE(quarv::CompareValues(time, TK_EQ, timeText));
    // The caller's values are not converted.
    EXPECT_EQ(text.Type(), CValue::kString);
    EXPECT_TRUE(quarv::CompareValues(none, TK_EQ, asInt) == false);
    EXPECT_TRUE(quarv::CompareValues(none, TK_LT, size));
    EXPECT_TRUE(quarv::CompareValues(none, TK_EQ, none));
}

TEST_F(CompareTest, TraceLines) {
    CTraceLog& log = CTraceLog::Instance();
    log.Open(PathOf("run.log"));
    log.SetLevel(1);
    CValue size, limit, when, text;
    size.SetDword(0, 4294967295u);
    limit.SetInt(0, 1000);
    when.SetTime(0, 946598400);
    text.SetString(0, "a\"b");
    quarv::CompareValues(size, TK_GT, limit);
    quarv::CompareValues(when, TK_LE, limit);
    quarv::CompareValues(text, TK_EQ, limit);
    quarv::CompareBool(true, TK_EQ, false);
    quarv::CompareInt(-5, TK_NE, 7);
    log.SetLevel(0);
    log.Close();
    const std::string stamp = std::string(kTestStamp) + " Trace-->";
    const std::vector<std::string> expected = {
        "01/31/2001 10:00:00 QUARV32 version 1.003: Log Begin.",
        stamp + "Compare.fresult: Begin",
        stamp + "Compare.dword: Begin. 4294967295 comp 1000",
        stamp + "Compare.dword: End. rc = true",
        stamp + "Compare.fresult: End. cc = true",
        stamp + "Compare.fresult: Begin",
        stamp + "Compare.ctime: Begin. 19991231 000000 comp 19700101 001640",
        stamp + "Compare.ctime: End. rc = false",
        stamp + "Compare.fresult: End. cc = false",
        stamp + "Compare.fresult: Begin",
        stamp + "Compare.string: Begin. \"a\"b\" comp \"1000\"",
        stamp + "Compare.string: End. rc = false",
        stamp + "Compare.fresult: End. cc = false",
        stamp + "Compare.bool: Begin",
        stamp + "Compare.bool: End. rc = false",
        stamp + "Compare.int: Begin. -5 comp 7",
        stamp + "Compare.int: End. rc = true",
        "01/31/2001 10:00:00 QUARV32 Log End.",
    };
    EXPECT_EQ(LinesOf("run.log"), expected);
}

}  // namespace
