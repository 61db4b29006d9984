// SPDX-License-Identifier: MIT
#include "data_stream.h"

#include <memory>

#include "transfer.h"

namespace varnix {
namespace {

// Bytes read from the data connection per refill of the pending buffer.
constexpr std::size_t kStreamChunk = 64 * 1024;

Status noStream(const FtpSession& session, const char* kind) {
    return Status::invalid(std::string("No ") + kind + " stream is open on handle " +
                           std::to_string(session.handle()));
}

OpenStream* streamOf(FtpSession& session, OpenStream::Direction direction) {
    auto& stream = session.stream();
    return stream && stream->direction == direction ? stream.get() : nullptr;
}

// The open stream of that direction that has not failed yet; else null, and status says why.
OpenStream* usableStream(FtpSession& session, OpenStream::Direction direction, Status& status) {
    OpenStream* s = streamOf(session, direction);
    if (!s)
        status = noStream(session, direction == OpenStream::Direction::Read ? "read" : "write");
    else if (!s->failure.isOk())
        status = s->failure;
    else
        return s;
    return nullptr;
}

// Takes the stream out of the session, so that the control connection is free again.
std::unique_ptr<OpenStream> takeStream(FtpSession& session) {
    return std::move(session.stream());
}

// Reads the next chunk from the data connection into the pending buffer.
Status refill(FtpSession& session, OpenStream& s) {
    s.pending.resize(kStreamChunk + 1);
    s.pendingStart = 0;
    std::string& wire = s.wire;
    wire.resize(kStreamChunk);
    for (;;) {
        auto n = s.channel.stream->read(wire.data(), wire.size(), session.dataWait());
        if (!n.isOk()) {
            s.pending.clear();
            return session.dataFailure(s.channel, n.status(), true);
        }
        std::size_t out = 0;
        if (*n == 0) {
            s.ended = true;
            if (s.ascii) out = s.decoder.finish(s.pending.data());
        } else {
            s.channel.wireBytes += static_cast<long long>(*n);
            if (s.ascii) {
                out = s.decoder.decode(wire.data(), *n, s.pending.data());
            } else {
                std::copy(wire.data(), wire.data() + *n, s.pending.data());
                out = *n;
            }
        }
        s.pending.resize(out);
        if (out > 0 || s.ended) return Status::ok();
        // A chunk made only of a held-back CR: read on.
        s.pending.resize(kStreamChunk + 1);
    }
}

}  // namespace

Status openReadStream(FtpSession& session, ReadKind kind, const std::string& name) {
    VARNIX_RETURN_IF_ERROR(session.requireIdleConnection());
    std::string command;
    bool ascii = true;  // listings are text
    if (kind == ReadKind::File) {
        if (name.empty()) return Status::invalid("No remote file name given");
        VARNIX_RETURN_IF_ERROR(session.ensureType(session.settings().type));
        ascii = session.settings().type == TransferType::Ascii;
        command = "RETR " + name;
    } else {
        command = kind == ReadKind::LongList ? "LIST" : "NLST";
        if (!name.empty()) command += " " + name;
    }
    auto channel = session.openData(command);
    if (!channel.isOk()) return channel.status();
    auto stream = std::make_unique<OpenStream>();
    stream->direction = OpenStream::Direction::Read;
    stream->channel = std::move(*channel);
    stream->ascii = ascii;
    stream->total = stream->channel.announced;
    stream->ended = !stream->channel.stream;
    session.stream() = std::move(stream);
    return Status::ok();
}

int readStream(FtpSession& session, char* buffer, int size, Status& status) {
    OpenStream* s = usableStream(session, OpenStream::Direction::Read, status);
    if (!s) return status.code();
    if (s->pendingStart == s->pending.size() && !s->ended) {
        Status filled = refill(session, *s);
        if (!filled.isOk()) {
            s->failure = filled;
            status = filled;
            return status.code();
        }
    }
    std::size_t available = s->pending.size() - s->pendingStart;
    std::size_t n = std::min(available, static_cast<std::size_t>(size));
    std::copy(s->pending.data() + s->pendingStart, s->pending.data() + s->pendingStart + n, buffer);
    s->pendingStart += n;
    s->done += static_cast<long long>(n);
    if (n > 0) session.reportProgress(s->done, s->total);
    status = Status::ok(n == 0 ? "End of data" : "");
    return static_cast<int>(n);
}

Status closeReadStream(FtpSession& session) {
    if (!streamOf(session, OpenStream::Direction::Read)) return noStream(session, "read");
    auto s = takeStream(session);
    if (!s->failure.isOk()) return session.abortData(s->channel, s->failure);
    if (!s->ended || s->pendingStart != s->pending.size())
        return session.abortData(s->channel, Status::aborted("Read stream closed before its end"));
    return session.finishData(s->channel);
}

Status openWriteStream(FtpSession& session, const std::string& remote, bool append,
                       long long total) {
    VARNIX_RETURN_IF_ERROR(session.requireIdleConnection());
    if (remote.empty()) return Status::invalid("No remote file name given");
    VARNIX_RETURN_IF_ERROR(session.ensureType(session.settings().type));
    std::string command = append                           ? "APPE " + remote
                          : session.settings().storeUnique ? "STOU " + remote
                                                           : "STOR " + remote;
    auto channel = session.openData(command);
    if (!channel.isOk()) return channel.status();
    auto stream = std::make_unique<OpenStream>();
    stream->direction = OpenStream::Direction::Write;
    stream->channel = std::move(*channel);
    stream->ascii = session.settings().type == TransferType::Ascii;
    stream->total = total > 0 ? total : -1;
    session.stream() = std::move(stream);
    return Status::ok();
}

int writeStream(FtpSession& session, const char* data, int length, Status& status) {
    OpenStream* s = usableStream(session, OpenStream::Direction::Write, status);
    if (!s) return status.code();
    if (!s->channel.stream) {
        status = Status::network("The server ended the transfer");
        return status.code();
    }
    auto size = static_cast<std::size_t>(length);
    std::unique_ptr<char[]> converted;
    std::size_t offset = 0;
    while (offset < size) {
        std::size_t n = std::min(size - offset, kTransferChunk);
        const char* out = data + offset;
        std::size_t outSize = n;
        if (s->ascii) {
            if (!converted)
                converted = std::make_unique<char[]>(2 * std::min(size, kTransferChunk));
            outSize = encodeAscii(data + offset, n, converted.get());
            out = converted.get();
        }
        Status written = s->channel.stream->write(out, outSize, session.dataWait());
        if (!written.isOk()) {
            written = session.dataFailure(s->channel, written, false);
            s->failure = written;
            status = written;
            return status.code();
        }
        s->channel.wireBytes += static_cast<long long>(outSize);
        offset += n;
    }
    s->done += length;
    session.reportProgress(s->done, s->total);
    status = Status::ok("Sent " + std::to_string(length) + " bytes");
    return length;
}

Status closeWriteStream(FtpSession& session) {
    if (!streamOf(session, OpenStream::Direction::Write)) return noStream(session, "write");
    auto s = takeStream(session);
    if (!s->failure.isOk()) return session.abortData(s->channel, s->failure);
    if (s->channel.stream) {
        Status ended = s->channel.stream->finish(session.dataWait());
        if (!ended.isOk()) return session.abortData(s->channel, ended);
    }
    return session.finishData(s->channel);
}

void abandonStream(FtpSession& session) {
    auto s = takeStream(session);
    if (s) [[maybe_unused]]
        Status ignored = session.abortData(s->channel, Status::aborted("Stream dropped"));
}

}  // namespace varnix
