// SPDX-License-Identifier: MIT
#include "launcher_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <stdexcept>

namespace {

using testfx::requests::Message;

constexpr int kPollMs = 100;
constexpr int kRequestLimitSeconds = 30;
constexpr std::size_t kMaxHeader = 64 * 1024;

bool sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// One framed message from fd; false when the peer goes or sends no valid frame.
bool receive(int fd, Message& message) {
    std::string header;
    char c = 0;
    while (header.size() < kMaxHeader) {
        if (::recv(fd, &c, 1, 0) != 1) return false;
        if (c == '\n') break;
        header += c;
    }
    std::size_t size = 0;
    if (!testfx::requests::parseHeader(header, message.fields, size)) return false;
    message.payload.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::recv(fd, message.payload.data() + got, size - got, 0);
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string windowsPath(const std::filesystem::path& unixPath) {
    std::string text = "Z:" + unixPath.string();
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

LauncherService::LauncherService() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        throw std::runtime_error("wine_launcher cannot listen for requests");
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

LauncherService::~LauncherService() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void LauncherService::run() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) != 1) continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        // A request comes whole at once; a client that stalls does not hold the service.
        const timeval limit{kRequestLimitSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        Message request;
        if (receive(fd, request)) {
            Message reply;
            try {
                reply = answer(request);
            } catch (const std::exception& e) {
                reply = {{"error"}, e.what()};
            }
            sendAll(fd, testfx::requests::frame(reply.fields, reply.payload));
        }
        ::close(fd);
    }
}

testfx::FtpServer& LauncherService::server(const std::string& id) {
    auto it = servers_.find(id);
    if (it == servers_.end()) throw std::runtime_error("no server " + id);
    return *it->second;
}

Message LauncherService::answer(const Message& request) {
    const auto& f = request.fields;
    const std::string& verb = f.at(0);
    if (verb == "available")
        return {
            {"ok", testfx::vsftpdAvailable() ? "1" : "0", testfx::gatewayAvailable() ? "1" : "0"},
            {}};
    if (verb == "start-server") {
        testfx::ServerKind kind{};
        auto options = testfx::requests::optionsFrom(f, 1, kind);
        const std::string id = std::to_string(nextId_++);
        auto& s = *(servers_[id] = std::make_unique<testfx::FtpServer>(kind, options));
        return {{"ok", id, s.address(), std::to_string(s.port()), s.user(), s.password(),
                 windowsPath(s.root())},
                {}};
    }
    if (verb == "start-gateway") {
        const std::string id = std::to_string(nextId_++);
        auto& g = *(gateways_[id] = std::make_unique<testfx::FtpGateway>(std::stoi(f.at(1))));
        return {{"ok", id, std::to_string(g.port())}, {}};
    }
    const std::string& id = f.at(1);
    if (verb == "gateway-log") return {{"ok"}, gateways_.at(id)->log()};
    if (verb == "drop-gateway") {
        gateways_.erase(id);
        return {{"ok"}, {}};
    }
    if (verb == "drop") {
        servers_.erase(id);
        return {{"ok"}, {}};
    }
    auto& s = server(id);
    if (verb == "start")
        s.start();
    else if (verb == "stop")
        s.stop();
    else if (verb == "restart")
        s.restart();
    else if (verb == "log")
        return {{"ok"}, s.log()};
    else if (verb == "put")
        s.put(f.at(2), request.payload);
    else if (verb == "mkdir")
        s.mkdir(f.at(2));
    else
        throw std::runtime_error("unknown request " + verb);
    return {{"ok"}, {}};
}
