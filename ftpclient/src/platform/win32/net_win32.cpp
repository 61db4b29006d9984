// SPDX-License-Identifier: MIT
#include "platform/net.h"

#include <windows.h>

#include <cstring>
#include <mutex>

#include "platform/win32/utf16.h"

namespace varnix::platform {
namespace {

// Winsock is started once per process, on the first socket, and stays up until exit.
void startWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    });
}

NativeSocket prepared(NativeSocket socket) {
    if (socket == INVALID_SOCKET) return socket;
    u_long nonBlocking = 1;
    ::ioctlsocket(socket, FIONBIO, &nonBlocking);
    ::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    return socket;
}

}  // namespace

NativeSocket openStreamSocket(int family) {
    startWinsock();
    return prepared(::socket(family, SOCK_STREAM, IPPROTO_TCP));
}

NativeSocket acceptConnection(NativeSocket listener) {
    return prepared(::accept(listener, nullptr, nullptr));
}

void closeSocket(NativeSocket socket) {
    ::closesocket(socket);
}

int lastError() {
    return ::WSAGetLastError();
}
bool interrupted(int error) {
    return error == WSAEINTR;
}
bool wouldBlock(int error) {
    return error == WSAEWOULDBLOCK;
}
bool connectPending(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS;
}
bool acceptRetry(int error) {
    return error == WSAECONNRESET || error == WSAEINTR;
}

std::string errorText(int error) {
    // Below Winsock's range the number is a C library errno (local files).
    if (error < WSABASEERR) return std::strerror(error);
    wchar_t* text = nullptr;
    DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out = n > 0 ? narrow(std::wstring(text, n)) : std::string();
    if (text) ::LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
        out.pop_back();
    return out.empty() ? "error " + std::to_string(error) : out;
}

long sendBytes(NativeSocket socket, const char* data, std::size_t size, bool urgent) {
    int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    return ::send(socket, data, chunk, urgent ? MSG_OOB : 0);
}

long receiveBytes(NativeSocket socket, char* buffer, std::size_t size) {
    int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    return ::recv(socket, buffer, chunk, 0);
}

int pollSockets(PollEntry* entries, int count, int timeoutMs) {
    // WSAPoll refuses POLLPRI; a refused connect shows as POLLERR or POLLHUP, which the
    // caller reads as ready and then finds in SO_ERROR.
    return ::WSAPoll(entries, static_cast<ULONG>(count), timeoutMs);
}

void setNoDelay(NativeSocket socket) {
    BOOL one = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

void setResetOnClose(NativeSocket socket) {
    linger reset{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset),
                 sizeof reset);
}

// Windows sizes its send buffers itself (ideal send backlog); there is no unsent-bytes mark.
void limitUnsentBytes(NativeSocket, std::size_t) {}

int shutdownWrite(NativeSocket socket) {
    return ::shutdown(socket, SD_SEND);
}

}  // namespace varnix::platform
