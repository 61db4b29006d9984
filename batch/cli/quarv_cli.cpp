// SPDX-License-Identifier: MIT
#include "quarv_cli.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "cli_options.h"
#include "env_expander.h"
#include "failure_line.h"
#include "job_host.h"
#include "quarv32.h"
#include "script_copy.h"
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

std::string LibraryError() {
    char text[512] = {};
    ftp_lasterror(text, sizeof text);
    return std::string(text, strnlen(text, sizeof text));
}

// The library's TLS trust from --cacert and --insecure; restored when the run ends.
class TlsTrust {
  public:
    ~TlsTrust() {
        if (insecure_) varnix_setacceptunverified(0);
        if (cacert_) varnix_settlsca("");
    }
    bool Apply(const CliOptions& options, std::ostream& err) {
        if (!options.cacert.empty()) {
            if (varnix_settlsca(options.cacert.c_str()) < 0) {
                err << "quarv: --cacert " << options.cacert << ": " << LibraryError() << '\n';
                return false;
            }
            cacert_ = true;
        }
        if (options.insecure) {
            varnix_setacceptunverified(1);
            insecure_ = true;
            if (!options.quiet)
                err << "quarv: warning: --insecure: server certificates are not verified\n";
        }
        return true;
    }

  private:
    bool cacert_ = false;
    bool insecure_ = false;
};

std::string HomeNetrc() {
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.netrc";
}

// The failure line of the script run just now. Echo from the first line is a host setting,
// not a line put in front of the script: the lines count as in the file.
std::string FailureOf(const std::string& script) {
    QuarvFailure failure{};
    Quarv_LastFailure(&failure);
    return FailureLine(script, failure, 0);
}

}  // namespace

int RunQuarv(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    return RunQuarv(argc, argv, std::cin, out, err, ::isatty(STDERR_FILENO) == 1);
}

int RunQuarv(int argc, const char* const* argv, std::istream& in, std::ostream& out,
             std::ostream& err, bool stderrIsTerminal) {
    CliOptions options;
    if (const int status = ParseOptions(argc, argv, options, out, err); status >= 0) return status;

    const std::string script = options.script == "-" ? "<stdin>" : options.script;
    std::string run = options.script;
    std::unique_ptr<ScriptCopy> copy;
    if (options.script == "-") {
        copy = std::make_unique<ScriptCopy>(in);
        if (copy->path().empty()) {
            err << "quarv: cannot keep the script from standard input in a temporary file\n";
            return kExitUsage;
        }
        run = copy->path();
    }
    errno = 0;
    std::ifstream file(run, std::ios::binary);
    std::error_code ec;
    if (!file || fs::is_directory(run, ec)) {
        const int cause = errno != 0 ? errno : EISDIR;
        err << "quarv: cannot open " << script << ": " << std::strerror(cause) << '\n';
        return kExitUsage;
    }
    // An unset variable stops the job before it connects anywhere.
    if (options.env) {
        if (const auto unset = FindUnset(file, ProcessEnv)) {
            err << "quarv: " << script << ':' << unset->line << ": ${" << unset->name
                << "}: the environment variable " << unset->name << " is not set\n";
            return kExitUsage;
        }
    }
    file.close();

    JobSettings settings;
    settings.script = script;
    settings.env = options.env;
    settings.echo = options.echo;
    settings.quiet = options.quiet;
    settings.verbose = options.verbose;
    settings.progressLine = !options.quiet && options.progress.value_or(stderrIsTerminal);
    if (options.netrc || !options.netrcFile.empty()) {
        std::string error;
        settings.netrc = Netrc::Load(options.netrc ? HomeNetrc() : options.netrcFile, error);
        if (!settings.netrc) {
            err << "quarv: netrc " << error << '\n';
            return kExitUsage;
        }
    }
    JsonReport report;
    if (!options.report.empty()) {
        if (!report.Open(options.report)) {
            err << "quarv: cannot write the report " << options.report << ": "
                << std::strerror(errno) << '\n';
            return kExitUsage;
        }
        settings.report = &report;
    }
    TlsTrust trust;
    if (!trust.Apply(options, err)) return kExitUsage;

    JobHost host(std::move(settings), err);
    const auto user = reinterpret_cast<uintptr_t>(&out);
    const int result = Quarv_Execute3(run.c_str(), user, PrintLine, PrintLine, host.Hooks());
    const int status = result == 0 ? 0 : kExitFailed;
    host.Finish(result, status);
    if (result == 0) return 0;
    if (result == QUARV_STOPPED)
        err << "quarv: " << script << " stopped on request (result " << result << ")\n";
    else
        err << FailureOf(script) << '\n';
    return kExitFailed;
}
