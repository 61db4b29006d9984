// SPDX-License-Identifier: MIT
#include "failure_line.h"

#include <cstring>
#include <string_view>

namespace {

// One line: the reason's line ends (a multi-line reply) become "; ", trailing ones go.
std::string OneLine(std::string_view text) {
    std::string line;
    bool pendingBreak = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            pendingBreak = !line.empty();
            continue;
        }
        if (pendingBreak) line += "; ";
        pendingBreak = false;
        line += c;
    }
    return line;
}

}  // namespace

std::string FailureLine(const std::string& script, const QuarvFailure& failure, int lineOffset) {
    const std::string result = " (result " + std::to_string(failure.result) + ")";
    if (failure.line <= 0) return "quarv: " + script + ": failed" + result;
    const std::string_view statement(failure.statement,
                                     strnlen(failure.statement, sizeof failure.statement));
    std::string reason =
        OneLine(std::string_view(failure.reason, strnlen(failure.reason, sizeof failure.reason)));
    if (reason.empty()) reason = "failed";
    return "quarv: " + script + ":" + std::to_string(failure.line - lineOffset) + ": " +
           OneLine(statement) + ": " + reason + result;
}
