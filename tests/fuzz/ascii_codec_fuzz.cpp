// SPDX-License-Identifier: MIT
// The ASCII codec on data cut into chunks anywhere. Promises: decoding turns exactly the
// CR LF pairs into LF however the chunks fall, never writes more than its room, and a put
// followed by a get gives back the bytes it started from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ascii_codec.h"
#include "fuzz_check.h"

namespace {

std::string Decoded(const std::string& wire, std::size_t chunk) {
    varnix::AsciiDecoder decoder;
    std::string local;
    std::vector<char> out(chunk + 1);
    for (std::size_t at = 0; at < wire.size(); at += chunk) {
        const std::size_t n = std::min(chunk, wire.size() - at);
        const std::size_t written = decoder.decode(wire.data() + at, n, out.data());
        FUZZ_CHECK(written <= n + 1);
        local.append(out.data(), written);
    }
    char last[1];
    const std::size_t held = decoder.finish(last);
    FUZZ_CHECK(held <= 1);
    local.append(last, held);
    return local;
}

std::string WithoutCrLf(const std::string& wire) {
    std::string local;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (wire[i] == '\r' && i + 1 < wire.size() && wire[i + 1] == '\n') continue;
        local += wire[i];
    }
    return local;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunk = data[0] % 16 + 1;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string local = Decoded(bytes, chunk);
    FUZZ_CHECK(local == WithoutCrLf(bytes));

    std::vector<char> wire(2 * bytes.size() + 1);
    const std::size_t encoded = varnix::encodeAscii(bytes.data(), bytes.size(), wire.data());
    FUZZ_CHECK(encoded <= 2 * bytes.size());
    FUZZ_CHECK(Decoded(std::string(wire.data(), encoded), chunk) == bytes);
    return 0;
}
