// SPDX-License-Identifier: MIT
// ReadGet of the test bench against a plain Get of the same file, in the text front end
// (brisel32 --console, a process per run) and in the Qt window (offscreen, in this process),
// from a local pyftpdlib server. Prints seconds and MB/s for each, and ReadGet's time as a
// multiple of Get's.
//
// usage: bench_testbench_readget [--size MIB] [--runs N]
//
// The file is text (lines of about 60 bytes), as ReadGet is meant for. The console figures
// count the whole run (start, login, transfer, output); the Qt figures the command alone,
// its dialog included. The best of the runs counts.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/ids.h"
#include "files.h"
#include "qt/child_frame.h"
#include "qt/main_frame.h"
#include "qt_modal.h"
#include "servers.h"
#include "varnix32.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string TextFile(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 80);
    for (long i = 0; text.size() < bytes; ++i)
        text += "line " + std::to_string(i) + " of the file that ReadGet shows as it arrives\r\n";
    text.resize(bytes);
    return text;
}

// One console run of `script`; its seconds, or a negative value when it failed.
double ConsoleRun(const testfx::TempDir& dir, const std::string& script, const std::string& must) {
    testfx::writeFile(dir / "script.txt", script);
    const std::string command = std::string(BRISEL32_PATH) + " --console " +
                                (dir / "script.txt").string() + " > " + (dir / "out.txt").string() +
                                " 2>&1";
    auto start = Clock::now();
    int status = std::system(command.c_str());
    double seconds = Seconds(start);
    std::string out = testfx::readFile(dir / "out.txt");
    if (status != 0 || out.find(must) == std::string::npos) {
        std::fprintf(stderr, "console run failed:\n%s\n", out.substr(0, 2000).c_str());
        return -1;
    }
    return seconds;
}

using benchtest::Control;
using benchtest::OnNextModal;

// One command in the Qt window, its dialog filled with `values` (by control id) and OK
// pressed once; its seconds, or a negative value when the log does not end with `must`.
double QtRun(brisel::qt::CMainFrame& frame, int command,
             std::vector<std::pair<int, std::string>> values, const std::string& must) {
    OnNextModal([values](QWidget* dialog) {
        for (const auto& [id, value] : values)
            Control<QLineEdit>(dialog, id)->setText(QString::fromStdString(value));
        Control<QPushButton>(dialog, brisel::ctl::Ok)->click();
        if (dialog->isVisible()) Control<QPushButton>(dialog, brisel::ctl::Cancel)->click();
    });
    auto start = Clock::now();
    frame.OnCommand(command);
    double seconds = Seconds(start);
    const std::string& last = frame.ActiveChild()->Doc().m_strMessage;
    if (last.rfind(must, 0) != 0) {
        std::fprintf(stderr, "Qt run failed: %s\n", last.c_str());
        return -1;
    }
    return seconds;
}

void PrintRow(const char* frontEnd, const char* command, double seconds, std::size_t bytes,
              double get) {
    if (seconds < 0) {
        std::printf("%-8s %-8s FAILED\n", frontEnd, command);
        return;
    }
    std::printf("%-8s %-8s %8.2f s %9.1f MB/s", frontEnd, command, seconds, bytes / 1e6 / seconds);
    if (get > 0) std::printf("   x%.1f of Get", seconds / get);
    std::printf("\n");
}

double Best(const std::vector<double>& runs) {
    double best = -1;
    for (double r : runs)
        if (r >= 0 && (best < 0 || r < best)) best = r;
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    long mib = 8;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--size") == 0) mib = std::atol(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t bytes = static_cast<std::size_t>(mib) << 20;
    testfx::FtpServer server(testfx::ServerKind::Pyftpdlib);
    server.put("text.txt", TextFile(bytes));
    testfx::TempDir dir("bench-readget");
    const std::string login =
        "Login " + server.host() + " " + server.user() + " \"" + server.password() + "\"\nBinary\n";
    const std::string local = (dir / "got.txt").string();
    const std::string count = "ReadGet: bytes read: " + std::to_string(bytes);

    std::printf("%ld MiB of text from pyftpdlib, best of %d runs\n", mib, runs);
    std::vector<double> get, readGet;
    for (int r = 0; r < runs; ++r) {
        get.push_back(ConsoleRun(dir, login + "Get text.txt \"" + local + "\" 0\n", "226"));
        readGet.push_back(ConsoleRun(dir, login + "ReadGet text.txt\n", count));
    }
    PrintRow("console", "Get", Best(get), bytes, 0);
    PrintRow("console", "ReadGet", Best(readGet), bytes, Best(get));

    brisel::qt::CMainFrame frame;
    frame.show();
    brisel::CBrisel32Doc& doc = frame.NewDocument()->Doc();
    doc.m_hFtp =
        ftp_login(server.host().c_str(), server.user().c_str(), server.password().c_str(), "");
    if (doc.m_hFtp <= 0 || ftp_setbinary(doc.m_hFtp) != 0) {
        std::fprintf(stderr, "login failed\n");
        return 1;
    }
    ftp_statusbox(doc.m_hFtp, 0);  // the figures of the commands, not of the progress box
    get.clear();
    readGet.clear();
    using brisel::ctl::Edit1;
    using brisel::ctl::Edit2;
    for (int r = 0; r < runs; ++r) {
        get.push_back(QtRun(frame, brisel::cmd::Get, {{Edit1, "text.txt"}, {Edit2, local}}, "226"));
        readGet.push_back(QtRun(frame, brisel::cmd::ReadGet, {{Edit1, "text.txt"}}, count));
    }
    ftp_quit(doc.m_hFtp);
    PrintRow("Qt", "Get", Best(get), bytes, 0);
    PrintRow("Qt", "ReadGet", Best(readGet), bytes, Best(get));
    return 0;
}
