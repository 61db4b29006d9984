// SPDX-License-Identifier: MIT
// The keep-alive timer of a session on Windows against a real server: on the engine's own
// thread timers when the host gives no window, and on a host's window (WM_TIMER) when it
// does. Each tick sends a NOOP, which the server's log shows; stopping the keep-alive stops
// them. A minute is long for a test: after the session started its timer, the test restarts
// the same timer with a short period.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "platform/engine_timers.h"
#include "platform/win32/window_timers.h"
#include "quarv32_session.h"
#include "servers.h"

namespace {

constexpr unsigned int kShortPeriodMs = 100;

std::size_t Noops(const testfx::FtpServer& server) {
    const std::string log = server.log();
    std::size_t count = 0;
    for (std::size_t at = 0; (at = log.find("NOOP", at)) != std::string::npos; ++at)
        ++count;
    return count;
}

// Runs the thread's message loop for a while, as a host's thread does.
void PumpMessages(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    }
}

class KeepAliveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(session_.Login(server_.host(), server_.user(), server_.password(), ""), 0);
    }
    // Ticks counted by the server while the thread pumps messages for a second.
    std::size_t NoopsInASecond() {
        const std::size_t before = Noops(server_);
        PumpMessages(std::chrono::milliseconds(1000));
        return Noops(server_) - before;
    }

    testfx::FtpServer server_{testfx::ServerKind::Pyftpdlib};
    CSession session_;
};

TEST_F(KeepAliveTest, EngineTimersSendNoopsWhenTheHostGivesNoWindow) {
    session_.SetKeepALive(nullptr, 1);
    EXPECT_EQ(session_.GetIdleThreshold(), 55);
    quarv::platform::EngineTimers(session_)->StartTimer(0, kShortPeriodMs);
    EXPECT_GE(NoopsInASecond(), 3u) << server_.log();

    session_.SetKeepALive(nullptr, 0);
    EXPECT_EQ(session_.GetIdleThreshold(), 120);
    EXPECT_EQ(NoopsInASecond(), 0u) << server_.log();
}

// The host's window procedure answers the timer's messages as a host would.
CSession* g_ticked = nullptr;
WPARAM g_timerId = 0;

LRESULT CALLBACK HostWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && g_ticked != nullptr) {
        g_timerId = wParam;
        g_ticked->KeepAlive();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(KeepAliveTest, HostWindowReceivesTheTimerWithTheSessionsId) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HostWindow;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VarnixKeepAliveHost";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    g_ticked = &session_;
    CWindowTimers host(window);
    const int handle = session_.GetHandle();
    session_.SetKeepALive(&host, 2);
    EXPECT_EQ(session_.GetIdleThreshold(), 115);
    host.StartTimer(static_cast<unsigned int>(handle), kShortPeriodMs);
    EXPECT_GE(NoopsInASecond(), 3u) << server_.log();
    EXPECT_EQ(g_timerId, static_cast<WPARAM>(handle));  // the timer id is the FTP handle

    session_.SetKeepALive(&host, 0);  // kills the window's timer
    g_timerId = 0;
    EXPECT_EQ(NoopsInASecond(), 0u) << server_.log();
    EXPECT_EQ(g_timerId, 0u);
    g_ticked = nullptr;
    ::DestroyWindow(window);
}

}  // namespace
