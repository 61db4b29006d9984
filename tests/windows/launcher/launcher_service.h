// SPDX-License-Identifier: MIT
// The launcher's side of launcher_requests.h: a listener on 127.0.0.1 whose thread starts,
// restarts and stops servers (and gateways) for the program under Wine, one request per
// connection. Every server it started stops when the service goes away.
#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "launcher_requests.h"
#include "servers.h"

// The Wine (Z:) name of a Linux path.
std::string windowsPath(const std::filesystem::path& unixPath);

class LauncherService {
  public:
    LauncherService();
    ~LauncherService();
    LauncherService(const LauncherService&) = delete;
    LauncherService& operator=(const LauncherService&) = delete;
    int port() const { return port_; }

  private:
    void run();
    testfx::requests::Message answer(const testfx::requests::Message& request);
    testfx::FtpServer& server(const std::string& id);

    int listener_ = -1;
    int port_ = 0;
    int nextId_ = 1;
    std::atomic<bool> stop_{false};
    std::map<std::string, std::unique_ptr<testfx::FtpServer>> servers_;
    std::map<std::string, std::unique_ptr<testfx::FtpGateway>> gateways_;
    std::thread thread_;
};
