// SPDX-License-Identifier: MIT
// C entry points: remote files and directories, raw commands, queries and listings.
#include "api_support.h"
#include "listing.h"
#include "transfer.h"

using namespace varnix;

namespace {

// One command with one name argument that must get a 2xx reply.
int nameCommand(int h, const char* verb, const char* name, const char* what) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(name, what));
        return s.simpleCommand(std::string(verb) + " " + name);
    });
}

// Clears an output buffer first, so that a failure leaves an empty text in it.
void clearBuffer(char* buffer, int size) {
    copyToBuffer("", buffer, size);
}

Status requireBuffer(const char* buffer, int size) {
    if (!buffer || size < 1) return Status::invalid("No buffer given for the reply");
    return Status::ok();
}

// A command whose reply holds one text (a path, a time): parsed into the caller's buffer.
int textQuery(int h, const std::string& command, Result<std::string> (*parse)(std::string_view),
              char* buffer, int size) {
    clearBuffer(buffer, size);
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(requireBuffer(buffer, size));
        auto reply = s.command(command);
        if (!reply.isOk()) return reply.status();
        if (reply->negative()) return Status::refused(reply->code, reply->text());
        auto text = parse(reply->text());
        if (!text.isOk()) return text.status();
        copyToBuffer(*text, buffer, size);
        return Status::ok();
    });
}

int listing(int h, bool longList, const char* mask, const char* localFile) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireWireText(mask, "mask"));
        VARNIX_RETURN_IF_ERROR(api::requireText(localFile, "local file"));
        return listToFile(s, longList, mask, localFile);
    });
}

}  // namespace

extern "C" {

int ftp_cd(int h, const char* directory) {
    return nameCommand(h, "CWD", directory, "directory");
}

int ftp_cdup(int h) {
    return api::run(h, [](FtpSession& s) -> Status {
        Status up = s.simpleCommand("CDUP");
        if (up.code() == -500 || up.code() == -502) return s.simpleCommand("CWD ..");
        return up;
    });
}

int ftp_mkdir(int h, const char* directory) {
    return nameCommand(h, "MKD", directory, "directory");
}

int ftp_rmdir(int h, const char* directory) {
    return nameCommand(h, "RMD", directory, "directory");
}

int ftp_delete(int h, const char* file) {
    return nameCommand(h, "DELE", file, "file name");
}

int ftp_rename(int h, const char* from, const char* to) {
    return api::run(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(from, "old name"));
        VARNIX_RETURN_IF_ERROR(api::requireName(to, "new name"));
        auto reply = s.command(std::string("RNFR ") + from);
        if (!reply.isOk()) return reply.status();
        if (reply->negative()) return Status::refused(reply->code, reply->text());
        if (reply->code != 350)
            return Status::protocol("Unexpected reply to RNFR: " + reply->text());
        return s.simpleCommand(std::string("RNTO ") + to);
    });
}

int ftp_site(int h, const char* text) {
    return nameCommand(h, "SITE", text, "SITE command");
}

int ftp_quote(int h, const char* command, char* reply, int size) {
    clearBuffer(reply, size);
    int result = 0;
    Status status = api::call(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(requireBuffer(reply, size));
        VARNIX_RETURN_IF_ERROR(api::requireName(command, "command"));
        auto first = s.command(command);
        s.forgetWireType();  // the command may have been TYPE
        if (!first.isOk()) return first.status();
        Reply last = *first;
        std::string text = first->text();
        if (first->preliminary()) {
            // The final reply follows; read it so that the connection stays in step.
            auto final = s.readFinalReply(s.settings().timeout);
            if (!final.isOk()) return final.status();
            last = *final;
            text += "\n" + final->text();
        }
        copyToBuffer(text, reply, size);
        if (last.negative()) return Status::refused(last.code, text);
        result = last.positive() ? 2 : 0;
        return Status::ok(text);
    });
    return status.isOk() ? result : status.code();
}

int ftp_pwd(int h, char* buffer, int size) {
    return textQuery(h, "PWD", parsePwdReply, buffer, size);
}

int ftp_Exists(int h, const char* file) {
    bool found = false;
    [[maybe_unused]] Status status = api::call(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(file, "file name"));
        found = remoteExists(s, file);
        return found ? Status::ok() : Status::ok(std::string(file) + " does not exist");
    });
    return found ? 1 : 0;
}

long long ftp_GetFileSize(int h, const char* file) {
    long long size = -1;
    Status status = api::call(h, [&](FtpSession& s) -> Status {
        VARNIX_RETURN_IF_ERROR(api::requireName(file, "file name"));
        auto found = remoteSize(s, file);
        if (!found.isOk()) return found.status();
        size = *found;
        return Status::ok();
    });
    return status.isOk() ? size : status.code();
}

int ftp_GetFileDateTime(int h, const char* file, char* buffer, int size, const char* /*format*/) {
    Status name = api::requireName(file, "file name");
    if (!name.isOk()) {
        clearBuffer(buffer, size);
        api::storeText(name, nullptr);
        return name.code();
    }
    return textQuery(h, std::string("MDTM ") + file, parseMdtmReply, buffer, size);
}

int ftp_dir(int h, const char* mask, const char* localfile) {
    return listing(h, true, mask, localfile);
}

int ftp_ls(int h, const char* mask, const char* localfile) {
    return listing(h, false, mask, localfile);
}

}  // extern "C"
