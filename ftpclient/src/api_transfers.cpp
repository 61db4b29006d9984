// SPDX-License-Identifier: MIT
// C entry points: gets, puts, groups of files and server-to-server copies.
#include <memory>

#include "api_support.h"
#include "listing.h"
#include "remote_copy.h"
#include "transfer.h"

using namespace varnix;

namespace {

int get(int h, const char* remote, const char* local, GetMode mode, long long offset) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(remote, "remote file name"));
        VARNIX_RETURN_IF_ERROR(api::requireText(local, "local file name"));
        return getFile(s, remote, local, mode, offset);
    });
}

int put(int h, const char* local, const char* remote, PutMode mode, long long offset) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireText(local, "local file name"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(remote, "remote file name"));
        return putFile(s, local, remote, mode, offset);
    });
}

// Both handles held for the copy: calls on either wait their turn.
int copy(int from, int to, const char* fromFile, const char* toFile, RemoteMode mode,
         long long offset, int binary) {
    return api::run(from, [&](FtpSession& source) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(fromFile, "source file name"));
        VARNIX_RETURN_IF_ERROR(api::requireWireText(toFile, "target file name"));
        if (from == to) return Status::invalid("A server-to-server copy needs two handles");
        auto target = api::sessions().find(to);
        if (!target) return Status::badHandle("Invalid handle " + std::to_string(to));
        if (!target->beginCall())
            return Status::busy("Another call is under way on handle " + std::to_string(to));
        Status copied = api::guarded([&] {
            return remoteCopy(source, *target, fromFile, toFile, mode, offset, binary != 0);
        });
        target->endCall();
        return copied;
    });
}

}  // namespace

extern "C" {

int ftp_get(int h, const char* remote, const char* local) {
    return get(h, remote, local, GetMode::Fresh, 0);
}

int ftp_RestartGet(int h, const char* remote, const char* local) {
    return get(h, remote, local, GetMode::AtLocalEnd, 0);
}

int ftp_RestartGetAt(int h, const char* remote, const char* local, long long offset) {
    return get(h, remote, local, GetMode::AtOffset, offset);
}

int ftp_put(int h, const char* local, const char* remote) {
    return put(h, local, remote, PutMode::Store, 0);
}

int ftp_append(int h, const char* local, const char* remote) {
    return put(h, local, remote, PutMode::Append, 0);
}

int ftp_RestartPut(int h, const char* local, const char* remote) {
    return put(h, local, remote, PutMode::AtRemoteEnd, 0);
}

int ftp_RestartPutAt(int h, const char* local, const char* remote, long long offset) {
    return put(h, local, remote, PutMode::AtOffset, offset);
}

int ftp_RestartAppendAt(int h, const char* local, const char* remote, long long offset) {
    return put(h, local, remote, PutMode::AppendFrom, offset);
}

int ftp_mget(int h, const char* pattern) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(pattern, "pattern"));
        return getMatching(s, pattern);
    });
}

int ftp_mput(int h, const char* pattern, int /*flag*/) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireText(pattern, "pattern"));
        return putMatching(s, pattern);
    });
}

int ftp_RemotePut(int from, int to, const char* fromfile, const char* tofile, int binary,
                  int restart) {
    return copy(from, to, fromfile, tofile, RemoteMode::Put, restart ? kResumeAtTargetEnd : 0,
                binary);
}

int ftp_RemoteAppend(int from, int to, const char* fromfile, const char* tofile, int binary) {
    return copy(from, to, fromfile, tofile, RemoteMode::Append, 0, binary);
}

int ftp_RestartRemotePutAt(int from, int to, const char* fromfile, const char* tofile,
                           long long offset, int binary) {
    if (offset < 0) offset = -2;  // refused below as a negative offset
    return copy(from, to, fromfile, tofile, RemoteMode::Put, offset, binary);
}

int ftp_RestartRemoteAppendAt(int from, int to, const char* fromfile, const char* tofile,
                              long long offset, int binary) {
    if (offset < 0) offset = -2;
    return copy(from, to, fromfile, tofile, RemoteMode::Append, offset, binary);
}

}  // extern "C"
