// SPDX-License-Identifier: MIT
// ASCII type: CRLF on the wire, LF in local files. Only CRLF pairs become LF, so a lone CR
// survives; every LF becomes CRLF on the way out, so a put followed by a get gives back the
// same bytes.
#pragma once

#include <cstddef>

namespace varnix {

// Wire to local, chunk by chunk: a CR at the end of one chunk waits for the next.
class AsciiDecoder {
  public:
    // Writes the converted bytes of in[0..size) to out, which has room for size + 1 bytes;
    // returns how many were written.
    std::size_t decode(const char* in, std::size_t size, char* out);
    // At the end of the data: writes a CR still held back (room for 1 byte).
    std::size_t finish(char* out);

  private:
    bool heldCr_ = false;
};

// Local to wire: writes in[0..size) with every LF as CRLF to out (room for 2 * size bytes).
std::size_t encodeAscii(const char* in, std::size_t size, char* out);

}  // namespace varnix
