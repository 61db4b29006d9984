// SPDX-License-Identifier: MIT
// What quarv adds around the engine while a script runs (the host hooks of Quarv_Execute3):
// ${NAME} from the environment, passwords from a netrc file, the progress line, the -v lines
// and the --report records.
#pragma once

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "json_report.h"
#include "netrc.h"
#include "progress_line.h"
#include "quarv32.h"

struct JobSettings {
    std::string script;  // the name records and messages show
    bool env = false;
    std::optional<Netrc> netrc;
    bool progressLine = false;
    bool verbose = false;
    bool quiet = false;
    bool echo = false;
    JsonReport* report = nullptr;  // null: no report
};

class JobHost {
  public:
    JobHost(JobSettings settings, std::ostream& err);
    // Removes the progress handler it installed.
    ~JobHost();
    JobHost(const JobHost&) = delete;
    JobHost& operator=(const JobHost&) = delete;

    const QuarvHost* Hooks() const { return &hooks_; }
    // Writes the run's record (when reporting) for the script's result and exit status.
    void Finish(int result, int exitStatus);

  private:
    static int Expand(uintptr_t user, const char* line, char* out, int size);
    static int Credentials(uintptr_t user, const char* host, char* login, char* password,
                           char* account, int size);
    static void Statement(uintptr_t user, const QuarvStatement* statement, int done);
    static void Progress(int h, long long done, long long total, void* user);
    void StatementDone(const QuarvStatement& statement);

    JobSettings settings_;
    std::ostream& err_;
    QuarvHost hooks_{};
    bool progressHandler_ = false;
    TransferMeter meter_;
    ProgressLine line_;
    std::string statement_;  // the statement under way, for the progress and -v lines
    int statements_ = 0;
    int failed_ = 0;
    long long bytes_ = 0;
    std::string started_ = UtcTimestamp();
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
