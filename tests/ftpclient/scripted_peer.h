// SPDX-License-Identifier: MIT
// A reply-scripted peer for reliability tests: it sends what no correct FTP server sends
// (silence, malformed or endless replies, hostile names, short transfers). Every command
// line it receives is recorded; a script decides what goes back.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace ftptest {

class ScriptedPeer {
  public:
    struct Action {
        std::string reply;                // sent at once (raw bytes, CRLF included)
        std::optional<std::string> data;  // sent over the next data connection, then closed
        std::string afterData;            // sent after the data
        bool close = false;               // closes the control connection afterwards
        bool holdData = false;  // takes the data connection and neither sends nor reads on it
        bool mute = false;      // after this action, no command of the connection is answered

        static Action say(std::string reply) {
            Action a;
            a.reply = std::move(reply);
            return a;
        }
        static Action sayAndClose(std::string reply) {
            Action a = say(std::move(reply));
            a.close = true;
            return a;
        }
        static Action stall(std::string reply) {
            Action a = say(std::move(reply));
            a.holdData = true;
            return a;
        }
        static Action transfer(std::string reply, std::string data, std::string after) {
            Action a = say(std::move(reply));
            a.data = std::move(data);
            a.afterData = std::move(after);
            return a;
        }
        // A server that hangs: says reply (may be empty), then answers nothing more, not
        // even ABOR or NOOP.
        static Action hang(std::string reply = {}) {
            Action a = say(std::move(reply));
            a.mute = true;
            return a;
        }
    };
    using Script = std::function<Action(const std::string& line, ScriptedPeer& peer)>;

    // greeting: raw bytes sent on connect ("" = say nothing at all).
    ScriptedPeer(std::string greeting, Script script);
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;
    ~ScriptedPeer();

    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    // The port of the peer's data listener, for EPSV and PASV replies.
    int dataPort() const { return dataPort_; }
    std::vector<std::string> received() const;
    // True when any received line contains text.
    bool receivedAny(const std::string& text) const;

    // Answers of a well-behaved login, for scripts that misbehave only later.
    static std::optional<Action> loginStep(const std::string& line);
    static std::string epsvReply(int port);
    static std::string pasvReply(int port);

    // Active mode: an EPRT or PORT line the peer receives names where its data connections
    // go (the script still decides the reply). With connectActive off, the peer records the
    // address but never connects: the data connection never comes.
    void setConnectActive(bool on) { connectActive_ = on; }

  private:
    void run();
    void serve(int control);
    bool sendAll(int fd, const std::string& bytes);
    void sendData(const std::string& bytes);
    // The next data connection: accepted (passive), or made to the address of the last
    // EPRT/PORT (active); -1 when none comes within a few seconds.
    int openData();
    int acceptData();
    int connectData();
    void noteActiveAddress(const std::string& line);

    std::string greeting_;
    Script script_;
    int listener_ = -1;
    int dataListener_ = -1;
    int port_ = 0;
    int dataPort_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> connectActive_{true};
    std::string activeIp_;  // of the last EPRT/PORT; empty: passive
    int activePort_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    std::thread thread_;
};

}  // namespace ftptest
