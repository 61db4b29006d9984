// SPDX-License-Identifier: MIT
// Local files of transfers: names resolved against the handle's local path, unique names,
// files opened for writing from an offset, wildcard matches, copies and deletes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace varnix {

class LocalFile {
  public:
    LocalFile() = default;
    LocalFile(LocalFile&& other) noexcept;
    LocalFile& operator=(LocalFile&& other) noexcept;
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;
    ~LocalFile();

    static Result<LocalFile> openRead(const std::string& path);
    // Created, or emptied when it exists.
    static Result<LocalFile> create(const std::string& path);
    // The first of path, path.1, path.2, ... that does not exist yet.
    static Result<LocalFile> createUnique(const std::string& path);
    // Kept up to offset and written from there (created when missing and offset is 0); a
    // file shorter than offset is refused, since the gap would hold no data.
    static Result<LocalFile> openAt(const std::string& path, long long offset);

    const std::string& path() const { return path_; }
    int fd() const { return fd_; }
    Result<std::size_t> read(char* buffer, std::size_t size);
    Status write(const char* data, std::size_t size);
    Status seek(long long offset);
    // Cuts the file to size bytes.
    Status truncate(long long size);
    long long size() const;
    // Closes and reports a failed final write (a full disk shows here on some systems).
    Status close();

  private:
    // Notes whether writes can raise SIGPIPE: only a pipe or a socket can.
    void noteKind();

    int fd_ = -1;
    bool pipeLike_ = false;
    std::string path_;
};

// name, resolved: absolute names stay; relative ones go under localPath when it is set,
// else they stay relative to the current directory.
std::string resolveLocal(const std::string& localPath, const std::string& name);
// The last component of a path, after the last '/' or '\'.
std::string lastComponent(std::string_view path);
// A name that may be created in a local directory: not empty, not "." or "..".
bool usableLocalName(std::string_view name);
// Whether path can be written (its directory exists and takes files; an existing file may
// be written), checked before a transfer starts, so that a local mistake does not have to
// stop a transfer the server has already begun.
Status checkWritable(const std::string& path);
// Size of a local file; -1 when it does not exist.
long long localFileSize(const std::string& path);
// Regular files matching a wildcard pattern (*, ?, [...]), sorted.
std::vector<std::string> matchLocalFiles(const std::string& pattern);
bool hasWildcard(std::string_view text);
// Shell-style match of one name against one pattern component.
bool wildcardMatch(const std::string& pattern, const std::string& name);

Status copyLocalFile(const std::string& from, const std::string& to);
Status deleteLocalFile(const std::string& file);
Status changeLocalDirectory(const std::string& directory);
Status checkLocalDirectory(const std::string& directory);

}  // namespace varnix
