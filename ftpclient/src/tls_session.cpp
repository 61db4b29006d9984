// SPDX-License-Identifier: MIT
// TLS on a handle's connections: the control connection secured before anything of the login
// is sent (implicit: at once; explicit: AUTH TLS after the greeting), PROT P for the data
// connections, which resume the control connection's TLS session.
#include "ftp_session.h"
#include "tls_stream.h"
#include "trace_log.h"

namespace varnix {

Result<std::unique_ptr<ByteStream>> FtpSession::tlsOver(Socket socket, const std::string& where,
                                                        const TlsResumption* resume,
                                                        std::shared_ptr<const TlsContext> context,
                                                        const Wait& wait) {
    auto tls = TlsStream::connect(std::move(socket), std::move(context),
                                  TlsPeer{host_.name, where, handle_}, resume, wait);
    if (!tls.isOk()) return tls.status();
    TraceLog::instance().note(handle_, "TLS with " + where + ": " + (*tls)->summary());
    return std::unique_ptr<ByteStream>(std::move(*tls));
}

bool FtpSession::encrypted() const {
    return control_ && dynamic_cast<TlsStream*>(&control_->stream()) != nullptr;
}

Result<std::unique_ptr<ByteStream>> FtpSession::implicitTls(Socket socket) {
    auto context = TlsContext::current();
    if (!context.isOk()) return context.status();
    return tlsOver(std::move(socket), host_.text(), nullptr, *context,
                   Wait{deadlineAfter(settings_.timeout), &abort_});
}

Status FtpSession::secureControl() {
    auto reply = command("AUTH TLS");
    if (!reply.isOk()) return reply.status();
    if (reply->code != 234)
        return Status::tls(host_.text() + " refused AUTH TLS: " + reply->text());
    if (control_->bytesBuffered()) {
        disconnect();
        return Status::tls(host_.text() +
                           " sent plain text after accepting AUTH TLS; the connection was closed");
    }
    auto context = TlsContext::current();
    if (!context.isOk()) {
        disconnect();
        return context.status();
    }
    Socket socket = std::move(control_->stream().socket());
    auto tls = tlsOver(std::move(socket), host_.text(), nullptr, *context,
                       Wait{deadlineAfter(settings_.timeout), &abort_});
    if (!tls.isOk()) {
        disconnect();
        return tls.status();
    }
    control_->setStream(std::move(*tls));
    features_.reset();  // a server may offer more once the connection is encrypted
    return Status::ok();
}

Status FtpSession::protectData() {
    // PBSZ comes first by the rules of RFC 4217; its answer does not matter, PROT's does.
    auto size = command("PBSZ 0");
    if (!size.isOk()) return size.status();
    auto reply = command("PROT P");
    if (!reply.isOk()) return reply.status();
    if (!reply->positive())
        return Status::tls(host_.text() + " refused PROT P (" + reply->text() +
                           "): data connections would not be encrypted");
    dataProtected_ = true;
    return Status::ok();
}

Result<std::unique_ptr<ByteStream>> FtpSession::dataStreamOver(Socket socket) {
    if (!dataProtected_) return std::unique_ptr<ByteStream>(new PlainStream(std::move(socket)));
    auto* control = control_ ? dynamic_cast<TlsStream*>(&control_->stream()) : nullptr;
    if (!control) return Status::tls("PROT P is in force, but the control connection is plain");
    // Servers such as vsftpd (require_ssl_reuse) take data connections only from the client
    // that holds the control connection's session.
    auto resume = control->resumableSession();
    std::string where = socket.peer().text();
    auto stream = tlsOver(std::move(socket), where, resume.get(), control->context(), dataWait());
    if (!stream.isOk()) return stream.status().withContext("Encrypted data connection");
    return stream;
}

}  // namespace varnix
