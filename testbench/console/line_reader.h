// SPDX-License-Identifier: MIT
// Splits a console line into words: blanks separate them, double quotes hold a word with blanks
// ("" is an empty word) and take the escapes \" \\ \n \r \t.
#pragma once

#include <string>
#include <vector>

namespace brisel::console {

struct CWord {
    std::string text;
    bool quoted = false;
    std::size_t begin = 0, end = 0;  // where the word stands in the line, quotes included
};

std::vector<CWord> SplitWords(const std::string& line);

// The command that the first words of a line name: a menu text ("Put List Files", "Loop Tests
// Get", case ignored) or a command id ("32804"). Sets `used` to the number of words taken; 0
// when the line names no command.
int FindCommandId(const std::vector<CWord>& words, std::size_t& used);

}  // namespace brisel::console
