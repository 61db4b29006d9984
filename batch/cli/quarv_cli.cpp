#include "quarv_cli.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "failure_line.h"
#include "quarv32.h"
#include "varnix32.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Both output procedures: the line already carries its prefix; a terminal wants LF ends.
int PrintLine(uintptr_t user, const char* text) {
    auto& out = *reinterpret_cast<std::ostream*>(user);
    std::string_view rest(text);
    for (std::size_t crlf; (crlf = rest.find("\r\n")) != std::string_view::npos;) {
        out << rest.substr(0, crlf) << '\n';
        rest.remove_prefix(crlf + 2);
    }
    out << rest;
    out.flush();
    return 0;
}

std::string VersionText() {
    const int library = varnix_version();
    std::string minor = std::to_string(library % 100);
    if (minor.size() < 2) minor.insert(0, "0");
    return "quarv " QUARV32_VERSION_TEXT " (varnix32 " + std::to_string(library / 100) + "." +
           minor + ")";
}

// A copy of the script with "echo on" in front, so that echo is on from its first line.
class EchoedScript {
  public:
    explicit EchoedScript(std::ifstream& script) {
        std::string pattern = (fs::temp_directory_path() / "quarv-echo-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return;
        ::close(fd);
        path_ = pattern;
        std::ofstream copy(path_, std::ios::binary | std::ios::trunc);
        copy << "echo on\n";
        // Streaming an empty buffer counts as a failed write: only a script with content is
        // copied.
        if (script.peek() != std::ifstream::traits_type::eof()) copy << script.rdbuf();
        copy.flush();
        if (!copy) {
            fs::remove(path_);
            path_.clear();
        }
    }
    ~EchoedScript() {
        if (!path_.empty()) fs::remove(path_);
    }
    EchoedScript(const EchoedScript&) = delete;
    EchoedScript& operator=(const EchoedScript&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The failure line of the script run just now.
std::string FailureOf(const std::string& script, int lineOffset) {
    QuarvFailure failure{};
    Quarv_LastFailure(&failure);
    return FailureLine(script, failure, lineOffset);
}

}  // namespace

int RunQuarv(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Runs an FTP batch script and prints its statements and server replies.", "quarv"};
    std::string script;
    bool echo = false;
    app.add_option("SCRIPT", script, "the script file to run")->required();
    app.add_flag("--echo", echo, "show every statement and reply from the first line on");
    app.set_version_flag("--version", VersionText());
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? 0 : kExitUsage;
    }

    errno = 0;
    std::ifstream file(script, std::ios::binary);
    std::error_code ec;
    if (!file || fs::is_directory(script, ec)) {
        const int cause = errno != 0 ? errno : EISDIR;
        err << "quarv: cannot open " << script << ": " << std::strerror(cause) << '\n';
        return kExitUsage;
    }
    std::string run = script;
    std::unique_ptr<EchoedScript> echoed;
    if (echo) {
        echoed = std::make_unique<EchoedScript>(file);
        if (echoed->path().empty()) {
            err << "quarv: cannot write a temporary copy of " << script << '\n';
            return kExitUsage;
        }
        run = echoed->path();
    }
    file.close();

    const auto user = reinterpret_cast<uintptr_t>(&out);
    const int result = Quarv_Execute2(run.c_str(), user, PrintLine, PrintLine);
    if (result == 0) return 0;
    if (result == QUARV_STOPPED)
        err << "quarv: " << script << " stopped on request (result " << result << ")\n";
    else
        err << FailureOf(script, echo ? 1 : 0) << '\n';
    return kExitFailed;
}
