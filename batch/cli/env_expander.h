// SPDX-License-Identifier: MIT
// --env: "${NAME}" in a script line stands for the environment variable NAME.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

// Looks a name up; nullopt when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The environment of the process.
std::optional<std::string> ProcessEnv(const std::string& name);

struct Expansion {
    std::string line;     // the line with every reference replaced
    std::string missing;  // the first name that is not set ("" when all are)
};

// Replaces each "${NAME}" (NAME: a letter or "_", then letters, digits or "_"); any other "$"
// stays as it is, so "$Date(...)" keeps its meaning.
Expansion ExpandEnv(std::string_view line, const EnvLookup& lookup);

// The first reference in a script whose variable is not set, with its line number (from 1);
// remarks after "//" are not looked at, as the engine drops them before it reads a line.
struct UnsetReference {
    int line = 0;
    std::string name;
};
std::optional<UnsetReference> FindUnset(std::istream& script, const EnvLookup& lookup);
