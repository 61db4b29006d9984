// The names in a list file of Put List Files: one per line, with every blank and control
// character (codes up to 32, and 127) dropped wherever it stands. Bytes 128 to 255 stay, so
// names written in UTF-8 come through whole. Lines that come out empty are skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brisel {

std::vector<std::string> ListFileNames(std::string_view content);

}  // namespace brisel
