// SPDX-License-Identifier: MIT
// Names are UTF-8 inside the library and UTF-16 at every Windows call.
#pragma once

#include <string>
#include <string_view>

namespace varnix::platform {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace varnix::platform
