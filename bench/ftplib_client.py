#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The Python ftplib side of bench/run: one job per call, as a user would write it.

usage: ftplib_client.py [--tls CA] [--log FILE] PORT USER PASSWORD JOB ARGS...
jobs:  get REMOTE LOCAL | put LOCAL REMOTE | gets DIR LOCALDIR NAME... | mget DIR LOCALDIR
       puts DIR LOCAL... | copy TARGETPORT FILE COPYNAME | login
"copy" prints "copy SECONDS": the server-to-server copy alone, after both logins.
"""
import ftplib
import os
import ssl
import sys
import time

BLOCK = 256 * 1024  # bigger than ftplib's default 8 KiB: the fairest peer


class ReuseTLS(ftplib.FTP_TLS):
    """Data connections resume the control connection's TLS session (vsftpd insists)."""

    def ntransfercmd(self, cmd, rest=None):
        conn, size = ftplib.FTP.ntransfercmd(self, cmd, rest)
        if self._prot_p:
            conn = self.context.wrap_socket(conn, server_hostname=self.host,
                                            session=self.sock.session)
        return conn, size


def connect(port, user, password, ca, debug):
    if ca:
        ftp = ReuseTLS(context=ssl.create_default_context(cafile=ca))
    else:
        ftp = ftplib.FTP()
    if debug:
        ftp.set_debuglevel(2)
    ftp.connect("127.0.0.1", port, timeout=120)
    ftp.login(user, password)
    if ca:
        ftp.prot_p()
    ftp.voidcmd("TYPE I")
    return ftp


def get(ftp, remote, local):
    with open(local, "wb") as out:
        ftp.retrbinary("RETR " + remote, out.write, BLOCK)


def put(ftp, local, remote):
    with open(local, "rb") as source:
        ftp.storbinary("STOR " + remote, source, BLOCK)


def main(argv):
    ca = log = None
    while argv and argv[0].startswith("--"):
        if argv[0] == "--tls":
            ca = argv[1]
        elif argv[0] == "--log":
            log = argv[1]
        argv = argv[2:]
    if log:
        sys.stdout = open(log, "w")
    port, user, password, job, args = int(argv[0]), argv[1], argv[2], argv[3], argv[4:]
    ftp = connect(port, user, password, ca, log is not None)
    if job == "get":
        get(ftp, args[0], args[1])
    elif job == "put":
        put(ftp, args[0], args[1])
    elif job == "gets":
        ftp.cwd(args[0])
        for name in args[2:]:
            get(ftp, name, os.path.join(args[1], name))
    elif job == "mget":
        ftp.cwd(args[0])
        for name in ftp.nlst():
            get(ftp, name, os.path.join(args[1], name))
    elif job == "puts":
        ftp.cwd(args[0])
        for local in args[1:]:
            put(ftp, local, os.path.basename(local))
    elif job == "copy":
        target = connect(int(args[0]), user, password, ca, False)
        start = time.monotonic()
        ftplib.ftpcp(ftp, args[1], target, args[2])
        print("copy %.6f" % (time.monotonic() - start), file=sys.__stdout__, flush=True)
        target.quit()
    ftp.quit()


if __name__ == "__main__":
    main(sys.argv[1:])
