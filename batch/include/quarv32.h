// SPDX-License-Identifier: MIT
/*
 * quarv32 - runs FTP batch scripts. C API.
 *
 * Every call builds a fresh interpreter, runs, and tears it down before returning; only the
 * process-wide log file, trace level and their settings outlive a call. Results are the
 * statement result codes of the script language (0 success, -98 unknown command, -99 no
 * logged-in session, -999 syntax error, 711/712 a stray else/endif, or the FTP client
 * library's code), plus -1 for a call that could not start.
 *
 * Output procedures receive one finished line at a time, with its prefix ("C> " for
 * statements and messages, "S> " for server replies) and its "\r\n" ending. A null procedure
 * keeps the library's default, which prints to standard output.
 */
#ifndef QUARV32_H
#define QUARV32_H

#include <stdint.h>

/* Windows: quarv32.dll exports these functions through quarv32.def, undecorated, at the
   ordinals 1 Quarv_Execute, 2 Quarv_Execute2, 3 Quarv_ExecLine, 4 Quarv_ExecLine2 and
   5 Quarv_Stop, in the 32-bit and the 64-bit DLL alike. They and the output procedures use the
   C calling convention (__cdecl: the caller removes the arguments), so the names carry no
   "@n" decoration; a host built with another default (/Gz) must declare them __cdecl. */
#if defined(_WIN32)
#define QUARV_API
#define QUARV_CALL __cdecl
#elif defined(__GNUC__)
#define QUARV_API __attribute__((visibility("default")))
#define QUARV_CALL
#else
#define QUARV_API
#define QUARV_CALL
#endif

/* The result of a call that was asked to stop (Quarv_Stop). */
#define QUARV_STOPPED (-6)

/* QUARV32_VERSION_TEXT: the version the log file's begin line shows ("1.003" for 1.3). */
#include "quarv32_version.h"

#ifdef __cplusplus
class CSession; /* quarv32_session.h */
extern "C" {
#else
typedef struct CSession CSession;
#endif

/* Receives one output line; user is the caller's value, passed through unchanged. The
   result is ignored. */
typedef int(QUARV_CALL* OutputProc)(uintptr_t user, const char* text);

/* Runs the script file with the default output procedures. */
QUARV_API int QUARV_CALL Quarv_Execute(const char* script);
/* Runs the script file; user goes to both procedures, null procedures keep the defaults. */
QUARV_API int QUARV_CALL Quarv_Execute2(const char* script, uintptr_t user, OutputProc client,
                                        OutputProc server);
/* Runs one statement on a connection the caller opened with varnix32 (handle h). The
   connection stays open. -1 when h is not connected or the statement is empty. */
QUARV_API int QUARV_CALL Quarv_ExecLine(int h, const char* statement, uintptr_t user,
                                        OutputProc client, OutputProc server, int echo);
/* Runs one statement on a session the caller owns (quarv32_session.h); the procedures get
   the session's FTP handle as their user value. -1 for a null session or an empty statement. */
QUARV_API int QUARV_CALL Quarv_ExecLine2(CSession* session, const char* statement, uintptr_t unused,
                                         OutputProc client, OutputProc server, int echo);

/* The statement that ended the calling thread's last Quarv_Execute or Quarv_Execute2 call
   with a failure: its line in the script file (counted from 1, comment and blank lines
   included), the statement as written with passwords masked, why it failed as the run showed
   it (the server's refusal, the library's message or the engine's own), and its result.
   Texts longer than their buffers are cut and always end with a NUL. Returns the result; 0
   (with line 0 and empty texts) when that call succeeded or none was made. */
typedef struct QuarvFailure {
    int line;
    int result;
    char statement[1024];
    char reason[1024];
} QuarvFailure;
QUARV_API int QUARV_CALL Quarv_LastFailure(QuarvFailure* failure);

/* Asks every call running in this process to stop: a wait between retries ends at once, a
   transfer under way on the command's connection is aborted, no further retry or statement
   starts, the sessions of the call are disconnected, and the call returns QUARV_STOPPED.
   Calls that start later are not affected. Any thread may call it, but not a signal
   handler. */
QUARV_API void QUARV_CALL Quarv_Stop(void);

/* ---- Host hooks --------------------------------------------------------------------------
   A program that runs scripts on an operator's behalf (the quarv command) may give
   Quarv_Execute3 a QuarvHost. Every hook is optional (NULL: the script runs exactly as under
   Quarv_Execute2); each gets the host's user value first. The hooks run on the calling thread,
   inside the call; no pointer they receive outlives the hook call. */

/* One statement the script ran: a line of the script file, or a line inside an if block (the
   if statement's own record follows those of its block). */
typedef struct QuarvStatement {
    int line;              /* line number in the script file, from 1 */
    const char* statement; /* the line as run, passwords and accounts of a login as "****" */
    const char* session;   /* the session it ran on, "#0" unless a prefix chose another */
    int result;            /* its result code (0 before it ran) */
    const char* reply;     /* the server's reply or the engine's message it showed last ("") */
    double seconds;        /* how long it ran (0 before it ran) */
} QuarvStatement;

typedef struct QuarvHost {
    uintptr_t user;
    /* Rewrites a script line after its "//" remark is removed, before it is read. Writes the
       new line into out (size bytes, NUL included) and returns its length; when the length
       is size or more the engine calls again with a larger buffer. A negative result fails
       the statement with -999 and shows the NUL-terminated message written into out. A "//"
       inside the rewritten line is kept. */
    int (*expand)(uintptr_t user, const char* line, char* out, int size);
    /* A login or gatelogin whose password is empty or missing: the host may supply login
       (when the script gave none), password and account (when the script gave none) for host,
       the host text as the script wrote it. Returns 1 when it wrote them, 0 to log in with
       what the script gave. Buffers are at least 256 bytes; texts are NUL-terminated. */
    int (*credentials)(uintptr_t user, const char* host, char* login, char* password, char* account,
                       int size);
    /* Called before (done 0) and after (done 1) each statement. */
    void (*statement)(uintptr_t user, const QuarvStatement* statement, int done);
    /* 1: each session turns on the library's progress reports (ftp_statusbox) once it has
       logged in, so that the handler of varnix_setprogresshandler sees every transfer. The
       statusbox statement still switches them for its session. */
    int progress;
    /* 1: echo is on from the first line, as if the script began with "echo on". */
    int echo;
} QuarvHost;

/* Quarv_Execute2 with host hooks; a NULL host is Quarv_Execute2. */
QUARV_API int QUARV_CALL Quarv_Execute3(const char* script, uintptr_t user, OutputProc client,
                                        OutputProc server, const QuarvHost* host);

#ifdef __cplusplus
}
#endif

#endif /* QUARV32_H */
