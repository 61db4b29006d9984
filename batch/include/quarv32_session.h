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

    // The FTP handle, after the idle check; greater than 0 while connected.
    int GetHandle();
    // Adopts a connection opened elsewhere (the caller's handle in Quarv_ExecLine).
    void SetHandle(int handle) { handle_ = handle; }
    // 1: go on; 0: the connection was found lost and could not be rebuilt.
    int CheckIdle();

    // Opens a connection to host and logs in; 0 or -1. Quits an earlier connection first.
    int Login(const std::string& host, const std::string& user, const std::string& password,
              const std::string& account);
    // Quits the connection; the remembered login and settings stay. 0 without a connection.
    int Disconnect();
    // Keeps a copy of the script's failure policy.
    void SetOnFailed(int retries, int sleepSeconds);
    // The last server reply on the connection, or empty.
    std::string GetLastReply();

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
};
