// SPDX-License-Identifier: MIT
#include "tokens.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kLongestKeyword = 14;  // "defaulttimeout", "receivetimeout"

constexpr char ToLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

constexpr auto kSortedKeywords = [] {
    std::array<Keyword, std::size(kKeywords)> sorted{};
    std::copy(std::begin(kKeywords), std::end(kKeywords), sorted.begin());
    std::sort(sorted.begin(), sorted.end(),
              [](const Keyword& a, const Keyword& b) { return a.word < b.word; });
    return sorted;
}();

}  // namespace

TokenCode LookupKeyword(std::string_view word) {
    if (word.empty() || word.size() > kLongestKeyword) return TK_EOL;
    char folded[kLongestKeyword];
    std::transform(word.begin(), word.end(), folded, ToLower);
    const std::string_view key(folded, word.size());
    auto it = std::lower_bound(kSortedKeywords.begin(), kSortedKeywords.end(), key,
                               [](const Keyword& k, std::string_view w) { return k.word < w; });
    return (it != kSortedKeywords.end() && it->word == key) ? it->code : TK_EOL;
}
