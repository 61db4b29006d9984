// SPDX-License-Identifier: MIT
// C entry point: what the last transfer on a handle wrote. It leaves the thread's last text
// alone, so that a caller can still read why the transfer failed.
#include <cstring>

#include "api_support.h"
#include "transfer_record.h"
#include "varnix32.h"

using namespace varnix;

namespace {

bool copyName(const std::string& name, char* field, std::size_t size) {
    if (name.size() >= size) return false;
    std::memcpy(field, name.c_str(), name.size() + 1);
    return true;
}

}  // namespace

extern "C" int varnix_lasttransfer(int h, varnix_transfer_info* info) {
    if (info == nullptr) return VARNIX_EINVAL;
    std::memset(info, 0, sizeof *info);
    try {
        auto session = api::sessions().find(h);
        if (!session) return VARNIX_EHANDLE;
        if (!session->beginCall()) return VARNIX_EBUSY;
        const TransferRecord record = session->transferRecord();
        session->endCall();
        info->opened = record.opened ? 1 : 0;
        info->written = record.written;
        if (!copyName(record.local, info->local, sizeof info->local) ||
            !copyName(record.remote, info->remote, sizeof info->remote)) {
            std::memset(info, 0, sizeof *info);
            return VARNIX_EINVAL;
        }
        return 0;
    } catch (...) {
        std::memset(info, 0, sizeof *info);
        return VARNIX_EINVAL;
    }
}
