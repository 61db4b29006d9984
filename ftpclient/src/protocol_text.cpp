// SPDX-License-Identifier: MIT
#include "protocol_text.h"

#include <charconv>
#include <vector>

namespace varnix {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole decimal number in [low, high].
std::optional<long long> number(std::string_view digits, long long low, long long high) {
    if (digits.empty() || digits.size() > 19) return std::nullopt;
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

// The reply's text after "ddd " (or "ddd-"), trimmed of blanks.
std::string_view afterCode(std::string_view reply) {
    if (reply.size() >= 4 && isDigit(reply[0]))
        reply.remove_prefix(4);
    else if (reply.size() == 3)
        reply = {};
    while (!reply.empty() && (reply.front() == ' ' || reply.front() == '\t'))
        reply.remove_prefix(1);
    while (!reply.empty() && (reply.back() == ' ' || reply.back() == '\t' || reply.back() == '\r'))
        reply.remove_suffix(1);
    return reply;
}

std::string_view firstLine(std::string_view reply) {
    auto nl = reply.find('\n');
    return nl == std::string_view::npos ? reply : reply.substr(0, nl);
}

}  // namespace

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i])) return false;
    return true;
}

std::string HostAddress::text() const {
    bool v6 = name.find(':') != std::string::npos;
    return (v6 ? "[" + name + "]" : name) + ":" + std::to_string(port);
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

HostScheme splitHostScheme(std::string_view text) {
    struct Scheme {
        std::string_view prefix;
        Security security;
    };
    HostScheme split{Security::None, text};
    for (const Scheme& s : {Scheme{"ftpes:", Security::Explicit},
                            Scheme{"ftps:", Security::Implicit}, Scheme{"ftp:", Security::None}}) {
        if (startsWithNoCase(text, s.prefix)) {
            text.remove_prefix(s.prefix.size());
            if (text.substr(0, 2) == "//") text.remove_prefix(2);
            return {s.security, text};
        }
    }
    return split;
}

Result<HostAddress> parseHostText(std::string_view text, int defaultPort) {
    HostAddress parsed;
    std::string original(text);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    HostScheme scheme = splitHostScheme(text);
    parsed.security = scheme.security;
    text = scheme.rest;
    if (!text.empty() && text.back() == '/') text.remove_suffix(1);
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        auto close = text.find(']');
        if (close == std::string_view::npos)
            return Status::invalid("Bad host \"" + original + "\": missing ']'");
        parsed.name = std::string(text.substr(1, close - 1));
        auto rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return Status::invalid("Bad host \"" + original + "\": text after ']'");
            portText = rest.substr(1);
            if (portText.empty()) return Status::invalid("Bad host \"" + original + "\": no port");
        }
    } else {
        auto colon = text.find(':');
        if (colon != std::string_view::npos &&
            text.find(':', colon + 1) == std::string_view::npos) {
            parsed.name = std::string(text.substr(0, colon));
            portText = text.substr(colon + 1);
            if (portText.empty()) return Status::invalid("Bad host \"" + original + "\": no port");
        } else {
            parsed.name = std::string(text);  // a name, or a bare IPv6 address
        }
    }
    if (parsed.name.empty()) return Status::invalid("Bad host \"" + original + "\": no name");
    for (char c : parsed.name) {
        if (c == ' ' || c == '/' || c == '@' || static_cast<unsigned char>(c) < 0x21)
            return Status::invalid("Bad host \"" + original + "\"");
    }
    parsed.port = defaultPort != kSchemeDefaultPort       ? defaultPort
                  : parsed.security == Security::Implicit ? 990
                                                          : 21;
    if (!portText.empty()) {
        auto port = number(portText, 1, 65535);
        if (!port) return Status::invalid("Bad port in host \"" + original + "\"");
        parsed.port = static_cast<int>(*port);
    }
    if (parsed.port < 1 || parsed.port > 65535)
        return Status::invalid("Bad port " + std::to_string(parsed.port));
    return parsed;
}

Result<int> parseEpsvReply(std::string_view reply) {
    reply = firstLine(reply);
    auto open = reply.find('(');
    // (<d><d><d>port<d>) with one delimiter character, printable, used four times.
    if (open != std::string_view::npos && open + 5 < reply.size()) {
        char d = reply[open + 1];
        if (d >= 33 && d <= 126 && !isDigit(d) && reply[open + 2] == d && reply[open + 3] == d) {
            auto start = open + 4;
            auto end = reply.find(d, start);
            if (end != std::string_view::npos && end + 1 < reply.size() && reply[end + 1] == ')') {
                if (auto port = number(reply.substr(start, end - start), 1, 65535))
                    return static_cast<int>(*port);
            }
        }
    }
    return Status::protocol("Cannot read the port of the EPSV reply: " + std::string(reply));
}

Result<PasvReply> parsePasvReply(std::string_view reply) {
    reply = firstLine(reply);
    // The first run of six comma-separated numbers after the code.
    for (std::size_t i = 4; i < reply.size(); ++i) {
        if (!isDigit(reply[i]) || isDigit(reply[i - 1])) continue;
        std::vector<long long> parts;
        std::size_t pos = i;
        while (parts.size() < 6) {
            std::size_t end = pos;
            while (end < reply.size() && isDigit(reply[end]))
                ++end;
            auto value = number(reply.substr(pos, end - pos), 0, 255);
            if (!value) break;
            parts.push_back(*value);
            if (parts.size() == 6) break;
            if (end >= reply.size() || reply[end] != ',') break;
            pos = end + 1;
        }
        if (parts.size() == 6) {
            PasvReply out;
            out.ip = std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
                     std::to_string(parts[2]) + "." + std::to_string(parts[3]);
            out.port = static_cast<int>(parts[4] * 256 + parts[5]);
            if (out.port == 0) break;
            return out;
        }
    }
    return Status::protocol("Cannot read the address of the PASV reply: " + std::string(reply));
}

Result<std::string> parsePwdReply(std::string_view reply) {
    reply = firstLine(reply);
    auto open = reply.find('"');
    if (open != std::string_view::npos) {
        std::string path;
        for (std::size_t i = open + 1; i < reply.size(); ++i) {
            if (reply[i] != '"') {
                path += reply[i];
            } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
                path += '"';  // a doubled quote stands for one quote in the name
                ++i;
            } else {
                return path;
            }
        }
        return Status::protocol("Unterminated path in the PWD reply: " + std::string(reply));
    }
    // No quotes: the first word after the code, as some servers send it.
    auto rest = afterCode(reply);
    auto space = rest.find(' ');
    if (!rest.empty() && rest.front() == '/') return std::string(rest.substr(0, space));
    return Status::protocol("Cannot read the path of the PWD reply: " + std::string(reply));
}

Result<std::string> parseMdtmReply(std::string_view reply) {
    auto rest = afterCode(firstLine(reply));
    std::size_t digits = 0;
    while (digits < rest.size() && isDigit(rest[digits]))
        ++digits;
    if (digits < 14)
        return Status::protocol("Cannot read the time of the MDTM reply: " + std::string(reply));
    std::string out(rest.substr(0, digits));
    if (digits == 14 && rest.size() > 15 && rest[14] == '.' && isDigit(rest[15])) {
        std::size_t end = 15;
        while (end < rest.size() && isDigit(rest[end]))
            ++end;
        out = std::string(rest.substr(0, end));
    }
    return out;
}

Result<long long> parseSizeReply(std::string_view reply) {
    auto rest = afterCode(firstLine(reply));
    auto space = rest.find(' ');
    if (auto size = number(rest.substr(0, space), 0, (1LL << 62))) return *size;
    return Status::protocol("Cannot read the size of the SIZE reply: " + std::string(reply));
}

std::optional<long long> parseAnnouncedSize(std::string_view reply) {
    reply = firstLine(reply);
    auto bytes = reply.rfind(" bytes)");
    if (bytes == std::string_view::npos) return std::nullopt;
    auto open = reply.rfind('(', bytes);
    if (open == std::string_view::npos) return std::nullopt;
    return number(reply.substr(open + 1, bytes - open - 1), 0, (1LL << 62));
}

namespace {

bool isControl(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

}  // namespace

bool hasControlCharacter(std::string_view text) {
    for (char c : text)
        if (isControl(c)) return true;
    return false;
}

std::string escapeControlCharacters(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!isControl(c)) {
            out += c;
            continue;
        }
        auto byte = static_cast<unsigned char>(c);
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xf];
    }
    return out;
}

std::string eprtArgument(const SocketAddress& address) {
    return std::string("|") + (address.isIpv6() ? "2" : "1") + "|" + address.ip() + "|" +
           std::to_string(address.port()) + "|";
}

std::string portArgument(const SocketAddress& address) {
    if (address.isIpv6()) return {};
    std::string ip = address.ip();
    for (char& c : ip)
        if (c == '.') c = ',';
    return ip + "," + std::to_string(address.port() / 256) + "," +
           std::to_string(address.port() % 256);
}

}  // namespace varnix
