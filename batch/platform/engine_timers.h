// SPDX-License-Identifier: MIT
// The engine's own timers, for a session with a keep-alive interval whose host gives none.
// A tick sends the session's keep-alive (CSession::KeepAlive) on the thread that started the
// timer, so it never runs beside the session's own calls. posix/ and win32/ implement them;
// the build picks one.
#pragma once

#include "quarv32_session.h"

namespace quarv::platform {

// The timers that tick `session`'s keep-alive, or nullptr where the platform has none (the
// session then has no timer, and its idle check alone tests the connection).
CTimerHost* EngineTimers(CSession& session);
// Stops and forgets the session's engine timers, as it goes away.
void ForgetEngineTimers(CSession& session);

}  // namespace quarv::platform
