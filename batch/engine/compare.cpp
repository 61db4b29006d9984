// SPDX-License-Identifier: MIT
#include "compare.h"

#include <compare>

#include "clock.h"
#include "tokens.h"
#include "trace_log.h"

namespace quarv {
namespace {

constexpr const char* kTimePattern = "%Y%m%d %H%M%S";

bool Holds(std::strong_ordering order, int op) {
    switch (op) {
        case TK_EQ:
            return order == 0;
        case TK_NE:
            return order != 0;
        case TK_LT:
            return order < 0;
        case TK_LE:
            return order <= 0;
        case TK_GT:
            return order > 0;
        case TK_GE:
            return order >= 0;
        default:
            return false;
    }
}

// Writes the end line of a comparison and passes its outcome on.
bool End(const char* name, bool outcome) {
    CTraceLog::Instance().Trace(name, ": End. rc = ", outcome ? "true" : "false");
    return outcome;
}

std::strong_ordering OrderOfTexts(std::string_view left, std::string_view right) {
    // char_traits<char> compares as unsigned char, like memcmp.
    const int order = left.compare(right);
    return order <=> 0;
}

}  // namespace

bool CompareInt(int32_t left, int op, int32_t right) {
    CTraceLog::Instance().Trace("Compare.int: Begin. ", left, " comp ", right);
    return End("Compare.int", Holds(left <=> right, op));
}

bool CompareDword(uint32_t left, int op, uint32_t right) {
    CTraceLog::Instance().Trace("Compare.dword: Begin. ", left, " comp ", right);
    return End("Compare.dword", Holds(left <=> right, op));
}

bool CompareBool(bool left, int op, bool right) {
    CTraceLog::Instance().Trace("Compare.bool: Begin");
    return End("Compare.bool", Holds(int{left} <=> int{right}, op));
}

bool CompareTime(std::time_t left, int op, std::time_t right) {
    CTraceLog& log = CTraceLog::Instance();
    if (log.Tracing())
        log.Trace("Compare.ctime: Begin. ", FormatLocalTime(left, kTimePattern), " comp ",
                  FormatLocalTime(right, kTimePattern));
    return End("Compare.ctime", Holds(left <=> right, op));
}

bool CompareString(std::string_view left, int op, std::string_view right) {
    CTraceLog::Instance().Trace("Compare.string: Begin. \"", left, "\" comp \"", right, "\"");
    return End("Compare.string", Holds(OrderOfTexts(left, right), op));
}

bool CompareValues(CValue left, int op, CValue right) {
    CTraceLog::Instance().Trace("Compare.fresult: Begin");
    // A value nothing has set compares as the zero of the other side's type.
    const bool leftIsNone = left.Type() == CValue::kNone;
    const int type = leftIsNone ? right.Type() : left.Type();
    bool outcome = false;
    switch (type) {
        case CValue::kString:
            outcome =
                CompareString(leftIsNone ? std::string() : left.ToString(), op, right.ToString());
            break;
        case CValue::kTime:
            outcome = CompareTime(leftIsNone ? 0 : left.ToTime(), op, right.ToTime());
            break;
        case CValue::kBool:
            outcome = CompareBool(leftIsNone ? false : left.ToBool(), op, right.ToBool());
            break;
        case CValue::kDword:
            outcome = CompareDword(leftIsNone ? 0 : left.ToDword(), op, right.ToDword());
            break;
        default:  // int, and two values of type none
            outcome = CompareInt(leftIsNone ? 0 : left.ToInt(), op, right.ToInt());
            break;
    }
    CTraceLog::Instance().Trace("Compare.fresult: End. cc = ", outcome ? "true" : "false");
    return outcome;
}

}  // namespace quarv
