// SPDX-License-Identifier: MIT
#include "api_support.h"

#include <atomic>

namespace varnix::api {
namespace {

constexpr int kInitialTimeoutSeconds = 60;
std::atomic<int> defaultTimeoutSeconds{kInitialTimeoutSeconds};

}  // namespace

HandleTable<FtpSession>& sessions() {
    static HandleTable<FtpSession> table;
    return table;
}

std::chrono::milliseconds defaultTimeout() {
    return std::chrono::seconds(defaultTimeoutSeconds.load());
}

int setDefaultTimeout(int seconds) {
    if (seconds < 1) seconds = 1;
    defaultTimeoutSeconds.store(seconds);
    return seconds;
}

Status requireText(const char* text, const char* what) {
    if (!text) return Status::invalid(std::string("No ") + what + " given (null pointer)");
    return Status::ok();
}

Status requireWireText(const char* text, const char* what) {
    VARNIX_RETURN_IF_ERROR(requireText(text, what));
    if (hasLineBreak(text))
        return Status::invalid(std::string("Refused: the ") + what +
                               " holds a CR or LF, which would inject a command");
    return Status::ok();
}

Status requireName(const char* text, const char* what) {
    VARNIX_RETURN_IF_ERROR(requireWireText(text, what));
    if (!*text) return Status::invalid(std::string("No ") + what + " given (empty)");
    return Status::ok();
}

void storeText(const Status& status, const FtpSession* session) {
    if (!status.text().empty() || !status.isOk() || !session) {
        setLastText(status.text());
        return;
    }
    setLastText(session->lastReply().text());
}

}  // namespace varnix::api
