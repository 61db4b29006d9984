// SPDX-License-Identifier: MIT
// Comparisons of statement values. The left operand's type selects the comparison and the
// right operand is converted to it; each comparison writes its trace lines.
#pragma once

#include <cstdint>
#include <ctime>
#include <string_view>

#include "value.h"

namespace quarv {

// True for the comparison operators = != < <= > >=.
constexpr bool IsCompare(int code) {
    return code >= 101 && code <= 106;
}

// The truth of "left op right". Both are copies: converting them leaves the caller's values
// as they were. A left operand of type none reads as zero: the right operand's type then
// selects the comparison, with 0, the empty text, false or the time 0 on the left.
bool CompareValues(CValue left, int op, CValue right);

// The typed comparisons; an operator outside = to >= gives false.
bool CompareInt(int32_t left, int op, int32_t right);
bool CompareDword(uint32_t left, int op, uint32_t right);
bool CompareBool(bool left, int op, bool right);
bool CompareTime(std::time_t left, int op, std::time_t right);
// Byte by byte as unsigned values; a text that ends first is the smaller.
bool CompareString(std::string_view left, int op, std::string_view right);

}  // namespace quarv
