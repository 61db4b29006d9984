// SPDX-License-Identifier: MIT
#include "engine_test.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "trace_log.h"

namespace {

std::string Shown(const char* text) {
    std::string line(text);
    if (line.empty()) return "<empty>";
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
        line.resize(line.size() - 2);
        return line;
    }
    return line + " <no line end>";
}

void ResetTraceLog() {
    CTraceLog& log = CTraceLog::Instance();
    log.Close();
    log.SetLevel(0);
}

}  // namespace

int Output::Client(uintptr_t user, const char* text) {
    reinterpret_cast<Output*>(user)->lines.push_back("client: " + Shown(text));
    return 0;
}

int Output::Server(uintptr_t user, const char* text) {
    reinterpret_cast<Output*>(user)->lines.push_back("server: " + Shown(text));
    return 0;
}

EngineTest::EngineTest() {
    setenv("TZ", "UTC", 1);
    tzset();
    fake().Reset();
    ResetTraceLog();
}

EngineTest::~EngineTest() {
    ResetTraceLog();
    fake().Reset();
}

ScriptRun EngineTest::Run(const std::string& script) {
    const std::string path = PathOf("script.qv");
    testfx::writeFile(path, script);
    Output output;
    ScriptRun run;
    run.result = Quarv_Execute2(path.c_str(), output.user(), Output::Client, Output::Server);
    run.output = output.lines;
    return run;
}

std::vector<std::string> EngineTest::LinesOf(const std::string& name) const {
    std::vector<std::string> lines;
    std::istringstream in(testfx::readFile(dir_ / name));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void EngineTest::AcceptLogin(const std::string& reply) {
    fake().SetResult("ftp_open", 3);
    fake().SetResult("ftp_relogin", 0);
    fake().SetText("ftp_copyreplystr", reply);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::filesystem::path& path)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
    std::filesystem::current_path(previous_);
}
