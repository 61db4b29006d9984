// SPDX-License-Identifier: MIT
// Data connections: passive (EPSV, else PASV) to the control connection's peer, or active
// (EPRT, else PORT) from a listener on the control connection's local address.
#include "ftp_session.h"
#include "trace_log.h"

namespace varnix {
namespace {

// Replies that say the server does not know a command (so another form may work).
bool notImplemented(const Reply& reply) {
    return reply.code == 500 || reply.code == 501 || reply.code == 502 || reply.code == 504 ||
           reply.code == 522;
}

constexpr int kMaxRepliesWhileResynchronising = 8;

// Bytes a data connection may hold in the kernel that are not sent yet. Without a limit the
// kernel queues megabytes; by the time a server on the same machine reads them they have left
// the processor's caches, and puts ran a fifth slower. What is in flight is not limited.
constexpr std::size_t kUnsentLimit = 64 * 1024;

// Commands that move a file: without a data connection nothing was moved.
bool movesAFile(std::string_view line) {
    for (std::string_view verb : {"RETR", "STOR", "STOU", "APPE"})
        if (line.substr(0, verb.size()) == verb) return true;
    return false;
}

long long wholeSeconds(std::chrono::milliseconds span) {
    return std::chrono::duration_cast<std::chrono::seconds>(span).count();
}

Status unexpected(const Reply& reply) {
    return reply.negative() ? Status::refused(reply.code, reply.text())
                            : Status::protocol("Unexpected reply: " + reply.text());
}

// Keeps a control connection's waits from ending on an abort while it is being brought
// back in step after one. It holds the session's owning pointer, not the connection: a
// resynchronisation that fails frees the connection, and nothing may be written into it then.
class IgnoreAbort {
  public:
    IgnoreAbort(const std::unique_ptr<ControlConnection>& control, const AbortSignal* signal)
        : control_(control), signal_(signal) {
        if (control_) control_->setAbortSignal(nullptr);
    }
    ~IgnoreAbort() {
        if (control_) control_->setAbortSignal(signal_);
    }
    IgnoreAbort(const IgnoreAbort&) = delete;
    IgnoreAbort& operator=(const IgnoreAbort&) = delete;

  private:
    const std::unique_ptr<ControlConnection>& control_;
    const AbortSignal* signal_;
};

}  // namespace

Result<SocketAddress> FtpSession::passiveAddress() {
    int port = 0;
    Status epsvFailure = Status::ok();
    if (!epsvRefused_) {
        auto reply = command("EPSV");
        if (!reply.isOk()) return reply.status();
        if (reply->code == 229) {
            auto parsed = parseEpsvReply(reply->text());
            if (!parsed.isOk()) return parsed.status();
            port = *parsed;
        } else if (notImplemented(*reply)) {
            epsvRefused_ = true;
            epsvFailure = Status::refused(reply->code, reply->text());
        } else {
            return unexpected(*reply);
        }
    }
    if (port == 0) {
        if (control_->peer().isIpv6() && !epsvFailure.isOk()) return epsvFailure;
        return passiveAddressVia("PASV");
    }
    SocketAddress target = control_->peer();
    target.setPort(port);
    return target;
}

Result<SocketAddress> FtpSession::passiveAddressVia(std::string_view command) {
    SocketAddress target = control_ ? control_->peer() : SocketAddress();
    if (target.isIpv6())
        return Status::protocol(std::string(command) +
                                " cannot be used over IPv6 (EPSV is needed)");
    auto reply = this->command(command);
    if (!reply.isOk()) return reply.status();
    if (reply->code != 227) return unexpected(*reply);
    auto parsed = parsePasvReply(reply->text());
    if (!parsed.isOk()) return parsed.status();
    // The address in the reply is ignored: data goes to the host we are talking to.
    target.setPort(parsed->port);
    return target;
}

Status FtpSession::sendPortCommand(const SocketAddress& where) {
    if (!eprtRefused_) {
        auto reply = command("EPRT " + eprtArgument(where));
        if (!reply.isOk()) return reply.status();
        if (reply->positive()) return Status::ok();
        if (!notImplemented(*reply) || where.isIpv6()) return unexpected(*reply);
        eprtRefused_ = true;
    }
    if (where.isIpv6()) return Status::protocol("EPRT is needed over IPv6");
    return simpleCommand("PORT " + portArgument(where));
}

Result<Socket> FtpSession::connectPassive() {
    auto target = passiveAddress();
    if (!target.isOk()) return target.status();
    auto socket = Socket::connect(*target, dataWait());
    if (!socket.isOk())
        return socket.status().withContext("Data connection to " + target->text() + " failed");
    return socket;
}

Result<Listener> FtpSession::listenActive() {
    auto listener = Listener::open(control_->local());
    if (!listener.isOk()) return listener.status();
    VARNIX_RETURN_IF_ERROR(sendPortCommand(listener->address()));
    return listener;
}

Result<Reply> FtpSession::readFinalReply(std::chrono::milliseconds timeout) {
    if (!control_) return Status::network("Connection lost during the transfer");
    control_->setTimeout(timeout);
    auto reply = control_->readReply();
    control_->setTimeout(settings_.timeout);
    VARNIX_RETURN_IF_ERROR(checkReply(reply));
    return reply;
}

Result<Reply> FtpSession::transferCommand(std::string_view line) {
    auto reply = command(line);
    if (!reply.isOk()) return reply;
    if (reply->preliminary() || reply->positive()) return reply;
    return unexpected(*reply);
}

Result<DataChannel> FtpSession::openData(std::string_view line, long long offset) {
    VARNIX_RETURN_IF_ERROR(requireIdleConnection());
    DataChannel channel;
    channel.offset = offset;
    Socket socket;
    Listener listener;
    if (settings_.passive) {
        auto connected = connectPassive();
        if (!connected.isOk()) return connected.status();
        socket = std::move(*connected);
    } else {
        auto listening = listenActive();
        if (!listening.isOk()) return listening.status();
        listener = std::move(*listening);
    }
    if (offset > 0) {
        auto reply = command("REST " + std::to_string(offset));
        if (!reply.isOk()) return reply.status();
        if (reply->code != 350) return unexpected(*reply);
    }
    auto opening = transferCommand(line);
    if (!opening.isOk()) return opening.status();
    if (opening->positive()) {
        // Done without a preliminary reply: nothing will come over the data connection. For a
        // listing that may mean an empty one; a file that was never sent was not transferred.
        if (movesAFile(line))
            return Status::protocol(
                "The server answered " + std::string(line.substr(0, 4)) + " with \"" +
                opening->text() + "\" without opening a data connection: nothing was transferred");
        channel.finalReceived = true;
        channel.final = *opening;
        return channel;
    }
    channel.opening = *opening;
    channel.announced = parseAnnouncedSize(opening->text()).value_or(-1);
    if (!settings_.passive) {
        auto accepted = listener.accept(control_->peer(), dataWait());
        if (!accepted.isOk()) {
            Status failure = accepted.status();
            if (failure.code() == VARNIX_ETIMEOUT)
                failure = Status::timeout(
                    "No data connection came from " + control_->peer().ip() + " within " +
                    std::to_string(wholeSeconds(settings_.timeout)) + " s (active mode)");
            return abortData(channel, failure);
        }
        socket = std::move(*accepted);
    }
    socket.limitUnsentBytes(kUnsentLimit);
    auto stream = dataStreamOver(std::move(socket));
    if (!stream.isOk()) return abortData(channel, stream.status());
    channel.stream = std::move(*stream);
    return channel;
}

Status FtpSession::finishData(DataChannel& channel) {
    if (channel.stream) {
        // The end of the data first (TLS: close_notify), then the server's verdict. All data
        // has crossed already, so a failure to end politely changes nothing.
        [[maybe_unused]] Status ended = channel.stream->finish(dataWait());
        channel.stream.reset();
    }
    if (!channel.finalReceived) {
        if (!control_) return Status::network("Connection lost during the transfer");
        auto reply = control_->readReply();
        Status checked = checkReply(reply);
        if (!checked.isOk()) return checked;
        channel.final = *reply;
        channel.finalReceived = true;
    }
    const Reply& final = channel.final;
    if (final.negative()) return Status::refused(final.code, final.text());
    if (!final.positive()) return Status::protocol("Unexpected end of transfer: " + final.text());
    // Fewer bytes than the server announced, or than SIZE told: cut short. The bytes on the
    // wire count (in ASCII type too, before line ends are converted).
    for (long long whole : {channel.announced, channel.remoteSize}) {
        if (whole >= 0 && channel.wireBytes < whole - channel.offset)
            return Status::network("Transfer ended after " + std::to_string(channel.wireBytes) +
                                   " of " + std::to_string(whole - channel.offset) + " bytes\n" +
                                   final.text());
    }
    return Status::ok();
}

Status FtpSession::dataFailure(const DataChannel& channel, const Status& failure,
                               bool receiving) const {
    if (failure.code() != VARNIX_ETIMEOUT) return failure;
    std::string peer = channel.stream ? channel.stream->socket().peer().text() : host_.text();
    std::string seconds = std::to_string(wholeSeconds(settings_.timeout));
    return Status::timeout(receiving ? "The data connection stalled: nothing received from " +
                                           peer + " for " + seconds + " s"
                                     : "The data connection stalled: nothing could be sent to " +
                                           peer + " for " + seconds + " s");
}

Status FtpSession::abortData(DataChannel& channel, Status reason) {
    if (channel.stream) {
        channel.stream->abandon();
        channel.stream.reset();
    }
    if (!control_) return reason;
    IgnoreAbort guard(control_, &abort_);
    TraceLog::instance().note(handle_, "Stopping the transfer: " + reason.text());
    if (!control_->sendAbort().isOk() || !control_->send("NOOP").isOk()) {
        disconnect();
        return reason;
    }
    // Read up to the NOOP's reply: the transfer's and ABOR's replies come before it. When the
    // data connection broke on its own, the server's refusal is the better explanation.
    bool ours = reason.code() != VARNIX_ENETWORK;
    Status serverSaid = Status::ok();
    for (int i = 0; i < kMaxRepliesWhileResynchronising; ++i) {
        auto reply = control_->readReply();
        if (!reply.isOk()) break;
        lastReply_ = *reply;
        if (reply->code == 421) break;
        if (reply->code == 200) return ours || serverSaid.isOk() ? reason : serverSaid;
        if (reply->negative() && serverSaid.isOk())
            serverSaid = Status::refused(reply->code, reply->text());
    }
    disconnect();
    return ours || serverSaid.isOk() ? reason : serverSaid;
}

}  // namespace varnix
