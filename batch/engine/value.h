// SPDX-License-Identifier: MIT
// The typed value of one statement: set by commands and functions, compared by conditions.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

class CValue {
  public:
    enum Type : int { kNone = 0, kInt = 1, kString = 2, kTime = 3, kBool = 4, kDword = 5 };

    CValue() = default;
    virtual ~CValue() = default;
    CValue(const CValue&) = default;
    CValue& operator=(const CValue&) = default;

    // Each setter stores the status (the producing statement's result code) and the type.
    void SetInt(int status, int32_t value);
    void SetString(int status, std::string_view value);
    void SetTime(int status, std::time_t value);
    void SetBool(int status, bool value);
    void SetDword(int status, uint32_t value);
    // Status 0, type none, text empty.
    void Clear();

    int Type() const { return type_; }
    int Status() const { return status_; }

    // Conversions to each type. Each stores its result in the field of its target type.
    int32_t ToInt();
    const std::string& ToString();
    std::time_t ToTime();
    bool ToBool();
    uint32_t ToDword();

  private:
    uint32_t dword_ = 0;
    bool bool_ = false;
    int type_ = kNone;
    int status_ = 0;
    std::time_t time_ = 0;
    std::string text_;
    int32_t int_ = 0;
};

namespace quarv {

// The number of a text: leading white space skipped, an optional sign, the decimal digits
// that follow; 0 without digits; 32-bit arithmetic that wraps.
int32_t NumberOfText(std::string_view text);
// A time as 14 local-time digits, "%Y%m%d%H%M%S".
std::string TimeText(std::time_t time);

}  // namespace quarv
