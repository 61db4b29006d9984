// SPDX-License-Identifier: MIT
// One statement line through the tokenizer, the password masking and the check for a
// password that would be cut. Promises: every call makes progress and ends at an end of
// line, token texts come from the line, numbers are in range, session prefixes begin with
// "#", and a masked line never holds more of the line than it had.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text.h"
#include "tokenizer.h"

namespace {

bool KnownCode(int code) {
    return code == TK_EOL || (code >= 101 && code <= 107) || (code >= 110 && code <= 115) ||
           code == TK_NUMBER || code == TK_SESSION || code == TK_STRING ||
           (code >= 600 && code <= 642) || (code >= 700 && code <= 733) || code == 800;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    CTokenizer tokens(false);
    tokens.SetLine(line);
    std::size_t position = 0;
    std::size_t count = 0;
    for (int code = tokens.GetNextToken();; code = tokens.GetNextToken()) {
        FUZZ_CHECK(KnownCode(code));
        FUZZ_CHECK(tokens.Position() >= position && tokens.Position() <= line.size());
        FUZZ_CHECK(tokens.Text().size() <= line.size() + 1);
        if (code == TK_NUMBER) {
            FUZZ_CHECK(tokens.Number() >= 0);
            FUZZ_CHECK(tokens.Text().find_first_not_of("0123456789") == std::string::npos);
        }
        if (code == TK_SESSION) FUZZ_CHECK(!tokens.Text().empty() && tokens.Text()[0] == '#');
        if (code == TK_EOL) {
            FUZZ_CHECK(tokens.Text().empty());
            break;
        }
        // Every token but the end of the line consumes at least one character.
        FUZZ_CHECK(tokens.Position() > position);
        position = tokens.Position();
        FUZZ_CHECK(++count <= line.size());
    }
    const int rest = tokens.RestOfLine();
    FUZZ_CHECK(rest == TK_EOL || rest == TK_STRING);

    const std::string masked = MaskSecrets(line);
    if (masked != line) {
        // Masking replaces whole words by "****": never longer than four bytes per word.
        FUZZ_CHECK(masked.size() <= line.size() + 4 * (line.size() / 2 + 1));
        FUZZ_CHECK(masked.find("****") != std::string::npos);
    }
    // A login whose password is refused shows none of it. (Masking reads tabs and other
    // white space as blanks, so that a login written with tabs is hidden too; the check
    // holds where both read the line alike.)
    const bool blanksOnly = std::none_of(line.begin(), line.end(),
                                         [](char c) { return c != ' ' && quarv::IsSpace(c); });
    if (blanksOnly && line.substr(0, 6) == "login " && LoginSecretSplit(line.substr(6)))
        FUZZ_CHECK(masked.find("****") != std::string::npos);
    return 0;
}
