// SPDX-License-Identifier: MIT
// Moving bytes over a data connection: into a sink (a local file, a listing, a spool of
// names) or out of a source, through one bounded buffer, with ASCII conversion, progress
// and abort; and the get/put family built on it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "ftp_session.h"
#include "local_files.h"

namespace varnix {

// Bytes per read from a data connection; the buffers of a get or listing are this large
// (with one more for ASCII conversion), whatever the size of the file.
constexpr std::size_t kTransferChunk = 256 * 1024;
// Bytes per read of a local file that is sent (twice that for ASCII conversion): few enough
// that they are still in the processor's caches when the kernel copies them out, and a
// server on the same machine still finds them there.
constexpr std::size_t kSendChunk = 64 * 1024;

using Sink = std::function<Status(const char* data, std::size_t size)>;
using Source = std::function<Result<std::size_t>(char* buffer, std::size_t size)>;

// Reads the data connection to its end into sink (CRLF to LF when ascii), then the server's
// final reply. `done` counts bytes before this transfer (resume), and total the whole size
// when known (else the size the server announced), for progress.
Status receiveData(FtpSession& session, DataChannel& channel, bool ascii, const Sink& sink,
                   long long done = 0, long long total = -1);
// Sends source to its end (LF to CRLF when ascii), ends the data connection and reads the
// server's final reply. total: the bytes expected, for progress (-1 unknown).
Status sendData(FtpSession& session, DataChannel& channel, bool ascii, const Source& source,
                long long done, long long total);

enum class GetMode {
    Fresh,       // from the start; local unique mode picks a free name
    AtLocalEnd,  // resume where the local file ends
    AtOffset,    // resume at the offset given
};

Status getFile(FtpSession& session, const std::string& remote, const std::string& local,
               GetMode mode, long long offset = 0);

enum class PutMode {
    Store,        // STOR, or STOU in store unique mode
    Append,       // APPE of the whole file
    AtRemoteEnd,  // resume where the remote file ends
    AtOffset,     // local bytes from offset on stored at the remote offset
    AppendFrom,   // local bytes from offset on appended
};

Status putFile(FtpSession& session, const std::string& local, const std::string& remote,
               PutMode mode, long long offset = 0);
// As putFile, with a local path that is already resolved.
Status putLocalFile(FtpSession& session, const std::string& path, const std::string& remote,
                    PutMode mode, long long offset = 0);

// SIZE in binary type: the size, or the refusal (-550 for a missing file).
Result<long long> remoteSize(FtpSession& session, const std::string& name);

}  // namespace varnix
