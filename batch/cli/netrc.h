// SPDX-License-Identifier: MIT
// The netrc file of ftp, curl and lftp: "machine NAME login USER password SECRET account
// ACCT", and "default" for any other machine. Tokens are separated by white space; a token in
// double quotes may hold blanks and \" \\ escapes. "macdef" definitions are skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct NetrcEntry {
    std::string machine;  // empty for the default entry
    std::string login;
    std::string password;
    std::string account;
};

class Netrc {
  public:
    // Reads path; nullopt and `error` set when it cannot be read or is readable or writable by
    // others than its owner (it holds passwords).
    static std::optional<Netrc> Load(const std::string& path, std::string& error);
    static Netrc Parse(std::string_view text);

    // The entry for the host text of a login ("ftpes:name:port" names machine "name"): the
    // first of that machine, else the default entry; with a login given, only entries with
    // that login or none. nullptr when none fits.
    const NetrcEntry* Find(std::string_view host, std::string_view login) const;

  private:
    std::vector<NetrcEntry> entries_;
};

// The machine name in a login's host text: scheme, port and IPv6 brackets removed.
std::string MachineOf(std::string_view host);
