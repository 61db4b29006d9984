// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <netinet/tcp.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/net.h"

namespace varnix::platform {

NativeSocket openStreamSocket(int family) {
    return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

NativeSocket acceptConnection(NativeSocket listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

void closeSocket(NativeSocket socket) {
    ::close(socket);
}

int lastError() {
    return errno;
}
bool interrupted(int error) {
    return error == EINTR;
}
bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}
bool connectPending(int error) {
    return error == EINPROGRESS;
}
bool acceptRetry(int error) {
    return error == EINTR || error == ECONNABORTED;
}

std::string errorText(int error) {
    char buffer[256];
    // GNU strerror_r returns the text, which may or may not be in buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

long sendBytes(NativeSocket socket, const char* data, std::size_t size, bool urgent) {
    return ::send(socket, data, size, MSG_NOSIGNAL | (urgent ? MSG_OOB : 0));
}

long receiveBytes(NativeSocket socket, char* buffer, std::size_t size) {
    return ::recv(socket, buffer, size, 0);
}

int pollSockets(PollEntry* entries, int count, int timeoutMs) {
    return ::poll(entries, static_cast<nfds_t>(count), timeoutMs);
}

void setNoDelay(NativeSocket socket) {
    int one = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void setResetOnClose(NativeSocket socket) {
    linger reset{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
}

void limitUnsentBytes(NativeSocket socket, std::size_t bytes) {
    int limit = static_cast<int>(bytes);
    ::setsockopt(socket, IPPROTO_TCP, TCP_NOTSENT_LOWAT, &limit, sizeof limit);
}

int shutdownWrite(NativeSocket socket) {
    return ::shutdown(socket, SHUT_WR);
}

}  // namespace varnix::platform
