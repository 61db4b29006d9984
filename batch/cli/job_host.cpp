// SPDX-License-Identifier: MIT
#include "job_host.h"

#include <cstring>

#include "env_expander.h"
#include "varnix32.h"

namespace {

JobHost& HostOf(uintptr_t user) {
    return *reinterpret_cast<JobHost*>(user);
}

// Copies text into a caller's buffer of size bytes, cut to fit, NUL-terminated.
void CopyOut(const std::string& text, char* out, int size) {
    if (size <= 0) return;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

}  // namespace

JobHost::JobHost(JobSettings settings, std::ostream& err)
    : settings_(std::move(settings)), err_(err), line_(err) {
    hooks_.user = reinterpret_cast<uintptr_t>(this);
    hooks_.echo = settings_.echo ? 1 : 0;
    if (settings_.env) hooks_.expand = &JobHost::Expand;
    if (settings_.netrc) hooks_.credentials = &JobHost::Credentials;
    hooks_.statement = &JobHost::Statement;
    const bool counting = settings_.progressLine || settings_.verbose || settings_.report;
    if (counting) {
        hooks_.progress = 1;
        varnix_setprogresshandler(&JobHost::Progress, this);
        progressHandler_ = true;
    }
}

JobHost::~JobHost() {
    if (progressHandler_) varnix_setprogresshandler(nullptr, nullptr);
}

int JobHost::Expand(uintptr_t, const char* line, char* out, int size) {
    const Expansion expansion = ExpandEnv(line, ProcessEnv);
    if (!expansion.missing.empty()) {
        CopyOut("The environment variable " + expansion.missing + " is not set.", out, size);
        return -1;
    }
    CopyOut(expansion.line, out, size);
    return static_cast<int>(std::min<std::size_t>(expansion.line.size(), 1 << 30));
}

int JobHost::Credentials(uintptr_t user, const char* host, char* login, char* password,
                         char* account, int size) {
    const JobHost& self = HostOf(user);
    const NetrcEntry* entry = self.settings_.netrc->Find(host, login);
    if (entry == nullptr) return 0;
    if (login[0] == '\0') CopyOut(entry->login, login, size);
    CopyOut(entry->password, password, size);
    CopyOut(entry->account, account, size);
    return 1;
}

void JobHost::Statement(uintptr_t user, const QuarvStatement* statement, int done) {
    JobHost& self = HostOf(user);
    if (done) {
        self.StatementDone(*statement);
        return;
    }
    self.meter_.Reset();
    self.statement_ = statement->statement;
    if (self.settings_.progressLine) self.line_.Begin(self.statement_);
}

void JobHost::StatementDone(const QuarvStatement& statement) {
    line_.Clear();
    ++statements_;
    if (statement.result != 0) ++failed_;
    bytes_ += meter_.Bytes();
    if (settings_.verbose && meter_.Transferred())
        err_ << "quarv: " << TransferSummary(statement_, meter_.Bytes(), statement.seconds) << '\n';
    if (settings_.report != nullptr)
        settings_.report->Write(StatementRecord{
            settings_.script, statement.line, statement.statement, statement.session,
            statement.result, statement.reply, meter_.Bytes(), statement.seconds});
    // An if statement's record comes after those of its block: its bytes are counted once.
    meter_.Reset();
}

void JobHost::Progress(int h, long long done, long long total, void* user) {
    JobHost& self = *static_cast<JobHost*>(user);
    self.meter_.Report(h, done, total);
    if (self.settings_.progressLine) self.line_.Update(done, total);
}

void JobHost::Finish(int result, int exitStatus) {
    line_.Clear();
    if (settings_.report == nullptr) return;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start_;
    settings_.report->Write(RunRecord{settings_.script, result, exitStatus, statements_, failed_,
                                      bytes_, took.count(), started_});
}
