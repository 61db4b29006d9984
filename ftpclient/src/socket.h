// SPDX-License-Identifier: MIT
// Non-blocking TCP sockets whose every wait goes through poll() with a deadline and an
// optional abort signal: nothing here blocks without a bound.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "abort_signal.h"
#include "deadline.h"
#include "platform/net.h"
#include "status.h"

namespace varnix {

using platform::NativeSocket;

// How long one wait may take, and what may end it early.
struct Wait {
    Deadline deadline;
    const AbortSignal* abort = nullptr;
};

class SocketAddress {
  public:
    SocketAddress() = default;
    SocketAddress(const sockaddr* address, platform::AddressLength length);

    static SocketAddress peerOf(NativeSocket fd);
    static SocketAddress localOf(NativeSocket fd);
    // A numeric IPv4 or IPv6 address text; invalid when it is neither.
    static SocketAddress fromNumeric(const std::string& ip, int port);

    bool valid() const { return length_ > 0; }
    int family() const { return storage_.ss_family; }
    bool isIpv6() const { return family() == AF_INET6; }
    int port() const;
    void setPort(int port);
    // "127.0.0.1" or "::1".
    std::string ip() const;
    // "127.0.0.1:21" or "[::1]:21".
    std::string text() const;
    bool sameHost(const SocketAddress& other) const;

    const sockaddr* raw() const { return reinterpret_cast<const sockaddr*>(&storage_); }
    platform::AddressLength length() const { return length_; }

  private:
    sockaddr_storage storage_{};
    platform::AddressLength length_ = 0;
};

// Waits until fd is ready for `events` (POLLIN/POLLOUT): ok, a timeout or an abort.
Status waitForFd(NativeSocket fd, short events, const Wait& wait);

class Socket {
  public:
    Socket() = default;
    explicit Socket(NativeSocket fd) : fd_(fd) {}
    Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = platform::kNoSocket; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { close(); }

    static Result<Socket> connect(const SocketAddress& address, const Wait& wait);

    NativeSocket fd() const { return fd_; }
    bool valid() const { return fd_ != platform::kNoSocket; }
    void close();
    // Closes with a reset instead of an orderly end, so the peer sees a failed transfer.
    void closeWithReset();
    Status shutdownWrite();
    // One byte of TCP urgent data (the Telnet "Synch" of an abort).
    Status sendUrgent(char byte);

    // Bytes read into buffer; 0 when the peer ended the stream.
    Result<std::size_t> readSome(char* buffer, std::size_t size, const Wait& wait);
    Status writeAll(const char* data, std::size_t size, const Wait& wait);
    // Keeps at most about `bytes` queued in the kernel that have not been sent yet (what is
    // in flight is not limited); writes wait until the queue has drained below it.
    void limitUnsentBytes(std::size_t bytes);

    SocketAddress peer() const { return SocketAddress::peerOf(fd_); }
    SocketAddress local() const { return SocketAddress::localOf(fd_); }

  private:
    NativeSocket fd_ = platform::kNoSocket;
};

// A listening socket for one incoming data connection (active mode).
class Listener {
  public:
    // Listens on the given local address with a port chosen by the system.
    static Result<Listener> open(const SocketAddress& local);
    SocketAddress address() const { return socket_.local(); }
    // Accepts a connection from `expectedPeer`'s host; connections from other hosts are
    // refused and the wait goes on.
    Result<Socket> accept(const SocketAddress& expectedPeer, const Wait& wait);

  private:
    Socket socket_;
};

// Resolves host (a name or a numeric address) to addresses with the port set; the name
// lookup is bounded by the wait's deadline.
Result<std::vector<SocketAddress>> resolveHost(const std::string& host, int port, const Wait& wait);

// Connects to the first of host's addresses that answers.
Result<Socket> connectToHost(const std::string& host, int port, const Wait& wait);

// "Connection refused" and the like, from errno (or a socket error on Windows).
std::string systemError(int error);

}  // namespace varnix
