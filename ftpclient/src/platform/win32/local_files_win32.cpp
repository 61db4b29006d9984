// SPDX-License-Identifier: MIT
// Local files on Windows: the C runtime's descriptors opened through the UTF-16 calls, so that
// UTF-8 names outside ASCII work; wildcards through FindFirstFileW.
#include "platform/net.h"  // winsock2.h before windows.h

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "local_files.h"
#include "local_files_platform.h"
#include "platform/win32/utf16.h"

namespace varnix {
namespace {

using platform::narrow;
using platform::widen;

// Reads and writes of the C runtime take an unsigned int count.
constexpr std::size_t kMaxCall = 1u << 30;

int openLocal(const std::string& path, int flags) {
    return ::_wopen(widen(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool statLocal(const std::string& path, struct _stat64& st) {
    return ::_wstat64(widen(path).c_str(), &st) == 0;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// "C:\x", "C:/x", "\x", "\\server\share": names that do not hang below a local path.
bool isAbsolute(const std::string& name) {
    if (isSeparator(name.front())) return true;
    return name.size() >= 2 && name[1] == ':';
}

// Shell-style match with *, ? and [...]; case-insensitive as Windows names are.
bool matchFrom(const char* p, const char* n) {
    for (; *p; ++p, ++n) {
        if (*p == '*') {
            while (*p == '*')
                ++p;
            if (!*p) return true;
            for (; *n; ++n)
                if (matchFrom(p, n)) return true;
            return false;
        }
        if (!*n) return false;
        if (*p == '?') continue;
        if (*p == '[') {
            const char* q = p + 1;
            bool negate = *q == '!' || *q == '^';
            if (negate) ++q;
            bool found = false;
            for (; *q && *q != ']'; ++q) {
                if (q[1] == '-' && q[2] && q[2] != ']') {
                    if (::tolower(*n) >= ::tolower(*q) && ::tolower(*n) <= ::tolower(q[2]))
                        found = true;
                    q += 2;
                } else if (::tolower(*q) == ::tolower(*n)) {
                    found = true;
                }
            }
            if (!*q) return false;  // no closing bracket: no match
            if (found == negate) return false;
            p = q;
            continue;
        }
        if (::tolower(static_cast<unsigned char>(*p)) != ::tolower(static_cast<unsigned char>(*n)))
            return false;
    }
    return !*n;
}

}  // namespace

namespace localfs {

int closeDescriptor(int fd) {
    return ::_close(fd);
}

int createExclusive(const std::string& name) {
    return openLocal(name, _O_WRONLY | _O_CREAT | _O_EXCL);
}

// Names compared in full and without regard to case, as Windows finds files.
bool sameFile(const std::string& a, const std::string& b) {
    wchar_t fullA[MAX_PATH * 4], fullB[MAX_PATH * 4];
    return ::GetFullPathNameW(widen(a).c_str(), MAX_PATH * 4, fullA, nullptr) &&
           ::GetFullPathNameW(widen(b).c_str(), MAX_PATH * 4, fullB, nullptr) &&
           ::CompareStringOrdinal(fullA, -1, fullB, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace localfs

Result<LocalFile> LocalFile::openRead(const std::string& path) {
    struct _stat64 st {};
    if (statLocal(path, st) && (st.st_mode & _S_IFDIR))
        return Status::local("Local file " + path + " is a directory");
    LocalFile f;
    f.path_ = path;
    f.fd_ = openLocal(path, _O_RDONLY);
    if (f.fd_ < 0) return localError("Cannot open local file", path, errno);
    return f;
}

Result<LocalFile> LocalFile::create(const std::string& path) {
    LocalFile f;
    f.path_ = path;
    f.fd_ = openLocal(path, _O_WRONLY | _O_CREAT | _O_TRUNC);
    if (f.fd_ < 0) return localError("Cannot create local file", path, errno);
    return f;
}

Result<LocalFile> LocalFile::openAt(const std::string& path, long long offset) {
    LocalFile f;
    f.path_ = path;
    f.fd_ = openLocal(path, _O_WRONLY | _O_CREAT);
    if (f.fd_ < 0) return localError("Cannot open local file", path, errno);
    long long size = f.size();
    if (size < offset)
        return Status::local("Local file " + path + " holds " + std::to_string(size) +
                             " bytes, fewer than the offset " + std::to_string(offset));
    if (::_chsize_s(f.fd_, offset) != 0) return localError("Cannot truncate", path, errno);
    VARNIX_RETURN_IF_ERROR(f.seek(offset));
    return f;
}

Result<std::size_t> LocalFile::read(char* buffer, std::size_t size) {
    int n = ::_read(fd_, buffer, static_cast<unsigned>(std::min(size, kMaxCall)));
    if (n < 0) return localError("Cannot read local file", path_, errno);
    return static_cast<std::size_t>(n);
}

Status LocalFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        int n = ::_write(fd_, data, static_cast<unsigned>(std::min(size, kMaxCall)));
        if (n < 0) return localError("Cannot write local file", path_, errno);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return Status::ok();
}

Status LocalFile::seek(long long offset) {
    if (::_lseeki64(fd_, offset, SEEK_SET) < 0)
        return localError("Cannot seek in local file", path_, errno);
    return Status::ok();
}

Status LocalFile::truncate(long long size) {
    if (::_chsize_s(fd_, size) != 0) return localError("Cannot truncate", path_, errno);
    return Status::ok();
}

// Windows raises no SIGPIPE: every kind of file is written alike.
void LocalFile::noteKind() {
    pipeLike_ = false;
}

long long LocalFile::size() const {
    struct _stat64 st {};
    return ::_fstat64(fd_, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

std::string resolveLocal(const std::string& localPath, const std::string& name) {
    if (name.empty() || isAbsolute(name) || localPath.empty()) return name;
    if (isSeparator(localPath.back())) return localPath + name;
    // Joined with the separator the local path already uses; Windows takes either.
    return localPath + (localPath.find('\\') != std::string::npos ? "\\" : "/") + name;
}

bool usableLocalName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string_view::npos;
}

Status checkWritable(const std::string& path) {
    auto slash = path.find_last_of("/\\");
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    VARNIX_RETURN_IF_ERROR(checkLocalDirectory(directory));
    struct _stat64 st {};
    if (statLocal(path, st)) {
        if (st.st_mode & _S_IFDIR) return Status::local("Local file " + path + " is a directory");
        if (::_waccess(widen(path).c_str(), 2) != 0) return localError("Cannot write", path, errno);
    }
    return Status::ok();
}

long long localFileSize(const std::string& path) {
    struct _stat64 st {};
    return statLocal(path, st) ? static_cast<long long>(st.st_size) : -1;
}

bool wildcardMatch(const std::string& pattern, const std::string& name) {
    // As on other systems, a leading dot is matched only by a leading dot.
    if (!name.empty() && name.front() == '.' && (pattern.empty() || pattern.front() != '.'))
        return false;
    return matchFrom(pattern.c_str(), name.c_str());
}

std::vector<std::string> matchLocalFiles(const std::string& pattern) {
    std::vector<std::string> out;
    auto slash = pattern.find_last_of("/\\");
    std::string directory =
        slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    WIN32_FIND_DATAW found;
    HANDLE h = ::FindFirstFileW(widen(directory + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string name = narrow(found.cFileName);
        if (wildcardMatch(namePattern, name)) out.push_back(directory + name);
    } while (::FindNextFileW(h, &found));
    ::FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

Status deleteLocalFile(const std::string& file) {
    if (::_wunlink(widen(file).c_str()) != 0) return localError("Cannot delete", file, errno);
    return Status::ok("Deleted " + file);
}

Status changeLocalDirectory(const std::string& directory) {
    if (::_wchdir(widen(directory).c_str()) != 0)
        return localError("Cannot change the local directory to", directory, errno);
    wchar_t cwd[4096];
    std::string now = ::_wgetcwd(cwd, 4096) ? narrow(cwd) : directory;
    return Status::ok("Local directory now " + now);
}

Status checkLocalDirectory(const std::string& directory) {
    struct _stat64 st {};
    std::string path = directory;
    // _wstat refuses a directory name ending in a separator, except a drive's root.
    while (path.size() > 1 && isSeparator(path.back()) && path[path.size() - 2] != ':')
        path.pop_back();
    if (!statLocal(path, st)) return localError("Cannot use", directory, errno);
    if (!(st.st_mode & _S_IFDIR)) return Status::local(directory + " is not a directory");
    return Status::ok();
}

}  // namespace varnix
