// SPDX-License-Identifier: MIT
// The Windows build has no TLS provider yet: ftps: and ftpes: hosts are refused with
// VARNIX_ETLS before anything is sent over the connection, and PROT P is never asked for,
// so data connections stay plain only where the control connection is plain.
#include "ftp_session.h"

namespace varnix {
namespace {

const char* const kNoTls = "FTPS is not available in this Windows build";

Status unavailable(const std::string& host) {
    return Status::tls(std::string(kNoTls) + " (host " + host + ")");
}

}  // namespace

TlsContext::~TlsContext() = default;

Result<std::shared_ptr<const TlsContext>> TlsContext::current() {
    return Status::tls(kNoTls);
}

Result<std::shared_ptr<const TlsContext>> TlsContext::build(const std::string&, bool) {
    return Status::tls(kNoTls);
}

Status setTlsTrustedCa(const std::string&) {
    return Status::tls(kNoTls);
}

void setTlsAcceptUnverified(bool) {}

std::string takeOpenSslErrors() {
    return {};
}

Result<std::unique_ptr<ByteStream>> FtpSession::tlsOver(Socket, const std::string& where,
                                                        SSL_SESSION*,
                                                        std::shared_ptr<const TlsContext>,
                                                        const Wait&) {
    return unavailable(where);
}

bool FtpSession::encrypted() const {
    return false;
}

Result<std::unique_ptr<ByteStream>> FtpSession::implicitTls(Socket) {
    return unavailable(host_.text());
}

Status FtpSession::secureControl() {
    disconnect();
    return unavailable(host_.text());
}

Status FtpSession::protectData() {
    return unavailable(host_.text());
}

Result<std::unique_ptr<ByteStream>> FtpSession::dataStreamOver(Socket socket) {
    return std::unique_ptr<ByteStream>(new PlainStream(std::move(socket)));
}

}  // namespace varnix
