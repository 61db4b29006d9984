// SPDX-License-Identifier: MIT
#include "tokenizer.h"

#include <array>

#include "text.h"
#include "trace_log.h"

namespace {

constexpr int32_t kLargestNumber = 2147483647;

// The characters that end a word; the delimiter itself stays in the rest.
constexpr auto kEndsWord = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : std::string_view(" ()@#$\"'!><=,"))
        table[c] = true;
    return table;
}();

// Tokens of one character, and the codes of those that combine with a following "=".
constexpr auto kSingleCharacter = [] {
    std::array<int, 256> codes{};
    codes['$'] = TK_DOLLAR;
    codes['@'] = TK_AT;
    codes['('] = TK_LPAREN;
    codes[')'] = TK_RPAREN;
    codes[','] = TK_COMMA;
    codes['='] = TK_EQ;
    codes['!'] = TK_NOT;
    codes['<'] = TK_LT;
    codes['>'] = TK_GT;
    return codes;
}();
constexpr auto kOperatorWithEquals = [] {
    std::array<int, 256> codes{};
    codes['!'] = TK_NE;
    codes['<'] = TK_LE;
    codes['>'] = TK_GE;
    return codes;
}();

bool IsDigits(std::string_view word) {
    for (char c : word)
        if (c < '0' || c > '9') return false;
    return !word.empty();
}

// Decimal value of a digit string; anything beyond the largest int reads as the largest.
int32_t DigitsValue(std::string_view digits) {
    int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > kLargestNumber) return kLargestNumber;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

void CTokenizer::SetLine(std::string_view text) {
    line_.assign(text);
    position_ = 0;
    tokenStart_ = 0;
    tokenEnd_ = std::string::npos;  // the first token follows none
    joined_ = false;
    secrets_.Reset();
}

void CTokenizer::SkipSpace() {
    while (position_ < line_.size() && quarv::IsSpace(line_[position_]))
        ++position_;
}

void CTokenizer::TakeText(std::size_t length, int code) {
    text_.assign(line_, position_, length);
    position_ += length;
    code_ = code;
}

int CTokenizer::GetNextToken() {
    previousCode_ = code_;
    previousNumber_ = number_;
    previousText_.swap(text_);
    text_.clear();
    code_ = TK_EOL;

    SkipSpace();
    tokenStart_ = position_;
    joined_ = tokenStart_ == tokenEnd_;
    if (position_ >= line_.size()) {
        number_ = 0;
    } else {
        const unsigned char first = static_cast<unsigned char>(line_[position_]);
        if (first == '"' || first == '\'')
            ReadQuoted();
        else if (first == '#')
            ReadSessionPrefix();
        else if (kOperatorWithEquals[first] != 0)
            ReadOperator(kSingleCharacter[first], kOperatorWithEquals[first]);
        else if (kSingleCharacter[first] != 0)
            TakeText(1, kSingleCharacter[first]);
        else
            ReadWord();
    }
    // A session prefix's blank is consumed with it but is not one of its characters.
    tokenEnd_ = code_ == TK_SESSION ? tokenStart_ + text_.size() : position_;
    secret_ = secrets_.Next(code_, joined_);
    CTraceLog& log = CTraceLog::Instance();
    if (traced_ && log.Tracing()) {
        // A whole login line can also be one token: in quotes, or with tabs for blanks.
        const std::string shown = secret_ && code_ != TK_EOL ? "****" : MaskSecrets(text_);
        log.Trace("GetNextToken= ", code_, " \"", shown, "\"");
    }
    return code_;
}

// A quoted text up to the same quote character; no escapes. Unterminated: end of line, and
// the rest stays, so every later call yields end of line too.
void CTokenizer::ReadQuoted() {
    const char quote = line_[position_];
    const std::size_t close = line_.find(quote, position_ + 1);
    if (close == std::string::npos) return;
    text_.assign(line_, position_ + 1, close - position_ - 1);
    position_ = close + 1;
    code_ = TK_STRING;
}

// "#" and the name up to the next blank, which is consumed with it. A blank right after
// the "#" does not end the name: the whole rest is taken then.
void CTokenizer::ReadSessionPrefix() {
    ++position_;
    const std::size_t blank = line_.find(' ', position_);
    const bool named = blank != std::string::npos && blank > position_;
    const std::size_t end = named ? blank : line_.size();
    text_ = "#";
    text_.append(line_, position_, end - position_);
    position_ = named ? blank + 1 : end;
    code_ = TK_SESSION;
}

// "!", "<" and ">" combine with a directly following "=" into one token.
void CTokenizer::ReadOperator(int code, int codeWithEquals) {
    const bool withEquals = position_ + 1 < line_.size() && line_[position_ + 1] == '=';
    TakeText(withEquals ? 2 : 1, withEquals ? codeWithEquals : code);
}

void CTokenizer::ReadWord() {
    std::size_t end = position_;
    while (end < line_.size() && !kEndsWord[static_cast<unsigned char>(line_[end])])
        ++end;
    TakeText(end - position_, TK_EOL);
    ClassifyWord();
}

void CTokenizer::ClassifyWord() {
    if (IsDigits(text_)) {
        code_ = TK_NUMBER;
        number_ = DigitsValue(text_);
        return;
    }
    const TokenCode keyword = LookupKeyword(text_);
    code_ = keyword != TK_EOL ? keyword : TK_STRING;
}

int CTokenizer::RestOfLine() {
    code_ = TK_EOL;
    text_.clear();
    SkipSpace();
    tokenStart_ = position_;
    if (position_ < line_.size()) TakeText(line_.size() - position_, TK_STRING);
    tokenEnd_ = position_;
    return code_;
}

namespace {

// Cheap test first: most lines hold no login at all.
bool MentionsLogin(std::string_view line) {
    constexpr std::string_view kLogin = "login";
    for (std::size_t i = 0; i + kLogin.size() <= line.size(); ++i) {
        std::size_t k = 0;
        while (k < kLogin.size() && (line[i + k] | 0x20) == kLogin[k])
            ++k;
        if (k == kLogin.size()) return true;
    }
    return false;
}

}  // namespace

std::string MaskSecrets(std::string_view line) {
    if (!MentionsLogin(line)) return std::string(line);
    // Any white space counts as a blank here, so that a login written with tabs, which the
    // tokenizer takes for one word, is hidden too.
    std::string blanked(line);
    for (char& c : blanked)
        if (quarv::IsSpace(c)) c = ' ';
    CTokenizer tokens(false);
    tokens.SetLine(blanked);
    std::string masked;
    std::size_t copied = 0;
    for (int code = tokens.GetNextToken();; code = tokens.GetNextToken()) {
        if (tokens.IsSecret()) {
            // The token's own characters (a session prefix's blank is not one of them); an
            // unterminated quote hides everything after it.
            std::size_t end = tokens.Position();
            if (code == TK_EOL) end = line.size();
            if (code == TK_SESSION) end = tokens.TokenStart() + tokens.Text().size();
            if (tokens.TokenStart() < end) {
                // The rest of a word already hidden joins its "****".
                if (tokens.TokenStart() > copied) {
                    masked.append(line.substr(copied, tokens.TokenStart() - copied));
                    masked.append("****");
                }
                copied = end;
            }
        }
        if (code == TK_EOL) break;
    }
    masked.append(line.substr(copied));
    return masked;
}

bool LoginSecretSplit(std::string_view arguments) {
    CTokenizer tokens(false);
    tokens.SetLine(arguments);
    int place = 0;    // words read: host 1, user 2, password 3, account 4
    int inPlace = 0;  // tokens of the current word
    for (int code = tokens.GetNextToken(); code != TK_EOL; code = tokens.GetNextToken()) {
        if (!tokens.IsJoined()) {
            if (++place > 4) break;
            inPlace = 0;
        }
        ++inPlace;
        // A secret is taken whole when it is one name; digits alone stay a number, sent as
        // no password at all.
        if (place >= 3 && (inPlace > 1 || (code < TK_STRING && code != TK_NUMBER))) return true;
    }
    return false;
}
