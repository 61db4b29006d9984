// SPDX-License-Identifier: MIT
// The wake-up of an abort on Windows: WSAPoll waits on sockets only, so the signal is a UDP
// socket on the loopback address that sends itself a byte when raised.
#include "abort_signal.h"

namespace varnix {

AbortSignal::AbortSignal() {
    using namespace platform;
    closeSocket(openStreamSocket(AF_INET));  // starts Winsock once per process
    NativeSocket s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return;
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof self;
    u_long nonBlocking = 1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&self), &length) != 0 ||
        ::connect(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        ::closesocket(s);
        return;
    }
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    fd_ = s;
}

AbortSignal::~AbortSignal() {
    if (fd_ != INVALID_SOCKET) ::closesocket(fd_);
}

void AbortSignal::raise() {
    raised_.store(true, std::memory_order_release);
    if (fd_ != INVALID_SOCKET) {
        char one = 1;
        ::send(fd_, &one, 1, 0);
    }
}

void AbortSignal::clear() {
    raised_.store(false, std::memory_order_release);
    if (fd_ == INVALID_SOCKET) return;
    char byte;
    for (int i = 0; i < 64 && ::recv(fd_, &byte, 1, 0) == 1; ++i) {
    }
}

}  // namespace varnix
