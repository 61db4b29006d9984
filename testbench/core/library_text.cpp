// SPDX-License-Identifier: MIT
#include "library_text.h"

#include <cstring>

#include "varnix32.h"

namespace brisel {

CLibraryText LastLibraryText() {
    char buffer[100] = "";
    int count = ftp_lasterror(buffer, sizeof buffer);
    return {count, BufferText(buffer, sizeof buffer)};
}

void AppendAsText(std::string& text, const char* data, std::size_t size) {
    const void* zero = std::memchr(data, '\0', size);
    text.append(data, zero ? static_cast<const char*>(zero) - data : size);
}

std::string BufferText(const char* buffer, std::size_t size) {
    return std::string(buffer, ::strnlen(buffer, size));
}

}  // namespace brisel
