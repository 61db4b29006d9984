// SPDX-License-Identifier: MIT
// Server replies: the assembler of whole replies from the lines that arrive, and every
// parser of a reply's contents. Promises: a whole reply has a code from 100 to 599, no
// control characters but tabs, and stays within VARNIX_MAX_REPLY; ports are in range,
// sizes non-negative, dates begin with fourteen digits, and a parsed text is no longer than
// the reply.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "protocol_text.h"
#include "reply.h"
#include "varnix32.h"

namespace {

void CheckParsers(std::string_view reply) {
    if (const auto port = varnix::parseEpsvReply(reply); port.isOk())
        FUZZ_CHECK(*port >= 1 && *port <= 65535);
    if (const auto pasv = varnix::parsePasvReply(reply); pasv.isOk()) {
        FUZZ_CHECK(pasv->port >= 1 && pasv->port <= 65535);
        FUZZ_CHECK(pasv->ip.size() <= 15);
    }
    if (const auto pwd = varnix::parsePwdReply(reply); pwd.isOk())
        FUZZ_CHECK(pwd->size() <= reply.size());
    if (const auto mdtm = varnix::parseMdtmReply(reply); mdtm.isOk()) {
        FUZZ_CHECK(mdtm->size() >= 14 && mdtm->size() <= reply.size());
        FUZZ_CHECK(mdtm->substr(0, 14).find_first_not_of("0123456789") == std::string::npos);
    }
    if (const auto size = varnix::parseSizeReply(reply); size.isOk()) FUZZ_CHECK(*size >= 0);
    if (const auto announced = varnix::parseAnnouncedSize(reply)) FUZZ_CHECK(*announced >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckParsers(input);

    varnix::ReplyAssembler assembler;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        std::string line(input.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        const auto complete = assembler.addLine(std::move(line));
        if (!complete.isOk() || !*complete) continue;
        const varnix::Reply reply = assembler.take();
        FUZZ_CHECK(reply.code >= 100 && reply.code <= 599);
        FUZZ_CHECK(!reply.lines.empty());
        const std::string text = reply.text();
        FUZZ_CHECK(text.size() <= VARNIX_MAX_REPLY);
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            FUZZ_CHECK(c == '\n' || c == '\t' || (byte >= 0x20 && byte != 0x7f));
        }
        CheckParsers(text);
    }
    return 0;
}
