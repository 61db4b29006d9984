// SPDX-License-Identifier: MIT
#include "tls_openssl_stream.h"

#include <openssl/err.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>

namespace varnix {
namespace {

TlsBioState& stateOf(BIO* bio) {
    return *static_cast<TlsBioState*>(BIO_get_data(bio));
}

// Records gathered into one send: four of 16 KiB (a write of the transfer's chunk) fit.
constexpr std::size_t kGatherLimit = 128 * 1024;

// After a failed send: the socket has no room now (or the call was interrupted).
bool sendBlocked() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

// Sends gathered bytes until none are left (true) or the socket takes no more (false, errno
// tells why).
bool sendGatheredSome(TlsBioState& state) {
    while (state.sentUpTo < state.gathered.size()) {
        ssize_t n = ::send(state.fd, state.gathered.data() + state.sentUpTo,
                           state.gathered.size() - state.sentUpTo, MSG_NOSIGNAL);
        if (n < 0) return false;
        state.sentUpTo += static_cast<std::size_t>(n);
    }
    state.gathered.clear();
    state.sentUpTo = 0;
    return true;
}

int bioWrite(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    TlsBioState& state = stateOf(bio);
    const auto length = static_cast<std::size_t>(size);
    if (state.gather) {
        // A full buffer is sent first; while the socket cannot take it, OpenSSL keeps the
        // record and offers it again after the wait for room.
        if (state.gathered.size() + length > kGatherLimit && !sendGatheredSome(state)) {
            if (sendBlocked()) BIO_set_retry_write(bio);
            return -1;
        }
        if (state.gathered.size() + length <= kGatherLimit) {
            state.gathered.insert(state.gathered.end(), data, data + length);
            return size;
        }
    }
    ssize_t n = ::send(state.fd, data, length, MSG_NOSIGNAL);
    if (n < 0 && sendBlocked()) BIO_set_retry_write(bio);
    return static_cast<int>(n);
}

int bioRead(BIO* bio, char* data, int size) {
    BIO_clear_retry_flags(bio);
    ssize_t n = ::recv(stateOf(bio).fd, data, static_cast<std::size_t>(size), 0);
    if (n == 0) stateOf(bio).eof = true;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_read(bio);
    return static_cast<int>(n);
}

long bioControl(BIO* bio, int command, long, void*) {
    if (command == BIO_CTRL_FLUSH) return 1;
    if (command == BIO_CTRL_EOF) return stateOf(bio).eof ? 1 : 0;
    return 0;
}

int bioCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* socketMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "varnix socket");
        if (m) {
            BIO_meth_set_write(m, bioWrite);
            BIO_meth_set_read(m, bioRead);
            BIO_meth_set_ctrl(m, bioControl);
            BIO_meth_set_create(m, bioCreate);
        }
        return m;
    }();
    return method;
}

bool unexpectedEof() {
    unsigned long e = ERR_peek_error();
    return ERR_GET_LIB(e) == ERR_LIB_SSL && ERR_GET_REASON(e) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
}

}  // namespace

Result<std::unique_ptr<TlsStream>> TlsStream::connect(Socket socket,
                                                      std::shared_ptr<const TlsContext> context,
                                                      const TlsPeer& peer,
                                                      const TlsResumption* resume,
                                                      const Wait& wait) {
    auto tls = OpenSslStream::connect(std::move(socket), std::move(context), peer,
                                      resume ? resume->session.get() : nullptr, wait);
    if (!tls.isOk()) return tls.status();
    return std::unique_ptr<TlsStream>(std::move(*tls));
}

OpenSslStream::OpenSslStream(Socket socket, std::shared_ptr<const TlsContext> context,
                             std::string where)
    : socket_(std::move(socket)), context_(std::move(context)), where_(std::move(where)) {
    bio_.fd = socket_.fd();
}

OpenSslStream::~OpenSslStream() {
    SSL_free(ssl_);
}

Result<std::unique_ptr<OpenSslStream>> OpenSslStream::connect(
    Socket socket, std::shared_ptr<const TlsContext> context, const TlsPeer& peer,
    SSL_SESSION* resume, const Wait& wait) {
    ERR_clear_error();
    std::unique_ptr<OpenSslStream> s(
        new OpenSslStream(std::move(socket), std::move(context), peer.where));
    s->ssl_ = SSL_new(s->context_->provider().ctx);
    BIO* bio = socketMethod() ? BIO_new(socketMethod()) : nullptr;
    if (!s->ssl_ || !bio) {
        BIO_free(bio);
        return Status::tls("Cannot set up TLS with " + peer.where + ": " + takeOpenSslErrors());
    }
    BIO_set_data(bio, &s->bio_);
    SSL_set_bio(s->ssl_, bio, bio);
    SSL_set_connect_state(s->ssl_);
    // The name that the certificate must carry: an IP address of the host text is compared
    // with the certificate's IP entries, a name with its DNS entries (and sent as SNI).
    if (SocketAddress::fromNumeric(peer.name, 0).valid()) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(s->ssl_), peer.name.c_str());
    } else {
        SSL_set_hostflags(s->ssl_, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        SSL_set1_host(s->ssl_, peer.name.c_str());
        SSL_set_tlsext_host_name(s->ssl_, peer.name.c_str());
    }
    if (resume) SSL_set_session(s->ssl_, resume);
    Status shaken = s->drive(wait, [&] { return SSL_connect(s->ssl_); });
    if (!shaken.isOk()) return s->handshakeFailure(shaken);
    VARNIX_RETURN_IF_ERROR(s->checkCertificate(peer));
    return s;
}

template <class Op>
Status OpenSslStream::drive(const Wait& wait, Op op) {
    for (;;) {
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        ERR_clear_error();
        int rc = op();
        if (rc > 0) return Status::ok();
        int error = SSL_get_error(ssl_, rc);
        if (error == SSL_ERROR_WANT_READ)
            VARNIX_RETURN_IF_ERROR(waitForFd(socket_.fd(), POLLIN, wait));
        else if (error == SSL_ERROR_WANT_WRITE)
            VARNIX_RETURN_IF_ERROR(waitForFd(socket_.fd(), POLLOUT, wait));
        else
            return failure(error);
    }
}

Status OpenSslStream::failure(int error) const {
    if (error == SSL_ERROR_ZERO_RETURN)
        return Status::network("TLS connection closed by " + where_);
    if (bio_.eof || unexpectedEof()) {
        ERR_clear_error();
        return Status::network(where_ + " closed the connection without a TLS close_notify");
    }
    if (error == SSL_ERROR_SYSCALL && ERR_peek_error() == 0)
        return Status::network("Connection to " + where_ +
                               " broken: " + (errno != 0 ? systemError(errno) : "closed"));
    return Status::tls("TLS error with " + where_ + ": " + takeOpenSslErrors());
}

Status OpenSslStream::handshakeFailure(const Status& failure) const {
    long verified = SSL_get_verify_result(ssl_);
    if (verified != X509_V_OK)
        return Status::tls("The certificate of " + where_ +
                           " was refused: " + X509_verify_cert_error_string(verified));
    if (failure.code() == VARNIX_ETIMEOUT)
        return Status::timeout("Timed out in the TLS handshake with " + where_);
    if (failure.code() == VARNIX_EABORTED) return failure;
    return Status::tls("TLS handshake with " + where_ + " failed: " + failure.text());
}

Status OpenSslStream::checkCertificate(const TlsPeer& peer) const {
    long verified = SSL_get_verify_result(ssl_);
    bool certificate = SSL_get0_peer_certificate(ssl_) != nullptr;
    if (verified == X509_V_OK && certificate) return Status::ok();
    return certificateVerdict(
        *context_, peer, certificate ? X509_verify_cert_error_string(verified) : "no certificate");
}

Result<std::size_t> OpenSslStream::read(char* buffer, std::size_t size, const Wait& wait) {
    if (!pendingFailure_.isOk()) return pendingFailure_;
    std::size_t total = 0;
    // Takes whatever has arrived, up to size, and waits only while nothing has.
    while (total < size) {
        if (wait.abort && wait.abort->raised()) return Status::aborted("Aborted");
        ERR_clear_error();
        std::size_t n = 0;
        int rc = SSL_read_ex(ssl_, buffer + total, size - total, &n);
        if (rc == 1) {
            total += n;
            continue;
        }
        int error = SSL_get_error(ssl_, rc);
        if (error == SSL_ERROR_ZERO_RETURN) break;  // close_notify: the clean end
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            Status failed = failure(error);
            if (total == 0) return failed;
            pendingFailure_ = failed;
            break;
        }
        if (total > 0) break;
        VARNIX_RETURN_IF_ERROR(
            waitForFd(socket_.fd(), error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, wait));
    }
    return total;
}

Status OpenSslStream::write(const char* data, std::size_t size, const Wait& wait) {
    wrote_ = wrote_ || size > 0;
    bio_.gather = true;
    while (size > 0) {
        std::size_t n = 0;
        Status written = drive(wait, [&] { return SSL_write_ex(ssl_, data, size, &n); });
        if (!written.isOk()) {
            bio_.gather = false;
            return written;
        }
        data += n;
        size -= n;
    }
    bio_.gather = false;
    return sendGathered(wait);
}

Status OpenSslStream::sendGathered(const Wait& wait) {
    while (!sendGatheredSome(bio_)) {
        if (!sendBlocked())
            return Status::network("Connection to " + where_ + " broken: " + systemError(errno));
        VARNIX_RETURN_IF_ERROR(waitForFd(socket_.fd(), POLLOUT, wait));
    }
    return Status::ok();
}

Status OpenSslStream::finish(const Wait& wait) {
    if (finished_ || !socket_.valid()) return Status::ok();
    finished_ = true;
    Status sent = drive(wait, [&] {
        int rc = SSL_shutdown(ssl_);
        return rc >= 0 ? 1 : rc;
    });
    return endAfterCloseNotify(sent, where_, wait);
}

void OpenSslStream::abandon() {
    if (socket_.valid() && !finished_ && !wrote_) {
        ERR_clear_error();
        SSL_shutdown(ssl_);
        ERR_clear_error();
    }
    socket_.closeWithReset();
}

bool OpenSslStream::idle() {
    if (!socket_.valid()) return true;
    pollfd p{socket_.fd(), POLLIN, 0};
    if (!SSL_has_pending(ssl_) && ::poll(&p, 1, 0) == 0) return true;
    // Records that carry no data (TLS 1.3 session tickets) do not count.
    ERR_clear_error();
    char c;
    std::size_t n = 0;
    int rc = SSL_peek_ex(ssl_, &c, 1, &n);
    if (rc == 1) return false;
    int error = SSL_get_error(ssl_, rc);
    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
}

std::shared_ptr<const TlsResumption> OpenSslStream::resumableSession() const {
    TlsSession session(SSL_get1_session(ssl_));
    if (!session || SSL_SESSION_is_resumable(session.get()) != 1) return nullptr;
    return std::make_shared<const TlsResumption>(TlsResumption{std::move(session)});
}

std::string OpenSslStream::summary() const {
    std::string text = std::string(SSL_get_version(ssl_)) + " " + SSL_get_cipher_name(ssl_);
    if (resumed()) text += ", session resumed";
    return text;
}

}  // namespace varnix
