// SPDX-License-Identifier: MIT
// Pure functions over protocol texts: host texts, the replies to EPSV, PASV, PWD, MDTM,
// SIZE and transfer commands, and the EPRT/PORT arguments. No sockets here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "socket.h"
#include "status.h"

namespace varnix {

// TLS wanted by a host text: none, explicit (ftpes:, AUTH TLS) or implicit (ftps:).
enum class Security { None, Explicit, Implicit };

struct HostAddress {
    std::string name;  // a host name or a numeric address, without brackets
    int port = 21;
    Security security = Security::None;
    // "name:port" or "[v6]:port".
    std::string text() const;
};

// The scheme in front of a host text ("ftp:", "ftpes:", "ftps:", each with or without "//",
// letters in any case) and the text after it.
struct HostScheme {
    Security security = Security::None;
    std::string_view rest;
};
HostScheme splitHostScheme(std::string_view text);

// A defaultPort of parseHostText that stands for the scheme's own: 990 for implicit TLS
// ("ftps:"), else 21.
constexpr int kSchemeDefaultPort = 0;

// "name", "name:port", "[IPv6]", "[IPv6]:port", a bare IPv6 address, each optionally after
// a scheme (splitHostScheme), and optionally with a trailing "/". The port in the text wins
// over defaultPort.
Result<HostAddress> parseHostText(std::string_view text, int defaultPort);

// True when text begins with prefix, letters compared without regard to case.
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// True when text holds a CR or LF, which would end a command line early.
bool hasLineBreak(std::string_view text);

// "229 Entering Extended Passive Mode (|||6446|)" -> 6446.
Result<int> parseEpsvReply(std::string_view reply);
// "227 Entering Passive Mode (127,0,0,1,25,26)" -> the port 6426 (and the address, which
// the library never connects to).
struct PasvReply {
    std::string ip;
    int port = 0;
};
Result<PasvReply> parsePasvReply(std::string_view reply);
// "257 "/a ""quoted"" dir" is current directory" -> /a "quoted" dir
Result<std::string> parsePwdReply(std::string_view reply);
// "213 20240131235959" (optionally with ".sss") -> "20240131235959"
Result<std::string> parseMdtmReply(std::string_view reply);
// "213 1234" -> 1234
Result<long long> parseSizeReply(std::string_view reply);
// "150 Opening BINARY mode data connection for f (1234 bytes)." -> 1234
std::optional<long long> parseAnnouncedSize(std::string_view reply);

// True when text holds a control character (below 32, or 127): a terminal would act on it.
bool hasControlCharacter(std::string_view text);
// text with each control character written as \xHH, fit to show on a terminal or in a log.
std::string escapeControlCharacters(std::string_view text);

// "|1|127.0.0.1|6446|" or "|2|::1|6446|".
std::string eprtArgument(const SocketAddress& address);
// "127,0,0,1,25,46"; empty for an IPv6 address.
std::string portArgument(const SocketAddress& address);

}  // namespace varnix
