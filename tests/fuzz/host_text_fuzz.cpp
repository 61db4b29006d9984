// SPDX-License-Identifier: MIT
// Host texts as scripts and callers write them. Promises: a parsed host has a port from 1
// to 65535 and a name that is not empty and holds no blank, control character, "/" or "@".
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "protocol_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the default port the caller passes.
    constexpr int kDefaults[] = {varnix::kSchemeDefaultPort, 21, 990, 2121, 65535, 1};
    const int defaultPort = kDefaults[data[0] % (sizeof kDefaults / sizeof kDefaults[0])];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto host = varnix::parseHostText(text, defaultPort);
    if (!host.isOk()) return 0;
    FUZZ_CHECK(host->port >= 1 && host->port <= 65535);
    FUZZ_CHECK(!host->name.empty());
    for (char c : host->name)
        FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && c != '/' && c != '@');
    FUZZ_CHECK(!host->text().empty());
    return 0;
}
