// SPDX-License-Identifier: MIT
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/name_lookup.h"
#include "platform/win32/utf16.h"

namespace varnix::platform {
namespace {

// One lookup, shared by the waiting call and the thread that runs it: whichever ends last
// frees it.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int error = 0;
    std::vector<SocketAddress> addresses;
};

void run(const std::shared_ptr<Lookup>& lookup, const std::wstring& host, int port) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    ADDRINFOW* found = nullptr;
    int rc = ::GetAddrInfoW(host.c_str(), nullptr, &hints, &found);
    std::vector<SocketAddress> out;
    for (ADDRINFOW* ai = rc == 0 ? found : nullptr; ai; ai = ai->ai_next) {
        SocketAddress a(ai->ai_addr, static_cast<AddressLength>(ai->ai_addrlen));
        a.setPort(port);
        if (a.valid()) out.push_back(a);
    }
    if (found) ::FreeAddrInfoW(found);
    std::lock_guard<std::mutex> lock(lookup->mutex);
    lookup->error = rc;
    lookup->addresses = std::move(out);
    lookup->finished = true;
    lookup->done.notify_all();
}

}  // namespace

Result<std::vector<SocketAddress>> lookupHost(const std::string& host, int port, const Wait& wait) {
    // Winsock must be up before GetAddrInfoW; a socket call starts it once per process.
    closeSocket(openStreamSocket(AF_INET));
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread(run, lookup, widen(host), port).detach();
    } catch (const std::system_error&) {
        return Status::connectFailed("Cannot look up " + host);
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    for (;;) {
        if (lookup->finished) break;
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        int left = millisecondsLeft(wait.deadline);
        if (left == 0) return Status::timeout("Timed out looking up " + host);
        lookup->done.wait_for(lock, std::chrono::milliseconds(left < 20 ? left : 20));
    }
    if (lookup->error != 0)
        return Status::connectFailed("Cannot look up " + host + ": " + errorText(lookup->error));
    if (lookup->addresses.empty()) return Status::connectFailed("No address for " + host);
    return lookup->addresses;
}

}  // namespace varnix::platform
