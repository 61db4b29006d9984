// SPDX-License-Identifier: MIT
// The OpenSSL provider: TLS over a non-blocking socket. Every OpenSSL call runs non-blocking
// and every wait goes through poll() with the caller's deadline and abort signal, as on
// plain sockets.
#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <string>
#include <vector>

#include "tls_stream.h"

namespace varnix {

// What OpenSSL keeps for one TLS configuration.
struct TlsProviderContext {
    TlsProviderContext() = default;
    ~TlsProviderContext();
    TlsProviderContext(const TlsProviderContext&) = delete;
    TlsProviderContext& operator=(const TlsProviderContext&) = delete;
    SSL_CTX* ctx = nullptr;
};

// The socket's descriptor as OpenSSL's I/O sees it: sends never raise SIGPIPE, and the
// peer's end is told apart from a would-block. While `gather` is on, the records of one
// write are collected in `gathered` (from `sentUpTo` on, not yet sent) and go out in one
// send, rather than one send per record of 16 KiB.
struct TlsBioState {
    int fd = -1;
    bool eof = false;
    bool gather = false;
    std::vector<char> gathered;
    std::size_t sentUpTo = 0;
};

struct SessionFree {
    void operator()(SSL_SESSION* session) const { SSL_SESSION_free(session); }
};
using TlsSession = std::unique_ptr<SSL_SESSION, SessionFree>;

struct TlsResumption {
    TlsSession session;
};

// The texts of OpenSSL's error queue of this thread, joined by "; " (the queue is emptied).
std::string takeOpenSslErrors();

class OpenSslStream final : public TlsStream {
  public:
    static Result<std::unique_ptr<OpenSslStream>> connect(Socket socket,
                                                          std::shared_ptr<const TlsContext> context,
                                                          const TlsPeer& peer, SSL_SESSION* resume,
                                                          const Wait& wait);
    ~OpenSslStream() override;
    OpenSslStream(const OpenSslStream&) = delete;
    OpenSslStream& operator=(const OpenSslStream&) = delete;

    Result<std::size_t> read(char* buffer, std::size_t size, const Wait& wait) override;
    Status write(const char* data, std::size_t size, const Wait& wait) override;
    // close_notify, the end of our side, then the peer's close_notify or end is awaited (and
    // what it still sends is read), so that no reset can cut data the peer has not read.
    Status finish(const Wait& wait) override;
    // Drops the connection with a reset. Where we only read, a close_notify goes first: the
    // server still sees a transfer cut short, but keeps the TLS session, which servers that
    // require session reuse would otherwise forget for all later data connections. After our
    // own data it would mean "complete", so an interrupted upload gets the reset alone.
    void abandon() override;
    bool idle() override;
    Socket& socket() override { return socket_; }
    const std::shared_ptr<const TlsContext>& context() const override { return context_; }
    std::shared_ptr<const TlsResumption> resumableSession() const override;
    bool resumed() const { return SSL_session_reused(ssl_) == 1; }
    std::string summary() const override;

  private:
    OpenSslStream(Socket socket, std::shared_ptr<const TlsContext> context, std::string where);
    template <class Op>
    Status drive(const Wait& wait, Op op);
    Status failure(int error) const;
    Status handshakeFailure(const Status& failure) const;
    Status checkCertificate(const TlsPeer& peer) const;
    // Sends what a write gathered, waiting for room in the socket as needed.
    Status sendGathered(const Wait& wait);

    Socket socket_;
    std::shared_ptr<const TlsContext> context_;
    std::string where_;
    TlsBioState bio_;
    SSL* ssl_ = nullptr;
    Status pendingFailure_;  // a failure after bytes that were handed out first
    bool finished_ = false;
    bool wrote_ = false;  // application data was sent
};

}  // namespace varnix
