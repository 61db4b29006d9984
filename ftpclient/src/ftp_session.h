// SPDX-License-Identifier: MIT
// One FTP connection behind a handle: the host it was opened for, the control connection,
// the handle's settings and the data connections of its transfers. Higher operations
// (transfers, listings, streams, server-to-server copies) are written on top of it.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "abort_signal.h"
#include "control_connection.h"
#include "protocol_text.h"
#include "tls_context.h"
#include "transfer_record.h"

namespace varnix {

struct TlsResumption;  // tls_stream.h

enum class TransferType { Ascii, Binary };

struct SessionSettings {
    TransferType type = TransferType::Ascii;  // the protocol's default
    bool passive = true;
    bool localUnique = false;
    bool storeUnique = false;
    bool statusBox = false;
    std::string localPath;
    std::chrono::milliseconds timeout{60000};
};

// A data connection of one transfer, open after the server's preliminary reply.
struct DataChannel {
    std::unique_ptr<ByteStream> stream;
    Reply opening;              // the 1xx reply to the transfer command
    long long announced = -1;   // the size the opening reply announced, if any
    long long offset = 0;       // REST offset the transfer started at
    long long wireBytes = 0;    // bytes that crossed the data connection
    long long remoteSize = -1;  // the file's size as SIZE told it before the transfer, if asked
    bool finalReceived = false;
    Reply final;
};

struct OpenStream;  // a streamed read or write (data_stream.h)

class FtpSession {
  public:
    FtpSession(HostAddress host, std::chrono::milliseconds timeout);
    ~FtpSession();

    int handle() const { return handle_; }
    void setHandle(int handle);
    const HostAddress& host() const { return host_; }
    SessionSettings& settings() { return settings_; }
    AbortSignal& abortSignal() { return abort_; }
    void setTimeout(std::chrono::milliseconds timeout);

    // Calls on one handle run one at a time; ftp_abort reaches a running call through the
    // abort signal. begin fails while another call is under way; the thread that begins a
    // call becomes the handle's owner.
    bool beginCall();
    void endCall();
    // Raises the abort signal when a call is under way; false when none is.
    bool abortRunningCall();
    // True when the calling thread owns the handle and no call is under way: only then may a
    // probe talk to the server without making the owner's calls wait or fail.
    bool mayProbe();
    // Whether the control connection is held, readable from any thread at any time.
    bool holdsConnection() const { return linked_.load(std::memory_order_acquire); }

    // ---- Connection ----
    bool connected() const { return control_ != nullptr; }
    // A new control connection to the host, greeting read. Settings that toggle (unique
    // modes) start off again; the others are kept.
    Status connect();
    // Drops the control connection without a word to the server.
    void disconnect();
    // USER, PASS and ACCT; connects first when the control connection is gone. An empty
    // user logs in as anonymous. Through a gateway the user is sent as "user@gatewayHost".
    Status login(const std::string& user, const std::string& password, const std::string& account,
                 const std::string& gatewayHost = {});
    // QUIT, then the control connection is closed. The host is kept for a later login.
    Status logout();
    // Ok when a NOOP is answered in time; a connection that fails it is dropped.
    Status alive();

    // ---- TLS (tls_session.cpp) ----
    // True when the control connection is encrypted.
    bool encrypted() const;
    // True when PROT P is in force: every data connection is encrypted.
    bool dataProtected() const { return dataProtected_; }
    // AUTH TLS on the plain control connection, the handshake and the certificate check.
    Status secureControl();
    // PBSZ 0 and PROT P: data connections encrypted, or a failure (never plain instead).
    Status protectData();
    // True when the server lists feature (its first word) in its FEAT reply.
    bool offers(std::string_view feature);

    // ---- Commands ----
    // Sends one command and reads its whole reply. A reply of 421 or a broken, silent or
    // garbled connection drops the control connection.
    Result<Reply> command(std::string_view line);
    // A command that must get a 2xx reply.
    Status simpleCommand(std::string_view line);
    // The wire type set to `type` (TYPE is sent only when it differs).
    Status ensureType(TransferType type);
    // Sends TYPE at once and makes it the handle's transfer type.
    Status setType(TransferType type);
    // The wire type is not known any more (after a raw command).
    void forgetWireType() { wireTypeKnown_ = false; }
    const Reply& lastReply() const { return lastReply_; }
    // What the last transfer call did to its target; each transfer starts it afresh.
    TransferRecord& transferRecord() { return transferRecord_; }
    // Fails when there is no control connection or a stream is open.
    Status requireIdleConnection() const;

    // ---- Data connections ----
    // Opens a data connection (passive or active, as set), sends REST offset when offset is
    // above 0, sends `line` and returns once the server's 1xx reply has come and the data
    // connection is up.
    Result<DataChannel> openData(std::string_view line, long long offset = 0);
    // After the data connection ended: closes it and reads the server's final reply. A
    // transfer counts only when that reply is 2xx (and no announced byte is missing).
    Status finishData(DataChannel& channel);
    // A failure of the data connection; a timeout is told as a stall that names the peer and
    // the direction.
    Status dataFailure(const DataChannel& channel, const Status& failure, bool receiving) const;
    // Stops a transfer: drops the data connection, sends ABOR and brings the control
    // connection back in step. Returns `reason`, or the server's refusal when it gave one.
    Status abortData(DataChannel& channel, Status reason);
    // The server's reply that ends a transfer, waited for up to `timeout`.
    Result<Reply> readFinalReply(std::chrono::milliseconds timeout);
    // For server-to-server copies: a passive port of this server (at the control
    // connection's peer address), and a PORT/EPRT that points this server at `where`.
    Result<SocketAddress> passiveAddress();
    // The same from a command with a PASV-style reply: PASV, or CPSV (the server listens and
    // makes the TLS handshake of the data connection as the client).
    Result<SocketAddress> passiveAddressVia(std::string_view command);
    Status sendPortCommand(const SocketAddress& where);
    // Sends the command that starts a transfer: a 1xx (or 2xx) reply, else the refusal.
    Result<Reply> transferCommand(std::string_view line);
    // One wait for data.
    Wait dataWait() { return Wait{deadlineAfter(settings_.timeout), &abort_}; }

    // ---- Streams (ftp_openread... / ftp_openwrite...) ----
    std::unique_ptr<OpenStream>& stream() { return stream_; }

    // Progress of a transfer to the library's handler, when the status box is on.
    void reportProgress(long long done, long long total) const;

  private:
    // The handshake over socket and the certificate check (with `where` in texts); the
    // session is resumed when one is given.
    Result<std::unique_ptr<ByteStream>> tlsOver(Socket socket, const std::string& where,
                                                const TlsResumption* resume,
                                                std::shared_ptr<const TlsContext> context,
                                                const Wait& wait);
    // A new control connection's TLS, before the greeting (ftps:).
    Result<std::unique_ptr<ByteStream>> implicitTls(Socket socket);
    // The data socket as this connection's stream: TLS resuming the control connection's
    // session when PROT P is in force, else plain.
    Result<std::unique_ptr<ByteStream>> dataStreamOver(Socket socket);
    Result<Socket> connectPassive();
    Result<Listener> listenActive();
    Status discardUnasked();
    Status checkReply(const Result<Reply>& reply);

    HostAddress host_;
    int handle_ = 0;
    SessionSettings settings_;
    AbortSignal abort_;
    std::unique_ptr<ControlConnection> control_;
    std::unique_ptr<OpenStream> stream_;
    Reply lastReply_;
    TransferRecord transferRecord_;
    // Per control connection:
    bool wireTypeKnown_ = false;
    TransferType wireType_ = TransferType::Ascii;
    bool epsvRefused_ = false;
    bool eprtRefused_ = false;
    bool loggedIn_ = false;
    int usersSent_ = 0;
    bool dataProtected_ = false;
    std::optional<std::string> features_;  // the FEAT reply, asked once

    std::mutex callMutex_;
    bool callActive_ = false;
    std::thread::id owner_ = std::this_thread::get_id();
    std::atomic<bool> linked_{false};
};

// Progress handler set by varnix_setprogresshandler.
void setProgressHandler(varnix_progress_proc proc, void* user);

}  // namespace varnix
