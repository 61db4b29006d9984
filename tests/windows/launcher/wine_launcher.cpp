// SPDX-License-Identifier: MIT
// Runs a Windows test program under Wine 64-bit against the real FTP servers of the Linux
// fixtures: starts pyftpdlib (and vsftpd where it can run) on 127.0.0.1, plain and with TLS,
// passes each one's host, user, password and root to the program in the environment
// (VARNIX_WIN_<KIND>_HOST/_USER/_PASSWORD/_ROOT, the root as Wine's Z: path; a TLS server's
// host starts with "ftpes:" or "ftps:") and the test CA that signed the TLS servers'
// certificates (VARNIX_WIN_TLS_CA, a Z: path), waits for the program and stops the servers.
// Its exit status is the program's.
// Meanwhile it answers the program's requests for servers of its own (launcher_requests.h) on
// the port in VARNIX_WIN_LAUNCHER_PORT: the Windows build of the fixtures starts, restarts and
// stops every server a test asks for through it.
// Usage: wine_launcher PROGRAM.exe [ARGUMENTS...]
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "launcher_service.h"
#include "servers.h"

extern char** environ;

namespace {

void announce(const testfx::FtpServer& server, const std::string& kind) {
    const std::string prefix = "VARNIX_WIN_" + kind + "_";
    ::setenv((prefix + "HOST").c_str(), server.host().c_str(), 1);
    ::setenv((prefix + "USER").c_str(), server.user().c_str(), 1);
    ::setenv((prefix + "PASSWORD").c_str(), server.password().c_str(), 1);
    ::setenv((prefix + "ROOT").c_str(), windowsPath(server.root()).c_str(), 1);
    std::cout << "wine_launcher: " << server.kindName() << " on " << server.host() << "\n";
}

testfx::ServerOptions tlsOptions(const std::string& tls, const std::filesystem::path& cert = {}) {
    testfx::ServerOptions options;
    options.tls = tls;
    options.cert = cert;
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: wine_launcher PROGRAM.exe [ARGUMENTS...]\n";
        return 2;
    }
    using testfx::ServerKind;
    const auto& pki = testfx::testPki();
    // KIND and the server; the TLS ones by the test CA, for 127.0.0.1, ::1 and localhost
    // unless named otherwise. vsftpd requires data connections to resume the TLS session.
    std::vector<std::pair<std::string, std::unique_ptr<testfx::FtpServer>>> servers;
    auto start = [&](const std::string& kind, ServerKind server, testfx::ServerOptions options) {
        servers.emplace_back(kind, std::make_unique<testfx::FtpServer>(server, options));
        announce(*servers.back().second, kind);
    };
    start("PYFTPDLIB", ServerKind::Pyftpdlib, {});
    start("PYFTPDLIB_FTPES", ServerKind::Pyftpdlib, tlsOptions("explicit"));
    start("PYFTPDLIB_FTPS", ServerKind::Pyftpdlib, tlsOptions("implicit"));
    start("PYFTPDLIB_FTPES_WRONG_NAME", ServerKind::Pyftpdlib,
          tlsOptions("explicit", pki.wrongName));
    start("PYFTPDLIB_FTPES_EXPIRED", ServerKind::Pyftpdlib, tlsOptions("explicit", pki.expired));
    if (testfx::vsftpdAvailable()) {
        start("VSFTPD", ServerKind::Vsftpd, {});
        // TLS 1.2 (SChannel's highest here) with the ciphers of today: vsftpd's own choice
        // for it is 3DES alone, which Wine's SChannel does not offer. An upload counts only
        // when it ends with a close_notify.
        auto vsftpdTls = tlsOptions("explicit");
        vsftpdTls.extraConfig = {"ssl_ciphers=HIGH", "strict_ssl_read_eof=YES"};
        start("VSFTPD_FTPES", ServerKind::Vsftpd, vsftpdTls);
        // The same without its demand that data connections resume the TLS session, which
        // Wine's SChannel cannot meet.
        vsftpdTls.extraConfig.push_back("require_ssl_reuse=NO");
        start("VSFTPD_FTPES_NO_REUSE", ServerKind::Vsftpd, vsftpdTls);
    } else {
        std::cout << "wine_launcher: vsftpd cannot run here (needs root); its cases skip\n";
    }
    ::setenv("VARNIX_WIN_TLS_CA", windowsPath(pki.ca).c_str(), 1);
    LauncherService service;
    ::setenv("VARNIX_WIN_LAUNCHER_PORT", std::to_string(service.port()).c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    const char* wine = std::getenv("VARNIX_WINE");
    std::vector<std::string> args{wine ? wine : "/usr/lib/wine/wine64"};
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    std::vector<char*> raw;
    for (auto& a : args)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, raw[0], nullptr, nullptr, raw.data(), environ) != 0) {
        std::cerr << "wine_launcher: cannot start " << raw[0] << "\n";
        return 127;
    }
    int status = 0;
    if (::waitpid(child, &status, 0) < 0) return 127;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
