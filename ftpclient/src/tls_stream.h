// SPDX-License-Identifier: MIT
// TLS over a non-blocking socket: the ByteStream of an encrypted control or data connection.
// Every OpenSSL call runs non-blocking and every wait goes through poll() with the caller's
// deadline and abort signal, as on plain sockets.
#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "tls_context.h"

namespace varnix {

// Who the server must prove to be: the name of the host text (a DNS name, or an IP address
// that the certificate's subjectAltName must hold), and how texts and the trace name it.
struct TlsPeer {
    std::string name;
    std::string where;  // "127.0.0.1:2121"
    int handle = 0;
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

class TlsStream final : public ByteStream {
  public:
    // The client handshake over socket, then the certificate check: the chain and the name,
    // unless the context accepts unverified certificates (then the trace says so). resume:
    // a session to resume (data connections resume the control connection's), or null.
    static Result<std::unique_ptr<TlsStream>> connect(Socket socket,
                                                      std::shared_ptr<const TlsContext> context,
                                                      const TlsPeer& peer, SSL_SESSION* resume,
                                                      const Wait& wait);
    ~TlsStream() override;
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

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
    const std::shared_ptr<const TlsContext>& context() const { return context_; }

    // The session for data connections to resume; null when there is none yet.
    TlsSession resumableSession() const;
    bool resumed() const { return SSL_session_reused(ssl_) == 1; }
    // "TLSv1.3 TLS_AES_256_GCM_SHA384" (and ", session resumed").
    std::string summary() const;

  private:
    TlsStream(Socket socket, std::shared_ptr<const TlsContext> context, std::string where);
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
