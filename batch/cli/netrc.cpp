// SPDX-License-Identifier: MIT
#include "netrc.h"

#include <sys/stat.h>

#include <strings.h>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

class Tokens {
  public:
    explicit Tokens(std::string_view text) : text_(text) {}

    std::optional<std::string> Next() {
        while (at_ < text_.size() && IsBlank(text_[at_]))
            ++at_;
        if (at_ >= text_.size()) return std::nullopt;
        std::string token;
        if (text_[at_] == '"') {
            for (++at_; at_ < text_.size() && text_[at_] != '"'; ++at_) {
                if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
                token.push_back(text_[at_]);
            }
            ++at_;
            return token;
        }
        while (at_ < text_.size() && !IsBlank(text_[at_]))
            token.push_back(text_[at_++]);
        return token;
    }

    // A macro definition runs to the first empty line.
    void SkipMacro() {
        const std::size_t end = text_.find("\n\n", at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 2;
    }

  private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<Netrc> Netrc::Load(const std::string& path, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
#ifndef _WIN32
    // Windows keeps access in ACLs, not mode bits: the profile folder guards the file there.
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        error = path + ": refused, other users may read or change it (chmod 600 " + path + ")";
        return std::nullopt;
    }
#endif
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    return Parse(text.str());
}

Netrc Netrc::Parse(std::string_view text) {
    Netrc netrc;
    Tokens tokens(text);
    NetrcEntry* entry = nullptr;
    while (std::optional<std::string> token = tokens.Next()) {
        if (*token == "machine" || *token == "default") {
            netrc.entries_.emplace_back();
            entry = &netrc.entries_.back();
            if (*token == "machine") entry->machine = tokens.Next().value_or("");
        } else if (*token == "macdef") {
            tokens.Next();
            tokens.SkipMacro();
        } else if (entry != nullptr &&
                   (*token == "login" || *token == "password" || *token == "account")) {
            std::string value = tokens.Next().value_or("");
            if (*token == "login") entry->login = std::move(value);
            if (*token == "password") entry->password = std::move(value);
            if (*token == "account") entry->account = std::move(value);
        }
    }
    return netrc;
}

const NetrcEntry* Netrc::Find(std::string_view host, std::string_view login) const {
    const std::string machine = MachineOf(host);
    const auto fits = [&](const NetrcEntry& entry) {
        return login.empty() || entry.login.empty() || entry.login == login;
    };
    for (const NetrcEntry& entry : entries_)
        if (!entry.machine.empty() && strcasecmp(entry.machine.c_str(), machine.c_str()) == 0 &&
            fits(entry))
            return &entry;
    for (const NetrcEntry& entry : entries_)
        if (entry.machine.empty() && fits(entry)) return &entry;
    return nullptr;
}

std::string MachineOf(std::string_view host) {
    for (std::string_view scheme : {"ftpes:", "ftps:", "ftp:"})
        if (host.size() >= scheme.size() &&
            strncasecmp(host.data(), scheme.data(), scheme.size()) == 0) {
            host.remove_prefix(scheme.size());
            break;
        }
    while (host.size() >= 2 && host.substr(0, 2) == "//")
        host.remove_prefix(2);
    if (!host.empty() && host.front() == '[') {
        const std::size_t close = host.find(']');
        return std::string(host.substr(1, close == std::string_view::npos ? close : close - 1));
    }
    const std::size_t colon = host.find(':');
    // More than one colon: an IPv6 address without brackets, taken whole.
    if (colon != std::string_view::npos && host.find(':', colon + 1) == std::string_view::npos)
        host = host.substr(0, colon);
    return std::string(host);
}
