// SPDX-License-Identifier: MIT
#include "control_connection.h"

#include "protocol_text.h"
#include "trace_log.h"

namespace varnix {
namespace {

constexpr std::size_t kReadChunk = 4096;

}  // namespace

ControlConnection::ControlConnection(std::unique_ptr<ByteStream> stream, int handle)
    : stream_(std::move(stream)), handle_(handle), peerText_(stream_->socket().peer().text()) {}

Wait ControlConnection::replyWait(bool abortable) const {
    return Wait{deadlineAfter(timeout_), abortable ? abort_ : nullptr};
}

Status ControlConnection::explain(const Status& failure) const {
    if (failure.code() == VARNIX_ETIMEOUT) {
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout_).count();
        return Status::timeout("No reply from " + peerText_ + " within " + std::to_string(seconds) +
                               " s");
    }
    return failure;
}

Status ControlConnection::send(std::string_view command) {
    if (hasLineBreak(command))
        return Status::invalid("Refused to send a command holding CR or LF: " +
                               TraceLog::masked(command.substr(0, command.find_first_of("\r\n"))));
    TraceLog::instance().sent(handle_, command);
    std::string line(command);
    line += "\r\n";
    Status written = stream_->write(line.data(), line.size(), replyWait(true));
    if (!written.isOk()) return explain(written).withContext("Sending to " + peerText_ + " failed");
    return Status::ok();
}

Status ControlConnection::sendAbort() {
    static constexpr char kIac = '\xff', kInterrupt = '\xf4', kDataMark = '\xf2';
    const char interrupt[] = {kIac, kInterrupt};
    if (!stream_->canSendUrgent()) return send("ABOR");
    Wait wait = replyWait(false);
    if (stream_->write(interrupt, sizeof interrupt, wait).isOk() && stream_->sendUrgent(kIac)) {
        TraceLog::instance().sent(handle_, "ABOR (after Telnet IP and Synch)");
        const char line[] = {kDataMark, 'A', 'B', 'O', 'R', '\r', '\n'};
        Status written = stream_->write(line, sizeof line, wait);
        if (!written.isOk())
            return explain(written).withContext("Sending to " + peerText_ + " failed");
        return Status::ok();
    }
    return send("ABOR");
}

Result<Reply> ControlConnection::readReply() {
    return read(replyWait(true));
}

Result<Reply> ControlConnection::readReplyIgnoringAbort() {
    return read(replyWait(false));
}

Result<Reply> ControlConnection::command(std::string_view command) {
    VARNIX_RETURN_IF_ERROR(send(command));
    return readReply();
}

bool ControlConnection::inputPending() {
    return !input_.empty() || !stream_->idle();
}

Result<Reply> ControlConnection::read(const Wait& wait) {
    for (;;) {
        auto line = readLine(wait);
        if (!line.isOk()) {
            assembler_ = ReplyAssembler();
            return explain(line.status());
        }
        TraceLog::instance().received(handle_, sanitizeLine(*line));
        auto done = assembler_.addLine(std::move(*line));
        if (!done.isOk()) return done.status().withContext("From " + peerText_);
        if (*done) {
            last_ = assembler_.take();
            return last_;
        }
    }
}

Result<std::string> ControlConnection::readLine(const Wait& wait) {
    std::size_t scanned = 0;
    for (;;) {
        auto nl = input_.find('\n', scanned);
        if (nl != std::string::npos) {
            std::string line = input_.substr(0, nl);
            input_.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        scanned = input_.size();
        if (input_.size() > VARNIX_MAX_REPLY) {
            input_.clear();
            return Status::protocol("Reply line longer than " + std::to_string(VARNIX_MAX_REPLY) +
                                    " bytes from " + peerText_);
        }
        char chunk[kReadChunk];
        auto n = stream_->read(chunk, sizeof chunk, wait);
        if (!n.isOk()) return n.status();
        if (*n == 0) return Status::network("Connection closed by " + peerText_);
        input_.append(chunk, *n);
    }
}

}  // namespace varnix
