// SPDX-License-Identifier: MIT
#include "job_support.h"

#include <chrono>
#include <thread>

namespace jobtest {

bool DropControlConnections(testfx::FtpServer& server) {
    using namespace std::chrono_literals;
    if (server.kind() == testfx::ServerKind::Pyftpdlib) {
        server.restart();
        return true;
    }
    for (int i = 0; i < 200; ++i) {
        if (server.log().find("421 Timeout.") != std::string::npos) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

}  // namespace jobtest
