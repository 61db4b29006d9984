// SPDX-License-Identifier: MIT
// No engine timers on POSIX: a thread has no message queue on which a tick could wait for
// the session's thread, and a thread of the engine's own would run the session's calls beside
// the caller's. Hosts give their timers (CTimerHost); without them the idle check tests the
// connection before the next command.
#include "platform/engine_timers.h"

namespace quarv::platform {

CTimerHost* EngineTimers(CSession&) {
    return nullptr;
}

void ForgetEngineTimers(CSession&) {}

}  // namespace quarv::platform
