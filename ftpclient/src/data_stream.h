// SPDX-License-Identifier: MIT
// Streamed transfers: one data connection opened by ftp_openread... or ftp_openwrite...,
// read or written in chunks by the caller, and closed with the server's final reply.
#pragma once

#include <string>

#include "ascii_codec.h"
#include "ftp_session.h"

namespace varnix {

struct OpenStream {
    enum class Direction { Read, Write };
    Direction direction = Direction::Read;
    DataChannel channel;
    bool ascii = false;
    AsciiDecoder decoder;
    std::string wire;     // bytes as read from the data connection
    std::string pending;  // converted bytes not handed out yet
    std::size_t pendingStart = 0;
    bool ended = false;  // the data connection has ended (read) or failed
    Status failure;      // why a read or write failed
    long long done = 0;
    long long total = -1;
};

enum class ReadKind { File, NameList, LongList };

Status openReadStream(FtpSession& session, ReadKind kind, const std::string& name);
// Bytes copied into buffer; 0 at the end; a negative code on failure.
int readStream(FtpSession& session, char* buffer, int size, Status& status);
Status closeReadStream(FtpSession& session);

Status openWriteStream(FtpSession& session, const std::string& remote, bool append,
                       long long total);
int writeStream(FtpSession& session, const char* data, int length, Status& status);
Status closeWriteStream(FtpSession& session);

// Drops an open stream at once, telling the server (ABOR) when the connection allows.
void abandonStream(FtpSession& session);

}  // namespace varnix
