// SPDX-License-Identifier: MIT
// The text ftp_lasterror returns: per thread, set by every call of the C API.
#pragma once

#include <string>

namespace varnix {

void setLastText(std::string text);
const std::string& lastText();

// Copies text into a caller's buffer of `size` bytes, cut to fit and NUL-terminated; a null
// buffer or a size below 1 writes nothing. Returns the number of bytes copied.
int copyToBuffer(const std::string& text, char* buffer, int size);

}  // namespace varnix
