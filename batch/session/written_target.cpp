// SPDX-License-Identifier: MIT
#include "written_target.h"

#include <filesystem>
#include <system_error>

varnix_transfer_info WrittenTarget::LastTransfer(int h) {
    varnix_transfer_info info{};
    if (varnix_lasttransfer(h, &info) != 0) info = varnix_transfer_info{};
    return info;
}

void WrittenTarget::Note(int h) {
    if (begun_) return;
    const varnix_transfer_info info = LastTransfer(h);
    if (info.opened == 0) return;
    begun_ = true;
    std::error_code error;
    const std::filesystem::path local = info.local;
    local_ = local.empty() ? std::string() : std::filesystem::absolute(local, error).string();
    if (error) local_ = info.local;
    remote_ = info.remote;
}

std::string LastComponent(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

long long LocalFileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}

long long RemoteFileSize(int h, const std::string& name) {
    return ftp_GetFileSize(h, name.c_str());
}
