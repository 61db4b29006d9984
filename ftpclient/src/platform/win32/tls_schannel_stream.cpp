// SPDX-License-Identifier: MIT
// TLS over a non-blocking socket through SChannel: SChannel only turns tokens and records
// into bytes and back; every byte goes through the socket's own reads and writes, so every
// wait has the caller's deadline and abort signal, as on plain sockets.
#include <algorithm>
#include <cstring>

#include "tls_schannel.h"

namespace varnix {
namespace {

constexpr ULONG kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                           ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR |
                           ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                           ISC_REQ_MANUAL_CRED_VALIDATION;
// Room for one whole record and the start of the next; a handshake message (a long chain of
// certificates) may need more, up to kMostBuffered.
constexpr std::size_t kInBuffer = 64 * 1024;
constexpr std::size_t kMostBuffered = 1024 * 1024;
// A handshake is a few round trips; more steps than this mean a peer that never finishes.
constexpr int kMostHandshakeTurns = 64;
// The content type of a TLS 1.2 record that carries an alert.
constexpr unsigned char kAlertRecord = 21;

// Frees what SChannel allocated for an output token.
struct ContextBuffer {
    SecBuffer buffer{0, SECBUFFER_TOKEN, nullptr};
    ~ContextBuffer() {
        if (buffer.pvBuffer) ::FreeContextBuffer(buffer.pvBuffer);
    }
};

SecBufferDesc describe(SecBuffer* buffers, unsigned long count) {
    return SecBufferDesc{SECBUFFER_VERSION, count, buffers};
}

std::string protocolName(DWORD protocol) {
    if (protocol & SP_PROT_TLS1_3_CLIENT) return "TLSv1.3";
    if (protocol & SP_PROT_TLS1_2_CLIENT) return "TLSv1.2";
    if (protocol & SP_PROT_TLS1_1_CLIENT) return "TLSv1.1";
    if (protocol & SP_PROT_TLS1_0_CLIENT) return "TLSv1";
    return "TLS";
}

std::string cipherName(ALG_ID cipher, DWORD strength) {
    if (cipher == CALG_AES_128) return "AES-128";
    if (cipher == CALG_AES_256) return "AES-256";
    return "cipher of " + std::to_string(strength) + " bits";
}

}  // namespace

Result<std::unique_ptr<TlsStream>> TlsStream::connect(Socket socket,
                                                      std::shared_ptr<const TlsContext> context,
                                                      const TlsPeer& peer,
                                                      const TlsResumption* resume,
                                                      const Wait& wait) {
    auto tls = SchannelStream::connect(std::move(socket), std::move(context), peer, resume, wait);
    if (!tls.isOk()) return tls.status();
    return std::unique_ptr<TlsStream>(std::move(*tls));
}

SchannelStream::SchannelStream(Socket socket, std::shared_ptr<const TlsContext> context,
                               std::shared_ptr<SchannelCredentials> credentials,
                               const TlsPeer& peer)
    : socket_(std::move(socket)),
      context_(std::move(context)),
      credentials_(std::move(credentials)),
      where_(peer.where),
      target_(peer.name),
      in_(kInBuffer) {}

SchannelStream::~SchannelStream() {
    if (haveContext_) ::DeleteSecurityContext(&security_);
}

Result<std::unique_ptr<SchannelStream>> SchannelStream::connect(
    Socket socket, std::shared_ptr<const TlsContext> context, const TlsPeer& peer,
    const TlsResumption* resume, const Wait& wait) {
    // The control connection's credentials handle: SChannel resumes its session.
    auto credentials = resume ? resume->credentials : context->provider().credentials;
    std::unique_ptr<SchannelStream> s(
        new SchannelStream(std::move(socket), std::move(context), std::move(credentials), peer));
    Status shaken = s->handshake(wait);
    if (!shaken.isOk()) return s->handshakeFailure(shaken);
    SECURITY_STATUS sized =
        ::QueryContextAttributesA(&s->security_, SECPKG_ATTR_STREAM_SIZES, &s->sizes_);
    if (sized != SEC_E_OK)
        return Status::tls("TLS with " + peer.where + " failed: " + securityError(sized));
    VARNIX_RETURN_IF_ERROR(s->checkCertificate(peer));
    return s;
}

Status SchannelStream::handshake(const Wait& wait) {
    // Each turn takes SChannel a step further; a message that has not come whole yet is read
    // on within the wait (and up to kMostBuffered) without counting as one.
    for (int turn = 0; turn < kMostHandshakeTurns;) {
        SecBuffer input[2] = {{static_cast<unsigned long>(inUsed_), SECBUFFER_TOKEN, in_.data()},
                              {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inputDesc = describe(input, 2);
        ContextBuffer output;
        SecBufferDesc outputDesc = describe(&output.buffer, 1);
        ULONG attributes = 0;
        SECURITY_STATUS status = ::InitializeSecurityContextA(
            &credentials_->handle, haveContext_ ? &security_ : nullptr,
            const_cast<char*>(target_.c_str()), kRequest, 0, 0, haveContext_ ? &inputDesc : nullptr,
            0, haveContext_ ? nullptr : &security_, &outputDesc, &attributes, nullptr);
        if (!haveContext_ && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED))
            haveContext_ = true;
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            VARNIX_RETURN_IF_ERROR(receive(wait));
            if (peerEnded_) return Status::network(where_ + " closed the connection");
            continue;
        }
        ++turn;
        // A token goes out also with a failure: it is the alert that tells the server why.
        if (output.buffer.cbBuffer > 0 && output.buffer.pvBuffer) {
            Status sent = sendClientToken(output.buffer, wait);
            if (!sent.isOk() && !FAILED(status)) return sent;
        }
        if (FAILED(status)) return Status::tls(securityError(status));
        // What follows the handshake's last message (a server's greeting on implicit TLS)
        // stays for the first read.
        if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0) {
            std::memmove(in_.data(), in_.data() + inUsed_ - input[1].cbBuffer, input[1].cbBuffer);
            inUsed_ = input[1].cbBuffer;
        } else {
            inUsed_ = 0;
        }
        if (status == SEC_E_OK) return Status::ok();
        // SEC_I_CONTINUE_NEEDED, or SEC_I_INCOMPLETE_CREDENTIALS: a server that asks for a
        // client certificate gets none, and the handshake goes on.
        if (inUsed_ == 0 && status == SEC_I_CONTINUE_NEEDED) {
            VARNIX_RETURN_IF_ERROR(receive(wait));
            if (peerEnded_) return Status::network(where_ + " closed the connection");
        }
    }
    return Status::tls("the handshake did not end");
}

Status SchannelStream::handshakeFailure(const Status& failure) const {
    if (failure.code() == VARNIX_ETIMEOUT)
        return Status::timeout("Timed out in the TLS handshake with " + where_);
    if (failure.code() == VARNIX_EABORTED) return failure;
    return Status::tls("TLS handshake with " + where_ + " failed: " + failure.text());
}

Status SchannelStream::sendClientToken(SecBuffer& token, const Wait& wait) {
    return socket_.writeAll(static_cast<const char*>(token.pvBuffer), token.cbBuffer, wait);
}

Status SchannelStream::receive(const Wait& wait) {
    if (inUsed_ == in_.size()) {
        if (in_.size() >= kMostBuffered)
            return Status::tls("TLS record from " + where_ + " is too long");
        in_.resize(in_.size() * 2);
    }
    auto n = socket_.readSome(in_.data() + inUsed_, in_.size() - inUsed_, wait);
    if (!n.isOk()) return n.status();
    if (*n == 0) peerEnded_ = true;
    inUsed_ += *n;
    return Status::ok();
}

Status SchannelStream::checkCertificate(const TlsPeer& peer) {
    PCCERT_CONTEXT certificate = nullptr;
    SECURITY_STATUS status =
        ::QueryContextAttributesA(&security_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
    std::string problem = "no certificate";
    if (status == SEC_E_OK && certificate) {
        problem = certificateProblem(certificate, context_->provider().extraCas, peer.name);
        ::CertFreeCertificateContext(certificate);
    }
    return certificateVerdict(*context_, peer, problem);
}

Result<bool> SchannelStream::decryptRecord(const Wait& wait) {
    if (inUsed_ == 0) return false;
    SecBuffer buffers[4] = {{static_cast<unsigned long>(inUsed_), SECBUFFER_DATA, in_.data()},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = describe(buffers, 4);
    const bool alert = static_cast<unsigned char>(in_[0]) == kAlertRecord;
    SECURITY_STATUS status = ::DecryptMessage(&security_, &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) return false;
    if (status != SEC_E_OK && status != SEC_I_CONTEXT_EXPIRED && status != SEC_I_RENEGOTIATE)
        return Status::tls("TLS error with " + where_ + ": " + securityError(status));
    // The record is decrypted in place: its data is copied out before the bytes that follow
    // it move to the front.
    const SecBuffer* extra = nullptr;
    bool data = false;
    for (const SecBuffer& b : buffers) {
        if (b.BufferType == SECBUFFER_DATA && b.cbBuffer > 0) {
            data = true;
            if (plainAt_ == plain_.size()) {
                plain_.clear();
                plainAt_ = 0;
            }
            const char* bytes = static_cast<const char*>(b.pvBuffer);
            plain_.insert(plain_.end(), bytes, bytes + b.cbBuffer);
        }
        if (b.BufferType == SECBUFFER_EXTRA && b.cbBuffer > 0) extra = &b;
    }
    if (extra) {
        std::memmove(in_.data(), in_.data() + inUsed_ - extra->cbBuffer, extra->cbBuffer);
        inUsed_ = extra->cbBuffer;
    } else {
        inUsed_ = 0;
    }
    // Windows tells a close_notify by SEC_I_CONTEXT_EXPIRED; Wine's SChannel by an alert
    // record that decrypts to no data.
    if (status == SEC_I_CONTEXT_EXPIRED || (status == SEC_E_OK && alert && !data))
        closeNotified_ = true;
    // A handshake message after the handshake: SChannel takes it through the token exchange.
    if (status == SEC_I_RENEGOTIATE) VARNIX_RETURN_IF_ERROR(handshake(wait));
    return true;
}

std::size_t SchannelStream::takePlain(char* buffer, std::size_t size) {
    std::size_t n = std::min(size, plain_.size() - plainAt_);
    std::memcpy(buffer, plain_.data() + plainAt_, n);
    plainAt_ += n;
    return n;
}

Result<std::size_t> SchannelStream::read(char* buffer, std::size_t size, const Wait& wait) {
    // Takes whatever has arrived, up to size, and waits only while nothing has.
    for (;;) {
        if (plainAt_ < plain_.size()) return takePlain(buffer, size);
        if (closeNotified_) return std::size_t{0};  // close_notify: the clean end
        auto whole = decryptRecord(wait);
        if (!whole.isOk()) return whole.status();
        if (*whole) continue;
        if (peerEnded_)
            return Status::network(where_ + " closed the connection without a TLS close_notify");
        VARNIX_RETURN_IF_ERROR(receive(wait));
    }
}

Status SchannelStream::write(const char* data, std::size_t size, const Wait& wait) {
    wrote_ = wrote_ || size > 0;
    while (size > 0) {
        std::size_t n = std::min<std::size_t>(size, sizes_.cbMaximumMessage);
        out_.resize(sizes_.cbHeader + n + sizes_.cbTrailer);
        std::memcpy(out_.data() + sizes_.cbHeader, data, n);
        SecBuffer buffers[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, out_.data()},
            {static_cast<unsigned long>(n), SECBUFFER_DATA, out_.data() + sizes_.cbHeader},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, out_.data() + sizes_.cbHeader + n},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = describe(buffers, 4);
        SECURITY_STATUS status = ::EncryptMessage(&security_, 0, &desc, 0);
        if (status != SEC_E_OK)
            return Status::tls("TLS error with " + where_ + ": " + securityError(status));
        std::size_t record = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        VARNIX_RETURN_IF_ERROR(socket_.writeAll(out_.data(), record, wait));
        data += n;
        size -= n;
    }
    return Status::ok();
}

Status SchannelStream::sendCloseNotify(const Wait& wait) {
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control{sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc controlDesc = describe(&control, 1);
    SECURITY_STATUS status = ::ApplyControlToken(&security_, &controlDesc);
    if (FAILED(status)) return Status::tls(securityError(status));
    ContextBuffer output;
    SecBufferDesc outputDesc = describe(&output.buffer, 1);
    ULONG attributes = 0;
    status = ::InitializeSecurityContextA(&credentials_->handle, &security_,
                                          const_cast<char*>(target_.c_str()), kRequest, 0, 0,
                                          nullptr, 0, nullptr, &outputDesc, &attributes, nullptr);
    if (FAILED(status)) return Status::tls(securityError(status));
    if (output.buffer.cbBuffer == 0 || !output.buffer.pvBuffer)
        return Status::tls("SChannel made no close_notify");
    return sendClientToken(output.buffer, wait);
}

Status SchannelStream::finish(const Wait& wait) {
    if (finished_ || !socket_.valid()) return Status::ok();
    finished_ = true;
    Status sent = sendCloseNotify(wait);
    return endAfterCloseNotify(sent, where_, wait);
}

void SchannelStream::abandon() {
    if (socket_.valid() && !finished_ && !wrote_) {
        [[maybe_unused]] Status sent = sendCloseNotify(Wait{Clock::now(), nullptr});
    }
    socket_.closeWithReset();
}

bool SchannelStream::idle() {
    if (!socket_.valid()) return true;
    if (plainAt_ < plain_.size() || closeNotified_ || peerEnded_) return false;
    platform::PollEntry p{socket_.fd(), POLLIN, 0};
    bool readable = platform::pollSockets(&p, 1, 0) > 0;
    if (!readable && inUsed_ == 0) return true;
    // Records that carry no data (handshake messages after the handshake) do not count.
    const Wait now{Clock::now(), nullptr};
    if (readable && !receive(now).isOk()) return false;
    for (int i = 0; i < 16; ++i) {
        auto whole = decryptRecord(now);
        if (!whole.isOk()) return false;
        if (!*whole) break;
    }
    return plainAt_ == plain_.size() && !closeNotified_ && !peerEnded_;
}

std::shared_ptr<const TlsResumption> SchannelStream::resumableSession() const {
    return std::make_shared<const TlsResumption>(TlsResumption{credentials_});
}

std::string SchannelStream::summary() const {
    SecPkgContext_ConnectionInfo info{};
    auto& security = const_cast<CtxtHandle&>(security_);
    if (::QueryContextAttributesA(&security, SECPKG_ATTR_CONNECTION_INFO, &info) != SEC_E_OK)
        return "TLS";
    std::string text =
        protocolName(info.dwProtocol) + " " + cipherName(info.aiCipher, info.dwCipherStrength);
    SecPkgContext_SessionInfo session{};
    if (::QueryContextAttributesA(&security, SECPKG_ATTR_SESSION_INFO, &session) == SEC_E_OK &&
        (session.dwFlags & SSL_SESSION_RECONNECT))
        text += ", session resumed";
    return text;
}

}  // namespace varnix
