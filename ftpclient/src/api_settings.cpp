// SPDX-License-Identifier: MIT
// C entry points: settings of a handle and of the library.
#include "api_support.h"
#include "local_files.h"

using namespace varnix;

namespace {

const char* onOff(bool on) {
    return on ? "on" : "off";
}

}  // namespace

extern "C" {

int ftp_setascii(int h) {
    return api::run(h, [](FtpSession& s) { return s.setType(TransferType::Ascii); });
}

int ftp_setbinary(int h) {
    return api::run(h, [](FtpSession& s) { return s.setType(TransferType::Binary); });
}

int ftp_SetPassive(int h, int on) {
    return api::run(h, [on](FtpSession& s) {
        s.settings().passive = on != 0;
        return Status::ok(on ? "Passive mode on" : "Active mode on");
    });
}

int ftp_localunique(int h) {
    return api::run(h, [](FtpSession& s) {
        bool& mode = s.settings().localUnique;
        mode = !mode;
        return Status::ok(std::string("Local unique mode ") + onOff(mode));
    });
}

int ftp_storeunique(int h) {
    return api::run(h, [](FtpSession& s) {
        bool& mode = s.settings().storeUnique;
        mode = !mode;
        return Status::ok(std::string("Store unique mode ") + onOff(mode));
    });
}

int ftp_statusbox(int h, int on) {
    return api::run(h, [on](FtpSession& s) {
        s.settings().statusBox = on != 0;
        return Status::ok(std::string("Progress reports ") + onOff(on != 0));
    });
}

int ftp_setreceivetimeout(int h, int seconds) {
    return api::run(h, [seconds](FtpSession& s) {
        if (seconds < 1) return Status::invalid("Bad timeout " + std::to_string(seconds));
        s.setTimeout(std::chrono::seconds(seconds));
        return Status::ok("Receive timeout " + std::to_string(seconds) + " s");
    });
}

int ftp_SetLocalPath(int h, const char* path) {
    return api::run(h, [path](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireText(path, "local path"));
        if (*path) VARNIX_RETURN_IF_ERROR(checkLocalDirectory(path));
        s.settings().localPath = path;
        return Status::ok(*path ? std::string("Local path ") + path : "Local path cleared");
    });
}

int ftp_ClearLocalPath(int h) {
    return api::run(h, [](FtpSession& s) {
        s.settings().localPath.clear();
        return Status::ok("Local path cleared");
    });
}

int ftp_lcd(const char* directory) {
    return api::runGlobal([directory]() -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireText(directory, "directory"));
        if (!*directory) return Status::invalid("No directory given (empty)");
        return changeLocalDirectory(directory);
    });
}

int varnix_setdefaulttimeout(int seconds) {
    int stored = api::setDefaultTimeout(seconds);
    setLastText("Default timeout " + std::to_string(stored) + " s");
    return stored;
}

int varnix_settlsca(const char* path) {
    return api::runGlobal([path]() -> Status { return setTlsTrustedCa(path ? path : ""); });
}

int varnix_setacceptunverified(int on) {
    setTlsAcceptUnverified(on != 0);
    setLastText(on ? "Unverified TLS certificates are accepted" : "TLS certificates are verified");
    return 0;
}

int varnix_setprogresshandler(varnix_progress_proc proc, void* user) {
    setProgressHandler(proc, user);
    setLastText(proc ? "Progress handler installed" : "Progress handler removed");
    return 0;
}

}  // extern "C"
