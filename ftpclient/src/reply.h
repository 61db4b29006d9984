// SPDX-License-Identifier: MIT
// FTP replies: a code and one or more lines, and the assembly of a whole reply from the
// lines that arrive (multi-line replies included), bounded by VARNIX_MAX_REPLY.
#pragma once

#include <string>
#include <vector>

#include "status.h"

namespace varnix {

struct Reply {
    int code = 0;
    std::vector<std::string> lines;

    // The reply's lines joined by "\n", without a final line end.
    std::string text() const;
    int kind() const { return code / 100; }
    bool preliminary() const { return kind() == 1; }
    bool positive() const { return kind() == 2; }
    bool intermediate() const { return kind() == 3; }
    bool negative() const { return kind() == 4 || kind() == 5; }
};

class ReplyAssembler {
  public:
    // Adds one line (without its line end). Ok(true) once the reply is complete; a
    // malformed first line or a reply beyond VARNIX_MAX_REPLY is an error.
    Result<bool> addLine(std::string line);
    // The completed reply; the assembler is ready for the next one.
    Reply take();

  private:
    Reply reply_;
    std::size_t bytes_ = 0;
    bool multiLine_ = false;
};

// Control characters that would cut or garble a C string become '?'.
std::string sanitizeLine(std::string line);

}  // namespace varnix
