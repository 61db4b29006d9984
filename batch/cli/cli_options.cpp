// SPDX-License-Identifier: MIT
#include "cli_options.h"

#include <CLI/CLI.hpp>

#include "quarv32_version.h"
#include "varnix32.h"

std::string VersionText() {
    const int library = varnix_version();
    std::string minor = std::to_string(library % 100);
    if (minor.size() < 2) minor.insert(0, "0");
    return "quarv " QUARV32_RELEASE " (varnix32 " + std::to_string(library / 100) + "." + minor +
           ")";
}

int ParseOptions(int argc, const char* const* argv, CliOptions& o, std::ostream& out,
                 std::ostream& err) {
    CLI::App app{"Runs an FTP batch script and prints its statements and server replies.", "quarv"};
    app.add_option("SCRIPT", o.script, "the script file to run; - reads it from standard input")
        ->required();
    app.add_flag("--echo", o.echo, "show every statement and reply from the first line on");
    auto* progress = app.add_flag_callback(
        "--progress", [&] { o.progress = true; },
        "show a progress line for transfers even when standard error is not a terminal");
    app.add_flag_callback(
           "--no-progress", [&] { o.progress = false; }, "never show a progress line")
        ->excludes(progress);
    auto* quiet =
        app.add_flag("-q,--quiet", o.quiet, "nothing on standard error but the failure line");
    app.add_flag("-v,--verbose", o.verbose, "after each transfer, its bytes, seconds and rate")
        ->excludes(quiet);
    app.add_option("--cacert", o.cacert, "trust the CA certificates in FILE (PEM) for FTPS")
        ->type_name("FILE");
    app.add_flag("--insecure", o.insecure,
                 "accept server certificates that fail verification (warns)");
    auto* netrc =
        app.add_flag("-n,--netrc", o.netrc, "a login without password takes it from ~/.netrc");
    app.add_option("--netrc-file", o.netrcFile, "as --netrc, from FILE")
        ->type_name("FILE")
        ->excludes(netrc);
    app.add_flag("--env", o.env, "replace ${NAME} in script lines by the environment variable");
    app.add_option("--report", o.report,
                   "append a JSON Lines record per statement and per run to FILE")
        ->type_name("FILE");
    app.set_version_flag("--version", VersionText());
    app.footer(
        "Exit status: 0 the script ran to its end, 1 a statement failed or the script was "
        "stopped, 2 a usage error or a script that cannot be read, 128+N stopped by signal N.\n"
        "The script language: /usr/share/doc/quarv/script-language.md (docs/ in the source). "
        "Everything else: man quarv.");
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return "quarv: " + std::string(e.what()) + "\nRun with --help for more information.\n";
    });
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? 0 : 2;
    }
    return -1;
}
