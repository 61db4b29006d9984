// SPDX-License-Identifier: MIT
// The names in a list file of Put List Files: one per line, with every blank and control
// character up to code 32 dropped wherever it stands; code 127 stays. Bytes 128 to 255 stay
// too, so names written in UTF-8 come through whole. Lines that come out empty are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brisel {

std::vector<std::string> ListFileNames(std::string_view content);

}  // namespace brisel
