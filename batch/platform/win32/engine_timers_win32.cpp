// SPDX-License-Identifier: MIT
// The engine's timers on Windows: thread timers (SetTimer without a window) whose timer
// procedure sends the session's keep-alive. Windows runs the procedure from the message loop
// of the thread that started the timer, the session's thread, between its calls; a thread
// that pumps no messages gets no ticks, and its idle check tests the connection instead.
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>

#include "platform/engine_timers.h"

namespace quarv::platform {
namespace {

class ThreadTimer;

struct Registry {
    std::mutex mutex;
    std::map<const CSession*, std::unique_ptr<ThreadTimer>> timers;
    std::map<UINT_PTR, CSession*> ticking;  // by the system's id of the timer
};

Registry& Timers() {
    static Registry registry;
    return registry;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR systemId, DWORD) {
    CSession* session = nullptr;
    {
        std::lock_guard lock(Timers().mutex);
        auto it = Timers().ticking.find(systemId);
        if (it != Timers().ticking.end()) session = it->second;
    }
    if (session != nullptr) session->KeepAlive();
}

// One session's timer. Windows chooses the id of a thread timer; the session's own id only
// names it towards the session.
class ThreadTimer : public CTimerHost {
  public:
    explicit ThreadTimer(CSession& session) : session_(session) {}

    void StartTimer(unsigned int, unsigned int milliseconds) override {
        // Restarting keeps the system's id: the period starts afresh.
        const UINT_PTR id = ::SetTimer(nullptr, systemId_, milliseconds, &Tick);
        if (id == 0) return;
        std::lock_guard lock(Timers().mutex);
        if (systemId_ != 0 && systemId_ != id) Timers().ticking.erase(systemId_);
        systemId_ = id;
        Timers().ticking[id] = &session_;
    }

    void StopTimer(unsigned int) override {
        if (systemId_ == 0) return;
        ::KillTimer(nullptr, systemId_);
        std::lock_guard lock(Timers().mutex);
        Timers().ticking.erase(systemId_);
        systemId_ = 0;
    }

  private:
    CSession& session_;
    UINT_PTR systemId_ = 0;
};

}  // namespace

CTimerHost* EngineTimers(CSession& session) {
    std::lock_guard lock(Timers().mutex);
    auto& timer = Timers().timers[&session];
    if (!timer) timer = std::make_unique<ThreadTimer>(session);
    return timer.get();
}

void ForgetEngineTimers(CSession& session) {
    std::unique_ptr<ThreadTimer> timer;
    {
        std::lock_guard lock(Timers().mutex);
        auto it = Timers().timers.find(&session);
        if (it == Timers().timers.end()) return;
        timer = std::move(it->second);
        Timers().timers.erase(it);
    }
    timer->StopTimer(0);  // outside the lock, which StopTimer takes itself
}

}  // namespace quarv::platform
