#include "socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace varnix {
namespace {

void setNoDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

std::string systemError(int error) {
    char buffer[256];
    // GNU strerror_r returns the text, which may or may not be in buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

SocketAddress::SocketAddress(const sockaddr* address, socklen_t length) {
    if (length > 0 && length <= static_cast<socklen_t>(sizeof storage_)) {
        std::memcpy(&storage_, address, length);
        length_ = length;
    }
}

SocketAddress SocketAddress::peerOf(int fd) {
    SocketAddress a;
    socklen_t len = sizeof a.storage_;
    if (fd >= 0 && ::getpeername(fd, reinterpret_cast<sockaddr*>(&a.storage_), &len) == 0)
        a.length_ = len;
    return a;
}

SocketAddress SocketAddress::localOf(int fd) {
    SocketAddress a;
    socklen_t len = sizeof a.storage_;
    if (fd >= 0 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a.storage_), &len) == 0)
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

Status waitForFd(int fd, short events, const Wait& wait) {
    int abortFd = wait.abort ? wait.abort->fd() : -1;
    for (;;) {
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        pollfd fds[2] = {{fd, events, 0}, {abortFd, POLLIN, 0}};
        int left = millisecondsLeft(wait.deadline);
        int rc = ::poll(fds, abortFd >= 0 ? 2 : 1, left);
        if (rc < 0) {
            if (errno == EINTR) continue;
            return Status::network("poll failed: " + systemError(errno));
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
        other.fd_ = -1;
    }
    return *this;
}

void Socket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void Socket::closeWithReset() {
    if (fd_ >= 0) {
        linger reset{1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    close();
}

void Socket::limitUnsentBytes(std::size_t bytes) {
    int limit = static_cast<int>(bytes);
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NOTSENT_LOWAT, &limit, sizeof limit);
}

Status Socket::sendUrgent(char byte) {
    if (::send(fd_, &byte, 1, MSG_OOB | MSG_NOSIGNAL) != 1)
        return Status::network("Sending urgent data failed: " + systemError(errno));
    return Status::ok();
}

Status Socket::shutdownWrite() {
    if (::shutdown(fd_, SHUT_WR) != 0)
        return Status::network("Closing the connection failed: " + systemError(errno));
    return Status::ok();
}

Result<Socket> Socket::connect(const SocketAddress& address, const Wait& wait) {
    Socket s(::socket(address.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s.valid()) return Status::connectFailed("socket: " + systemError(errno));
    if (::connect(s.fd_, address.raw(), address.length()) != 0) {
        if (errno != EINPROGRESS)
            return Status::connectFailed("Cannot connect to " + address.text() + ": " +
                                         systemError(errno));
        Status ready = waitForFd(s.fd_, POLLOUT, wait);
        if (!ready.isOk()) {
            if (ready.code() == VARNIX_ETIMEOUT)
                return Status::timeout("Timed out connecting to " + address.text());
            return ready;
        }
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(s.fd_, SOL_SOCKET, SO_ERROR, &error, &len);
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
        ssize_t n = ::recv(fd_, buffer, size, 0);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return Status::network("Connection broken: " + systemError(errno));
        VARNIX_RETURN_IF_ERROR(waitForFd(fd_, POLLIN, wait));
    }
}

Status Socket::writeAll(const char* data, std::size_t size, const Wait& wait) {
    while (size > 0) {
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return Status::network("Connection broken: " + systemError(errno));
        VARNIX_RETURN_IF_ERROR(waitForFd(fd_, POLLOUT, wait));
    }
    return Status::ok();
}

Result<Listener> Listener::open(const SocketAddress& local) {
    SocketAddress bindTo = local;
    bindTo.setPort(0);
    Listener l;
    l.socket_ = Socket(::socket(bindTo.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!l.socket_.valid()) return Status::network("socket: " + systemError(errno));
    if (::bind(l.socket_.fd(), bindTo.raw(), bindTo.length()) != 0 ||
        ::listen(l.socket_.fd(), 1) != 0)
        return Status::network("Cannot listen on " + bindTo.ip() + ": " + systemError(errno));
    return l;
}

Result<Socket> Listener::accept(const SocketAddress& expectedPeer, const Wait& wait) {
    for (;;) {
        int fd = ::accept4(socket_.fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            Socket s(fd);
            if (s.peer().sameHost(expectedPeer)) {
                setNoDelay(fd);
                return s;
            }
            continue;  // a stranger: drop it and wait for the server
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return Status::network("accept failed: " + systemError(errno));
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
    // The lookup runs asynchronously so that the deadline bounds it; a lookup that is still
    // running when the deadline passes is left to finish on its own.
    struct Lookup {
        std::string host;
        addrinfo hints{};
        gaicb request{};
    };
    auto* lookup = new Lookup;
    lookup->host = host;
    lookup->hints.ai_family = AF_UNSPEC;
    lookup->hints.ai_socktype = SOCK_STREAM;
    lookup->hints.ai_flags = AI_ADDRCONFIG;
    lookup->request.ar_name = lookup->host.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* list[1] = {&lookup->request};
    if (::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
        delete lookup;
        return Status::connectFailed("Cannot look up " + host);
    }
    for (;;) {
        int rc = ::gai_error(&lookup->request);
        if (rc != EAI_INPROGRESS) break;
        if (wait.abort && wait.abort->raised()) {
            if (::gai_cancel(&lookup->request) == EAI_CANCELED) delete lookup;
            return Status::aborted("Aborted");
        }
        int left = millisecondsLeft(wait.deadline);
        if (left == 0) {
            if (::gai_cancel(&lookup->request) == EAI_CANCELED) delete lookup;
            return Status::timeout("Timed out looking up " + host);
        }
        timespec slice{0, 20 * 1000 * 1000};
        if (left < 20) slice.tv_nsec = static_cast<long>(left) * 1000 * 1000;
        ::gai_suspend(list, 1, &slice);
    }
    int rc = ::gai_error(&lookup->request);
    if (rc != 0) {
        std::string why = ::gai_strerror(rc);
        delete lookup;
        return Status::connectFailed("Cannot look up " + host + ": " + why);
    }
    for (addrinfo* ai = lookup->request.ar_result; ai; ai = ai->ai_next) {
        SocketAddress a(ai->ai_addr, ai->ai_addrlen);
        a.setPort(port);
        if (a.valid()) out.push_back(a);
    }
    ::freeaddrinfo(lookup->request.ar_result);
    delete lookup;
    if (out.empty()) return Status::connectFailed("No address for " + host);
    return out;
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
