// SPDX-License-Identifier: MIT
// The parts of local files that are the same on every platform: moving and closing a file,
// unique names, copies, and the names of paths.
#include <cerrno>
#include <memory>

#include "local_files.h"
#include "local_files_platform.h"
#include "socket.h"

namespace varnix {
namespace {

constexpr int kMaxUniqueSuffix = 9999;
constexpr std::size_t kCopyChunk = 256 * 1024;

}  // namespace

Status localError(const std::string& what, const std::string& path, int error) {
    return Status::local(what + " " + path + ": " + systemError(error));
}

LocalFile::LocalFile(LocalFile&& other) noexcept
    : fd_(other.fd_), pipeLike_(other.pipeLike_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

LocalFile& LocalFile::operator=(LocalFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) localfs::closeDescriptor(fd_);
        fd_ = other.fd_;
        pipeLike_ = other.pipeLike_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

LocalFile::~LocalFile() {
    if (fd_ >= 0) localfs::closeDescriptor(fd_);
}

Result<LocalFile> LocalFile::createUnique(const std::string& path) {
    for (int i = 0; i <= kMaxUniqueSuffix; ++i) {
        std::string name = i == 0 ? path : path + "." + std::to_string(i);
        int fd = localfs::createExclusive(name);
        if (fd >= 0) {
            LocalFile f;
            f.fd_ = fd;
            f.path_ = name;
            f.noteKind();
            return f;
        }
        if (errno != EEXIST) return localError("Cannot create local file", name, errno);
    }
    return Status::local("No free unique name for local file " + path);
}

Status LocalFile::close() {
    if (fd_ < 0) return Status::ok();
    int rc = localfs::closeDescriptor(fd_);
    fd_ = -1;
    if (rc != 0 && errno != EINTR) return localError("Cannot write local file", path_, errno);
    return Status::ok();
}

std::string lastComponent(std::string_view path) {
    auto slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?[") != std::string_view::npos;
}

Status copyLocalFile(const std::string& from, const std::string& to) {
    auto in = LocalFile::openRead(from);
    if (!in.isOk()) return in.status();
    if (localfs::sameFile(from, to)) return Status::local("Cannot copy " + from + " onto itself");
    auto out = LocalFile::create(to);
    if (!out.isOk()) return out.status();
    auto buffer = std::make_unique<char[]>(kCopyChunk);
    for (;;) {
        auto n = in->read(buffer.get(), kCopyChunk);
        if (!n.isOk()) return n.status();
        if (*n == 0) break;
        VARNIX_RETURN_IF_ERROR(out->write(buffer.get(), *n));
    }
    VARNIX_RETURN_IF_ERROR(out->close());
    return Status::ok("Copied " + from + " to " + to);
}

}  // namespace varnix
