// SPDX-License-Identifier: MIT
#include "list_file.h"

namespace brisel {

std::vector<std::string> ListFileNames(std::string_view content) {
    std::vector<std::string> names;
    std::string line;
    auto finish = [&names, &line] {
        if (!line.empty()) names.push_back(line);
        line.clear();
    };
    for (char c : content) {
        if (c == '\n') {
            finish();
            continue;
        }
        auto code = static_cast<unsigned char>(c);
        if (code > 32) line += c;
    }
    finish();  // a last line without a line feed
    return names;
}

}  // namespace brisel
