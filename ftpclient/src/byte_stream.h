// SPDX-License-Identifier: MIT
// The byte stream under a control or data connection. Plain TCP implements it here; a
// TLS layer implements the same interface over the same socket, so the FTP code above it
// does not change.
#pragma once

#include <cstddef>
#include <memory>

#include "socket.h"

namespace varnix {

class ByteStream {
  public:
    virtual ~ByteStream() = default;
    // Bytes read into buffer (at most size); 0 when the peer ended the stream cleanly.
    virtual Result<std::size_t> read(char* buffer, std::size_t size, const Wait& wait) = 0;
    // Writes all bytes.
    virtual Status write(const char* data, std::size_t size, const Wait& wait) = 0;
    // Ends our side of the stream cleanly (the peer reads the end of the data) and closes
    // it. A second call does nothing.
    virtual Status finish(const Wait& wait) = 0;
    // Drops the stream at once; the peer sees a failed transfer.
    virtual void abandon() = 0;
    // Sends one byte as TCP urgent data, so that a server busy with a transfer looks at the
    // control connection. Only where canSendUrgent (not over TLS, where bytes outside the
    // encrypted records would be garbage to the peer).
    virtual bool canSendUrgent() const { return false; }
    virtual bool sendUrgent(char /*byte*/) { return false; }
    // True when nothing can be read now without waiting (data or an end may be pending
    // otherwise).
    virtual bool idle() = 0;
    // The socket underneath (addresses, descriptors for a TLS layer).
    virtual Socket& socket() = 0;
};

class PlainStream final : public ByteStream {
  public:
    explicit PlainStream(Socket socket) : socket_(std::move(socket)) {}
    Result<std::size_t> read(char* buffer, std::size_t size, const Wait& wait) override {
        return socket_.readSome(buffer, size, wait);
    }
    Status write(const char* data, std::size_t size, const Wait& wait) override {
        return socket_.writeAll(data, size, wait);
    }
    Status finish(const Wait&) override {
        if (!socket_.valid()) return Status::ok();
        Status s = socket_.shutdownWrite();
        socket_.close();
        return s;
    }
    void abandon() override { socket_.closeWithReset(); }
    bool canSendUrgent() const override { return true; }
    bool sendUrgent(char byte) override { return socket_.sendUrgent(byte).isOk(); }
    bool idle() override;
    Socket& socket() override { return socket_; }

  private:
    Socket socket_;
};

}  // namespace varnix
