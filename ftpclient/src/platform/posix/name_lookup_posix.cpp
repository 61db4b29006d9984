// SPDX-License-Identifier: MIT
#include <netdb.h>

#include <ctime>

#include "platform/name_lookup.h"

namespace varnix::platform {

Result<std::vector<SocketAddress>> lookupHost(const std::string& host, int port, const Wait& wait) {
    // The lookup runs asynchronously so that the deadline bounds it; a lookup that is still
    // running when the deadline passes is left to finish on its own.
    struct Lookup {
        std::string host;
        addrinfo hints{};
        gaicb request{};
    };
    auto* lookup = new Lookup;
    lookup->host = host;
    lookup->hints.ai_family = AF_UNSPEC;
    lookup->hints.ai_socktype = SOCK_STREAM;
    lookup->hints.ai_flags = AI_ADDRCONFIG;
    lookup->request.ar_name = lookup->host.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* list[1] = {&lookup->request};
    if (::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
        delete lookup;
        return Status::connectFailed("Cannot look up " + host);
    }
    for (;;) {
        int rc = ::gai_error(&lookup->request);
        if (rc != EAI_INPROGRESS) break;
        if (wait.abort && wait.abort->raised()) {
            if (::gai_cancel(&lookup->request) == EAI_CANCELED) delete lookup;
            return Status::aborted("Aborted");
        }
        int left = millisecondsLeft(wait.deadline);
        if (left == 0) {
            if (::gai_cancel(&lookup->request) == EAI_CANCELED) delete lookup;
            return Status::timeout("Timed out looking up " + host);
        }
        timespec slice{0, 20 * 1000 * 1000};
        if (left < 20) slice.tv_nsec = static_cast<long>(left) * 1000 * 1000;
        ::gai_suspend(list, 1, &slice);
    }
    int rc = ::gai_error(&lookup->request);
    if (rc != 0) {
        std::string why = ::gai_strerror(rc);
        delete lookup;
        return Status::connectFailed("Cannot look up " + host + ": " + why);
    }
    std::vector<SocketAddress> out;
    for (addrinfo* ai = lookup->request.ar_result; ai; ai = ai->ai_next) {
        SocketAddress a(ai->ai_addr, ai->ai_addrlen);
        a.setPort(port);
        if (a.valid()) out.push_back(a);
    }
    ::freeaddrinfo(lookup->request.ar_result);
    delete lookup;
    if (out.empty()) return Status::connectFailed("No address for " + host);
    return out;
}

}  // namespace varnix::platform
