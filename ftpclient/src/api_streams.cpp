// SPDX-License-Identifier: MIT
// C entry points: streamed reads and writes over one data connection.
#include "api_support.h"
#include "data_stream.h"

using namespace varnix;

namespace {

int openRead(int h, ReadKind kind, const char* name, const char* what) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireWireText(name, what));
        return openReadStream(s, kind, name);
    });
}

int openWrite(int h, const char* remote, long long total, bool append) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(remote, "remote file name"));
        return openWriteStream(s, remote, append, total);
    });
}

}  // namespace

extern "C" {

int ftp_openreadforget(int h, const char* file) {
    return openRead(h, ReadKind::File, file, "remote file name");
}

int ftp_openreadforlist(int h, const char* mask) {
    return openRead(h, ReadKind::NameList, mask, "mask");
}

int ftp_openreadfordir(int h, const char* mask) {
    return openRead(h, ReadKind::LongList, mask, "mask");
}

int ftp_readdata(int h, char* buffer, int size) {
    int n = 0;
    Status status = api::call(h, [&](FtpSession& s) -> Status {
        if (!buffer || size < 1) return Status::invalid("No buffer given to read into");
        Status read;
        n = readStream(s, buffer, size, read);
        return read;
    });
    return status.isOk() ? n : status.code();
}

int ftp_closeread(int h) {
    return api::run(h, [](FtpSession& s) { return closeReadStream(s); });
}

int ftp_openwriteforput(int h, const char* remote, long long total) {
    return openWrite(h, remote, total, false);
}

int ftp_openwriteforappend(int h, const char* remote, long long total) {
    return openWrite(h, remote, total, true);
}

int ftp_writedata(int h, const char* data, int length) {
    int n = 0;
    Status status = api::call(h, [&](FtpSession& s) -> Status {
        if (length < 0) return Status::invalid("Negative length " + std::to_string(length));
        if (!data && length > 0) return Status::invalid("No data given (null pointer)");
        Status written;
        n = writeStream(s, data ? data : "", length, written);
        return written;
    });
    return status.isOk() ? n : status.code();
}

int ftp_closewrite(int h) {
    return api::run(h, [](FtpSession& s) { return closeWriteStream(s); });
}

}  // extern "C"
