// SPDX-License-Identifier: MIT
// Hostile peers, case by case and class by class (greeting, replies, passive addresses, data,
// names, TLS, caller misuse): each case asserts the safe outcome, and that its call returned
// within what its timeouts allow. Receive timeouts are one second throughout.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "ftp_test_support.h"
#include "scripted_peer.h"

namespace {

using Action = ftptest::ScriptedPeer::Action;
using ftptest::lastError;
using ftptest::ScriptedPeer;
using Script = ScriptedPeer::Script;
using namespace std::string_literals;

const std::string kGreeting = "220 Hostile peer ready.\r\n";
constexpr int kTimeoutSeconds = 1;

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What a case's call and check get: the peer, a local directory and the handle (logged in,
// unless the case is about the connection's first moments).
struct Context {
    ScriptedPeer& peer;
    testfx::TempDir& local;
    int h = 0;
    std::string path(const std::string& name) const { return (local / name).string(); }
    std::string host() const { return peer.host(); }
};

struct Case {
    std::string name;
    Script script;
    std::function<int(Context&)> call;
    int expected;
    // Further assertions of the safe outcome (the local file, what reached the peer).
    std::function<void(Context&)> check = {};
    std::string greeting = kGreeting;
    bool login = true;
    // Timeouts the call may spend at most (a stalled transfer waits once for data and once
    // for the answer to its abort).
    int waits = 3;
    // Runs before the call (local files, settings of the handle).
    std::function<void(Context&)> prepare = {};
};

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Hostile : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override { varnix_setdefaulttimeout(kTimeoutSeconds); }
    void TearDown() override { varnix_setdefaulttimeout(60); }
};

TEST_P(Hostile, FailsSafelyWithinItsTimeouts) {
    const Case& c = GetParam();
    ScriptedPeer peer(c.greeting, c.script);
    testfx::TempDir local{"varnix-hostile"};
    Context context{peer, local};
    if (c.login) {
        context.h = ftp_login(peer.host().c_str(), "user", "secret", "");
        ASSERT_GT(context.h, 0) << lastError();
        ASSERT_EQ(ftp_setreceivetimeout(context.h, kTimeoutSeconds), 0);
    }
    if (c.prepare) c.prepare(context);
    auto start = std::chrono::steady_clock::now();
    int result = c.call(context);
    auto took = std::chrono::steady_clock::now() - start;
    std::string text = lastError();
    EXPECT_EQ(result, c.expected) << text;
    EXPECT_LE(took, std::chrono::seconds(c.waits * kTimeoutSeconds) + std::chrono::seconds(1))
        << "the call outlasted its timeouts";
    if (c.check) c.check(context);
    if (context.h > 0) ftp_quit(context.h);
}

// ---- Scripts -----------------------------------------------------------------------------

// Logs in, then answers every other command with reply.
Script answering(std::string reply) {
    return [reply](const std::string& line, ScriptedPeer&) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        return Action::say(reply);
    };
}

// Logs in, answers EPSV with the peer's data port and EPRT/PORT with 200, passes every other
// command to onCommand (which may return nothing: "250 OK." then). The answer to ABOR is
// abortReply, or none at all (the peer hangs) when it is empty.
Script transferring(std::function<std::optional<Action>(const std::string&)> onCommand,
                    std::string abortReply = "426 Aborted.\r\n226 ABOR done.\r\n") {
    return [onCommand, abortReply](const std::string& line, ScriptedPeer& peer) {
        if (holds(line, "ABOR"))
            return abortReply.empty() ? Action::hang() : Action::say(abortReply);
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        if (line == "EPSV") return Action::say(ScriptedPeer::epsvReply(peer.dataPort()));
        if (line.starts_with("EPRT") || line.starts_with("PORT"))
            return Action::say("200 Port set.\r\n");
        if (auto action = onCommand(line)) return *action;
        return Action::say("250 OK.\r\n");
    };
}

// A transfer command (its verb) answered with action.
Script onVerb(std::string verb, Action action,
              std::string abortReply = "426 Aborted.\r\n226 ABOR done.\r\n") {
    return transferring(
        [verb, action](const std::string& line) -> std::optional<Action> {
            if (line.starts_with(verb)) return action;
            return std::nullopt;
        },
        std::move(abortReply));
}

// Serves `names` to NLST and "content of <name>" to RETR <name>.
Script servingNames(std::string names) {
    return transferring([names](const std::string& line) -> std::optional<Action> {
        if (line.starts_with("NLST"))
            return Action::transfer("150 Here it comes.\r\n", names, "226 Done.\r\n");
        if (line.starts_with("RETR "))
            return Action::transfer("150 Sending.\r\n", "content of " + line.substr(5),
                                    "226 Done.\r\n");
        return std::nullopt;
    });
}

// A 3000-byte file whose server accepts REST and then sends the whole file anyway. sizeReply
// answers SIZE; opening is the 150 reply.
const std::string kWholeFile = testfx::allBytes(3000);
Script ignoringRest(std::string sizeReply, std::string opening) {
    return transferring([sizeReply, opening](const std::string& line) -> std::optional<Action> {
        if (line.starts_with("SIZE")) return Action::say(sizeReply);
        if (line.starts_with("REST")) return Action::say("350 Restarting.\r\n");
        if (line.starts_with("RETR")) return Action::transfer(opening, kWholeFile, "226 Done.\r\n");
        return std::nullopt;
    });
}

// A REST the server honours: the rest of the file from the offset.
Script honouringRest(std::string sizeReply, std::string opening) {
    auto offset = std::make_shared<std::size_t>(0);
    return transferring([=](const std::string& line) -> std::optional<Action> {
        if (line.starts_with("SIZE")) return Action::say(sizeReply);
        if (line.starts_with("REST ")) {
            *offset = std::stoul(line.substr(5));
            return Action::say("350 Restarting.\r\n");
        }
        if (line.starts_with("RETR"))
            return Action::transfer(opening, kWholeFile.substr(*offset), "226 Done.\r\n");
        return std::nullopt;
    });
}

// ---- Calls -------------------------------------------------------------------------------

std::function<int(Context&)> getInto(std::string name) {
    return [name](Context& c) { return ftp_get(c.h, "remote.bin", c.path(name).c_str()); };
}

std::function<int(Context&)> putOf(long long bytes) {
    return [bytes](Context& c) {
        testfx::writeFile(c.local / "out.bin", testfx::allBytes(static_cast<std::size_t>(bytes)));
        return ftp_put(c.h, c.path("out.bin").c_str(), "out.bin");
    };
}

std::function<int(Context&)> cdTo(std::string directory) {
    return [directory](Context& c) { return ftp_cd(c.h, directory.c_str()); };
}

std::function<int(Context&)> openOnly() {
    return [](Context& c) {
        int h = ftp_open(c.host().c_str());
        if (h > 0) ftp_quit(h);
        return h > 0 ? 0 : h;
    };
}

std::function<int(Context&)> loginOnly() {
    return [](Context& c) {
        int h = ftp_login(c.host().c_str(), "user", "secret", "");
        if (h > 0) ftp_quit(h);
        return h > 0 ? 0 : h;
    };
}

// ---- Checks ------------------------------------------------------------------------------

std::function<void(Context&)> fileHolds(std::string name, std::string bytes) {
    return [name, bytes](Context& c) { EXPECT_EQ(testfx::readFile(c.local / name), bytes); };
}

std::function<void(Context&)> errorHolds(std::vector<std::string> parts) {
    return [parts](Context&) {
        std::string text = lastError();
        for (const auto& part : parts)
            EXPECT_TRUE(holds(text, part)) << "\"" << part << "\" not in: " << text;
    };
}

std::function<void(Context&)> handleDropped() {
    return [](Context& c) { EXPECT_EQ(ftp_cd(c.h, "x"), VARNIX_EHANDLE) << lastError(); };
}

std::function<void(Context&)> stillInStep() {
    return [](Context& c) { EXPECT_EQ(ftp_cd(c.h, "x"), 0) << lastError(); };
}

std::function<void(Context&)> neverReceived(std::string text) {
    return [text](Context& c) { EXPECT_FALSE(c.peer.receivedAny(text)) << text; };
}

std::function<void(Context&)> both(std::function<void(Context&)> a,
                                   std::function<void(Context&)> b) {
    return [a, b](Context& c) {
        a(c);
        b(c);
    };
}

// ---- Greeting ----------------------------------------------------------------------------

Case greeting(std::string name, std::string greeting, int expected, bool login = false) {
    Case c{std::move(name), answering("331 Password please.\r\n"), login ? loginOnly() : openOnly(),
           expected};
    c.greeting = std::move(greeting);
    c.login = false;
    return c;
}

std::vector<Case> greetingCases() {
    std::string endless = "220-Welcome\r\n";
    for (int i = 0; i < 1000; ++i)
        endless += " " + std::string(100, 'x') + "\r\n";
    return {
        greeting("Silent", "", VARNIX_ETIMEOUT),
        greeting("Garbage", "HELLO THERE\r\n", VARNIX_EPROTOCOL),
        greeting("ServiceNotAvailable", "421 Too many users.\r\n", -421),
        greeting("Refused", "530 Not welcome.\r\n", -530),
        greeting("ReadySoonThenSilent", "120 Ready in a minute.\r\n", VARNIX_ETIMEOUT),
        greeting("ReadySoonThenReady", "120 Ready in a minute.\r\n220 Ready.\r\n", 0),
        greeting("PreliminaryOtherThan120", "150 What?\r\n", VARNIX_EPROTOCOL),
        greeting("PositiveButNotReady", "230 Logged in already?\r\n", VARNIX_EPROTOCOL),
        greeting("CutMidLine", "220 Rea", VARNIX_ETIMEOUT),
        greeting("EndlessMultiLine", endless, VARNIX_EPROTOCOL),
        greeting("OneOversizedLine", "220 " + std::string(VARNIX_MAX_REPLY + 10, 'y'),
                 VARNIX_EPROTOCOL),
        greeting("MultiLineNeverEnding", "220-First\r\n second\r\n", VARNIX_ETIMEOUT),
        greeting("BareLineFeeds", "220 Ready.\n", 0),
        greeting("HoldingNulBytes", "220 Re\0ady.\r\n"s, 0),
        greeting("HoldingTerminalEscapes", "220 \x1b]0;owned\x07\x1b[2J Ready.\r\n", 0),
        greeting("CodeOnly", "220\r\n", 0),
        greeting("FourDigitCode", "2200 Ready.\r\n", VARNIX_EPROTOCOL),
        // The login that follows a hostile greeting.
        [] {
            Case c = greeting("UserAnsweredBySilence", kGreeting, VARNIX_ETIMEOUT, true);
            c.script = [](const std::string&, ScriptedPeer&) { return Action::hang(); };
            return c;
        }(),
        [] {
            Case c = greeting("PassAnswered421", kGreeting, -421, true);
            c.script = [](const std::string& line, ScriptedPeer&) {
                return Action::say(line.starts_with("USER") ? "331 Password.\r\n" : "421 Bye.\r\n");
            };
            return c;
        }(),
        [] {
            Case c = greeting("AccountAskedButNoneGiven", kGreeting, -332, true);
            c.script = [](const std::string& line, ScriptedPeer&) {
                return Action::say(line.starts_with("USER") ? "331 Password.\r\n"
                                                            : "332 Account please.\r\n");
            };
            return c;
        }(),
        [] {
            Case c = greeting("LoginAnsweredWithGarbage", kGreeting, VARNIX_EPROTOCOL, true);
            c.script = [](const std::string&, ScriptedPeer&) {
                return Action::say("Who are you?\r\n");
            };
            return c;
        }(),
        [] {
            Case c = greeting("ClosedAfterUser", kGreeting, VARNIX_ENETWORK, true);
            c.script = [](const std::string&, ScriptedPeer&) { return Action::sayAndClose(""); };
            return c;
        }(),
    };
}

// ---- Replies -----------------------------------------------------------------------------

Case reply(std::string name, std::string answer, int expected,
           std::function<void(Context&)> check = {}) {
    return {std::move(name), answering(std::move(answer)), cdTo("x"), expected, std::move(check)};
}

std::function<int(Context&)> pwdInto(std::shared_ptr<std::string> out) {
    return [out](Context& c) {
        char buffer[64] = "guard";
        int rc = ftp_pwd(c.h, buffer, sizeof buffer);
        *out = buffer;
        return rc;
    };
}

Case pwdReply(std::string name, std::string answer, int expected, std::string path) {
    auto out = std::make_shared<std::string>();
    return {std::move(name), answering(std::move(answer)), pwdInto(out), expected,
            [out, path](Context&) { EXPECT_EQ(*out, path); }};
}

Case sizeReply(std::string name, std::string answer, long long expected) {
    return {std::move(name), answering(std::move(answer)),
            [](Context& c) { return static_cast<int>(ftp_GetFileSize(c.h, "f")); },
            static_cast<int>(expected)};
}

Case mdtmReply(std::string name, std::string answer, int expected, std::string time) {
    auto out = std::make_shared<std::string>();
    return {std::move(name), answering(std::move(answer)),
            [out](Context& c) {
                char buffer[32] = "guard";
                int rc = ftp_GetFileDateTime(c.h, "f", buffer, sizeof buffer, "");
                *out = buffer;
                return rc;
            },
            expected, [out, time](Context&) { EXPECT_EQ(*out, time); }};
}

std::vector<Case> replyCases() {
    std::string huge = "250-Start\r\n";
    while (huge.size() < VARNIX_MAX_REPLY + 100)
        huge += " " + std::string(200, 'z') + "\r\n";
    huge += "250 End\r\n";
    std::string flood;
    for (int i = 0; i < 40; ++i)
        flood += "200 Nobody asked.\r\n";
    return {
        reply("UnknownCode", "999 What?\r\n", VARNIX_EPROTOCOL, handleDropped()),
        reply("NoCodeAtAll", "Whatever.\r\n", VARNIX_EPROTOCOL, handleDropped()),
        reply("Silence", "", VARNIX_ETIMEOUT, handleDropped()),
        reply("ServiceClosing", "421 Going down.\r\n", -421, handleDropped()),
        reply("PreliminaryForASimpleCommand", "150 Hm.\r\n", VARNIX_EPROTOCOL),
        reply("IntermediateForASimpleCommand", "350 More?\r\n", VARNIX_EPROTOCOL),
        reply("MultiLineNeverEnding", "250-Part one\r\n part two\r\n", VARNIX_ETIMEOUT,
              handleDropped()),
        reply("OversizedMultiLine", huge, VARNIX_EPROTOCOL, handleDropped()),
        reply("HoldingNulBytes", "250 in\0side\r\n"s, 0),
        reply("HoldingTerminalEscapes", "250 \x1b[2Jcleared\r\n", 0,
              [](Context& c) { EXPECT_FALSE(holds(ftptest::lastReply(c.h), "\x1b")); }),
        reply("CutShort", "250-Part one\r\n 250 not the en", VARNIX_ETIMEOUT),
        reply("RefusedWithTheWrongClass", "650 Six hundred?\r\n", VARNIX_EPROTOCOL),
        [] {
            Case c = reply("ClosedWithoutAWord", "", VARNIX_ENETWORK, handleDropped());
            c.script = [](const std::string& line, ScriptedPeer&) {
                if (auto step = ScriptedPeer::loginStep(line)) return *step;
                return Action::sayAndClose("");
            };
            return c;
        }(),
        [flood] {
            // Replies nobody asked for, sent after the login's: more than a server in step sends.
            Case c = reply("FloodOfUnaskedReplies", "250 OK.\r\n", VARNIX_EPROTOCOL);
            c.script = [flood](const std::string& line, ScriptedPeer&) {
                if (line.starts_with("PASS")) return Action::say("230 In.\r\n" + flood);
                if (auto step = ScriptedPeer::loginStep(line)) return *step;
                return Action::say("250 OK.\r\n");
            };
            c.prepare = [](Context&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            };
            return c;
        }(),
        pwdReply("PwdWithoutQuotes", "257 /plain is current\r\n", 0, "/plain"),
        pwdReply("PwdWithDoubledQuotes", "257 \"/a \"\"b\"\" c\" is current\r\n", 0, "/a \"b\" c"),
        pwdReply("PwdUnterminated", "257 \"/never ends\r\n", VARNIX_EPROTOCOL, ""),
        pwdReply("PwdWithNoPath", "257 Here you are\r\n", VARNIX_EPROTOCOL, ""),
        pwdReply("PwdRefused", "550 No.\r\n", -550, ""),
        pwdReply("PwdLongerThanTheBuffer", "257 \"/" + std::string(200, 'd') + "\"\r\n", 0,
                 "/" + std::string(62, 'd')),
        sizeReply("SizeNegative", "213 -5\r\n", VARNIX_EPROTOCOL),
        sizeReply("SizeTooLarge", "213 99999999999999999999\r\n", VARNIX_EPROTOCOL),
        sizeReply("SizeNotANumber", "213 12abc\r\n", VARNIX_EPROTOCOL),
        sizeReply("SizeMissing", "213\r\n", VARNIX_EPROTOCOL),
        sizeReply("SizeRefused", "550 No such file.\r\n", -550),
        sizeReply("SizeWithTrailingWords", "213 1234 bytes\r\n", 1234),
        mdtmReply("MdtmTooShort", "213 2024\r\n", VARNIX_EPROTOCOL, ""),
        mdtmReply("MdtmLetters", "213 abcdefghijklmn\r\n", VARNIX_EPROTOCOL, ""),
        mdtmReply("MdtmWithFraction", "213 20240131235959.123\r\n", 0, "20240131235959.123"),
        mdtmReply("MdtmRefused", "550 No.\r\n", -550, ""),
        {"RenameFromAnsweredAsDone", answering("250 Renamed already?\r\n"),
         [](Context& c) { return ftp_rename(c.h, "a", "b"); }, VARNIX_EPROTOCOL,
         neverReceived("RNTO")},
        {"QuoteWhoseFinalReplyNeverComes", answering("150 Started.\r\n"),
         [](Context& c) {
             char buffer[256];
             return ftp_quote(c.h, "STAT x", buffer, sizeof buffer);
         },
         VARNIX_ETIMEOUT},
    };
}

// ---- Passive and active addresses ----------------------------------------------------------

// RETR answered over a data connection; EPSV and PASV answered as given.
Script passive(std::string epsv, std::string pasv) {
    return [epsv, pasv](const std::string& line, ScriptedPeer& peer) {
        if (auto step = ScriptedPeer::loginStep(line)) return *step;
        auto port = [&](std::string text) {
            auto at = text.find("%PORT%");
            if (at != std::string::npos) text.replace(at, 6, std::to_string(peer.dataPort()));
            auto hi = text.find("%HI%");
            if (hi != std::string::npos) text.replace(hi, 4, std::to_string(peer.dataPort() / 256));
            auto lo = text.find("%LO%");
            if (lo != std::string::npos) text.replace(lo, 4, std::to_string(peer.dataPort() % 256));
            return text;
        };
        if (line == "EPSV") return Action::say(port(epsv));
        if (line == "PASV") return Action::say(port(pasv));
        if (line.starts_with("RETR"))
            return Action::transfer("150 Sending.\r\n", "payload", "226 Done.\r\n");
        return Action::say("502 Not here.\r\n");
    };
}

Case address(std::string name, std::string epsv, std::string pasv, int expected) {
    auto check = expected == 0 ? fileHolds("f", "payload") : [](Context& c) {
        EXPECT_FALSE(std::filesystem::exists(c.local / "f"));
        EXPECT_FALSE(c.peer.receivedAny("RETR"));
    };
    return {std::move(name), passive(std::move(epsv), std::move(pasv)), getInto("f"), expected,
            check};
}

// A port on loopback where nothing listens.
int closedPort() {
    ScriptedPeer gone("", answering(""));
    return gone.dataPort();  // closed again when gone goes
}

std::vector<Case> addressCases() {
    const std::string refused = "500 Not understood.\r\n";
    const std::string goodPasv = "227 Entering Passive Mode (127,0,0,1,%HI%,%LO%).\r\n";
    int closed = closedPort();
    return {
        address("EpsvGood", "229 Extended (|||%PORT%|)\r\n", goodPasv, 0),
        address("EpsvPortZero", "229 Extended (|||0|)\r\n", goodPasv, VARNIX_EPROTOCOL),
        address("EpsvPortTooLarge", "229 Extended (|||70000|)\r\n", goodPasv, VARNIX_EPROTOCOL),
        address("EpsvPortNotANumber", "229 Extended (|||abc|)\r\n", goodPasv, VARNIX_EPROTOCOL),
        address("EpsvNegativePort", "229 Extended (|||-21|)\r\n", goodPasv, VARNIX_EPROTOCOL),
        address("EpsvWithoutParentheses", "229 Extended |||%PORT%|\r\n", goodPasv,
                VARNIX_EPROTOCOL),
        address("EpsvMixedDelimiters", "229 Extended (|!|%PORT%|)\r\n", goodPasv, VARNIX_EPROTOCOL),
        address("EpsvDigitAsDelimiter", "229 Extended (1113000111)\r\n", goodPasv,
                VARNIX_EPROTOCOL),
        address("EpsvCutShort", "229 Extended (|||\r\n", goodPasv, VARNIX_EPROTOCOL),
        address("EpsvAnsweredWithPasvReply", goodPasv, goodPasv, VARNIX_EPROTOCOL),
        address("EpsvToAClosedPort", "229 Extended (|||" + std::to_string(closed) + "|)\r\n",
                goodPasv, VARNIX_ECONNECT),
        address("EpsvRefusedPasvForeignHost", refused,
                "227 Entering Passive Mode (10,99,98,97,%HI%,%LO%).\r\n", 0),
        address("EpsvRefusedPasvNumbersAbove255", refused,
                "227 Entering Passive Mode (127,0,0,1,300,1).\r\n", VARNIX_EPROTOCOL),
        address("EpsvRefusedPasvFiveNumbers", refused,
                "227 Entering Passive Mode (127,0,0,1,5).\r\n", VARNIX_EPROTOCOL),
        address("EpsvRefusedPasvPortZero", refused,
                "227 Entering Passive Mode (127,0,0,1,0,0).\r\n", VARNIX_EPROTOCOL),
        address("EpsvRefusedPasvNoNumbers", refused, "227 Entering Passive Mode.\r\n",
                VARNIX_EPROTOCOL),
        address("EpsvRefusedPasvWrongCode", refused, "200 Sure.\r\n", VARNIX_EPROTOCOL),
        address("BothRefused", refused, "502 No passive here.\r\n", -502),
        address("EpsvSilent", "", goodPasv, VARNIX_ETIMEOUT),
        [] {
            // Active mode: EPRT refused, PORT taken, and the peer connects to it.
            Case c{"ActiveFallsBackToPort",
                   [](const std::string& line, ScriptedPeer&) {
                       if (auto step = ScriptedPeer::loginStep(line)) return *step;
                       if (line.starts_with("EPRT")) return Action::say("500 No EPRT.\r\n");
                       if (line.starts_with("PORT")) return Action::say("200 Port set.\r\n");
                       if (line.starts_with("RETR"))
                           return Action::transfer("150 Sending.\r\n", "payload", "226 Done.\r\n");
                       return Action::say("502 Not here.\r\n");
                   },
                   getInto("f"), 0, fileHolds("f", "payload")};
            c.prepare = [](Context& x) { ASSERT_EQ(ftp_SetPassive(x.h, 0), 0); };
            return c;
        }(),
        [] {
            Case c{"ActivePortRefused", answering("500 No.\r\n"), getInto("f"), -500,
                   neverReceived("RETR")};
            c.prepare = [](Context& x) { ASSERT_EQ(ftp_SetPassive(x.h, 0), 0); };
            return c;
        }(),
    };
}

// ---- Data --------------------------------------------------------------------------------

const std::string kOldContent = "the local file as it was";

// A get of remote.bin into "f", where "f" held kOldContent before.
Case getCase(std::string name, Script script, int expected, std::function<void(Context&)> check,
             bool binary = true) {
    Case c{std::move(name), std::move(script), getInto("f"), expected, std::move(check)};
    c.prepare = [binary](Context& x) {
        testfx::writeFile(x.local / "f", kOldContent);
        if (binary) {
            ASSERT_EQ(ftp_setbinary(x.h), 0);
        }
    };
    return c;
}

// A resumed get of remote.bin into "f", which holds the file's first 1000 bytes.
Case resumeCase(std::string name, Script script, int expected) {
    std::string partial = kWholeFile.substr(0, 1000);
    Case c{std::move(name), std::move(script),
           [](Context& x) { return ftp_RestartGet(x.h, "remote.bin", x.path("f").c_str()); },
           expected, fileHolds("f", expected == 0 ? kWholeFile : partial)};
    c.prepare = [partial](Context& x) {
        testfx::writeFile(x.local / "f", partial);
        ASSERT_EQ(ftp_setbinary(x.h), 0);
    };
    return c;
}

Case putCase(std::string name, Script script, int expected,
             std::function<void(Context&)> check = {}, long long bytes = 5000) {
    Case c{std::move(name), std::move(script), putOf(bytes), expected, std::move(check)};
    c.prepare = [](Context& x) { ASSERT_EQ(ftp_setbinary(x.h), 0); };
    // A put fills the kernel's buffers before it stalls; each write that still moves bytes
    // may take up to one timeout on a busy machine.
    c.waits = 6;
    return c;
}

Case active(Case c, bool comes) {
    auto before = c.prepare;
    c.prepare = [before, comes](Context& x) {
        if (before) before(x);
        ASSERT_EQ(ftp_SetPassive(x.h, 0), 0);
        x.peer.setConnectActive(comes);
    };
    return c;
}

std::vector<Case> dataCases() {
    const std::string done = "226 Transfer complete.\r\n";
    const std::string whole =
        "150 Opening BINARY mode data connection for remote.bin (3000 bytes).\r\n";
    const std::string noSize = "150 Opening data connection.\r\n";
    const auto untouched = fileHolds("f", kOldContent);
    const auto stalled = errorHolds({"data connection", "stalled", "127.0.0.1"});
    const int bigPut = 16 << 20;  // more than the kernel's buffers hold
    return {
        // Done without a data connection: nothing was transferred.
        getCase("RetrAnsweredDoneWithoutOpening", onVerb("RETR", Action::say(done)),
                VARNIX_EPROTOCOL, untouched),
        getCase("RetrAnswered250WithoutOpening", onVerb("RETR", Action::say("250 Fine.\r\n")),
                VARNIX_EPROTOCOL, untouched, false),
        putCase("StorAnsweredDoneWithoutOpening", onVerb("STOR", Action::say(done)),
                VARNIX_EPROTOCOL),
        {"AppeAnsweredDoneWithoutOpening", onVerb("APPE", Action::say(done)),
         [](Context& c) {
             testfx::writeFile(c.local / "a", "appended");
             return ftp_append(c.h, c.path("a").c_str(), "a");
         },
         VARNIX_EPROTOCOL},
        {"StreamedReadAnsweredDoneWithoutOpening", onVerb("RETR", Action::say(done)),
         [](Context& c) { return ftp_openreadforget(c.h, "remote.bin"); }, VARNIX_EPROTOCOL,
         stillInStep()},
        {"StreamedWriteAnsweredDoneWithoutOpening", onVerb("STOR", Action::say(done)),
         [](Context& c) { return ftp_openwriteforput(c.h, "remote.bin", 10); }, VARNIX_EPROTOCOL,
         stillInStep()},
        // Short transfers.
        getCase("ShortBinaryAgainstTheAnnouncedSize",
                onVerb("RETR", Action::transfer(whole, "only ten!!", done)), VARNIX_ENETWORK,
                both(fileHolds("f", "only ten!!"), errorHolds({"10 of 3000"}))),
        getCase("ShortAsciiAgainstTheAnnouncedSize",
                onVerb("RETR", Action::transfer(whole, "line\r\nline\r\n", done)), VARNIX_ENETWORK,
                errorHolds({"12 of 3000"}), false),
        [&] {
            Case c = getCase("ShortAgainstTheSizeAskedBefore",
                             transferring([=](const std::string& line) -> std::optional<Action> {
                                 if (line.starts_with("SIZE")) return Action::say("213 3000\r\n");
                                 if (line.starts_with("RETR"))
                                     return Action::transfer(noSize, "only ten!!", done);
                                 return std::nullopt;
                             }),
                             VARNIX_ENETWORK, errorHolds({"10 of 3000"}));
            auto before = c.prepare;
            c.prepare = [before](Context& x) {
                before(x);
                ASSERT_EQ(ftp_statusbox(x.h, 1), 0);  // the size is asked before the get
            };
            return c;
        }(),
        getCase("AsciiComparesWireBytes",
                onVerb("RETR", Action::transfer("150 Opening (6 bytes).\r\n", "a\r\nb\r\n", done)),
                0, fileHolds("f", "a\nb\n"), false),
        // REST accepted, then the whole file sent: the partial file stays as it was.
        resumeCase("RestIgnoredSizeKnown", ignoringRest("213 3000\r\n", noSize), VARNIX_EPROTOCOL),
        resumeCase("RestIgnoredSizeAnnounced", ignoringRest("502 No SIZE.\r\n", whole),
                   VARNIX_EPROTOCOL),
        resumeCase("RestIgnoredBothKnown", ignoringRest("213 3000\r\n", whole), VARNIX_EPROTOCOL),
        resumeCase("RestHonoured", honouringRest("213 3000\r\n", whole), 0),
        resumeCase("RestHonouredRemainingAnnounced",
                   honouringRest("213 3000\r\n", "150 Sending (2000 bytes).\r\n"), 0),
        resumeCase("RestRefused",
                   transferring([](const std::string& line) -> std::optional<Action> {
                       if (line.starts_with("SIZE")) return Action::say("213 3000\r\n");
                       if (line.starts_with("REST")) return Action::say("502 No REST.\r\n");
                       return std::nullopt;
                   }),
                   -502),
        // Final replies that refuse, never come or break off.
        getCase("FinalReplyRefuses",
                onVerb("RETR", Action::transfer(noSize, "data", "451 Disk error.\r\n")), -451,
                stillInStep()),
        getCase("FinalReplyNeverComes", onVerb("RETR", Action::transfer(noSize, "data", "")),
                VARNIX_ETIMEOUT, handleDropped()),
        getCase("ServerGoneMidTransfer",
                onVerb("RETR",
                       [&] {
                           Action a = Action::transfer(noSize, "partial", "");
                           a.close = true;
                           return a;
                       }()),
                VARNIX_ENETWORK, fileHolds("f", "partial")),
        // Stalls: the text names the host, the direction and the data connection; ABOR
        // answered, the connection is back in step.
        getCase("GetStalls", onVerb("RETR", Action::stall(noSize)), VARNIX_ETIMEOUT,
                both(both(stalled, errorHolds({"received"})), stillInStep())),
        putCase("PutNeverRead", onVerb("STOR", Action::stall("150 Go ahead.\r\n")), VARNIX_ETIMEOUT,
                both(both(stalled, errorHolds({"sent"})), stillInStep()), bigPut),
        active(getCase("ActiveConnectionNeverComes", onVerb("RETR", Action::say(noSize)),
                       VARNIX_ETIMEOUT,
                       both(errorHolds({"data connection", "127.0.0.1"}), stillInStep())),
               false),
        active(getCase("ActiveGet", onVerb("RETR", Action::transfer(noSize, "actively", done)), 0,
                       fileHolds("f", "actively")),
               true),
        // The same stalls where the server does not answer ABOR either: the connection is
        // dropped, and nothing of it is touched after it was freed.
        getCase("GetStallsAbortUnanswered", onVerb("RETR", Action::stall(noSize), ""),
                VARNIX_ETIMEOUT, handleDropped()),
        putCase("PutNeverReadAbortUnanswered", onVerb("STOR", Action::stall("150 Go.\r\n"), ""),
                VARNIX_ETIMEOUT, handleDropped(), bigPut),
        active(getCase("ActiveNeverComesAbortUnanswered", onVerb("RETR", Action::say(noSize), ""),
                       VARNIX_ETIMEOUT, handleDropped()),
               false),
        {"StreamStallsAbortUnanswered", onVerb("RETR", Action::stall(noSize), ""),
         [](Context& c) {
             if (ftp_openreadforget(c.h, "remote.bin") != 0) return -1000;
             char buffer[64];
             int n = ftp_readdata(c.h, buffer, sizeof buffer);
             int closed = ftp_closeread(c.h);
             return n < 0 ? closed : -1001;
         },
         VARNIX_ETIMEOUT, handleDropped()},
        [] {
            // A full local disk: the system's own words.
            Case c{"LocalDiskFull",
                   onVerb("RETR", Action::transfer("150 Go.\r\n", "bytes", "226 Done.\r\n")),
                   [](Context& x) { return ftp_get(x.h, "remote.bin", "/dev/full"); },
                   VARNIX_ELOCAL,
                   both(errorHolds({"No space left on device", "/dev/full"}), stillInStep())};
            return c;
        }(),
    };
}

// ---- Names -------------------------------------------------------------------------------

// An mget of "*" in the local directory from a peer that lists names; made lists the files
// the local directory holds afterwards (sorted), and the case's text must hold each of
// `mentioned`.
Case names(std::string name, std::string list, std::vector<std::string> made,
           std::vector<std::string> mentioned = {}, int expected = 0) {
    Case c{std::move(name), servingNames(std::move(list)),
           [](Context& x) {
               if (ftp_SetLocalPath(x.h, x.local.path().c_str()) != 0) return -1000;
               return ftp_mget(x.h, "*");
           },
           expected};
    c.check = [made, mentioned](Context& x) {
        std::string text = lastError();
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(x.local.path()))
            found.push_back(e.path().filename().string());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, made);
        for (const auto& part : mentioned)
            EXPECT_TRUE(holds(text, part)) << "\"" << part << "\" not in: " << text;
        EXPECT_FALSE(holds(text, "\x1b")) << "a raw escape in the text";
    };
    return c;
}

std::vector<Case> nameCases() {
    return {
        names("NulHidesNoFollowingName", "a\0b.txt\r\nnext.txt\r\nlast.txt\r\n"s,
              {"last.txt", "next.txt"}, {"a\\x00b.txt"}),
        names("TerminalEscapeInAName", "\x1b]0;owned\x07.txt\r\nplain.txt\r\n", {"plain.txt"},
              {"\\x1B]0;owned\\x07.txt"}),
        names("ClearScreenName", "\x1b[2J\r\nplain.txt\r\n", {"plain.txt"}, {"\\x1B[2J"}),
        names("BlankName", "   \r\nplain.txt\r\n", {"plain.txt"}, {"\"   \""}),
        names("TabInAName", "tab\there.txt\r\nplain.txt\r\n", {"plain.txt"}, {"tab\\x09here.txt"}),
        names("CarriageReturnInAName", "cr\rhere.txt\r\nplain.txt\r\n", {"plain.txt"},
              {"cr\\x0Dhere.txt"}),
        names("DeleteCharacterInAName", "del\x7f.txt\r\nplain.txt\r\n", {"plain.txt"},
              {"del\\x7F.txt"}),
        names("Utf8NamesAreFine", "caf\xc3\xa9.txt\r\nplain.txt\r\n",
              {"caf\xc3\xa9.txt", "plain.txt"}),
        names("PathsKeepOnlyTheLastComponent", "../up.txt\r\n/etc/abs.txt\r\nsub/in.txt\r\n",
              {"abs.txt", "in.txt", "up.txt"}),
        names("BackslashPaths", "win\\..\\..\\back.txt\r\n", {"back.txt"}),
        names("DotsAndEmptyLinesSkipped", ".\r\n..\r\n\r\nplain.txt\r\n", {"plain.txt"}),
        names("OverlongNameSkipped", std::string(5000, 'n') + "\r\nplain.txt\r\n", {"plain.txt"}),
        names("OnlyHostileNames", "\x1b[2J\r\n   \r\n", {}, {"\\x1B[2J"}, -550),
        names("NothingListed", "", {}, {}, -550),
        names("LineFeedsOnly", "one.txt\ntwo.txt\n", {"one.txt", "two.txt"}),
    };
}

// ---- TLS ---------------------------------------------------------------------------------

// A login to the peer with a TLS scheme: refused before anything of the login was sent.
Case tls(std::string name, std::string scheme, std::string greeting, Script script, int expected) {
    Case c{std::move(name), std::move(script),
           [scheme](Context& x) {
               int h = ftp_login((scheme + x.host()).c_str(), "user", "secret", "");
               if (h > 0) ftp_quit(h);
               return h > 0 ? 0 : h;
           },
           expected, both(neverReceived("USER"), neverReceived("secret"))};
    c.greeting = std::move(greeting);
    c.login = false;
    return c;
}

Script authAnswer(std::string answer) {
    return [answer](const std::string& line, ScriptedPeer&) {
        if (line.starts_with("AUTH")) return Action::say(answer);
        return Action::say("230 Whatever you say.\r\n");
    };
}

std::vector<Case> tlsCases() {
    return {
        tls("AuthRefused", "ftpes:", kGreeting, authAnswer("500 No TLS here.\r\n"), VARNIX_ETLS),
        tls("AuthNotImplemented", "ftpes:", kGreeting, authAnswer("502 What?\r\n"), VARNIX_ETLS),
        tls("AuthAnsweredNeedMore", "ftpes:", kGreeting, authAnswer("334 ADAT please.\r\n"),
            VARNIX_ETLS),
        tls("AuthAcceptedThenPlainText", "ftpes:", kGreeting,
            authAnswer("234 Go ahead.\r\n220 Plain again.\r\n"), VARNIX_ETLS),
        tls(
            "AuthAcceptedThenSilence", "ftpes:", kGreeting,
            [](const std::string&, ScriptedPeer&) { return Action::hang("234 Go ahead.\r\n"); },
            VARNIX_ETIMEOUT),
        tls(
            "AuthAnsweredWithClose", "ftpes:", kGreeting,
            [](const std::string&, ScriptedPeer&) { return Action::sayAndClose(""); },
            VARNIX_ENETWORK),
        tls("ImplicitAgainstAPlainGreeting", "ftps:", kGreeting, authAnswer(""), VARNIX_ETLS),
        tls(
            "ImplicitAgainstSilence", "ftps:", "",
            [](const std::string&, ScriptedPeer&) { return Action::hang(); }, VARNIX_ETIMEOUT),
    };
}

// ---- Caller misuse -------------------------------------------------------------------------

Case misuse(std::string name, std::function<int(Context&)> call, int expected,
            std::string neverSent = "") {
    Case c{std::move(name), answering("250 OK.\r\n"), std::move(call), expected};
    if (!neverSent.empty()) c.check = neverReceived(neverSent);
    return c;
}

std::vector<Case> misuseCases() {
    return {
        misuse(
            "QuoteWithoutAReplyBuffer",
            [](Context& c) { return ftp_quote(c.h, "DELE victim", nullptr, 1024); }, VARNIX_EINVAL,
            "DELE"),
        misuse(
            "QuoteWithAZeroSizedBuffer",
            [](Context& c) {
                char b[4];
                return ftp_quote(c.h, "DELE victim", b, 0);
            },
            VARNIX_EINVAL, "DELE"),
        misuse(
            "QuoteWithANegativeSize",
            [](Context& c) {
                char b[4];
                return ftp_quote(c.h, "DELE victim", b, -5);
            },
            VARNIX_EINVAL, "DELE"),
        misuse(
            "QuoteOfNothing",
            [](Context& c) {
                char b[64];
                return ftp_quote(c.h, "", b, sizeof b);
            },
            VARNIX_EINVAL),
        misuse(
            "PwdWithoutABuffer", [](Context& c) { return ftp_pwd(c.h, nullptr, 64); },
            VARNIX_EINVAL, "PWD"),
        misuse(
            "DateWithoutABuffer",
            [](Context& c) { return ftp_GetFileDateTime(c.h, "f", nullptr, 64, ""); },
            VARNIX_EINVAL, "MDTM"),
        misuse(
            "NegativeResumeOffset",
            [](Context& c) { return ftp_RestartGetAt(c.h, "f", c.path("f").c_str(), -1); },
            VARNIX_EINVAL, "RETR"),
        misuse(
            "ResumeBeyondTheLocalFile",
            [](Context& c) { return ftp_RestartGetAt(c.h, "f", c.path("f").c_str(), 100); },
            VARNIX_ELOCAL, "RETR"),
        misuse(
            "NegativePutOffset",
            [](Context& c) { return ftp_RestartPutAt(c.h, "/etc/hostname", "f", -7); },
            VARNIX_EINVAL, "STOR"),
        misuse(
            "PutOfAMissingFile",
            [](Context& c) { return ftp_put(c.h, c.path("missing").c_str(), "f"); }, VARNIX_ELOCAL,
            "STOR"),
        misuse(
            "PutOfADirectory", [](Context& c) { return ftp_put(c.h, c.path("").c_str(), "f"); },
            VARNIX_ELOCAL, "STOR"),
        misuse(
            "GetIntoAMissingDirectory",
            [](Context& c) { return ftp_get(c.h, "f", c.path("no/such/f").c_str()); },
            VARNIX_ELOCAL, "RETR"),
        misuse(
            "GetOntoADirectory",
            [](Context& c) { return ftp_get(c.h, "f", c.local.path().c_str()); }, VARNIX_ELOCAL,
            "RETR"),
        misuse(
            "GetOfAnEmptyName", [](Context& c) { return ftp_get(c.h, "", "f"); }, VARNIX_EINVAL,
            "RETR"),
        misuse(
            "ReadWithoutAStream",
            [](Context& c) {
                char b[16];
                return ftp_readdata(c.h, b, sizeof b);
            },
            VARNIX_EINVAL),
        misuse(
            "WriteANegativeLength", [](Context& c) { return ftp_writedata(c.h, "x", -1); },
            VARNIX_EINVAL),
        misuse(
            "CloseWithoutAStream", [](Context& c) { return ftp_closewrite(c.h); }, VARNIX_EINVAL),
        misuse(
            "CopyOntoTheSameHandle",
            [](Context& c) { return ftp_RemotePut(c.h, c.h, "a", "b", 1, 0); }, VARNIX_EINVAL,
            "RETR"),
        misuse(
            "LocalPathThatIsMissing",
            [](Context& c) { return ftp_SetLocalPath(c.h, c.path("missing").c_str()); },
            VARNIX_ELOCAL),
        misuse(
            "MputMatchingNothing",
            [](Context& c) { return ftp_mput(c.h, c.path("*.none").c_str(), 0); }, VARNIX_ELOCAL,
            "STOR"),
        misuse(
            "CallsOnAQuitHandle",
            [](Context& c) {
                ftp_quit(c.h);
                int rc = ftp_cd(c.h, "x");
                c.h = 0;
                return rc;
            },
            VARNIX_EHANDLE),
        misuse(
            "OpenOnPortZero", [](Context& c) { return ftp_openport(c.host().c_str(), 0); },
            VARNIX_EINVAL),
        misuse(
            "OpenOnAPortTooLarge", [](Context&) { return ftp_openport("127.0.0.1", 70000); },
            VARNIX_EINVAL),
        misuse(
            "HostWithoutItsBracket", [](Context&) { return ftp_open("[::1:21"); }, VARNIX_EINVAL),
        [] {
            Case c = misuse(
                "CommandsWhileAStreamIsOpen",
                [](Context& x) {
                    if (ftp_openwriteforput(x.h, "s", 0) != 0) return -1000;
                    return ftp_cd(x.h, "x");
                },
                VARNIX_EBUSY, "CWD");
            c.script = onVerb("STOR", Action::stall("150 Go ahead.\r\n"));
            return c;
        }(),
    };
}

INSTANTIATE_TEST_SUITE_P(Greeting, Hostile, ::testing::ValuesIn(greetingCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Replies, Hostile, ::testing::ValuesIn(replyCases()), caseName);
INSTANTIATE_TEST_SUITE_P(PassiveAddresses, Hostile, ::testing::ValuesIn(addressCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Data, Hostile, ::testing::ValuesIn(dataCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Names, Hostile, ::testing::ValuesIn(nameCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Tls, Hostile, ::testing::ValuesIn(tlsCases()), caseName);
INSTANTIATE_TEST_SUITE_P(CallerMisuse, Hostile, ::testing::ValuesIn(misuseCases()), caseName);

// ---- Server-to-server copies ------------------------------------------------------------

// A source or target that reports the copy finished before it began moved nothing: the copy
// fails, and a target left waiting for the data is told to stop.
TEST(Copy, ACopyReportedDoneBeforeItBeganFails) {
    const Action sends = Action::transfer("150 Sending.\r\n", "bytes", "226 Sent.\r\n");
    const Action receives = Action::stall("150 Receiving.\r\n");
    const Action done = Action::say("226 Done.\r\n");
    struct Side {
        const char* name;
        Action retr, stor;
        const char* sourceNeverSees;
        const char* targetSees;
    };
    for (const Side& side : {Side{"target", sends, done, "RETR", "STOR"},
                             Side{"source", done, receives, "", "ABOR"}}) {
        SCOPED_TRACE(side.name);
        varnix_setdefaulttimeout(kTimeoutSeconds);
        ScriptedPeer source(kGreeting, onVerb("RETR", side.retr));
        ScriptedPeer target(kGreeting, onVerb("STOR", side.stor));
        int from = ftp_login(source.host().c_str(), "user", "secret", "");
        int to = ftp_login(target.host().c_str(), "user", "secret", "");
        ASSERT_GT(from, 0) << lastError();
        ASSERT_GT(to, 0) << lastError();
        EXPECT_EQ(ftp_RemotePut(from, to, "f", "f", 1, 0), VARNIX_EPROTOCOL) << lastError();
        EXPECT_TRUE(holds(lastError(), "before the copy began")) << lastError();
        if (*side.sourceNeverSees) {
            EXPECT_FALSE(source.receivedAny(side.sourceNeverSees));
        }
        EXPECT_TRUE(target.receivedAny(side.targetSees));
        ftp_quit(from);
        ftp_quit(to);
    }
    varnix_setdefaulttimeout(60);
}

// ---- Another thread during a call ----------------------------------------------------------

// A thread that polls ftp_isconnected makes no call of the handle's own thread wait or fail,
// and sees the handle connected all along.
TEST(Concurrency, PollingIsConnectedNeverFailsTheOwnersCalls) {
    varnix_setdefaulttimeout(5);
    ScriptedPeer peer(kGreeting, answering("257 \"/home\" is current.\r\n"));
    int h = ftp_login(peer.host().c_str(), "user", "secret", "");
    ASSERT_GT(h, 0) << lastError();
    std::atomic<bool> done{false};
    std::atomic<int> polls{0}, disconnected{0};
    std::thread poller([&] {
        for (int i = 0; i < 1000000 && !done; ++i) {
            if (ftp_isconnected(h) == 0) ++disconnected;
            ++polls;
        }
    });
    int failed = 0;
    std::string why;
    for (int i = 0; i < 200; ++i) {
        // An owner that does some work of its own between its calls.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        char dir[64];
        if (ftp_pwd(h, dir, sizeof dir) != 0) {
            ++failed;
            why = lastError();
        } else if (std::string(dir) != "/home") {
            ++failed;
            why = "wrong path " + std::string(dir);
        }
    }
    done = true;
    poller.join();
    EXPECT_EQ(failed, 0) << why;
    EXPECT_GT(polls, 0);
    EXPECT_EQ(disconnected, 0);
    // On the handle's own thread, a probe still asks the server.
    std::size_t noops = 0;
    for (const auto& line : peer.received())
        noops += line == "NOOP";
    EXPECT_NE(ftp_isconnected(h), 0);
    std::size_t after = 0;
    for (const auto& line : peer.received())
        after += line == "NOOP";
    EXPECT_EQ(after, noops + 1);
    ftp_quit(h);
    varnix_setdefaulttimeout(60);
}

// ftp_abort from another thread while the transfer stalls and the server answers no ABOR:
// the call ends within its timeouts and the handle is dropped, never touched once freed.
TEST(Concurrency, AbortWhileTheServerAnswersNoAbort) {
    varnix_setdefaulttimeout(2);
    ScriptedPeer peer(kGreeting, onVerb("RETR", Action::stall("150 Sending soon.\r\n"), ""));
    testfx::TempDir local;
    int h = ftp_login(peer.host().c_str(), "user", "secret", "");
    ASSERT_GT(h, 0) << lastError();
    std::thread stopper([h] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ftp_abort(h);
    });
    auto start = std::chrono::steady_clock::now();
    int result = ftp_get(h, "remote.bin", (local / "f").c_str());
    auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_EQ(result, VARNIX_EABORTED) << lastError();
    EXPECT_LE(took, std::chrono::seconds(5));
    EXPECT_EQ(ftp_cd(h, "x"), VARNIX_EHANDLE);
    ftp_quit(h);
    varnix_setdefaulttimeout(60);
}

}  // namespace
