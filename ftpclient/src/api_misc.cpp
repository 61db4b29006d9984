// SPDX-License-Identifier: MIT
// C entry points: texts, local files, web connections and library-wide switches.
#include <string_view>

#include "api_support.h"
#include "local_files.h"
#include "trace_log.h"
#include "web_connection.h"

using namespace varnix;

namespace {

HandleTable<WebConnection>& webConnections() {
    static HandleTable<WebConnection> table;
    return table;
}

// The www_ calls leave no text on success, so that a host that shows ftp_lasterror after
// receiving shows only real failures.
int webResult(const Status& status, int value) {
    setLastText(status.isOk() ? std::string() : status.text());
    return status.isOk() ? value : status.code();
}

// Runs body on the connection of w, one call at a time.
template <class Body>
Status onWeb(int w, Body&& body) {
    return api::guarded([&]() -> Status {
        auto connection = webConnections().find(w);
        if (!connection) return Status::badHandle("Invalid web connection " + std::to_string(w));
        std::unique_lock lock(connection->mutex, std::try_to_lock);
        if (!lock.owns_lock())
            return Status::busy("Another call is under way on web connection " + std::to_string(w));
        return body(*connection);
    });
}

}  // namespace

extern "C" {

int ftp_lasterror(char* buffer, int size) {
    return copyToBuffer(lastText(), buffer, size);
}

int ftp_copyreplystr(int h, char* buffer, int size) {
    copyToBuffer("", buffer, size);
    int length = 0;
    Status status = api::call(h, [&](FtpSession& s) {
        length = copyToBuffer(s.lastReply().text(), buffer, size);
        return Status::ok();
    });
    return status.isOk() ? length : status.code();
}

int f_copyfile(const char* from, const char* to) {
    return api::runGlobal([&]() -> Status {
               VARNIX_RETURN_IF_ERROR(api::requireName(from, "source file"));
               VARNIX_RETURN_IF_ERROR(api::requireName(to, "target file"));
               return copyLocalFile(from, to);
           }) == 0
               ? 1
               : 0;
}

int f_deletefile(const char* file) {
    return api::runGlobal([&]() -> Status {
               VARNIX_RETURN_IF_ERROR(api::requireName(file, "file"));
               return deleteLocalFile(file);
           }) == 0
               ? 1
               : 0;
}

int www_Open(const char* site) {
    int handle = 0;
    Status status = api::guarded([&]() -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(site, "site"));
        std::string_view text(site);
        for (std::string_view scheme : {"http://", "HTTP://"})
            if (text.starts_with(scheme)) text.remove_prefix(scheme.size());
        text = text.substr(0, text.find('/'));
        auto parsed = parseHostText(text, 80);
        if (!parsed.isOk()) return parsed.status();
        auto socket =
            connectToHost(parsed->name, parsed->port, Wait{deadlineAfter(api::defaultTimeout())});
        if (!socket.isOk()) return socket.status();
        auto connection = std::make_shared<WebConnection>();
        connection->socket = std::move(*socket);
        handle = webConnections().add(connection);
        if (handle <= 0) return Status::badHandle("No more handles");
        return Status::ok();
    });
    return webResult(status, handle);
}

int www_SendData(int w, const char* data, int length) {
    Status status = onWeb(w, [&](WebConnection& c) -> Status {
        if (length < 0 || (!data && length > 0)) return Status::invalid("Bad data or length");
        return c.socket.writeAll(data, static_cast<std::size_t>(length),
                                 Wait{deadlineAfter(api::defaultTimeout())});
    });
    return webResult(status, length);
}

int www_ReceiveData(int w, char* buffer, int size, int timeout) {
    std::size_t received = 0;
    Status status = onWeb(w, [&](WebConnection& c) -> Status {
        if (!buffer || size < 1) return Status::invalid("No buffer given to receive into");
        auto span = timeout > 0 ? std::chrono::milliseconds(std::chrono::seconds(timeout))
                                : api::defaultTimeout();
        auto n =
            c.socket.readSome(buffer, static_cast<std::size_t>(size), Wait{deadlineAfter(span)});
        if (!n.isOk()) {
            if (n.status().code() == VARNIX_ETIMEOUT)
                return Status::timeout("Nothing received within " +
                                       std::to_string(span.count() / 1000) + " s");
            return n.status();
        }
        received = *n;
        return Status::ok();
    });
    return webResult(status, static_cast<int>(received));
}

int www_Close(int w) {
    auto connection = webConnections().remove(w);
    Status status = connection ? Status::ok()
                               : Status::badHandle("Invalid web connection " + std::to_string(w));
    return webResult(status, 0);
}

int varnix_enablelog(const char* file, int /*flags*/) {
    return api::runGlobal([&]() -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(file, "log file"));
        return TraceLog::instance().enable(file);
    });
}

int varnix_disablelog(void) {
    TraceLog::instance().disable();
    setLastText("Trace off");
    return 0;
}

int varnix_version(void) {
    return VARNIX_VERSION_NUMBER;
}

}  // extern "C"
