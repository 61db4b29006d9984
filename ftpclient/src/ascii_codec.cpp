// SPDX-License-Identifier: MIT
#include "ascii_codec.h"

#include <cstring>

namespace varnix {

std::size_t AsciiDecoder::decode(const char* in, std::size_t size, char* out) {
    char* o = out;
    std::size_t i = 0;
    if (heldCr_ && size > 0) {
        heldCr_ = false;
        if (in[0] == '\n') {
            *o++ = '\n';
            i = 1;
        } else {
            *o++ = '\r';
        }
    }
    while (i < size) {
        // Copy up to the next CR in one go.
        const void* cr = std::memchr(in + i, '\r', size - i);
        std::size_t run =
            cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - (in + i)) : size - i;
        std::memcpy(o, in + i, run);
        o += run;
        i += run;
        if (i == size) break;
        if (i + 1 == size) {
            heldCr_ = true;  // is it a CRLF? the next chunk tells
            ++i;
        } else if (in[i + 1] == '\n') {
            *o++ = '\n';
            i += 2;
        } else {
            *o++ = '\r';
            ++i;
        }
    }
    return static_cast<std::size_t>(o - out);
}

std::size_t AsciiDecoder::finish(char* out) {
    if (!heldCr_) return 0;
    heldCr_ = false;
    *out = '\r';
    return 1;
}

std::size_t encodeAscii(const char* in, std::size_t size, char* out) {
    char* o = out;
    std::size_t i = 0;
    while (i < size) {
        const void* lf = std::memchr(in + i, '\n', size - i);
        std::size_t run =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - (in + i)) : size - i;
        std::memcpy(o, in + i, run);
        o += run;
        i += run;
        if (i == size) break;
        *o++ = '\r';
        *o++ = '\n';
        ++i;
    }
    return static_cast<std::size_t>(o - out);
}

}  // namespace varnix
