// SPDX-License-Identifier: MIT
// The line quarv writes to standard error when a script fails, so that a job's mail says
// what went wrong: "quarv: FILE:LINE: STATEMENT: REASON (result N)".
#pragma once

#include <string>

#include "quarv32.h"

// lineOffset: lines quarv put in front of the script (the "echo on" of --echo), which the
// failure's line counts and the script file does not.
std::string FailureLine(const std::string& script, const QuarvFailure& failure, int lineOffset);
