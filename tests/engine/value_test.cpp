// SPDX-License-Identifier: MIT
// Statement values: every conversion of each type, and the number of a text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "value.h"

namespace {

class ValueTest : public ::testing::Test {
  protected:
    ValueTest() {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(ValueTest, NumberOfText) {
    EXPECT_EQ(quarv::NumberOfText("12abc"), 12);
    EXPECT_EQ(quarv::NumberOfText(" -7"), -7);
    EXPECT_EQ(quarv::NumberOfText("\t+5x"), 5);
    EXPECT_EQ(quarv::NumberOfText("abc"), 0);
    EXPECT_EQ(quarv::NumberOfText("- 7"), 0);
    EXPECT_EQ(quarv::NumberOfText(""), 0);
    // 32-bit arithmetic that wraps.
    EXPECT_EQ(quarv::NumberOfText("19990101000000"), 1323204416);
    EXPECT_EQ(quarv::NumberOfText("4294967295"), -1);
    EXPECT_EQ(quarv::NumberOfText("-2147483648"), -2147483647 - 1);
}

TEST_F(ValueTest, IntConversions) {
    CValue v;
    v.SetInt(0, 5);
    EXPECT_EQ(v.ToString(), "5");
    EXPECT_TRUE(v.ToBool());
    EXPECT_EQ(v.ToTime(), 5);
    EXPECT_EQ(v.ToDword(), 5u);
    EXPECT_EQ(v.ToInt(), 5);
    v.SetInt(-3, -1);
    EXPECT_EQ(v.ToDword(), 4294967295u);
    EXPECT_EQ(v.ToString(), "-1");
    EXPECT_EQ(v.Status(), -3);
    EXPECT_EQ(v.Type(), CValue::kInt);
    v.SetInt(0, 0);
    EXPECT_FALSE(v.ToBool());
}

TEST_F(ValueTest, StringConversions) {
    CValue v;
    v.SetString(0, "12abc");
    EXPECT_EQ(v.ToInt(), 12);
    EXPECT_EQ(v.ToDword(), 12u);
    EXPECT_EQ(v.ToTime(), 12);
    EXPECT_TRUE(v.ToBool());
    EXPECT_EQ(v.ToString(), "12abc");
    v.SetString(0, " -7");
    EXPECT_EQ(v.ToInt(), -7);
    v.SetString(0, "TRUE");
    EXPECT_FALSE(v.ToBool()) << "a string's truth is that of its number";
}

TEST_F(ValueTest, TimeConversions) {
    CValue v;
    v.SetTime(0, 980935200);  // 2001-01-31 10:00:00 UTC
    EXPECT_EQ(v.ToString(), "20010131100000");
    EXPECT_EQ(v.ToInt(), quarv::NumberOfText("20010131100000"));
    EXPECT_EQ(v.ToDword(), static_cast<uint32_t>(quarv::NumberOfText("20010131100000")));
    EXPECT_TRUE(v.ToBool());
    EXPECT_EQ(v.ToTime(), 980935200);
}

TEST_F(ValueTest, BoolAndDwordConversions) {
    CValue v;
    v.SetBool(1, true);
    EXPECT_EQ(v.ToString(), "TRUE");
    EXPECT_EQ(v.ToInt(), 1);
    EXPECT_EQ(v.ToDword(), 1u);
    v.SetBool(0, false);
    EXPECT_EQ(v.ToString(), "FALSE");
    EXPECT_EQ(v.ToInt(), 0);
    // A bool reads its time field.
    EXPECT_EQ(v.ToTime(), 0);

    v.SetDword(0, 4000000000u);
    EXPECT_EQ(v.ToString(), "4000000000");
    EXPECT_EQ(v.ToTime(), 4000000000);
    EXPECT_TRUE(v.ToBool());
    EXPECT_EQ(v.ToInt(), static_cast<int32_t>(4000000000u));
}

TEST_F(ValueTest, NoneReadsItsFieldsAsTheyAre) {
    CValue v;
    EXPECT_EQ(v.Type(), CValue::kNone);
    EXPECT_EQ(v.ToInt(), 0);
    EXPECT_EQ(v.ToString(), "");
    EXPECT_FALSE(v.ToBool());
    // Conversions leave their result in the target field, which none then reads.
    v.SetInt(0, 9);
    v.ToString();
    v.Clear();
    EXPECT_EQ(v.Type(), CValue::kNone);
    EXPECT_EQ(v.ToInt(), 9);
    EXPECT_EQ(v.ToString(), "") << "Clear empties the text";
    EXPECT_EQ(v.Status(), 0);
}

}  // namespace
