// SPDX-License-Identifier: MIT
// CSession on the recording fake: what a reconnect sends and in which order, failing
// reconnects and restore steps, the keep-alive timer on a host's timers, the type chooser,
// the busy depth, and logins on a session that already holds a connection.
#include <string>
#include <vector>

#include "engine_test.h"
#include "quarv32_session.h"
#include "trace_log.h"

namespace {

// The host's timers, recorded as "start ID MS" and "stop ID".
class RecordingTimers : public CTimerHost {
  public:
    void StartTimer(unsigned int id, unsigned int milliseconds) override {
        events.push_back("start " + std::to_string(id) + " " + std::to_string(milliseconds));
    }
    void StopTimer(unsigned int id) override { events.push_back("stop " + std::to_string(id)); }
    std::vector<std::string> events;
};

class SessionTest : public EngineTest {
  protected:
    // Logs the session in with handle 3 and forgets the calls so far.
    void LogIn(CSession& session, const std::string& account = "") {
        fake().SetResult("ftp_open", 3);
        ASSERT_EQ(session.Login("gw", "u", "p", account), 0);
        callsBefore_ = fake().Calls().size();
    }
    CallList NewCalls() const {
        const CallList all = FakeVarnix::Instance().Calls();
        return CallList(all.begin() + static_cast<long>(callsBefore_), all.end());
    }
    void Idle(int seconds) { clock_.Advance(std::chrono::seconds(seconds)); }

    std::size_t callsBefore_ = 0;
};

TEST_F(SessionTest, ReconnectReplaysTheLoginsThenRestoresEverySettingInOrder) {
    CSession session;
    fake().SetText("ftp_pwd", "/pub");
    LogIn(session, "acct");
    ASSERT_EQ(session.GateLogin("inner1", "u1", "p1", ""), 0);
    ASSERT_EQ(session.GateLogin("inner2", "u2", "p2", "a2"), 0);
    session.SetPassive(1);
    session.Cd("/pub", 1);
    session.SetBinary();
    session.SetLocalPath("/data");
    session.SetReceiveTimeout(30);
    session.SetLocalUnique(1);
    session.SetStoreUnique(1);
    session.SetStatusBox(1);
    callsBefore_ = fake().Calls().size();
    fake().QueueResults("ftp_isconnected", {0});

    Idle(119);
    EXPECT_EQ(session.GetHandle(), 3);
    EXPECT_EQ(NewCalls(), CallList{}) << "119 seconds are not idle yet";
    Idle(1);
    EXPECT_EQ(session.GetHandle(), 3);
    EXPECT_EQ(NewCalls(), (CallList{
                              R"(ftp_isconnected(3))",
                              R"(ftp_Logout(3))",
                              R"(ftp_relogin(3, "u", "p", "acct"))",
                              R"(ftp_gatelogin(3, "inner1", "u1", "p1", ""))",
                              R"(ftp_gatelogin(3, "inner2", "u2", "p2", "a2"))",
                              R"(ftp_SetPassive(3, 1))",
                              R"(ftp_cd(3, "/pub"))",
                              R"(ftp_pwd(3, <buffer>, 1024))",
                              R"(ftp_setbinary(3))",
                              R"(ftp_SetLocalPath(3, "/data"))",
                              R"(ftp_setreceivetimeout(3, 30))",
                              R"(ftp_localunique(3))",
                              R"(ftp_storeunique(3))",
                              R"(ftp_statusbox(3, 1))",
                          }));
    EXPECT_EQ(CTraceLog::Instance().LastStatus(), "Wait! Reconnecting to gw FTP server...\r\n");
    EXPECT_EQ(session.GetDirectory(), "/pub");
}

TEST_F(SessionTest, ARestoreStepThatFailsStopsTheTypeAndTheStatusBoxButNotTheLocalSettings) {
    CSession session;
    fake().SetText("ftp_pwd", "/pub");
    LogIn(session);
    session.Cd("/pub", 1);
    session.SetBinary();
    session.SetLocalPath("/data");
    session.SetReceiveTimeout(30);
    session.SetStatusBox(1);
    callsBefore_ = fake().Calls().size();
    fake().QueueResults("ftp_isconnected", {0});
    fake().QueueResults("ftp_cd", {-550});
    EXPECT_EQ(session.CheckConnection(), -550);
    EXPECT_EQ(NewCalls(), (CallList{
                              R"(ftp_isconnected(3))",
                              R"(ftp_Logout(3))",
                              R"(ftp_relogin(3, "u", "p", ""))",
                              R"(ftp_cd(3, "/pub"))",
                              R"(ftp_SetLocalPath(3, "/data"))",
                              R"(ftp_setreceivetimeout(3, 30))",
                          }));
    EXPECT_EQ(session.GetHandle(), 3) << "the connection itself was rebuilt";
}

TEST_F(SessionTest, AReconnectThatFailsLeavesTheSessionDisconnected) {
    CSession session;
    LogIn(session);
    ASSERT_EQ(session.GateLogin("inner", "u1", "p1", ""), 0);
    callsBefore_ = fake().Calls().size();
    fake().QueueResults("ftp_isconnected", {0});
    fake().QueueResults("ftp_gatelogin", {-530});
    Idle(120);
    EXPECT_EQ(session.FtpRename("a", "b"), -99);
    EXPECT_EQ(NewCalls(), (CallList{
                              R"(ftp_isconnected(3))",
                              R"(ftp_Logout(3))",
                              R"(ftp_relogin(3, "u", "p", ""))",
                              R"(ftp_gatelogin(3, "inner", "u1", "p1", ""))",
                              R"(ftp_lasterror(<buffer>, 1024))",  // why, before the quit
                              R"(ftp_quit(3))",
                          }));
    EXPECT_TRUE(session.WasLost());
    // Still idle and unconnected: every check fails again without a rename or an exists.
    fake().SetResult("ftp_relogin", -2);
    callsBefore_ = fake().Calls().size();
    EXPECT_EQ(session.FtpExists("a"), 0);
    EXPECT_EQ(session.GateLogin("inner", "u1", "p1", ""), -99);
    EXPECT_EQ(session.Disconnect(), 0);
    EXPECT_EQ(NewCalls(), (CallList{
                              R"(ftp_isconnected(0))",
                              R"(ftp_Logout(0))",
                              R"(ftp_relogin(0, "u", "p", ""))",
                              R"(ftp_lasterror(<buffer>, 1024))",
                          }));
}

TEST_F(SessionTest, ALoginQuitsTheEarlierConnectionAndKeepsTheGatewayLogins) {
    CSession session;
    LogIn(session);
    ASSERT_EQ(session.GateLogin("inner", "u1", "p1", ""), 0);
    fake().SetResult("ftp_open", 4);
    ASSERT_EQ(session.Login("gw", "u", "p", ""), 0);
    fake().QueueResults("ftp_isconnected", {0});
    EXPECT_EQ(session.CheckConnection(), 0);
    EXPECT_EQ(NewCalls(), (CallList{
                              R"(ftp_gatelogin(3, "inner", "u1", "p1", ""))",
                              R"(ftp_quit(3))",
                              R"(ftp_open("gw"))",
                              R"(ftp_relogin(4, "u", "p", ""))",
                              R"(ftp_isconnected(4))",
                              R"(ftp_Logout(4))",
                              R"(ftp_relogin(4, "u", "p", ""))",
                              R"(ftp_gatelogin(4, "inner", "u1", "p1", ""))",
                          }));
    // A refused login quits its fresh connection.
    fake().SetResult("ftp_open", 5);
    fake().SetResult("ftp_relogin", -530);
    EXPECT_EQ(session.Login("gw", "u", "bad", ""), -1);
    EXPECT_EQ(session.GetHandle(), 0);
    EXPECT_EQ(fake().Calls().back(), R"(ftp_quit(5))");
}

TEST_F(SessionTest, KeepAliveTimerRunsOnTheHostsTimersAndShortensTheIdleTime) {
    // The host's timers outlive the session, which stops its timer when it goes.
    RecordingTimers timers;
    RecordingTimers other;
    CSession session;
    LogIn(session);
    session.SetKeepALive(&timers, 5);
    EXPECT_EQ(timers.events, (std::vector<std::string>{"start 3 300000"}));
    EXPECT_EQ(session.GetIdleThreshold(), 295);
    EXPECT_EQ(session.GetKeepAliveInterval(), 5);

    // A connection check starts the period afresh.
    fake().SetResult("ftp_isconnected", 1);
    Idle(294);
    session.GetHandle();
    EXPECT_EQ(fake().CallsTo("ftp_isconnected").size(), 0u);
    Idle(1);
    session.GetHandle();
    EXPECT_EQ(fake().CallsTo("ftp_isconnected").size(), 1u);
    EXPECT_EQ(timers.events, (std::vector<std::string>{"start 3 300000", "start 3 300000"}));

    session.SetKeepALive(&timers, 0);
    EXPECT_EQ(timers.events.back(), "stop 3");
    EXPECT_EQ(session.GetIdleThreshold(), 120);
    EXPECT_EQ(session.GetKeepAliveInterval(), 0);

    // Moving to another host's timers stops the first one's; the interval stays.
    session.SetKeepALive(&timers, 1);
    session.SetKeepALive(&other, 2);
    EXPECT_EQ(timers.events.back(), "stop 3");
    EXPECT_EQ(other.events, (std::vector<std::string>{"start 3 120000"}));
    EXPECT_EQ(session.GetKeepAliveInterval(), 2);
    EXPECT_EQ(session.GetIdleThreshold(), 115);

    // Disconnecting stops the timer too.
    EXPECT_EQ(session.Disconnect(), 0);
    EXPECT_EQ(other.events.back(), "stop 3");
    EXPECT_EQ(session.GetIdleThreshold(), 120);
}

// What a host sends on a tick: a NOOP on the idle connection (the library's connection test),
// which counts as a check, so the next command after it tests nothing; nothing without one.
TEST_F(SessionTest, KeepAliveTestsTheIdleConnectionAndCountsAsACheck) {
    CSession session;
    EXPECT_EQ(session.KeepAlive(), 0);
    LogIn(session);
    fake().SetResult("ftp_isconnected", 1);
    Idle(119);
    EXPECT_EQ(session.KeepAlive(), 1);
    Idle(119);
    session.GetHandle();
    EXPECT_EQ(NewCalls(), (CallList{"ftp_isconnected(3)"}));
    EXPECT_EQ(session.GetBusyDepth(), 0);
}

// Text files are ASCII, everything else binary; remembers what it was asked.
std::vector<std::string> chooserQuestions;
int TextFilesAreAscii(uintptr_t value, const char* fileName) {
    const std::string name(fileName);
    chooserQuestions.push_back(std::to_string(value) + " " + name);
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0;
}

TEST_F(SessionTest, TransfersAskTheTypeChooserWhenItIsOn) {
    CSession session;
    LogIn(session);
    chooserQuestions.clear();
    session.SetTypeChooser(TextFilesAreAscii, 42, 1);
    session.Get("notes.txt", "local.txt");
    session.Put("image.bin", "");
    session.RestartPut("report.txt", "r.txt", 100);
    session.SetTypeChooser(nullptr, 0, 1);
    session.Append("log.txt", "");
    session.SetTypeChooser(TextFilesAreAscii, 42, 0);
    session.RestartGet("x.txt", "", -1);
    EXPECT_EQ(chooserQuestions,
              (std::vector<std::string>{"42 notes.txt", "42 image.bin", "42 report.txt"}));
    EXPECT_EQ(NewCalls(), (CallList{
                              R"(ftp_setascii(3))",
                              R"(ftp_get(3, "notes.txt", "local.txt"))",
                              R"(ftp_setbinary(3))",
                              R"(ftp_put(3, "image.bin", ""))",
                              R"(ftp_setascii(3))",
                              R"(ftp_RestartPutAt(3, "report.txt", "r.txt", 100))",
                              R"(ftp_setbinary(3))",
                              R"(ftp_append(3, "log.txt", ""))",
                              R"(ftp_RestartGet(3, "x.txt", ""))",
                          }));
}

TEST_F(SessionTest, BusyDepthIsAboveZeroExactlyWhileALibraryCallRuns) {
    CSession session;
    LogIn(session);
    std::vector<int> depths;
    const auto record = [&](const std::vector<std::string>&) {
        depths.push_back(session.GetBusyDepth());
    };
    fake().OnCall("ftp_get", record);
    fake().OnCall("ftp_cd", record);
    fake().QueueResults("ftp_isconnected", {0});
    fake().SetText("ftp_pwd", "/d");
    session.Cd("/d", 1);
    Idle(120);
    session.Get("a", "");
    // Get, its idle check's connection check and the restored cd nest.
    EXPECT_EQ(depths, (std::vector<int>{1, 3, 1}));
    EXPECT_EQ(session.GetBusyDepth(), 0);
}

TEST_F(SessionTest, OnlyTheOnAndOffFormsOfAUniqueModeTraceTheSessionsSwitch) {
    AcceptLogin();
    const ScriptRun run = Run("login host\nlogfile '" + PathOf("run.log") +
                              "'\ndebug on\nlocal unique\nlocal unique off\nstore unique\n");
    ASSERT_EQ(run.result, 0);
    std::vector<std::string> switches;
    for (const std::string& line : LinesOf("run.log"))
        if (line.find("Unique: bFlag") != std::string::npos)
            switches.push_back(line.substr(line.find("Trace-->")));
    EXPECT_EQ(switches, (std::vector<std::string>{"Trace-->SetLocalUnique: bFlag = False, cc"}));
    EXPECT_EQ(fake().CallsTo("ftp_localunique").size(), 2u);
    EXPECT_EQ(fake().CallsTo("ftp_storeunique").size(), 1u);
}

}  // namespace
