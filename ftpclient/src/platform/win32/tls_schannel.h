// SPDX-License-Identifier: MIT
// The Windows system's TLS provider (SChannel): what it keeps for one TLS configuration, the
// stream over a socket, and the certificate check against the system's store and the CAs of
// varnix_settlsca.
#pragma once

#include "tls_stream.h"  // first: Winsock before <windows.h>

#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <memory>
#include <string>
#include <vector>

namespace varnix {

// An SChannel credentials handle. SChannel keeps the sessions it may resume per handle and
// target name, so a data connection that uses its control connection's handle and name
// resumes the control connection's session.
struct SchannelCredentials {
    SchannelCredentials() = default;
    ~SchannelCredentials();
    SchannelCredentials(const SchannelCredentials&) = delete;
    SchannelCredentials& operator=(const SchannelCredentials&) = delete;
    CredHandle handle{};
    bool valid = false;
};

struct TlsProviderContext {
    TlsProviderContext() = default;
    ~TlsProviderContext();
    TlsProviderContext(const TlsProviderContext&) = delete;
    TlsProviderContext& operator=(const TlsProviderContext&) = delete;
    std::shared_ptr<SchannelCredentials> credentials;
    HCERTSTORE extraCas = nullptr;  // the CAs of varnix_settlsca, in memory; null when none
};

struct TlsResumption {
    std::shared_ptr<SchannelCredentials> credentials;
};

// "The token supplied to the function is invalid (0x80090308)".
std::string securityError(SECURITY_STATUS status);

// Why the server's certificate fails, or empty when it passes: its chain is built with the
// certificates the server sent and the extra CAs, and must end at a root of the system's
// store or at one of the extra CAs; its subjectAltName must hold `name` (an IP address or a
// DNS name). The reasons read as OpenSSL's do on the other builds ("certificate has expired").
std::string certificateProblem(PCCERT_CONTEXT certificate, HCERTSTORE extraCas,
                               const std::string& name);

class SchannelStream final : public TlsStream {
  public:
    static Result<std::unique_ptr<SchannelStream>> connect(
        Socket socket, std::shared_ptr<const TlsContext> context, const TlsPeer& peer,
        const TlsResumption* resume, const Wait& wait);
    ~SchannelStream() override;
    SchannelStream(const SchannelStream&) = delete;
    SchannelStream& operator=(const SchannelStream&) = delete;

    Result<std::size_t> read(char* buffer, std::size_t size, const Wait& wait) override;
    Status write(const char* data, std::size_t size, const Wait& wait) override;
    // close_notify, the end of our side, then the peer's end is awaited (and what it still
    // sends is read), so that no reset can cut data the peer has not read.
    Status finish(const Wait& wait) override;
    // Drops the connection with a reset; where we only read, a close_notify goes first, so
    // that the server keeps the session (as the OpenSSL stream does).
    void abandon() override;
    bool idle() override;
    Socket& socket() override { return socket_; }
    const std::shared_ptr<const TlsContext>& context() const override { return context_; }
    std::shared_ptr<const TlsResumption> resumableSession() const override;
    std::string summary() const override;

  private:
    SchannelStream(Socket socket, std::shared_ptr<const TlsContext> context,
                   std::shared_ptr<SchannelCredentials> credentials, const TlsPeer& peer);
    // The handshake's token exchange, from the start or (renegotiation, TLS 1.3 messages
    // after the handshake) with the bytes in in_.
    Status handshake(const Wait& wait);
    Status handshakeFailure(const Status& failure) const;
    Status sendClientToken(SecBuffer& token, const Wait& wait);
    Status sendCloseNotify(const Wait& wait);
    // More bytes from the socket into in_; sets peerEnded_ at the end of the stream.
    Status receive(const Wait& wait);
    // Decrypts the first record in in_ into plain_: true when it was whole (data, an end or
    // a handshake message), false when more bytes are needed.
    Result<bool> decryptRecord(const Wait& wait);
    std::size_t takePlain(char* buffer, std::size_t size);
    Status checkCertificate(const TlsPeer& peer);

    Socket socket_;
    std::shared_ptr<const TlsContext> context_;
    std::shared_ptr<SchannelCredentials> credentials_;
    std::string where_;
    std::string target_;     // the name the certificate must carry, and SChannel's session key
    CtxtHandle security_{};  // SChannel's context of this connection
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
    std::vector<char> in_;  // received bytes not yet decrypted: in_[0, inUsed_)
    std::size_t inUsed_ = 0;
    std::vector<char> plain_;  // decrypted bytes not yet read: plain_[plainAt_, end)
    std::size_t plainAt_ = 0;
    std::vector<char> out_;       // one encrypted record
    bool closeNotified_ = false;  // the peer's close_notify came
    bool peerEnded_ = false;      // the peer's end of the TCP stream came
    bool finished_ = false;
    bool wrote_ = false;  // application data was sent
};

}  // namespace varnix
