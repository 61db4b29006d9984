// SPDX-License-Identifier: MIT
#include "env_expander.h"

#include <cstdlib>

namespace {

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// The length of the name that starts at `start`, when a "}" closes it; 0 otherwise.
std::size_t NameLength(std::string_view line, std::size_t start) {
    if (start >= line.size() || !IsNameStart(line[start])) return 0;
    std::size_t end = start + 1;
    while (end < line.size() && IsNameChar(line[end]))
        ++end;
    return end < line.size() && line[end] == '}' ? end - start : 0;
}

}  // namespace

std::optional<std::string> ProcessEnv(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

Expansion ExpandEnv(std::string_view line, const EnvLookup& lookup) {
    Expansion result;
    std::size_t copied = 0;
    for (std::size_t at = line.find("${"); at != std::string_view::npos;
         at = line.find("${", at + 1)) {
        const std::size_t length = NameLength(line, at + 2);
        if (length == 0) continue;
        const std::string name(line.substr(at + 2, length));
        const std::optional<std::string> value = lookup(name);
        if (!value) {
            if (result.missing.empty()) result.missing = name;
            continue;
        }
        result.line.append(line.substr(copied, at - copied));
        result.line.append(*value);
        copied = at + 2 + length + 1;
        at = copied - 1;
    }
    result.line.append(line.substr(copied));
    return result;
}

std::optional<UnsetReference> FindUnset(std::istream& script, const EnvLookup& lookup) {
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        const std::size_t remark = line.find("//");
        if (remark != std::string::npos) line.resize(remark);
        const Expansion expansion = ExpandEnv(line, lookup);
        if (!expansion.missing.empty()) return UnsetReference{number, expansion.missing};
    }
    return std::nullopt;
}
