// SPDX-License-Identifier: MIT
// Splits one statement line into tokens on demand. Handlers pull the tokens they expect one
// at a time and decide by the token code (tokens.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tokens.h"

// Follows the tokens of a line and tells which ones stand in the password or account place
// of a login or gatelogin statement, so that echo, log and trace can hide them. Places are
// counted as written: tokens with nothing between them (P@ss!) share one place, so a
// password written without quotes is hidden to its end even where the tokenizer splits it.
class SecretTracker {
  public:
    void Reset() {
        position_ = -1;
        secret_ = false;
    }
    // Call for every token in order, `joined` when nothing stands between it and the token
    // before; true for a password or an account.
    bool Next(int code, bool joined) {
        if (joined && code != TK_EOL && position_ >= 0) return secret_;
        if (position_ >= 0 && position_ < 4) {
            secret_ = ++position_ >= 3;
        } else {
            position_ = IsLoginKeyword(code) ? 0 : -1;
            secret_ = false;
        }
        return secret_;
    }

  private:
    int position_ = -1;  // places read since the login keyword: host 1, user 2, ...
    bool secret_ = false;
};

class CTokenizer {
  public:
    // A tokenizer that is not traced serves to inspect lines (hiding passwords).
    explicit CTokenizer(bool traced = true) : traced_(traced) {}
    virtual ~CTokenizer() = default;

    // Reads the next token from the rest of the line; returns its code.
    int GetNextToken();
    // Takes everything left, leading white space removed, as one string token (500); 0 when
    // nothing is left. The previous token stays as it was.
    int RestOfLine();
    // The rest of the line becomes text.
    void SetLine(std::string_view text);

    int Code() const { return code_; }
    int32_t Number() const { return number_; }
    const std::string& Text() const { return text_; }
    int PreviousCode() const { return previousCode_; }
    int32_t PreviousNumber() const { return previousNumber_; }
    const std::string& PreviousText() const { return previousText_; }
    std::string_view Rest() const { return std::string_view(line_).substr(position_); }

    // Where the current token starts in the line, and where the rest begins.
    std::size_t TokenStart() const { return tokenStart_; }
    std::size_t Position() const { return position_; }
    // True when the current token stands where a login statement has its password or
    // account (also an end of line there).
    bool IsSecret() const { return secret_; }
    // True when the current token directly follows the one before, with no white space
    // between them: both were written as one word.
    bool IsJoined() const { return joined_; }

  private:
    void SkipSpace();
    void TakeText(std::size_t length, int code);
    void ReadQuoted();
    void ReadSessionPrefix();
    void ReadOperator(int code, int codeWithEquals);
    void ReadWord();
    void ClassifyWord();

    int code_ = 0;
    int32_t number_ = 0;
    std::string text_;
    int previousCode_ = 0;
    int32_t previousNumber_ = 0;
    std::string previousText_;
    std::string line_;  // the line; the rest is line_ from position_ on
    std::size_t position_ = 0;
    std::size_t tokenStart_ = 0;
    std::size_t tokenEnd_ = std::string::npos;  // after the current token's own characters
    bool joined_ = false;
    SecretTracker secrets_;
    bool secret_ = false;
    bool traced_;
};

// The line with the password and the account of any login or gatelogin in it written as
// "****"; the line itself when it holds none.
std::string MaskSecrets(std::string_view line);

// True when the password or the account of a login statement would not reach the server as
// written: `arguments` is the line after the login keyword, and the third or fourth word
// holds a delimiter outside quotes (P@ss!), so that only a part of it would be sent.
bool LoginSecretSplit(std::string_view arguments);
