// SPDX-License-Identifier: MIT
#include "line_reader.h"

#include <algorithm>
#include <cctype>

#include "core/ids.h"
#include "core/menus.h"

namespace brisel::console {
namespace {

bool SameWord(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::vector<std::string> NameWords(const std::string& name) {
    std::vector<std::string> words;
    for (const CWord& w : SplitWords(name))
        words.push_back(w.text);
    return words;
}

// Commands the menus do not show by name.
std::vector<CNamedCommand> ConsoleCommands() {
    auto named = NamedCommands();
    named.push_back({"Save", cmd::FileSave});
    named.push_back({"About", cmd::AppAbout});
    return named;
}

}  // namespace

std::vector<CWord> SplitWords(const std::string& line) {
    std::vector<CWord> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        CWord word;
        word.begin = i;
        if (line[i] == '"') {
            word.quoted = true;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                char c = line[i];
                if (c == '\\' && i + 1 < line.size()) {
                    char e = line[++i];
                    c = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
                }
                word.text += c;
            }
            ++i;  // the closing quote (or the end of the line)
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                word.text += line[i++];
        }
        word.end = std::min(i, line.size());
        words.push_back(std::move(word));
    }
    return words;
}

int FindCommandId(const std::vector<CWord>& words, std::size_t& used) {
    used = 0;
    if (words.empty() || words[0].quoted) return 0;
    const std::string& first = words[0].text;
    if (!first.empty() && first.find_first_not_of("0123456789") == std::string::npos &&
        first.size() < 7) {
        used = 1;
        return std::stoi(first);
    }
    int best = 0;
    for (const CNamedCommand& command : ConsoleCommands()) {
        auto name = NameWords(command.name);
        if (name.size() <= used || name.size() > words.size()) continue;
        bool match = true;
        for (std::size_t k = 0; k < name.size() && match; ++k)
            match = !words[k].quoted && SameWord(words[k].text, name[k]);
        if (match) {
            used = name.size();
            best = command.id;
        }
    }
    return best;
}

}  // namespace brisel::console
