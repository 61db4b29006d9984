// SPDX-License-Identifier: MIT
#include "local_files.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "local_files_platform.h"
#include "sigpipe_guard.h"

namespace varnix {
namespace {

// open() that does not wait for the other end of a named pipe (it would wait for ever),
// then leaves the descriptor blocking as usual.
int openLocal(const std::string& path, int flags, mode_t mode = 0644) {
    int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd >= 0) {
        int now = ::fcntl(fd, F_GETFL, 0);
        if (now >= 0) ::fcntl(fd, F_SETFL, now & ~O_NONBLOCK);
    }
    return fd;
}

}  // namespace

namespace localfs {

int closeDescriptor(int fd) {
    return ::close(fd);
}

int createExclusive(const std::string& name) {
    return openLocal(name, O_WRONLY | O_CREAT | O_EXCL);
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace localfs

Result<LocalFile> LocalFile::openRead(const std::string& path) {
    LocalFile f;
    f.path_ = path;
    f.fd_ = openLocal(path, O_RDONLY);
    if (f.fd_ < 0) return localError("Cannot open local file", path, errno);
    struct stat st {};
    if (::fstat(f.fd_, &st) == 0 && S_ISDIR(st.st_mode))
        return Status::local("Local file " + path + " is a directory");
    ::posix_fadvise(f.fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return f;
}

Result<LocalFile> LocalFile::create(const std::string& path) {
    LocalFile f;
    f.path_ = path;
    f.fd_ = openLocal(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (f.fd_ < 0) return localError("Cannot create local file", path, errno);
    f.noteKind();
    return f;
}

Result<LocalFile> LocalFile::openAt(const std::string& path, long long offset) {
    LocalFile f;
    f.path_ = path;
    f.fd_ = openLocal(path, O_WRONLY | O_CREAT);
    if (f.fd_ < 0) return localError("Cannot open local file", path, errno);
    f.noteKind();
    long long size = f.size();
    if (size < offset)
        return Status::local("Local file " + path + " holds " + std::to_string(size) +
                             " bytes, fewer than the offset " + std::to_string(offset));
    if (::ftruncate(f.fd_, offset) != 0) return localError("Cannot truncate", path, errno);
    VARNIX_RETURN_IF_ERROR(f.seek(offset));
    return f;
}

void LocalFile::noteKind() {
    struct stat st {};
    pipeLike_ = ::fstat(fd_, &st) != 0 || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode);
}

Result<std::size_t> LocalFile::read(char* buffer, std::size_t size) {
    for (;;) {
        ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) return localError("Cannot read local file", path_, errno);
    }
}

Status LocalFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n;
        int error;
        if (pipeLike_) {
            SigpipeGuard guard;  // a pipe whose reader is gone raises SIGPIPE
            n = ::write(fd_, data, size);
            error = errno;
        } else {
            n = ::write(fd_, data, size);
            error = errno;
        }
        if (n < 0) {
            if (error == EINTR) continue;
            return localError("Cannot write local file", path_, error);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return Status::ok();
}

Status LocalFile::seek(long long offset) {
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        return localError("Cannot seek in local file", path_, errno);
    return Status::ok();
}

Status LocalFile::truncate(long long size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        return localError("Cannot truncate", path_, errno);
    return Status::ok();
}

long long LocalFile::size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

std::string resolveLocal(const std::string& localPath, const std::string& name) {
    if (name.empty() || name.front() == '/' || localPath.empty()) return name;
    return localPath.back() == '/' ? localPath + name : localPath + "/" + name;
}

bool usableLocalName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos;
}

Status checkWritable(const std::string& path) {
    auto slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
    if (directory.empty()) directory = "/";
    VARNIX_RETURN_IF_ERROR(checkLocalDirectory(directory));
    if (::access(directory.c_str(), W_OK | X_OK) != 0)
        return localError("Cannot write into", directory, errno);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Status::local("Local file " + path + " is a directory");
        if (::access(path.c_str(), W_OK) != 0) return localError("Cannot write", path, errno);
    }
    return Status::ok();
}

long long localFileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<long long>(st.st_size);
}

bool wildcardMatch(const std::string& pattern, const std::string& name) {
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

std::vector<std::string> matchLocalFiles(const std::string& pattern) {
    std::vector<std::string> out;
    glob_t found{};
    if (::glob(pattern.c_str(), GLOB_NOSORT, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            struct stat st {};
            if (::stat(found.gl_pathv[i], &st) == 0 && S_ISREG(st.st_mode))
                out.emplace_back(found.gl_pathv[i]);
        }
    }
    ::globfree(&found);
    std::sort(out.begin(), out.end());
    return out;
}

Status deleteLocalFile(const std::string& file) {
    if (::unlink(file.c_str()) != 0) return localError("Cannot delete", file, errno);
    return Status::ok("Deleted " + file);
}

Status changeLocalDirectory(const std::string& directory) {
    if (::chdir(directory.c_str()) != 0)
        return localError("Cannot change the local directory to", directory, errno);
    char cwd[4096];
    std::string now = ::getcwd(cwd, sizeof cwd) ? cwd : directory;
    return Status::ok("Local directory now " + now);
}

Status checkLocalDirectory(const std::string& directory) {
    struct stat st {};
    if (::stat(directory.c_str(), &st) != 0) return localError("Cannot use", directory, errno);
    if (!S_ISDIR(st.st_mode)) return Status::local(directory + " is not a directory");
    return Status::ok();
}

}  // namespace varnix
