// SPDX-License-Identifier: MIT
/*
 * varnix32 - FTP client library, C API.
 *
 * Conventions every caller can rely on:
 *  - Strings are NUL-terminated and belong to the caller for the duration of the call.
 *  - `h` is a session handle: a positive integer from ftp_open/ftp_openport/ftp_login.
 *    A closed handle's number is never reused in the same process. Different handles
 *    may be used on different threads at once; one handle is used by one thread at a
 *    time (its owner: the thread that made its last call). Only two calls may come from
 *    another thread while the owner's call is under way, and neither ever blocks or fails
 *    a call of the owner: ftp_abort (it stops the call under way) and ftp_isconnected (it
 *    answers from the state the owner's calls left, sending nothing). ftp_lasterror is per
 *    thread. Any other call on a handle that is busy on another thread returns VARNIX_EBUSY.
 *  - Results are int; 0 means success unless a function says otherwise. Failures are
 *    negative: one of the VARNIX_E* codes below, or a refused command as the negated
 *    server reply code (-550 for "550 No such file").
 *  - Every call leaves a text that ftp_lasterror returns (per thread): the last server
 *    reply, or a local message that says what went wrong and with which name. A reply of
 *    several lines is one text with the lines joined by "\n" (no final line end).
 *  - A null pointer where a text or buffer is required is refused with VARNIX_EINVAL.
 *  - Every buffer the caller passes is filled within the size given and NUL-terminated
 *    (a size of 0 writes nothing). Texts that do not fit are cut.
 *  - A CR or LF inside any text that would be sent to the server is refused with
 *    VARNIX_EINVAL before anything is sent.
 *  - No call waits forever: every wait for a connect, a reply or data is bounded by the
 *    handle's receive timeout (ftp_setreceivetimeout), or the default timeout for new
 *    handles (varnix_setdefaulttimeout; 60 s unless set). A whole reply must arrive within
 *    one timeout; during a transfer the timeout bounds each wait for the next chunk.
 *  - A reply of 421, or a connection that breaks, times out or sends garbage, drops the
 *    control connection: later calls fail with VARNIX_EHANDLE until ftp_relogin.
 *  - Host texts: "name", "name:port", "[IPv6]:port", optionally after "ftp:" or "ftp://";
 *    the default port is 21. "ftpes:" or "ftpes://" asks for explicit TLS, "ftps:" or
 *    "ftps://" for implicit TLS (default port 990); see "TLS" below.
 *  - Local names: a relative local name is resolved against the handle's local path
 *    (ftp_SetLocalPath) if one is set, else against the process's current directory
 *    (ftp_lcd changes it).
 */
#ifndef VARNIX32_H
#define VARNIX32_H

#ifdef __cplusplus
extern "C" {
#endif

/* Only the API is exported; everything else in the library is hidden. On Windows,
   varnix32.dll exports every function below by its undecorated name through varnix32.def,
   and varnix_disablelog also at the fixed ordinal 97. All functions and the callbacks a host
   passes use the C calling convention (__cdecl, the compilers' default: the caller removes
   the arguments), in the 32-bit and the 64-bit DLL alike; a host built with another default
   (/Gz) must declare them __cdecl. */
#if defined(__GNUC__) && !defined(_WIN32)
#define VARNIX_API __attribute__((visibility("default")))
#else
#define VARNIX_API
#endif

/* ---- Error codes (negative results) ---------------------------------------------- */
#define VARNIX_OK 0
#define VARNIX_EINVAL (-1)    /* invalid argument: null pointer, CR/LF in a text, bad host */
#define VARNIX_EHANDLE (-2)   /* invalid handle, or the handle holds no connection */
#define VARNIX_ECONNECT (-3)  /* could not connect (name lookup, refused, unreachable) */
#define VARNIX_ETIMEOUT (-4)  /* the peer did not answer within the timeout */
#define VARNIX_ELOCAL (-5)    /* a local file could not be opened, read or written */
#define VARNIX_EABORTED (-6)  /* the transfer was stopped by ftp_abort */
#define VARNIX_EPROTOCOL (-7) /* malformed or oversized reply, unexpected answer */
#define VARNIX_ENETWORK (-8)  /* the connection broke (reset, closed, short transfer) */
#define VARNIX_EBUSY (-9)     /* a stream is open on the handle, or a call is under way */
#define VARNIX_ETLS (-10)     /* TLS set-up or certificate verification failed */
/* -100 .. -599: the server refused the command with that reply code. */

/* Replies longer than this (all lines of a multi-line reply together) are an error
   (VARNIX_EPROTOCOL), never unbounded memory. */
#define VARNIX_MAX_REPLY 65536

/* ---- TLS (FTPS) -----------------------------------------------------------------------
   "ftpes:host[:port]" (explicit TLS): after the greeting, AUTH TLS, the handshake, then PBSZ 0
   and PROT P. "ftps:host[:port]" (implicit TLS, port 990 unless given): the handshake comes
   first, then the greeting, PBSZ 0 and PROT P. Either way nothing of a login is sent before
   the control connection is encrypted, every data connection is encrypted too (it resumes the
   control connection's TLS session, as servers that require session reuse demand), and a
   data connection ends with a TLS close_notify before the server's final reply is read.
   The server's certificate is verified: its chain against the system's CA store and the file
   or directory of varnix_settlsca, and its name against the host text's name (a DNS name, or
   an IP address that the certificate's subjectAltName must list).
   A refused AUTH TLS or PROT P, a handshake error, a certificate that fails verification, or
   plain text where TLS is due fails the call with VARNIX_ETLS (VARNIX_ETIMEOUT when the
   handshake times out) and closes the connection; ftp_lasterror names the reason and the host.
   Nothing ever falls back to plain text. ftp_relogin's reconnect repeats the whole set-up.
   In ftp_gatelogin, a TLS scheme in front of the target host secures the connection to the
   gateway (AUTH TLS) before the login when it is still plain; the scheme is not sent.
   Server-to-server copies between two TLS connections need a server that offers SSCN (either
   one) or CPSV (the source); without, and between a TLS and a plain connection, they are
   refused with VARNIX_ETLS before anything is transferred. */

/* Trust the CA certificates in path besides the system's store: a PEM file, or a directory
   prepared with `openssl rehash` (on Windows: a folder whose files hold PEM certificates).
   Applies to connections opened from now on; "" or NULL forgets it. A path that cannot be
   loaded is refused (VARNIX_ELOCAL when missing, VARNIX_ETLS when unreadable as
   certificates) and the earlier setting stays. */
VARNIX_API int varnix_settlsca(const char* path);
/* 1: accept a server certificate that fails verification (wrong name, expired, self-signed,
   untrusted) on connections opened from now on; the trace notes every certificate accepted
   so. 0 (the default): such certificates are refused. */
VARNIX_API int varnix_setacceptunverified(int on);

/* ---- Connections -------------------------------------------------------------------- */

/* Connect to host (port from the text, else 21, or 990 for "ftps:"), read the greeting, and
   set up TLS where the host text asks for it. Result: h > 0, or a negative code. */
VARNIX_API int ftp_open(const char* host);
/* As ftp_open, with an explicit port (a port in the host text wins). */
VARNIX_API int ftp_openport(const char* host, int port);
/* ftp_open plus ftp_relogin. Result: h > 0, or a negative code (no handle is left open). */
VARNIX_API int ftp_login(const char* host, const char* user, const char* password,
                         const char* account);
/* USER/PASS (and ACCT when the server asks or account is not empty) on h. An empty user
   logs in as anonymous. When the control connection is gone, first reconnects to the same
   host and port on the same handle. A new connection starts with local unique and store
   unique mode off (so that a caller that remembers them can switch them on again with one
   toggle); the transfer type, passive mode, local path, timeout and progress setting of the
   handle are kept, and the type is sent again before the next transfer. */
VARNIX_API int ftp_relogin(int h, const char* user, const char* password, const char* account);
/* Log in to host through the gateway (FTP proxy) that h is connected to:
   "USER user@host[:port]", then PASS (and ACCT). */
VARNIX_API int ftp_gatelogin(int h, const char* host, const char* user, const char* password,
                             const char* account);
/* Send QUIT, close and free the handle. */
VARNIX_API int ftp_quit(int h);
/* Close the control connection but keep the handle and its host for ftp_relogin. */
VARNIX_API int ftp_Logout(int h);
/* Stop the transfer under way on h (any thread); that call returns VARNIX_EABORTED and the
   handle stays usable. With no call under way, closes an open stream or sends ABOR. */
VARNIX_API int ftp_abort(int h);
/* Non-zero when h is connected. On the owner's thread between calls, a NOOP must be
   answered within the timeout (a connection that does not answer in time is dropped; an
   open stream counts as connected). From any other thread, or while a call is under way,
   it sends nothing and tells whether the handle still holds its control connection, so a
   thread that polls it never makes the owner's calls wait or fail. */
VARNIX_API int ftp_isconnected(int h);

/* ---- Settings ------------------------------------------------------------------------ */

/* Transfer type: ASCII (the default; CRLF on the wire, LF locally) or binary (byte-exact). */
VARNIX_API int ftp_setascii(int h);
VARNIX_API int ftp_setbinary(int h);
/* 1: passive data connections (EPSV, falling back to PASV; the default); 0: active
   (EPRT, falling back to PORT). */
VARNIX_API int ftp_SetPassive(int h, int on);
/* Each call toggles local unique mode: a get never overwrites, it writes name.1, name.2... */
VARNIX_API int ftp_localunique(int h);
/* Each call toggles store unique mode: puts use STOU. */
VARNIX_API int ftp_storeunique(int h);
/* 1: report transfer progress to the handler of varnix_setprogresshandler; 0: off. */
VARNIX_API int ftp_statusbox(int h, int on);
/* Seconds that every wait for a reply or data on h may take (at least 1). */
VARNIX_API int ftp_setreceivetimeout(int h, int seconds);
/* Base directory for relative local names of h (it must exist; "" forgets it);
   ftp_ClearLocalPath forgets it. */
VARNIX_API int ftp_SetLocalPath(int h, const char* path);
VARNIX_API int ftp_ClearLocalPath(int h);
/* Change the process's current local directory. */
VARNIX_API int ftp_lcd(const char* directory);

/* ---- Remote files and directories ---------------------------------------------------- */

VARNIX_API int ftp_cd(int h, const char* directory);
VARNIX_API int ftp_cdup(int h);
VARNIX_API int ftp_mkdir(int h, const char* directory);
VARNIX_API int ftp_rmdir(int h, const char* directory);
VARNIX_API int ftp_delete(int h, const char* file);
VARNIX_API int ftp_rename(int h, const char* from, const char* to);
/* Send "SITE text". */
VARNIX_API int ftp_site(int h, const char* text);
/* Send a raw command; the whole reply is copied into reply (size bytes). Result: 2 for a
   2xx reply, 0 for 1xx or 3xx, negative for 4xx/5xx or a failure. After a 1xx reply the
   final reply is read as well (both are copied), so that the connection stays in step.
   A null reply buffer or a size below 1 is refused (VARNIX_EINVAL) before anything is
   sent. */
VARNIX_API int ftp_quote(int h, const char* command, char* reply, int size);
/* The current remote directory (the quoted path of PWD's reply) into buffer. */
VARNIX_API int ftp_pwd(int h, char* buffer, int size);
/* Non-zero when the remote file or directory exists (SIZE, then MDTM, then an NLST of the
   name that lists something, then a CWD into it and straight back, so that an empty
   directory exists too). 0 when it does not, and on any failure. */
VARNIX_API int ftp_Exists(int h, const char* file);
/* Size in bytes (SIZE, in binary type); negative when missing or not available. */
VARNIX_API long long ftp_GetFileSize(int h, const char* file);
/* Modification time (MDTM) into buffer as "YYYYMMDDhhmmss" (UTC), followed by ".sss" when
   the server sends fractions; format is reserved and should be "" (null is accepted). */
VARNIX_API int ftp_GetFileDateTime(int h, const char* file, char* buffer, int size,
                                   const char* format);
/* LIST (ftp_dir) or NLST (ftp_ls) of mask ("" for the current directory) into a local file. */
VARNIX_API int ftp_dir(int h, const char* mask, const char* localfile);
VARNIX_API int ftp_ls(int h, const char* mask, const char* localfile);

/* ---- Transfers ----------------------------------------------------------------------- */

/* Get remote into local (empty local: the remote name's last component). Success only when
   the data connection ended cleanly and the server confirmed it; a cut transfer fails and
   leaves the partial file for ftp_RestartGet. */
VARNIX_API int ftp_get(int h, const char* remote, const char* local);
/* Resume a get where the local file ends (REST). Resume offsets count bytes on the wire,
   so they are exact in binary type. Local unique mode does not apply to resumes. */
VARNIX_API int ftp_RestartGet(int h, const char* remote, const char* local);
/* Resume a get at offset: the local file is kept up to offset and written from there. A
   local file shorter than offset is refused (VARNIX_ELOCAL) before anything is sent. */
VARNIX_API int ftp_RestartGetAt(int h, const char* remote, const char* local, long long offset);
/* Put local as remote (empty remote: the local name's last component). */
VARNIX_API int ftp_put(int h, const char* local, const char* remote);
/* Append local to remote (APPE). */
VARNIX_API int ftp_append(int h, const char* local, const char* remote);
/* Resume a put where the remote file ends (SIZE, then REST + STOR, or APPE where REST is
   refused). A remote file that is missing is stored whole; one already as long as the
   local file is left alone. */
VARNIX_API int ftp_RestartPut(int h, const char* local, const char* remote);
/* Resume a put at offset: local bytes from offset on are stored at remote offset (APPE
   where REST is refused and the remote file ends at offset). */
VARNIX_API int ftp_RestartPutAt(int h, const char* local, const char* remote, long long offset);
/* Append the local file from offset on to remote. */
VARNIX_API int ftp_RestartAppendAt(int h, const char* local, const char* remote, long long offset);
/* Get every name that NLST pattern returns into the local directory (only each name's last
   component is used; ".", ".." and empty names are skipped). Servers that do not expand
   wildcards get an NLST of the directory, matched here. Every file is tried; the result is
   the first failure, or -550 when no name matched. */
VARNIX_API int ftp_mget(int h, const char* pattern);
/* Put every local file matching the wildcard pattern (resolved like a local name) under its
   own name; flag is reserved (0). Every file is tried; the result is the first failure, or
   VARNIX_ELOCAL when no file matched. */
VARNIX_API int ftp_mput(int h, const char* pattern, int flag);

/* ---- Server-to-server copies ----------------------------------------------------------
   The file goes from the server of `from` to the server of `to` (passive on the source,
   PORT/EPRT on the target). binary: 1 sets binary type on both ends. An empty tofile means
   fromfile's name. restart: resume where the target file ends. from and to must be two
   different handles. The end of a copy is waited for up to ten receive timeouts. */
VARNIX_API int ftp_RemotePut(int from, int to, const char* fromfile, const char* tofile, int binary,
                             int restart);
VARNIX_API int ftp_RemoteAppend(int from, int to, const char* fromfile, const char* tofile,
                                int binary);
VARNIX_API int ftp_RestartRemotePutAt(int from, int to, const char* fromfile, const char* tofile,
                                      long long offset, int binary);
VARNIX_API int ftp_RestartRemoteAppendAt(int from, int to, const char* fromfile, const char* tofile,
                                         long long offset, int binary);

/* ---- Streams: one data connection, read or written in chunks -------------------------- */

VARNIX_API int ftp_openreadforget(int h, const char* file);
VARNIX_API int ftp_openreadforlist(int h, const char* mask); /* NLST */
VARNIX_API int ftp_openreadfordir(int h, const char* mask);  /* LIST */
/* Bytes read into buffer (at most size; no NUL is added); 0 at the end, negative on failure.
   Listings and ASCII files arrive with LF line ends. While a stream is open, other calls
   that talk to the server fail with VARNIX_EBUSY. */
VARNIX_API int ftp_readdata(int h, char* buffer, int size);
/* Closes the read stream and reads the server's final reply: 0, or the failure. Closing
   before the end stops the transfer (ABOR) and reports it as failed. */
VARNIX_API int ftp_closeread(int h);
/* total is the announced length (may be 0 when unknown). */
VARNIX_API int ftp_openwriteforput(int h, const char* remote, long long total);
VARNIX_API int ftp_openwriteforappend(int h, const char* remote, long long total);
/* Bytes written, or a negative code. */
VARNIX_API int ftp_writedata(int h, const char* data, int length);
/* Closes the write stream and reads the server's final reply: 0, or the failure. */
VARNIX_API int ftp_closewrite(int h);

/* ---- Texts --------------------------------------------------------------------------- */

/* The calling thread's last text into buffer; returns its length, 0 when there is none. */
VARNIX_API int ftp_lasterror(char* buffer, int size);
/* The last reply received on h into buffer; returns its length (0 when none). */
VARNIX_API int ftp_copyreplystr(int h, char* buffer, int size);

/* ---- Local files --------------------------------------------------------------------- */

/* Non-zero when copied. */
VARNIX_API int f_copyfile(const char* from, const char* to);
/* Non-zero when deleted. */
VARNIX_API int f_deletefile(const char* file);

/* ---- Plain TCP connections for web tests ----------------------------------------------
   These leave no text for ftp_lasterror on success (it returns 0), only on failure. */

/* Connect to "host[:port]" (default 80; a leading "http://" and a path are ignored).
   Result: w > 0, or a negative code. */
VARNIX_API int www_Open(const char* site);
/* Bytes sent (above 0), or a negative code. */
VARNIX_API int www_SendData(int w, const char* data, int length);
/* Bytes received (at most size, no NUL added); 0 when the peer closed, negative on failure
   or when nothing arrived within timeout seconds (below 1: the default timeout). */
VARNIX_API int www_ReceiveData(int w, char* buffer, int size, int timeout);
VARNIX_API int www_Close(int w);

/* ---- Library-wide ---------------------------------------------------------------------- */

/* Append a time-stamped trace of every command sent and reply received to file (the
   password of PASS is written as ****). flags is reserved (0). */
VARNIX_API int varnix_enablelog(const char* file, int flags);
/* Stop the trace. */
VARNIX_API int varnix_disablelog(void);
/* The library's version times 100 (100 is 1.00). */
VARNIX_API int varnix_version(void);
/* Seconds for connects and waits of handles opened from now on (at least 1); returns the
   value stored. */
VARNIX_API int varnix_setdefaulttimeout(int seconds);

/* Progress of a transfer on a handle whose ftp_statusbox is on: bytes done so far, and the
   total (-1 when unknown). Called on the thread that runs the transfer, at its start and
   after every chunk (up to 256 KiB). */
typedef void (*varnix_progress_proc)(int h, long long done, long long total, void* user);
/* Install (or with NULL remove) the library-wide progress handler. */
VARNIX_API int varnix_setprogresshandler(varnix_progress_proc proc, void* user);

/* What the last get, put, append or server-to-server copy on h did to its target (for a
   copy, ask the target's handle), for a caller that retries a transfer and must resume only
   what its own attempts wrote. Each transfer call on h starts the record afresh, also one
   that fails before it sends anything. */
typedef struct varnix_transfer_info {
    /* 1: the target was opened for this call: a get created or opened its local file; the
       server accepted the STOR, STOU or APPE of a put, append or copy with a 1xx reply.
       0: nothing of the target was touched, so a retry must start over. */
    int opened;
    /* Bytes this call wrote into the target: into the local file of a get, or handed to the
       data connection by a put or append; -1 when not known (a server-to-server copy). */
    long long written;
    /* The local file's path as opened (a get in local unique mode: the free name it chose;
       relative names resolved against the local path). Empty for a copy. */
    char local[1024];
    /* The remote name written: the name given, its default, or for STOU the name the server
       gave in its reply. */
    char remote[1024];
} varnix_transfer_info;
/* 0, VARNIX_EHANDLE, VARNIX_EBUSY while a call is under way on h, VARNIX_EINVAL for a null
   info or a name longer than its field (info is then all zero). It leaves the text of
   ftp_lasterror as it was, so that a caller can still read why the transfer failed. */
VARNIX_API int varnix_lasttransfer(int h, varnix_transfer_info* info);

#ifdef __cplusplus
}
#endif

#endif /* VARNIX32_H */
