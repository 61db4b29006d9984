// SPDX-License-Identifier: MIT
// The control connection: sends one command line and reads one whole reply. Everything
// above it speaks in commands and Reply objects, never in bytes.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "byte_stream.h"
#include "reply.h"

namespace varnix {

class ControlConnection {
  public:
    ControlConnection(std::unique_ptr<ByteStream> stream, int handle);

    // Bounds every wait for a reply; abort (may be null) ends waits early.
    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    void setAbortSignal(const AbortSignal* abort) { abort_ = abort; }
    void setHandle(int handle) { handle_ = handle; }

    // Sends command + CRLF. A command holding CR or LF is refused before anything is sent.
    Status send(std::string_view command);
    // Sends ABOR the way a server busy with a transfer notices it: Telnet "Interrupt
    // Process", then "Synch" as urgent data, then the command.
    Status sendAbort();
    // Reads one whole reply, bounded by the timeout (the whole reply must arrive in it).
    Result<Reply> readReply();
    // As readReply, but the wait does not end on an abort (used to resynchronise).
    Result<Reply> readReplyIgnoringAbort();
    // send + readReply.
    Result<Reply> command(std::string_view command);
    // True when bytes (or the end of the connection) are waiting to be read.
    bool inputPending();
    // True when bytes beyond the last reply were read already (none may follow AUTH TLS's
    // reply: they would be plain text taken for the server's).
    bool bytesBuffered() const { return !input_.empty(); }

    const Reply& lastReply() const { return last_; }
    std::chrono::milliseconds timeout() const { return timeout_; }
    // The peer's address: data connections go here, whatever a PASV reply says.
    SocketAddress peer() { return stream_->socket().peer(); }
    SocketAddress local() { return stream_->socket().local(); }
    // The stream, for a TLS layer that takes it over after AUTH TLS.
    ByteStream& stream() { return *stream_; }
    std::unique_ptr<ByteStream> releaseStream() { return std::move(stream_); }
    void setStream(std::unique_ptr<ByteStream> stream) { stream_ = std::move(stream); }

  private:
    Wait replyWait(bool abortable) const;
    Result<Reply> read(const Wait& wait);
    Result<std::string> readLine(const Wait& wait);
    Status explain(const Status& failure) const;

    std::unique_ptr<ByteStream> stream_;
    int handle_;
    std::string peerText_;
    std::chrono::milliseconds timeout_{60000};
    const AbortSignal* abort_ = nullptr;
    std::string input_;
    ReplyAssembler assembler_;
    Reply last_;
};

}  // namespace varnix
