// SPDX-License-Identifier: MIT
// Texts that come back from the library, and the small text helpers the commands share.
#pragma once

#include <cstddef>
#include <string>

namespace brisel {

struct CLibraryText {
    int count;         // what ftp_lasterror returned: the text's length, below 1 when none
    std::string text;  // the buffer's text (empty when there was none)
};

// ftp_lasterror into a 100-byte buffer that starts as an empty string.
CLibraryText LastLibraryText();

// Appends `size` bytes received from the library as text: a text control shows nothing after a
// zero byte, so the chunk ends at its first zero byte.
void AppendAsText(std::string& text, const char* data, std::size_t size);

// A C string buffer's text, never reading past its size.
std::string BufferText(const char* buffer, std::size_t size);

}  // namespace brisel
