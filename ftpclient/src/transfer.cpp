// SPDX-License-Identifier: MIT
#include "transfer.h"

#include <memory>

#include "ascii_codec.h"
#include "local_files.h"

namespace varnix {
namespace {

bool asciiType(FtpSession& session) {
    return session.settings().type == TransferType::Ascii;
}

Status checkOffset(long long offset) {
    if (offset < 0) return Status::invalid("Negative offset " + std::to_string(offset));
    return Status::ok();
}

}  // namespace

Status receiveData(FtpSession& session, DataChannel& channel, bool ascii, const Sink& sink,
                   long long done, long long total) {
    if (channel.stream) {
        auto wire = std::make_unique<char[]>(kTransferChunk);
        std::unique_ptr<char[]> converted;
        if (ascii) converted = std::make_unique<char[]>(kTransferChunk + 1);
        AsciiDecoder decoder;
        if (total < 0) total = channel.announced;
        session.reportProgress(done, total);
        for (;;) {
            auto n = channel.stream->read(wire.get(), kTransferChunk, session.dataWait());
            if (!n.isOk())
                return session.abortData(channel, session.dataFailure(channel, n.status(), true));
            if (*n == 0) break;
            channel.wireBytes += static_cast<long long>(*n);
            Status written =
                ascii ? sink(converted.get(), decoder.decode(wire.get(), *n, converted.get()))
                      : sink(wire.get(), *n);
            if (!written.isOk()) return session.abortData(channel, written);
            session.reportProgress(done + channel.wireBytes, total);
        }
        if (ascii) {
            std::size_t tail = decoder.finish(converted.get());
            if (tail > 0) VARNIX_RETURN_IF_ERROR(sink(converted.get(), tail));
        }
    }
    return session.finishData(channel);
}

Status sendData(FtpSession& session, DataChannel& channel, bool ascii, const Source& source,
                long long done, long long total) {
    if (!channel.stream) return session.finishData(channel);
    auto local = std::make_unique<char[]>(kSendChunk);
    std::unique_ptr<char[]> converted;
    if (ascii) converted = std::make_unique<char[]>(2 * kSendChunk);
    session.reportProgress(done, total);
    long long sent = 0;
    for (;;) {
        auto n = source(local.get(), kSendChunk);
        if (!n.isOk()) return session.abortData(channel, n.status());
        if (*n == 0) break;
        const char* out = local.get();
        std::size_t size = *n;
        if (ascii) {
            size = encodeAscii(local.get(), *n, converted.get());
            out = converted.get();
        }
        Status written = channel.stream->write(out, size, session.dataWait());
        if (!written.isOk())
            return session.abortData(channel, session.dataFailure(channel, written, false));
        channel.wireBytes += static_cast<long long>(size);
        sent += static_cast<long long>(*n);
        session.reportProgress(done + sent, total);
    }
    Status ended = channel.stream->finish(session.dataWait());
    if (!ended.isOk())
        return session.abortData(channel, session.dataFailure(channel, ended, false));
    return session.finishData(channel);
}

Result<long long> remoteSize(FtpSession& session, const std::string& name) {
    VARNIX_RETURN_IF_ERROR(session.ensureType(TransferType::Binary));
    auto reply = session.command("SIZE " + name);
    if (!reply.isOk()) return reply.status();
    if (reply->code == 213) return parseSizeReply(reply->text());
    if (reply->negative()) return Status::refused(reply->code, reply->text());
    return Status::protocol("Unexpected reply to SIZE: " + reply->text());
}

Status getFile(FtpSession& session, const std::string& remote, const std::string& local,
               GetMode mode, long long offset) {
    TransferRecord& record = session.transferRecord();
    record = TransferRecord{};
    record.remote = remote;
    if (remote.empty()) return Status::invalid("No remote file name given");
    std::string name = local.empty() ? lastComponent(remote) : local;
    if (name.empty()) return Status::invalid("No local name for remote file " + remote);
    std::string path = resolveLocal(session.settings().localPath, name);
    record.local = path;
    if (mode == GetMode::AtLocalEnd) offset = std::max(0LL, localFileSize(path));
    if (mode == GetMode::Fresh) offset = 0;
    VARNIX_RETURN_IF_ERROR(checkOffset(offset));
    VARNIX_RETURN_IF_ERROR(checkWritable(path));
    if (offset > 0 && localFileSize(path) < offset)
        return Status::local("Local file " + path + " holds fewer bytes than the offset " +
                             std::to_string(offset));
    // With progress reports on, the size tells how far the transfer has come; a resume needs
    // it to tell whether the server honoured REST (binary type: in ASCII the size on the wire
    // differs, and SIZE would need a switch of type).
    long long total = -1;
    bool binary = !asciiType(session);
    if ((session.settings().statusBox || offset > 0) && binary) {
        auto size = remoteSize(session, remote);
        if (size.isOk()) total = *size;
    }
    VARNIX_RETURN_IF_ERROR(session.ensureType(session.settings().type));

    auto channel = session.openData("RETR " + remote, offset);
    if (!channel.isOk()) return channel.status();
    if (binary) channel->remoteSize = total;
    // A server that accepts REST and then sends the whole file anyway sends more than the
    // file holds after the offset: stopped before it lands behind the partial file.
    long long whole = total >= 0 ? total : channel->announced;
    long long restLimit = offset > 0 && binary && whole >= 0 ? whole - offset : -1;
    // The local file is touched only now that the server is sending: a refused get leaves
    // an existing local file as it was.
    Result<LocalFile> file = mode != GetMode::Fresh           ? LocalFile::openAt(path, offset)
                             : session.settings().localUnique ? LocalFile::createUnique(path)
                                                              : LocalFile::create(path);
    if (!file.isOk()) return session.abortData(*channel, file.status());
    LocalFile& out = *file;
    record.opened = true;
    record.local = out.path();
    DataChannel& data = *channel;
    bool restIgnored = false;
    Status received = receiveData(
        session, data, asciiType(session),
        [&](const char* bytes, std::size_t size) {
            if (restLimit >= 0 && data.wireBytes > restLimit) {
                restIgnored = true;
                return Status::protocol("The server accepted REST " + std::to_string(offset) +
                                        " but sent more than the " + std::to_string(restLimit) +
                                        " bytes after it: it ignored the offset");
            }
            Status written = out.write(bytes, size);
            if (written.isOk()) record.written += static_cast<long long>(size);
            return written;
        },
        offset, total);
    // The partial file as it was: nothing of a transfer that started from the wrong place.
    if (restIgnored && out.truncate(offset).isOk()) record.written = 0;
    Status closed = out.close();
    if (!received.isOk()) return received;
    if (!closed.isOk()) return closed;
    if (out.path() != path)
        return Status::ok(session.lastReply().text() + "\nSaved as " + out.path());
    return Status::ok();
}

Status putFile(FtpSession& session, const std::string& local, const std::string& remote,
               PutMode mode, long long offset) {
    if (local.empty()) return Status::invalid("No local file name given");
    return putLocalFile(session, resolveLocal(session.settings().localPath, local), remote, mode,
                        offset);
}

Status putLocalFile(FtpSession& session, const std::string& path, const std::string& remote,
                    PutMode mode, long long offset) {
    std::string target = remote.empty() ? lastComponent(path) : remote;
    TransferRecord& record = session.transferRecord();
    record = TransferRecord{};
    record.local = path;
    record.remote = target;
    if (target.empty()) return Status::invalid("No remote name for local file " + path);
    VARNIX_RETURN_IF_ERROR(checkOffset(offset));
    auto file = LocalFile::openRead(path);
    if (!file.isOk()) return file.status();
    long long size = file->size();
    VARNIX_RETURN_IF_ERROR(session.requireIdleConnection());

    std::string command = "STOR " + target;
    long long rest = 0;
    switch (mode) {
        case PutMode::Store:
            if (session.settings().storeUnique) command = "STOU " + target;
            break;
        case PutMode::Append:
            command = "APPE " + target;
            offset = 0;
            break;
        case PutMode::AppendFrom:
            command = "APPE " + target;
            break;
        case PutMode::AtRemoteEnd: {
            auto there = remoteSize(session, target);
            if (!there.isOk() && there.status().code() != -550) return there.status();
            offset = there.isOk() ? *there : 0;
            rest = offset;
            break;
        }
        case PutMode::AtOffset:
            rest = offset;
            break;
    }
    if (offset > size)
        return Status::local("Local file " + file->path() + " holds " + std::to_string(size) +
                             " bytes, fewer than the offset " + std::to_string(offset));
    if (mode == PutMode::AtRemoteEnd && offset == size && size > 0)
        return Status::ok("Remote file " + target + " is already complete (" +
                          std::to_string(size) + " bytes)");
    VARNIX_RETURN_IF_ERROR(session.ensureType(session.settings().type));
    VARNIX_RETURN_IF_ERROR(file->seek(offset));

    auto channel = session.openData(command, rest);
    if (!channel.isOk() && rest > 0 && channel.status().code() <= -400) {
        // REST refused: appending gives the same result when the remote file ends at offset.
        bool endsAtOffset = mode == PutMode::AtRemoteEnd;
        if (!endsAtOffset) {
            auto there = remoteSize(session, target);
            endsAtOffset = there.isOk() && *there == offset;
        }
        if (endsAtOffset) {
            VARNIX_RETURN_IF_ERROR(session.ensureType(session.settings().type));  // after SIZE
            channel = session.openData("APPE " + target, 0);
        }
    }
    if (!channel.isOk() && mode == PutMode::Store && command.starts_with("STOU ") &&
        channel.status().code() == -501)
        channel = session.openData("STOU", 0);  // a server that takes no name with STOU
    if (!channel.isOk()) return channel.status();
    Reply opening = channel->opening;
    record.opened = true;
    if (command.starts_with("STOU")) {
        std::string given = uniqueNameOf(opening.text());
        if (!given.empty()) record.remote = given;
    }
    // The file goes through the transfer buffer rather than sendfile(): handed over by
    // reference, its pages would be read cold by the receiving side, and a server on the same
    // machine then spends far more time per byte.
    LocalFile& in = *file;
    Status sent = sendData(
        session, *channel, asciiType(session),
        [&in, &record](char* buffer, std::size_t n) {
            auto read = in.read(buffer, n);
            if (read.isOk()) record.written += static_cast<long long>(*read);
            return read;
        },
        offset, size);
    if (!sent.isOk()) return sent;
    if (command.starts_with("STOU"))
        return Status::ok(opening.text() + "\n" + session.lastReply().text());
    return Status::ok();
}

}  // namespace varnix
