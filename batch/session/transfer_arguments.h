// SPDX-License-Identifier: MIT
// The arguments of get, put, append and of the file part of remote put and remote append:
// first [second] [@ offset].
#pragma once

#include <string>

#include "interpreter.h"

struct TransferForm {
    CommandForm command;         // a missing first name: item and expected form
    const char* offsetExpected;  // "@" not followed by a number: expected form
    bool resumeNeedsOffset;      // append: a resumed append must say where
};

struct TransferArguments {
    std::string first;
    std::string second;    // empty when not given; passed on as it is
    long long offset = 0;  // 0: none
};
