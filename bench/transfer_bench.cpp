// SPDX-License-Identifier: MIT
// Gets and puts a large file over loopback from vsftpd, plain and over explicit TLS, through
// varnix32 and through curl (--ssl-reqd with the test CA), and prints MB/s, CPU seconds, peak
// memory and the library's speed as a ratio of curl's.
//
// usage: varnix_transfer_bench [--size MIB] [--runs N]       (as root: vsftpd needs it)
//
// Each transfer runs in a child process of its own, so that its CPU time and peak memory
// (from wait4) are the transfer's alone. Throughput counts the transfer without the login
// (vsftpd's PAM login takes a varying tenth of a second); the best of the runs counts.
// Files go to /dev/shm when it has room (else TMPDIR or /tmp).
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "servers.h"
#include "varnix32.h"

namespace {

// curl's own account of a transfer: all of it, and the part before the data flowed.
constexpr const char* kCurlTimes = "%{time_total} %{time_pretransfer}";

struct Figures {
    double seconds = 0;          // the whole run: start, login, transfer, quit
    double transferSeconds = 0;  // the transfer alone, as the client reports it
    double cpuSeconds = 0;
    double peakMiB = 0;
    bool ok = false;
};

// Runs argv as a child and measures it. The child prints the seconds its transfer took
// (or, for curl, "total pretransfer") on its standard output.
Figures measure(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return {};
    auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string said;
    char chunk[256];
    for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) > 0;)
        said.append(chunk, n);
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Figures f;
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double total = 0, before = 0;
    int fields = std::sscanf(said.c_str(), "%lf %lf", &total, &before);
    f.transferSeconds = fields == 2 ? total - before : total;
    f.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                   usage.ru_stime.tv_usec / 1e6;
    f.peakMiB = usage.ru_maxrss / 1024.0;
    f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return f;
}

// The child's side: one transfer through the library.
int libraryTransfer(const char* direction, const char* host, const char* user, const char* password,
                    const char* remote, const char* local, const char* ca) {
    if (*ca && varnix_settlsca(ca) != 0) return 1;
    int h = ftp_login(host, user, password, "");
    if (h <= 0 || ftp_setbinary(h) != 0) return 1;
    auto start = std::chrono::steady_clock::now();
    int rc =
        std::strcmp(direction, "get") == 0 ? ftp_get(h, remote, local) : ftp_put(h, local, remote);
    std::printf("%.6f\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (rc != 0) {
        char text[512];
        ftp_lasterror(text, sizeof text);
        std::fprintf(stderr, "%s failed: %s\n", direction, text);
    }
    ftp_quit(h);
    return rc == 0 ? 0 : 1;
}

void writeBigFile(const std::filesystem::path& path, long long bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 131) ^ (i >> 9));
    for (long long done = 0; done < bytes; done += static_cast<long long>(block.size())) {
        block[0] = static_cast<char>(done >> 20);  // no two blocks alike
        out.write(block.data(), static_cast<std::streamsize>(std::min<long long>(
                                    static_cast<long long>(block.size()), bytes - done)));
    }
}

Figures best(const std::vector<Figures>& runs) {
    Figures b;
    for (const auto& f : runs)
        if (f.ok && (!b.ok || f.transferSeconds < b.transferSeconds)) b = f;
    for (const auto& f : runs)
        b.peakMiB = std::max(b.peakMiB, f.peakMiB);
    return b;
}

void printRow(const char* direction, const char* security, const char* client, const Figures& f,
              long long bytes, double ratio) {
    if (!f.ok) {
        std::printf("%-4s %-5s %-9s  FAILED\n", direction, security, client);
        return;
    }
    double mbps = bytes / 1e6 / f.transferSeconds;
    std::printf("%-4s %-5s %-9s %8.2f s %9.1f MB/s %8.2f s %8.2f s CPU %8.1f MiB peak", direction,
                security, client, f.transferSeconds, mbps, f.seconds, f.cpuSeconds, f.peakMiB);
    if (ratio > 0) std::printf("   x%.2f of curl", ratio);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 9 && std::strcmp(argv[1], "--child") == 0)
        return libraryTransfer(argv[2], argv[3], argv[4], argv[5], argv[6], argv[7], argv[8]);
    long long mib = 1024;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--size") == 0) mib = std::atoll(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    }
    if (!testfx::vsftpdAvailable()) {
        std::fprintf(stderr, "needs root and vsftpd (scripts/install-deps)\n");
        return 2;
    }
    const long long bytes = mib << 20;
    // Files in memory, so that the disk's write-back does not blur the figures; TMPDIR, when
    // set, says where else to put them.
    struct statvfs shm {};
    if (!std::getenv("TMPDIR") && ::statvfs("/dev/shm", &shm) == 0 &&
        static_cast<long double>(shm.f_bavail) * shm.f_frsize > 5.5L * bytes)
        ::setenv("TMPDIR", "/dev/shm", 1);
    testfx::FtpServer plain(testfx::ServerKind::Vsftpd);
    testfx::ServerOptions tlsOptions;
    tlsOptions.tls = "explicit";
    testfx::FtpServer tls(testfx::ServerKind::Vsftpd, tlsOptions);
    testfx::TempDir local("varnix-bench");
    std::printf(
        "%lld MiB over loopback from vsftpd (plain %s, TLS %s), files under %s, best of "
        "%d runs\n",
        mib, plain.host().c_str(), tls.host().c_str(),
        std::filesystem::temp_directory_path().c_str(), runs);
    writeBigFile(local / "up.bin", bytes);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string curl = "/usr/bin/curl";
    std::string ca = testfx::tlsCaFile();

    // One set of figures per client, direction and kind of connection.
    struct Series {
        const char* direction;
        const char* client;
        const char* security;
        std::vector<Figures> figures;
    };
    // Each run measures every transfer; every other run in the reverse order, and each starts
    // with the disk's write-back done, so that no client pays for another's data.
    struct Job {
        Series* series;
        std::vector<std::string> argv;
        std::filesystem::path result;
    };
    std::vector<Series> series;
    series.reserve(8);
    std::vector<Job> jobs;
    auto got = local / "got.bin";
    auto up = (local / "up.bin").string();
    for (const testfx::FtpServer* server : {&plain, &tls}) {
        bool secure = server == &tls;
        writeBigFile(server->path("big.bin"), bytes);
        std::string address = server->address() + ":" + std::to_string(server->port());
        std::string url =
            "ftp://" + server->user() + ":" + server->password() + "@" + address + "/";
        std::vector<std::string> curlTls;
        if (secure) curlTls = {"--ssl-reqd", "--cacert", ca};
        const char* security = secure ? "TLS" : "plain";
        auto curlJob = [&](std::vector<std::string> args) {
            std::vector<std::string> argv{curl, "-s", "-S", "-w", kCurlTimes};
            argv.insert(argv.end(), curlTls.begin(), curlTls.end());
            argv.insert(argv.end(), args.begin(), args.end());
            return argv;
        };
        auto libJob = [&](const char* direction, const std::string& remote,
                          const std::string& file) {
            return std::vector<std::string>{self,           "--child",      direction,
                                            server->host(), server->user(), server->password(),
                                            remote,         file,           secure ? ca : ""};
        };
        for (const char* direction : {"get", "put"}) {
            bool get = std::strcmp(direction, "get") == 0;
            auto result = get ? got : server->path("up.bin");
            series.push_back({direction, "varnix32", security, {}});
            jobs.push_back(
                {&series.back(),
                 get ? libJob("get", "big.bin", got.string()) : libJob("put", "up.bin", up),
                 result});
            series.push_back({direction, "curl", security, {}});
            jobs.push_back({&series.back(),
                            get ? curlJob({"-o", got.string(), url + "big.bin"})
                                : curlJob({"-T", up, url + "up.bin"}),
                            result});
        }
    }
    for (int r = 0; r < runs; ++r) {
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            const Job& job = jobs[r % 2 ? jobs.size() - 1 - j : j];
            ::sync();
            Figures f = measure(job.argv);
            std::error_code ec;
            f.ok = f.ok && std::filesystem::file_size(job.result, ec) == std::uintmax_t(bytes);
            std::filesystem::remove(job.result, ec);
            job.series->figures.push_back(f);
        }
    }
    std::printf("%-4s %-5s %-9s %10s %14s %10s %14s %17s\n", "dir", "conn", "client", "transfer",
                "throughput", "whole run", "CPU", "peak memory");
    auto ratio = [](const Figures& mine, const Figures& theirs) {
        return mine.ok && theirs.ok ? theirs.transferSeconds / mine.transferSeconds : 0;
    };
    bool targets = true, allOk = true;
    // The series come in pairs: the library, then curl for the same transfer.
    for (std::size_t i = 0; i + 1 < series.size(); i += 2) {
        Figures mine = best(series[i].figures), theirs = best(series[i + 1].figures);
        double r = ratio(mine, theirs);
        printRow(series[i].direction, series[i].security, "varnix32", mine, bytes, r);
        printRow(series[i].direction, series[i].security, "curl", theirs, bytes, 0);
        bool plainRow = std::strcmp(series[i].security, "plain") == 0;
        if (plainRow) targets = targets && r >= 1 && mine.peakMiB < 16;
        allOk = allOk && mine.ok;
    }
    std::printf("targets (plain: at least curl's throughput both ways, peak under 16 MiB): %s\n",
                targets ? "met" : "NOT met");
    return allOk ? 0 : 1;
}
