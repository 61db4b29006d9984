// SPDX-License-Identifier: MIT
#include "reply.h"

#include <cctype>

namespace varnix {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The code of a line that starts with three digits followed by ' ', '-' or nothing; else 0.
int leadingCode(const std::string& line, char* separator) {
    if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2])) return 0;
    char next = line.size() > 3 ? line[3] : ' ';
    if (next != ' ' && next != '-') return 0;
    *separator = next;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

}  // namespace

std::string Reply::text() const {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out += '\n';
        out += lines[i];
    }
    return out;
}

std::string sanitizeLine(std::string line) {
    for (char& c : line) {
        auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f) c = '?';
    }
    return line;
}

Result<bool> ReplyAssembler::addLine(std::string line) {
    bytes_ += line.size() + 2;
    if (bytes_ > VARNIX_MAX_REPLY) {
        *this = ReplyAssembler();
        return Status::protocol("Reply longer than " + std::to_string(VARNIX_MAX_REPLY) + " bytes");
    }
    line = sanitizeLine(std::move(line));
    char separator = ' ';
    int code = leadingCode(line, &separator);
    if (reply_.lines.empty()) {
        if (code < 100 || code > 599) {
            *this = ReplyAssembler();
            return Status::protocol("Malformed reply: " + line.substr(0, 200));
        }
        reply_.code = code;
        multiLine_ = separator == '-';
        reply_.lines.push_back(std::move(line));
        return !multiLine_;
    }
    bool last = code == reply_.code && separator == ' ';
    reply_.lines.push_back(std::move(line));
    return last;
}

Reply ReplyAssembler::take() {
    Reply out = std::move(reply_);
    *this = ReplyAssembler();
    return out;
}

}  // namespace varnix
