// SPDX-License-Identifier: MIT
// Pure functions of the library, from tables: host texts, reply parsers, reply assembly,
// ASCII conversion, trace masking. No sockets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ascii_codec.h"
#include "local_files.h"
#include "protocol_text.h"
#include "reply.h"
#include "trace_log.h"

using namespace varnix;

namespace {

TEST(HostText, AcceptedForms) {
    struct Case {
        const char* text;
        const char* name;
        int port;
        Security security;
    } cases[] = {
        {"ftp.example.org", "ftp.example.org", 21, Security::None},
        {"ftp.example.org:2121", "ftp.example.org", 2121, Security::None},
        {"127.0.0.1:65535", "127.0.0.1", 65535, Security::None},
        {"[::1]:2121", "::1", 2121, Security::None},
        {"[::1]", "::1", 21, Security::None},
        {"::1", "::1", 21, Security::None},
        {"fe80::1:2", "fe80::1:2", 21, Security::None},
        {"ftp://host:99/", "host", 99, Security::None},
        {"ftp:host", "host", 21, Security::None},
        {"ftpes://host", "host", 21, Security::Explicit},
        {"ftpes:host:990", "host", 990, Security::Explicit},
        {"FTPS://[::1]:990", "::1", 990, Security::Implicit},
        {"  spaced  ", "spaced", 21, Security::None},
    };
    for (const auto& c : cases) {
        auto parsed = parseHostText(c.text, 21);
        ASSERT_TRUE(parsed.isOk()) << c.text << ": " << parsed.status().text();
        EXPECT_EQ(parsed->name, c.name) << c.text;
        EXPECT_EQ(parsed->port, c.port) << c.text;
        EXPECT_EQ(parsed->security, c.security) << c.text;
    }
    EXPECT_EQ(parseHostText("h", 2121)->port, 2121);
    EXPECT_EQ(parseHostText("h:21", 2121)->port, 21);  // the text wins
    EXPECT_EQ(parseHostText("[::1]:5", 21)->text(), "[::1]:5");
    // The scheme's own port: 990 for implicit TLS only.
    EXPECT_EQ(parseHostText("ftps:host", kSchemeDefaultPort)->port, 990);
    EXPECT_EQ(parseHostText("ftps://[::1]", kSchemeDefaultPort)->port, 990);
    EXPECT_EQ(parseHostText("ftps:host:2121", kSchemeDefaultPort)->port, 2121);
    EXPECT_EQ(parseHostText("ftpes:host", kSchemeDefaultPort)->port, 21);
    EXPECT_EQ(parseHostText("host", kSchemeDefaultPort)->port, 21);
    EXPECT_EQ(parseHostText("ftps:host", 2121)->port, 2121);  // a caller's port wins
}

TEST(HostText, SchemeOfAGatewayTarget) {
    EXPECT_EQ(splitHostScheme("ftpes:h:21").security, Security::Explicit);
    EXPECT_EQ(splitHostScheme("ftpes:h:21").rest, "h:21");
    EXPECT_EQ(splitHostScheme("FTPS://h").security, Security::Implicit);
    EXPECT_EQ(splitHostScheme("FTPS://h").rest, "h");
    EXPECT_EQ(splitHostScheme("ftp:h").rest, "h");
    EXPECT_EQ(splitHostScheme("h:21").security, Security::None);
    EXPECT_EQ(splitHostScheme("h:21").rest, "h:21");
}

TEST(HostText, RefusedForms) {
    for (const char* text : {"", "host:", "host:0", "host:65536", "host:abc", "[::1", "[::1]x",
                             "[::1]:", "a b", "user@host", "ftp://", ":21"}) {
        auto parsed = parseHostText(text, 21);
        EXPECT_FALSE(parsed.isOk()) << text;
        EXPECT_EQ(parsed.status().code(), VARNIX_EINVAL) << text;
    }
}

TEST(ReplyParsers, Epsv) {
    EXPECT_EQ(*parseEpsvReply("229 Entering Extended Passive Mode (|||6446|)"), 6446);
    EXPECT_EQ(*parseEpsvReply("229 ok (!!!1!)"), 1);
    for (const char* bad :
         {"229 Entering (|||0|)", "229 (|||70000|)", "229 (||6446|)", "229 (|||64a6|)",
          "229 no parenthesis", "229 (|||6446|", "229 (111611)"}) {
        EXPECT_EQ(parseEpsvReply(bad).status().code(), VARNIX_EPROTOCOL) << bad;
    }
}

TEST(ReplyParsers, Pasv) {
    auto p = parsePasvReply("227 Entering Passive Mode (192,168,1,2,19,137).");
    ASSERT_TRUE(p.isOk());
    EXPECT_EQ(p->ip, "192.168.1.2");
    EXPECT_EQ(p->port, 19 * 256 + 137);
    EXPECT_EQ(parsePasvReply("227 =127,0,0,1,4,1")->port, 1025);  // no parentheses
    for (const char* bad : {"227 Entering Passive Mode (1,2,3,4,5)", "227 (256,0,0,1,4,1)",
                            "227 (127,0,0,1,0,0)", "227 nothing here"}) {
        EXPECT_EQ(parsePasvReply(bad).status().code(), VARNIX_EPROTOCOL) << bad;
    }
}

TEST(ReplyParsers, Pwd) {
    EXPECT_EQ(*parsePwdReply("257 \"/\" is the current directory"), "/");
    EXPECT_EQ(*parsePwdReply("257 \"/a \"\"quoted\"\" dir\" is current"), "/a \"quoted\" dir");
    EXPECT_EQ(*parsePwdReply("257 \"/with space/x\""), "/with space/x");
    EXPECT_EQ(*parsePwdReply("257 /unquoted is current"), "/unquoted");
    EXPECT_FALSE(parsePwdReply("257 \"/never closed").isOk());
    EXPECT_FALSE(parsePwdReply("257 nothing").isOk());
}

TEST(ReplyParsers, MdtmAndSize) {
    EXPECT_EQ(*parseMdtmReply("213 20240131235959"), "20240131235959");
    EXPECT_EQ(*parseMdtmReply("213 20240131235959.123"), "20240131235959.123");
    EXPECT_FALSE(parseMdtmReply("213 2024013123").isOk());
    EXPECT_FALSE(parseMdtmReply("213 ").isOk());
    EXPECT_EQ(*parseSizeReply("213 0"), 0);
    EXPECT_EQ(*parseSizeReply("213 3221225472"), 3221225472LL);  // 3 GiB fits
    EXPECT_FALSE(parseSizeReply("213 -5").isOk());
    EXPECT_FALSE(parseSizeReply("213 99999999999999999999999").isOk());
    EXPECT_EQ(parseAnnouncedSize("150 Opening BINARY mode data connection for f (1234 bytes)."),
              1234);
    EXPECT_EQ(parseAnnouncedSize("150 File status okay."), std::nullopt);
}

TEST(ProtocolText, PortArguments) {
    auto v4 = SocketAddress::fromNumeric("127.0.0.1", 6446);
    EXPECT_EQ(eprtArgument(v4), "|1|127.0.0.1|6446|");
    EXPECT_EQ(portArgument(v4), "127,0,0,1,25,46");
    auto v6 = SocketAddress::fromNumeric("::1", 21);
    EXPECT_EQ(eprtArgument(v6), "|2|::1|21|");
    EXPECT_EQ(portArgument(v6), "");
    EXPECT_TRUE(hasLineBreak("a\rb"));
    EXPECT_TRUE(hasLineBreak("a\n"));
    EXPECT_FALSE(hasLineBreak("plain name.txt"));
}

std::vector<Result<bool>> feed(ReplyAssembler& a, const std::vector<std::string>& lines) {
    std::vector<Result<bool>> out;
    for (const auto& l : lines)
        out.push_back(a.addLine(l));
    return out;
}

TEST(ReplyAssembly, SingleAndMultiLine) {
    ReplyAssembler a;
    EXPECT_TRUE(*a.addLine("200 OK"));
    Reply r = a.take();
    EXPECT_EQ(r.code, 200);
    EXPECT_EQ(r.text(), "200 OK");

    auto steps =
        feed(a, {"214-Help follows", "  USER PASS", "214-not the end", "2140 no", "214 End"});
    for (std::size_t i = 0; i + 1 < steps.size(); ++i)
        EXPECT_FALSE(*steps[i]) << i;
    EXPECT_TRUE(*steps.back());
    r = a.take();
    EXPECT_EQ(r.lines.size(), 5u);
    EXPECT_EQ(r.text(), "214-Help follows\n  USER PASS\n214-not the end\n2140 no\n214 End");
    EXPECT_TRUE(*a.addLine("226"));  // a code alone is a whole reply
    EXPECT_EQ(a.take().code, 226);
}

TEST(ReplyAssembly, MalformedAndOversized) {
    for (const char* bad : {"HELLO", "99 short", "600 out of range", "20x bad", "200x", ""}) {
        ReplyAssembler a;
        auto r = a.addLine(bad);
        EXPECT_FALSE(r.isOk()) << bad;
        EXPECT_EQ(r.status().code(), VARNIX_EPROTOCOL) << bad;
    }
    ReplyAssembler a;
    ASSERT_TRUE(a.addLine("220-endless").isOk());
    Result<bool> last = false;
    for (int i = 0; i < 10000 && last.isOk(); ++i)
        last = a.addLine(std::string(100, 'x'));
    EXPECT_EQ(last.status().code(), VARNIX_EPROTOCOL);
    EXPECT_TRUE(*a.addLine("200 fresh start"));  // the assembler recovers for the next reply
}

TEST(ReplyAssembly, ControlCharactersAreMasked) {
    ReplyAssembler a;
    std::string line = "200 a";
    line += '\0';
    line += "b\x1b";
    EXPECT_TRUE(*a.addLine(line));
    EXPECT_EQ(a.take().text(), "200 a?b?");
}

std::string decodeInChunks(const std::string& wire, std::size_t chunk) {
    AsciiDecoder d;
    std::string out;
    std::vector<char> buf(chunk + 1);
    for (std::size_t i = 0; i < wire.size(); i += chunk) {
        std::size_t n = std::min(chunk, wire.size() - i);
        out.append(buf.data(), d.decode(wire.data() + i, n, buf.data()));
    }
    out.append(buf.data(), d.finish(buf.data()));
    return out;
}

TEST(AsciiCodec, DecodesCrLfAcrossChunkBoundaries) {
    const std::string wire = "a\r\nb\r\r\nc\rd\r\n\r\n\r";
    const std::string local = "a\nb\r\nc\rd\n\n\r";
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 64u})
        EXPECT_EQ(decodeInChunks(wire, chunk), local) << chunk;
}

TEST(AsciiCodec, EncodeThenDecodeGivesTheSameBytes) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    all += "\r\n\n\r\r\n";
    std::string wire(2 * all.size(), '\0');
    wire.resize(encodeAscii(all.data(), all.size(), wire.data()));
    EXPECT_EQ(wire.find("\n"), wire.find("\r\n") + 1);  // every LF has a CR before it
    for (std::size_t chunk : {1u, 7u, 1000u})
        EXPECT_EQ(decodeInChunks(wire, chunk), all);
}

TEST(TraceLog, MasksSecrets) {
    EXPECT_EQ(TraceLog::masked("PASS secret"), "PASS ****");
    EXPECT_EQ(TraceLog::masked("pass secret"), "pass ****");
    EXPECT_EQ(TraceLog::masked("ACCT money"), "ACCT ****");
    EXPECT_EQ(TraceLog::masked("PASSIVE x"), "PASSIVE x");
    EXPECT_EQ(TraceLog::masked("USER alice"), "USER alice");
}

TEST(LocalNames, LastComponentAndSafety) {
    EXPECT_EQ(lastComponent("a/b/c.txt"), "c.txt");
    EXPECT_EQ(lastComponent("..\\..\\x.txt"), "x.txt");
    EXPECT_EQ(lastComponent("/"), "");
    EXPECT_EQ(lastComponent("plain"), "plain");
    for (const char* bad : {"", ".", "..", "a/b"})
        EXPECT_FALSE(usableLocalName(bad)) << bad;
    EXPECT_TRUE(usableLocalName("..hidden"));
    EXPECT_EQ(resolveLocal("/base", "f"), "/base/f");
    EXPECT_EQ(resolveLocal("/base/", "f"), "/base/f");
    EXPECT_EQ(resolveLocal("/base", "/abs"), "/abs");
    EXPECT_EQ(resolveLocal("", "rel"), "rel");
    EXPECT_TRUE(wildcardMatch("*.txt", "a.txt"));
    EXPECT_FALSE(wildcardMatch("*.txt", ".hidden.txt"));
    EXPECT_FALSE(wildcardMatch("*.txt", "a.bin"));
}

}  // namespace
