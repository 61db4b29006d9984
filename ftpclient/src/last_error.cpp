// SPDX-License-Identifier: MIT
#include "last_error.h"

#include <cstring>

namespace varnix {
namespace {

thread_local std::string threadText;

}  // namespace

void setLastText(std::string text) {
    threadText = std::move(text);
}

const std::string& lastText() {
    return threadText;
}

int copyToBuffer(const std::string& text, char* buffer, int size) {
    if (!buffer || size < 1) return 0;
    std::size_t n = text.size() < static_cast<std::size_t>(size - 1)
                        ? text.size()
                        : static_cast<std::size_t>(size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace varnix
