// SPDX-License-Identifier: MIT
// Building texts from parts. Script, server and user texts are only ever appended as they
// are: nothing here reads a text as a format.
#pragma once

#include <charconv>
#include <concepts>
#include <string>
#include <string_view>

namespace quarv {

inline void AppendPart(std::string& out, std::string_view part) {
    out.append(part);
}
inline void AppendPart(std::string& out, const std::string& part) {
    out.append(part);
}
inline void AppendPart(std::string& out, const char* part) {
    if (part != nullptr) out.append(part);
}
inline void AppendPart(std::string& out, char part) {
    out.push_back(part);
}

template <std::integral Number>
requires(!std::same_as<Number, bool> &&
         !std::same_as<Number, char>) void AppendPart(std::string& out, Number number) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

// Cat("Retry # ", 2) == "Retry # 2"
template <class... Parts>
std::string Cat(const Parts&... parts) {
    std::string out;
    (AppendPart(out, parts), ...);
    return out;
}

// The white space that the reader and the tokenizer skip (no locale, any byte value).
constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A server's text made safe for a terminal: control characters other than tab, CR and LF
// (and DEL) are written as \xHH, so that no escape sequence reaches the screen or the log.
inline std::string EscapeControls(std::string_view text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

constexpr bool EndsWithCrLf(std::string_view text) {
    return text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
}

}  // namespace quarv
