// SPDX-License-Identifier: MIT
// The hooks of a host program (Quarv_Execute3): line rewriting, credentials for a login
// without password, a call before and after each statement, progress reports. Without a host
// none of this runs and a script reads as it always did.
#include <chrono>
#include <cstring>
#include <vector>

#include "interpreter.h"
#include "quarv32_session.h"
#include "varnix32.h"

namespace {

// Texts the host writes into buffers of ours; a bound that any sane name or password fits.
constexpr int kCredentialSize = 1024;
// A rewritten line may grow; beyond this the host's answer is refused rather than followed.
constexpr int kLongestLine = 1 << 20;

std::string TextIn(const std::vector<char>& buffer) {
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

}  // namespace

bool CInterpreter::ExpandLine(std::string& message) {
    if (host_ == nullptr || host_->expand == nullptr) return true;
    std::vector<char> out(currentLine_.size() + 256);
    for (int attempt = 0; attempt < 2; ++attempt) {
        out.back() = '\0';
        const int size = static_cast<int>(out.size());
        const int length = host_->expand(host_->user, currentLine_.c_str(), out.data(), size);
        if (length < 0) {
            out.back() = '\0';
            message = TextIn(out);
            if (message.empty()) message = "The line could not be rewritten.";
            return false;
        }
        if (length < size) {
            currentLine_.assign(out.data(), static_cast<std::size_t>(length));
            return true;
        }
        if (length >= kLongestLine) break;
        out.assign(static_cast<std::size_t>(length) + 1, '\0');
    }
    message = "The rewritten line is too long.";
    return false;
}

int CInterpreter::RunLine() {
    // An else or endif belongs to the if statement around it, not a statement of its own.
    CTokenizer first(false);
    first.SetLine(currentLine_);
    const int code = first.GetNextToken();
    const bool statement = code != TK_ELSE && code != TK_ENDIF;
    const std::string shown = statement ? MaskSecrets(currentLine_) : std::string();

    EchoStatement(currentLine_);
    if (statement) TellHost(shown, 0, 0.0, false);
    lastShown_.clear();
    const auto start = std::chrono::steady_clock::now();
    int result = 0;
    if (!expandError_.empty()) {
        EchoLine(expandError_);
        result = kSyntaxError;
    } else {
        result = ExecuteLine();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (statement) TellHost(shown, result, took.count(), true);
    return result;
}

void CInterpreter::TellHost(const std::string& statement, int result, double seconds, bool done) {
    if (host_ == nullptr || host_->statement == nullptr) return;
    std::string reply = done ? lastShown_ : std::string();
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.pop_back();
    const std::string session = current_ != nullptr ? current_->GetName() : std::string("#0");
    const QuarvStatement record{currentLineNumber_, statement.c_str(), session.c_str(),
                                done ? result : 0,  reply.c_str(),     done ? seconds : 0.0};
    host_->statement(host_->user, &record, done ? 1 : 0);
}

void CInterpreter::AskHostForCredentials(const std::string& host, std::string& user,
                                         std::string& password, std::string& account) {
    if (!password.empty() || host_ == nullptr || host_->credentials == nullptr) return;
    std::vector<char> login(kCredentialSize, '\0'), secret(kCredentialSize, '\0'),
        extra(kCredentialSize, '\0');
    login.assign(user.begin(), user.end());
    login.resize(kCredentialSize, '\0');
    if (user.size() >= kCredentialSize) return;
    if (host_->credentials(host_->user, host.c_str(), login.data(), secret.data(), extra.data(),
                           kCredentialSize) != 1)
        return;
    login.back() = secret.back() = extra.back() = '\0';
    if (user.empty()) user = TextIn(login);
    password = TextIn(secret);
    if (account.empty()) account = TextIn(extra);
}

void CInterpreter::StartHostProgress() {
    if (host_ == nullptr || !host_->progress || current_ == nullptr) return;
    ftp_statusbox(current_->GetHandle(), 1);
}
