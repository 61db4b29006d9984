// SPDX-License-Identifier: MIT
#include "value.h"

#include "clock.h"
#include "text.h"

namespace quarv {

int32_t NumberOfText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

std::string TimeText(std::time_t time) {
    return FormatLocalTime(time, "%Y%m%d%H%M%S");
}

}  // namespace quarv

void CValue::SetInt(int status, int32_t value) {
    status_ = status;
    type_ = kInt;
    int_ = value;
}

void CValue::SetString(int status, std::string_view value) {
    status_ = status;
    type_ = kString;
    text_.assign(value);
}

void CValue::SetTime(int status, std::time_t value) {
    status_ = status;
    type_ = kTime;
    time_ = value;
}

void CValue::SetBool(int status, bool value) {
    status_ = status;
    type_ = kBool;
    bool_ = value;
}

void CValue::SetDword(int status, uint32_t value) {
    status_ = status;
    type_ = kDword;
    dword_ = value;
}

void CValue::Clear() {
    status_ = 0;
    type_ = kNone;
    text_.clear();
}

int32_t CValue::ToInt() {
    switch (type_) {
        case kString:
            int_ = quarv::NumberOfText(text_);
            break;
        case kTime:
            int_ = quarv::NumberOfText(quarv::TimeText(time_));
            break;
        case kBool:
            int_ = bool_ ? 1 : 0;
            break;
        case kDword:
            int_ = static_cast<int32_t>(dword_);
            break;
        default:
            break;  // int, and none: the int field
    }
    return int_;
}

const std::string& CValue::ToString() {
    switch (type_) {
        case kInt:
            text_ = quarv::Cat(int_);
            break;
        case kTime:
            text_ = quarv::TimeText(time_);
            break;
        case kBool:
            text_ = bool_ ? "TRUE" : "FALSE";
            break;
        case kDword:
            text_ = quarv::Cat(dword_);
            break;
        default:
            break;  // string, and none: the text field
    }
    return text_;
}

std::time_t CValue::ToTime() {
    switch (type_) {
        case kInt:
            time_ = int_;
            break;
        case kString:
            time_ = quarv::NumberOfText(text_);
            break;
        case kDword:
            time_ = dword_;
            break;
        default:
            break;  // time, and bool and none: the time field
    }
    return time_;
}

bool CValue::ToBool() {
    switch (type_) {
        case kInt:
            bool_ = int_ != 0;
            break;
        case kString:
            bool_ = quarv::NumberOfText(text_) != 0;
            break;
        case kTime:
            bool_ = quarv::NumberOfText(quarv::TimeText(time_)) != 0;
            break;
        case kDword:
            bool_ = dword_ != 0;
            break;
        default:
            break;  // bool, and none: the bool field
    }
    return bool_;
}

uint32_t CValue::ToDword() {
    switch (type_) {
        case kInt:
            dword_ = static_cast<uint32_t>(int_);
            break;
        case kString:
            dword_ = static_cast<uint32_t>(quarv::NumberOfText(text_));
            break;
        case kTime:
            dword_ = static_cast<uint32_t>(quarv::NumberOfText(quarv::TimeText(time_)));
            break;
        case kBool:
            dword_ = bool_ ? 1u : 0u;
            break;
        default:
            break;  // dword, and none: the dword field
    }
    return dword_;
}
