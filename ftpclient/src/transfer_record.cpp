// SPDX-License-Identifier: MIT
#include "transfer_record.h"

namespace varnix {

std::string uniqueNameOf(std::string_view reply) {
    const std::size_t at = reply.find("FILE:");
    if (at == std::string_view::npos) return std::string();
    std::string_view name = reply.substr(at + 5);
    name = name.substr(0, name.find_first_of("\r\n"));
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    return std::string(name);
}

}  // namespace varnix
