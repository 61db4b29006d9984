// SPDX-License-Identifier: MIT
#include "scripted_peer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

#include "winsock_start.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace ftptest {
namespace {

constexpr int kPollMs = 50;
constexpr int kDataAcceptMs = 5000;
constexpr std::size_t kMaxLine = 1 << 20;

#ifdef _WIN32
// Winsock's handles are small numbers; the peer keeps them in ints as it does descriptors.
constexpr int SOCK_CLOEXEC = 0;
constexpr int MSG_NOSIGNAL = 0;
int openSocket(int family, int type) {
    testfx::startWinsock();
    return static_cast<int>(::socket(family, type, IPPROTO_TCP));
}
int acceptOn(int listener) {
    return static_cast<int>(::accept(static_cast<SOCKET>(listener), nullptr, nullptr));
}
void closeSocket(int s) {
    ::closesocket(static_cast<SOCKET>(s));
}
bool readable(int fd, int ms) {
    WSAPOLLFD p{static_cast<SOCKET>(fd), POLLRDNORM, 0};
    return ::WSAPoll(&p, 1, ms) == 1;
}
#else
int openSocket(int family, int type) {
    return ::socket(family, type | SOCK_CLOEXEC, 0);
}
int acceptOn(int listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
void closeSocket(int s) {
    ::close(s);
}
// Waits up to ms for fd to become readable.
bool readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1;
}
#endif

int listenOnLoopback(int* port) {
    int s = openSocket(AF_INET, SOCK_STREAM);
#ifndef _WIN32  // on Windows the option would let another socket take the port
    int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 4) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        closeSocket(s);
        throw std::runtime_error("scripted peer cannot listen");
    }
    *port = ntohs(a.sin_port);
    return s;
}

}  // namespace

ScriptedPeer::ScriptedPeer(std::string greeting, Script script)
    : greeting_(std::move(greeting)), script_(std::move(script)) {
    listener_ = listenOnLoopback(&port_);
    dataListener_ = listenOnLoopback(&dataPort_);
    thread_ = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer() {
    stop_ = true;
    thread_.join();
    closeSocket(listener_);
    closeSocket(dataListener_);
}

std::vector<std::string> ScriptedPeer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

bool ScriptedPeer::receivedAny(const std::string& text) const {
    for (const auto& line : received())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::optional<ScriptedPeer::Action> ScriptedPeer::loginStep(const std::string& line) {
    if (line.starts_with("USER")) return Action::say("331 Password please.\r\n");
    if (line.starts_with("PASS")) return Action::say("230 Logged in.\r\n");
    if (line.starts_with("TYPE")) return Action::say("200 Type set.\r\n");
    if (line.starts_with("QUIT")) return Action::sayAndClose("221 Bye.\r\n");
    if (line.starts_with("NOOP")) return Action::say("200 NOOP ok.\r\n");
    return std::nullopt;
}

std::string ScriptedPeer::epsvReply(int port) {
    return "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)\r\n";
}

std::string ScriptedPeer::pasvReply(int port) {
    return "227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) + "," +
           std::to_string(port % 256) + ").\r\n";
}

void ScriptedPeer::noteActiveAddress(const std::string& line) {
    if (line.starts_with("EPRT ") && line.size() > 5) {
        // EPRT <d>1<d>ip<d>port<d>
        std::string arg = line.substr(5);
        char d = arg[0];
        std::vector<std::string> parts;
        std::size_t start = 1;
        for (int i = 0; i < 3; ++i) {
            auto end = arg.find(d, start);
            if (end == std::string::npos) return;
            parts.push_back(arg.substr(start, end - start));
            start = end + 1;
        }
        activeIp_ = parts[1];
        activePort_ = std::atoi(parts[2].c_str());
    } else if (line.starts_with("PORT ")) {
        int n[6] = {};
        if (std::sscanf(line.c_str() + 5, "%d,%d,%d,%d,%d,%d", &n[0], &n[1], &n[2], &n[3], &n[4],
                        &n[5]) != 6)
            return;
        activeIp_ = std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) +
                    "." + std::to_string(n[3]);
        activePort_ = n[4] * 256 + n[5];
    } else if (line.starts_with("EPSV") || line.starts_with("PASV")) {
        activeIp_.clear();
    }
}

void ScriptedPeer::run() {
    while (!stop_) {
        if (!readable(listener_, kPollMs)) continue;
        int control = acceptOn(listener_);
        if (control < 0) continue;
        serve(control);
        closeSocket(control);
    }
}

bool ScriptedPeer::sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

int ScriptedPeer::acceptData() {
    if (!readable(dataListener_, kDataAcceptMs)) return -1;
    return acceptOn(dataListener_);
}

int ScriptedPeer::connectData() {
    if (!connectActive_) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(activePort_));
    if (::inet_pton(AF_INET, activeIp_.c_str(), &a.sin_addr) != 1) return -1;
    if ((ntohl(a.sin_addr.s_addr) >> 24) != 127) return -1;  // loopback only
    int s = openSocket(AF_INET, SOCK_STREAM);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        closeSocket(s);
        return -1;
    }
    return s;
}

int ScriptedPeer::openData() {
    return activeIp_.empty() ? acceptData() : connectData();
}

void ScriptedPeer::sendData(const std::string& bytes) {
    int data = openData();
    if (data < 0) return;
    sendAll(data, bytes);
    closeSocket(data);
}

void ScriptedPeer::serve(int control) {
    if (!greeting_.empty() && !sendAll(control, greeting_)) return;
    int held = -1;  // a data connection kept open and silent until the next command
    struct Closer {
        int& fd;
        ~Closer() {
            if (fd >= 0) closeSocket(fd);
        }
    } closeHeld{held};
    std::string input;
    bool muted = false;
    while (!stop_) {
        if (!readable(control, kPollMs)) continue;
        char chunk[4096];
        ssize_t n = ::recv(control, chunk, sizeof chunk, 0);
        if (n <= 0) return;
        input.append(chunk, static_cast<std::size_t>(n));
        if (input.size() > kMaxLine) return;
        std::size_t nl;
        while ((nl = input.find('\n')) != std::string::npos) {
            std::string line = input.substr(0, nl);
            input.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            {
                std::lock_guard lock(mutex_);
                received_.push_back(line);
            }
            if (muted) continue;
            if (held >= 0) {
                closeSocket(held);
                held = -1;
            }
            noteActiveAddress(line);
            Action action = script_(line, *this);
            muted = action.mute;
            if (!action.reply.empty() && !sendAll(control, action.reply)) return;
            if (action.holdData) held = openData();
            if (action.data) {
                sendData(*action.data);
                if (!sendAll(control, action.afterData)) return;
            }
            if (action.close) return;
        }
    }
}

}  // namespace ftptest
