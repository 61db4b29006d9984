// SPDX-License-Identifier: MIT
#include "remote_copy.h"

#include <algorithm>
#include <string_view>

#include "local_files.h"
#include "transfer.h"

namespace varnix {
namespace {

// The copy runs between the servers, out of sight: its end may take much longer than one
// wait for a reply, so the final replies get this many receive timeouts.
constexpr int kCopyTimeoutFactor = 10;

Status restAt(FtpSession& session, long long offset) {
    auto reply = session.command("REST " + std::to_string(offset));
    if (!reply.isOk()) return reply.status();
    if (reply->code == 350) return Status::ok();
    if (reply->negative()) return Status::refused(reply->code, reply->text());
    return Status::protocol("Unexpected reply to REST: " + reply->text());
}

// A server that reports the copy done before it began moved nothing.
Status endedBeforeItBegan(FtpSession& session, std::string_view verb, const Reply& opening) {
    return Status::protocol(session.host().text() + " answered " + std::string(verb) + " with \"" +
                            opening.text() + "\" before the copy began: nothing was copied");
}

Status finalOf(FtpSession& session) {
    auto final = session.readFinalReply(session.settings().timeout * kCopyTimeoutFactor);
    if (!final.isOk()) return final.status();
    if (final->positive()) return Status::ok();
    if (final->negative()) return Status::refused(final->code, final->text());
    return Status::protocol("Unexpected end of transfer: " + final->text());
}

// Stops the target's half-started transfer after the source failed. A target that waits
// for data (and, like vsftpd, reads no command meanwhile) is freed by the source dropping
// its passive port, which a new EPSV/PASV makes it do; then ABOR brings it back in step.
Status stopTarget(FtpSession& from, FtpSession& to, Status reason) {
    [[maybe_unused]] auto released = from.passiveAddress();
    DataChannel none;
    return to.abortData(none, std::move(reason));
}

// How the data connection between the servers is encrypted, when it is: one server must make
// the TLS handshake as the client, which SSCN (either side) or CPSV (the passive side) asks of
// a server that offers it.
enum class ServerHandshake { None, TargetSscn, SourceSscn, SourceCpsv };

Result<ServerHandshake> chooseHandshake(FtpSession& from, FtpSession& to) {
    if (!from.dataProtected() && !to.dataProtected()) return ServerHandshake::None;
    std::string both = from.host().text() + " and " + to.host().text();
    if (!from.dataProtected() || !to.dataProtected())
        return Status::tls("A server-to-server copy between " + both +
                           " is not possible: one connection is encrypted and the other is not, "
                           "so their data connection could not be. Nothing was transferred.");
    if (to.offers("SSCN")) return ServerHandshake::TargetSscn;
    if (from.offers("SSCN")) return ServerHandshake::SourceSscn;
    if (from.offers("CPSV")) return ServerHandshake::SourceCpsv;
    return Status::tls(
        "An encrypted server-to-server copy between " + both +
        " needs SSCN or CPSV, which neither server offers. Nothing was transferred.");
}

// The copy itself, once both servers know their part in the data connection's handshake.
Status copyBetween(FtpSession& from, FtpSession& to, const std::string& fromFile,
                   const std::string& target, RemoteMode mode, long long offset, bool binary,
                   bool cpsv) {
    // A resumed copy continues the target it names: never a new unique file.
    const bool resuming = offset == kResumeAtTargetEnd || offset > 0;
    if (offset == kResumeAtTargetEnd) {
        auto there = remoteSize(to, target);
        if (!there.isOk() && there.status().code() != -550) return there.status();
        offset = there.isOk() ? *there : 0;
    }
    // A missing source file is found before the target is asked to store anything.
    auto sourceSize = remoteSize(from, fromFile);
    if (!sourceSize.isOk() && sourceSize.status().code() == -550) return sourceSize.status();
    VARNIX_RETURN_IF_ERROR(from.ensureType(binary ? TransferType::Binary : from.settings().type));
    VARNIX_RETURN_IF_ERROR(to.ensureType(binary ? TransferType::Binary : to.settings().type));

    auto source = cpsv ? from.passiveAddressVia("CPSV") : from.passiveAddress();
    if (!source.isOk()) return source.status();
    VARNIX_RETURN_IF_ERROR(to.sendPortCommand(*source));
    std::string store = mode == RemoteMode::Append               ? "APPE "
                        : to.settings().storeUnique && !resuming ? "STOU "
                                                                 : "STOR ";
    if (mode == RemoteMode::Put && offset > 0) VARNIX_RETURN_IF_ERROR(restAt(to, offset));
    auto targetOpening = to.transferCommand(store + target);
    if (!targetOpening.isOk()) return targetOpening.status();
    if (targetOpening->positive())
        return endedBeforeItBegan(to, store.substr(0, 4), *targetOpening);
    TransferRecord& record = to.transferRecord();
    record.opened = true;
    if (store == "STOU ") {
        std::string given = uniqueNameOf(targetOpening->text());
        if (!given.empty()) record.remote = given;
    }

    if (offset > 0) {
        Status rest = restAt(from, offset);
        if (!rest.isOk()) return stopTarget(from, to, rest);
    }
    auto sourceOpening = from.transferCommand("RETR " + fromFile);
    if (!sourceOpening.isOk()) return stopTarget(from, to, sourceOpening.status());
    if (sourceOpening->positive())
        return stopTarget(from, to, endedBeforeItBegan(from, "RETR", *sourceOpening));

    Status sent = finalOf(from);
    Status stored = finalOf(to);
    if (!sent.isOk()) return sent;
    if (!stored.isOk()) return stored;
    return Status::ok(from.lastReply().text() + "\n" + to.lastReply().text());
}

}  // namespace

Status remoteCopy(FtpSession& from, FtpSession& to, const std::string& fromFile,
                  const std::string& toFile, RemoteMode mode, long long offset, bool binary) {
    if (&from == &to) return Status::invalid("A server-to-server copy needs two handles");
    if (fromFile.empty()) return Status::invalid("No source file name given");
    std::string target = toFile.empty() ? lastComponent(fromFile) : toFile;
    if (target.empty()) return Status::invalid("No target name for " + fromFile);
    from.transferRecord() = TransferRecord{};
    TransferRecord copy;
    copy.written = -1;  // the bytes pass between the servers, out of sight
    copy.remote = target;
    to.transferRecord() = copy;
    if (offset < kResumeAtTargetEnd) return Status::invalid("Negative offset");
    VARNIX_RETURN_IF_ERROR(from.requireIdleConnection());
    VARNIX_RETURN_IF_ERROR(to.requireIdleConnection());

    auto handshake = chooseHandshake(from, to);
    if (!handshake.isOk()) return handshake.status();
    FtpSession* client = *handshake == ServerHandshake::TargetSscn   ? &to
                         : *handshake == ServerHandshake::SourceSscn ? &from
                                                                     : nullptr;
    if (client) VARNIX_RETURN_IF_ERROR(client->simpleCommand("SSCN ON"));
    Status copied = copyBetween(from, to, fromFile, target, mode, offset, binary,
                                *handshake == ServerHandshake::SourceCpsv);
    // Back to the server's part in our own data connections; a server that stays the client
    // would fail them all, so its connection is dropped then (ftp_relogin makes a new one).
    if (client && client->connected() && !client->simpleCommand("SSCN OFF").isOk())
        client->disconnect();
    return copied;
}

}  // namespace varnix
