// SPDX-License-Identifier: MIT
// quarv32 - C++ API for hosts that own an FTP session and run statements on it with
// Quarv_ExecLine2. A host creates a CSession, logs it in, and passes it to
// Quarv_ExecLine2 as often as it likes; the library never frees it. Destroying the
// session disconnects it.
//
//     CSession session;
//     if (session.Login("ftp.example.com", "user", "secret", "") == 0)
//         Quarv_ExecLine2(&session, "get report.txt", 0, nullptr, nullptr, 1);
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "quarv32.h"

// The host's timers: a session with a keep-alive interval asks its host to run a periodic
// timer; what the host sends on each tick is the host's own business. The library only
// starts and stops timers, on the thread that runs the session.
class QUARV_API CTimerHost {
  public:
    virtual ~CTimerHost() = default;
    // Starts (or restarts) the periodic timer `id` with the given period.
    virtual void StartTimer(unsigned int id, unsigned int milliseconds) = 0;
    virtual void StopTimer(unsigned int id) = 0;
};

// Chooses the transfer type for a file: nonzero means ASCII, 0 binary.
typedef int (*TypeChooserProc)(uintptr_t value, const char* fileName);

// One named FTP connection of the script engine, with what is needed to rebuild it.
class QUARV_API CSession {
  public:
    // The parameters of one login: the session's own, or one made through its gateway.
    struct LoginParameters {
        std::string host;
        std::string user;
        std::string password;
        std::string account;
    };

    CSession();
    // Disconnects, except for the session named " " that wraps a caller's connection.
    virtual ~CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // ---- The connection ------------------------------------------------------------------
    // The FTP handle, after the idle check; greater than 0 while connected.
    int GetHandle();
    // Adopts a connection opened elsewhere (the caller's handle in Quarv_ExecLine).
    void SetHandle(int handle) { handle_ = handle; }
    // Before talking to the server: after IdleThreshold() seconds without a sign of life the
    // connection is tested, and rebuilt when lost. 1: go on; 0: lost and not rebuilt.
    int CheckIdle();
    // Opens a connection to host and logs in; 0 or -1. Quits an earlier connection first.
    int Login(const std::string& host, const std::string& user, const std::string& password,
              const std::string& account);
    // Logs in to host through the gateway this session is connected to, and remembers it
    // for a reconnect. The library's code; -99 without a connection.
    int GateLogin(const std::string& host, const std::string& user, const std::string& password,
                  const std::string& account);
    void AddGateLogin(const std::string& host, const std::string& user, const std::string& password,
                      const std::string& account);
    // Quits the connection; the remembered login and settings stay. 0 without a connection.
    int Disconnect();
    // Tests the connection; a lost one is logged in again on the same handle, its gateway
    // logins replayed and the remembered settings restored. 0, or the failing step's code.
    int CheckConnection();
    // Logs in again with the remembered login and gateway logins; on failure disconnects.
    int Reconnect();

    // ---- Settings: each remembers what a reconnect restores -------------------------------
    int SetAscii();
    int SetBinary();
    // refresh 1: on success the remembered directory is read back from the server (PWD).
    int Cd(const std::string& directory, int refresh);
    int Cdup();
    // Reads the remote directory into Directory(); 0 or -1.
    int SetPwd();
    int SetPassive(int flag);
    // One switch of the library's mode, which toggles at every call; the caller decides
    // whether the switch is needed. The flag is remembered when the switch succeeds.
    int SetLocalUnique(int flag);
    int SetStoreUnique(int flag);
    // One switch on the handle that GetHandle gives (after its idle check), whatever the
    // mode is; the remembered mode follows when the switch succeeds.
    int ToggleLocalUnique();
    int ToggleStoreUnique();
    // An empty path forgets the local path.
    int SetLocalPath(const std::string& path);
    int SetReceiveTimeout(int timeout);
    void SetStatusBox(int flag);
    // Keeps a copy of the script's failure policy.
    void SetOnFailed(int retries, int sleepSeconds);

    // ---- Queries -----------------------------------------------------------------------------
    // The last server reply on the connection, or empty.
    std::string GetLastReply();
    // Why the last login or reconnect failed (the refusal, or the library's message), read
    // before the connection was quit; empty when none failed since the last call. Clears it.
    std::string TakeFailure();
    // True when the connection was lost and could not be restored, until the next login.
    bool WasLost() const { return lost_; }
    // Nonzero when the remote file exists; 0 also when the connection is lost.
    int FtpExists(const std::string& name);
    // The library's code; -99 when the connection is lost and could not be rebuilt.
    int FtpRename(const std::string& from, const std::string& to);

    // ---- Transfers: each chooses the transfer type first ---------------------------------
    // With on = 1, transfers ask chooser (with value and the file name) for the type:
    // nonzero ASCII, 0 binary. With on = 0 the type stays as set.
    void SetTypeChooser(TypeChooserProc chooser, uintptr_t value, int on);
    int ChooseType(const std::string& fileName);
    int Get(const std::string& remote, const std::string& local);
    int Put(const std::string& local, const std::string& remote);
    int Append(const std::string& local, const std::string& remote);
    // offset above 0: resume at that byte; 0: the whole file into exactly that name (no
    // unique name); -1: where the library finds it should continue.
    int RestartGet(const std::string& remote, const std::string& local, long long offset);
    int RestartPut(const std::string& local, const std::string& remote, long long offset);

    // ---- Keep-alive timer on a host's timers ---------------------------------------------
    // minutes > 0 runs a timer of that period on window (the host decides what to send on
    // each tick) and tests the connection after minutes * 60 - 5 idle seconds; 0 stops it.
    // The host must outlive the session, which stops its timer when it disconnects.
    void SetKeepALive(CTimerHost* window, int minutes);
    void StopTimer();
    // Starts the period afresh with the interval given.
    void ChangeInterval(int minutes);
    // What a timer's tick sends: a NOOP on the idle connection (nothing while a call of the
    // session is under way); a connection that answers counts as checked. Nonzero when it
    // answered. Without a host's timers the engine's own tick it, where the platform has them
    // (on Windows: thread timers, which need a message loop on the session's thread).
    int KeepAlive();

    // ---- What the session remembers ----------------------------------------------------
    const LoginParameters& GetLogin() const { return login_; }
    const std::vector<LoginParameters>& GetGateLogins() const { return gateLogins_; }
    const std::string& GetDirectory() const { return directory_; }
    const std::string& GetLocalPath() const { return localPath_; }
    int GetTransferType() const { return transferType_; }  // 0 ASCII, 1 binary
    int GetPassive() const { return passive_; }
    int GetLocalUnique() const { return localUnique_; }
    int GetStoreUnique() const { return storeUnique_; }
    int GetStatusBox() const { return statusBox_; }
    int GetReceiveTimeout() const { return receiveTimeout_; }        // -1: never set
    int GetIdleThreshold() const { return idleThreshold_; }          // seconds
    int GetKeepAliveInterval() const { return keepAliveInterval_; }  // minutes
    int GetBusyDepth() const { return busyDepth_; }

  private:
    // Counts the library calls under way on this session (nested calls add up).
    class Busy {
      public:
        explicit Busy(CSession& session) : session_(session) { ++session_.busyDepth_; }
        ~Busy() { --session_.busyDepth_; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

      private:
        CSession& session_;
    };

    unsigned int timerId_ = 0;
    std::time_t lastCheck_;  // last login, or last check that found the connection alive
    uintptr_t chooserValue_ = 0;
    int receiveTimeout_ = -1;  // -1: never set
    int chooserOn_ = 0;
    int statusBox_ = 0;
    int passive_ = 0;
    int policySleep_ = 0;
    int policyRetries_ = 0;
    std::string directory_;
    int policyRetryOn_ = 0;
    int transferType_ = 0;  // 0 ASCII, 1 binary
    std::vector<LoginParameters> gateLogins_;
    LoginParameters login_;
    std::string localPath_;
    int storeUnique_ = 0;
    int localUnique_ = 0;
    std::string name_;
    int handle_ = 0;
    int busyDepth_ = 0;
    CTimerHost* timerHost_ = nullptr;
    int idleThreshold_ = 120;    // seconds
    int keepAliveInterval_ = 0;  // minutes; 0: no keep-alive timer
    TypeChooserProc typeChooser_ = nullptr;
    // Set while CheckConnection restores settings: their own idle checks are covered by it.
    bool checking_ = false;
    bool lost_ = false;
    std::string failure_;

    int RestoreSettings();
    int SwitchUniqueMode(int (*toggle)(int handle), int& mode, int flag, const char* operation);
    int ToggleUniqueMode(int (*toggle)(int handle), int& mode);
};
