// SPDX-License-Identifier: MIT
#include "socket.h"

#include <cstring>

#include "platform/name_lookup.h"

namespace varnix {

using namespace platform;

std::string systemError(int error) {
    return errorText(error);
}

SocketAddress::SocketAddress(const sockaddr* address, AddressLength length) {
    if (length > 0 && length <= static_cast<AddressLength>(sizeof storage_)) {
        std::memcpy(&storage_, address, length);
        length_ = length;
    }
}

SocketAddress SocketAddress::peerOf(NativeSocket fd) {
    SocketAddress a;
    AddressLength len = sizeof a.storage_;
    if (fd != kNoSocket && ::getpeername(fd, reinterpret_cast<sockaddr*>(&a.storage_), &len) == 0)
        a.length_ = len;
    return a;
}

SocketAddress SocketAddress::localOf(NativeSocket fd) {
    SocketAddress a;
    AddressLength len = sizeof a.storage_;
    if (fd != kNoSocket && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a.storage_), &len) == 0)
        a.length_ = len;
    return a;
}

SocketAddress SocketAddress::fromNumeric(const std::string& ip, int port) {
    SocketAddress a;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&a.storage_);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&a.storage_);
    if (::inet_pton(AF_INET, ip.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        a.length_ = sizeof(sockaddr_in);
    } else if (::inet_pton(AF_INET6, ip.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        a.length_ = sizeof(sockaddr_in6);
    } else {
        return {};
    }
    a.setPort(port);
    return a;
}

int SocketAddress::port() const {
    if (family() == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&storage_)->sin_port);
    if (family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage_)->sin6_port);
    return 0;
}

void SocketAddress::setPort(int port) {
    auto p = htons(static_cast<uint16_t>(port));
    if (family() == AF_INET) reinterpret_cast<sockaddr_in*>(&storage_)->sin_port = p;
    if (family() == AF_INET6) reinterpret_cast<sockaddr_in6*>(&storage_)->sin6_port = p;
}

std::string SocketAddress::ip() const {
    char text[INET6_ADDRSTRLEN] = "";
    if (family() == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&storage_)->sin_addr, text,
                    sizeof text);
    else if (family() == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&storage_)->sin6_addr, text,
                    sizeof text);
    return text;
}

std::string SocketAddress::text() const {
    std::string port = std::to_string(this->port());
    return isIpv6() ? "[" + ip() + "]:" + port : ip() + ":" + port;
}

bool SocketAddress::sameHost(const SocketAddress& other) const {
    return valid() && other.valid() && ip() == other.ip();
}

Status waitForFd(NativeSocket fd, short events, const Wait& wait) {
    NativeSocket abortFd = wait.abort ? wait.abort->fd() : kNoSocket;
    for (;;) {
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        PollEntry fds[2] = {{fd, events, 0}, {abortFd, POLLIN, 0}};
        int left = millisecondsLeft(wait.deadline);
        int rc = pollSockets(fds, abortFd != kNoSocket ? 2 : 1, left);
        if (rc < 0) {
            int error = lastError();
            if (interrupted(error)) continue;
            return Status::network("poll failed: " + systemError(error));
        }
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        if (rc > 0 && fds[0].revents != 0) return Status::ok();
        if (rc == 0 || left == 0) return Status::timeout("Timed out");
    }
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = kNoSocket;
    }
    return *this;
}

void Socket::close() {
    if (fd_ != kNoSocket) closeSocket(fd_);
    fd_ = kNoSocket;
}

void Socket::closeWithReset() {
    if (fd_ != kNoSocket) setResetOnClose(fd_);
    close();
}

void Socket::limitUnsentBytes(std::size_t bytes) {
    platform::limitUnsentBytes(fd_, bytes);
}

Status Socket::sendUrgent(char byte) {
    if (sendBytes(fd_, &byte, 1, true) != 1)
        return Status::network("Sending urgent data failed: " + systemError(lastError()));
    return Status::ok();
}

Status Socket::shutdownWrite() {
    if (platform::shutdownWrite(fd_) != 0)
        return Status::network("Closing the connection failed: " + systemError(lastError()));
    return Status::ok();
}

Result<Socket> Socket::connect(const SocketAddress& address, const Wait& wait) {
    Socket s(openStreamSocket(address.family()));
    if (!s.valid()) return Status::connectFailed("socket: " + systemError(lastError()));
    if (::connect(s.fd_, address.raw(), address.length()) != 0) {
        int failure = lastError();
        if (!connectPending(failure))
            return Status::connectFailed("Cannot connect to " + address.text() + ": " +
                                         systemError(failure));
        Status ready = waitForFd(s.fd_, POLLOUT, wait);
        if (!ready.isOk()) {
            if (ready.code() == VARNIX_ETIMEOUT)
                return Status::timeout("Timed out connecting to " + address.text());
            return ready;
        }
        int error = 0;
        AddressLength len = sizeof error;
        ::getsockopt(s.fd_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len);
        if (error != 0)
            return Status::connectFailed("Cannot connect to " + address.text() + ": " +
                                         systemError(error));
    }
    setNoDelay(s.fd_);
    return s;
}

Result<std::size_t> Socket::readSome(char* buffer, std::size_t size, const Wait& wait) {
    for (;;) {
        // Checked before each read: on a fast link data is always there and poll() never runs.
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        long n = receiveBytes(fd_, buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        int error = lastError();
        if (interrupted(error)) continue;
        if (!wouldBlock(error)) return Status::network("Connection broken: " + systemError(error));
        VARNIX_RETURN_IF_ERROR(waitForFd(fd_, POLLIN, wait));
    }
}

Status Socket::writeAll(const char* data, std::size_t size, const Wait& wait) {
    while (size > 0) {
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        long n = sendBytes(fd_, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        int error = n < 0 ? lastError() : 0;
        if (n < 0 && interrupted(error)) continue;
        if (n < 0 && !wouldBlock(error))
            return Status::network("Connection broken: " + systemError(error));
        VARNIX_RETURN_IF_ERROR(waitForFd(fd_, POLLOUT, wait));
    }
    return Status::ok();
}

Result<Listener> Listener::open(const SocketAddress& local) {
    SocketAddress bindTo = local;
    bindTo.setPort(0);
    Listener l;
    l.socket_ = Socket(openStreamSocket(bindTo.family()));
    if (!l.socket_.valid()) return Status::network("socket: " + systemError(lastError()));
    if (::bind(l.socket_.fd(), bindTo.raw(), bindTo.length()) != 0 ||
        ::listen(l.socket_.fd(), 1) != 0)
        return Status::network("Cannot listen on " + bindTo.ip() + ": " + systemError(lastError()));
    return l;
}

Result<Socket> Listener::accept(const SocketAddress& expectedPeer, const Wait& wait) {
    for (;;) {
        NativeSocket fd = acceptConnection(socket_.fd());
        if (fd != kNoSocket) {
            Socket s(fd);
            if (s.peer().sameHost(expectedPeer)) {
                setNoDelay(fd);
                return s;
            }
            continue;  // a stranger: drop it and wait for the server
        }
        int error = lastError();
        if (acceptRetry(error)) continue;
        if (!wouldBlock(error)) return Status::network("accept failed: " + systemError(error));
        Status ready = waitForFd(socket_.fd(), POLLIN, wait);
        if (!ready.isOk()) {
            if (ready.code() == VARNIX_ETIMEOUT)
                return Status::timeout("Timed out waiting for the server's data connection");
            return ready;
        }
    }
}

Result<std::vector<SocketAddress>> resolveHost(const std::string& host, int port,
                                               const Wait& wait) {
    std::vector<SocketAddress> out;
    SocketAddress numeric = SocketAddress::fromNumeric(host, port);
    if (numeric.valid()) {
        out.push_back(numeric);
        return out;
    }
    return lookupHost(host, port, wait);
}

Result<Socket> connectToHost(const std::string& host, int port, const Wait& wait) {
    auto addresses = resolveHost(host, port, wait);
    if (!addresses.isOk()) return addresses.status();
    Status last = Status::connectFailed("Cannot connect to " + host);
    for (const auto& address : *addresses) {
        auto s = Socket::connect(address, wait);
        if (s.isOk()) return s;
        last = s.status();
        if (last.code() == VARNIX_EABORTED || last.code() == VARNIX_ETIMEOUT) break;
    }
    return last;
}

}  // namespace varnix
