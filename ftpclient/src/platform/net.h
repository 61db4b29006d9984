// SPDX-License-Identifier: MIT
// The operating system's sockets as socket.cpp uses them: one small set of calls with a
// POSIX implementation (posix/) and a Winsock 2 one (win32/), chosen at build time. Every
// socket made here is non-blocking and not inherited by child processes.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include <cstddef>
#include <string>

namespace varnix::platform {

#ifdef _WIN32
using NativeSocket = SOCKET;
using AddressLength = int;
using PollEntry = WSAPOLLFD;
inline constexpr NativeSocket kNoSocket = INVALID_SOCKET;
#else
using NativeSocket = int;
using AddressLength = socklen_t;
using PollEntry = pollfd;
inline constexpr NativeSocket kNoSocket = -1;
#endif

// A TCP socket of the family (AF_INET, AF_INET6); kNoSocket on failure (see lastError).
NativeSocket openStreamSocket(int family);
// A waiting connection of a listening socket; kNoSocket when none (see lastError).
NativeSocket acceptConnection(NativeSocket listener);
void closeSocket(NativeSocket socket);

// The error of the last failed call on this thread, and what it means.
int lastError();
bool interrupted(int error);
bool wouldBlock(int error);
// A non-blocking connect that is still under way.
bool connectPending(int error);
// A connection that went away before it was accepted: wait for the next one.
bool acceptRetry(int error);
// "Connection refused" and the like; socket errors and C library errors both.
std::string errorText(int error);

// send() that never raises a signal; urgent sends one byte of TCP urgent data. The count
// sent, or -1 (see lastError).
long sendBytes(NativeSocket socket, const char* data, std::size_t size, bool urgent = false);
long receiveBytes(NativeSocket socket, char* buffer, std::size_t size);
// poll() over the entries: the number ready, 0 on timeout, -1 on failure.
int pollSockets(PollEntry* entries, int count, int timeoutMs);

void setNoDelay(NativeSocket socket);
// Closing sends a reset instead of an orderly end.
void setResetOnClose(NativeSocket socket);
// Keeps at most about `bytes` unsent in the kernel where the system can (see Socket).
void limitUnsentBytes(NativeSocket socket, std::size_t bytes);
int shutdownWrite(NativeSocket socket);

}  // namespace varnix::platform
