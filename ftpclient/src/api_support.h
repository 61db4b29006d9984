// SPDX-License-Identifier: MIT
// What every C entry point shares: the handle table, argument checks, and the shell that
// runs one call on a session (no overlap on one handle, no exception across the C
// boundary, the call's text stored for ftp_lasterror).
#pragma once

#include <chrono>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "ftp_session.h"
#include "handle_table.h"
#include "last_error.h"
#include "protocol_text.h"

namespace varnix::api {

HandleTable<FtpSession>& sessions();
std::chrono::milliseconds defaultTimeout();
// Stores the default timeout (at least 1 s); returns the seconds stored.
int setDefaultTimeout(int seconds);

// A required text argument: not null.
Status requireText(const char* text, const char* what);
// A text that goes to the server: not null, no CR or LF.
Status requireWireText(const char* text, const char* what);
// As requireWireText, and not empty.
Status requireName(const char* text, const char* what);

// Stores the call's text: its own text, else the session's last reply.
void storeText(const Status& status, const FtpSession* session);

// Runs body, turning an exception into a failure.
template <class Body>
Status guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Status::local("Out of memory");
    } catch (const std::exception& e) {
        return Status::protocol(std::string("Internal error: ") + e.what());
    } catch (...) {
        return Status::protocol("Internal error");
    }
}

// Looks up h and runs body(session) as the one call under way on it. The call's text is
// taken while the call still holds the session: once it ends, another thread may use it.
template <class Body>
Status call(int h, Body&& body) noexcept {
    Status status = guarded([&]() -> Status {
        auto session = sessions().find(h);
        if (!session) return Status::badHandle("Invalid handle " + std::to_string(h));
        if (!session->beginCall())
            return Status::busy("Another call is under way on handle " + std::to_string(h));
        Status result = guarded([&] { return body(*session); });
        if (result.isOk() && result.text().empty())
            result = Status::ok(session->lastReply().text());
        session->endCall();
        return result;
    });
    storeText(status, nullptr);
    return status;
}

template <class Body>
int run(int h, Body&& body) noexcept {
    return call(h, std::forward<Body>(body)).code();
}

// A call that needs no handle.
template <class Body>
int runGlobal(Body&& body) noexcept {
    Status status = guarded(std::forward<Body>(body));
    storeText(status, nullptr);
    return status.code();
}

}  // namespace varnix::api
