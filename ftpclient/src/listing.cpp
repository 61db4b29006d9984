// SPDX-License-Identifier: MIT
#include "listing.h"

#include <cstdio>
#include <memory>

#include "local_files.h"
#include "trace_log.h"
#include "transfer.h"

namespace varnix {
namespace {

// Longest name taken from a listing; longer lines are skipped (no system takes them).
constexpr std::size_t kMaxName = 4096;
// Most bytes of names kept for one mget: a server that sends more is not listing names.
constexpr std::size_t kMaxNameList = 64u << 20;

// Names of an NLST kept in an unnamed temporary file, so that memory does not grow with
// the size of the directory.
class NameSpool {
  public:
    NameSpool() : file_(std::tmpfile()) {}
    ~NameSpool() {
        if (file_) std::fclose(file_);
    }
    NameSpool(const NameSpool&) = delete;
    NameSpool& operator=(const NameSpool&) = delete;

    bool valid() const { return file_ != nullptr; }
    Status append(const char* data, std::size_t size) {
        bytes_ += size;
        if (bytes_ > kMaxNameList)
            return Status::protocol("The list of names is longer than " +
                                    std::to_string(kMaxNameList >> 20) + " MiB");
        if (std::fwrite(data, 1, size, file_) != size)
            return Status::local("Cannot write the temporary list of names");
        return Status::ok();
    }
    void rewind() { std::rewind(file_); }
    // The next name, every byte of it (a NUL too); false at the end. Lines longer than any
    // name are skipped.
    bool next(std::string& name) {
        for (;;) {
            name.clear();
            bool any = false, overlong = false;
            int c;
            while ((c = std::getc(file_)) != EOF) {
                any = true;
                if (c == '\n') break;
                if (name.size() <= kMaxName)
                    name += static_cast<char>(c);
                else
                    overlong = true;
            }
            if (!any) return false;
            while (!name.empty() && name.back() == '\r')
                name.pop_back();
            if (!overlong && name.size() <= kMaxName) return true;
        }
    }

  private:
    std::FILE* file_;
    std::size_t bytes_ = 0;
};

Status nameList(FtpSession& session, const std::string& mask, NameSpool& spool) {
    if (!spool.valid()) return Status::local("Cannot create a temporary file");
    auto channel = session.openData(mask.empty() ? "NLST" : "NLST " + mask);
    if (!channel.isOk()) return channel.status();
    return receiveData(session, *channel, true, [&spool](const char* data, std::size_t size) {
        return spool.append(data, size);
    });
}

// A name no local file should get: control characters (a terminal would act on them when
// the name is shown) or nothing but blanks.
bool hostileName(const std::string& name, const std::string& local) {
    return hasControlCharacter(name) ||
           (!local.empty() && local.find_first_not_of(' ') == std::string::npos);
}

std::string directoryPart(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

Status listToFile(FtpSession& session, bool longList, const std::string& mask,
                  const std::string& localFile) {
    if (localFile.empty()) return Status::invalid("No local file name for the listing");
    std::string path = resolveLocal(session.settings().localPath, localFile);
    VARNIX_RETURN_IF_ERROR(checkWritable(path));
    std::string command = longList ? "LIST" : "NLST";
    if (!mask.empty()) command += " " + mask;
    auto channel = session.openData(command);
    if (!channel.isOk()) return channel.status();
    auto file = LocalFile::create(path);
    if (!file.isOk()) return session.abortData(*channel, file.status());
    LocalFile& out = *file;
    Status received = receiveData(session, *channel, true, [&out](const char* data, std::size_t n) {
        return out.write(data, n);
    });
    Status closed = out.close();
    return received.isOk() ? closed : received;
}

bool remoteExists(FtpSession& session, const std::string& name) {
    if (name.empty()) return false;
    if (remoteSize(session, name).isOk()) return true;
    auto mdtm = session.command("MDTM " + name);
    if (!mdtm.isOk()) return false;
    if (mdtm->code == 213) return true;
    bool found = false;
    auto channel = session.openData("NLST " + name);
    if (!channel.isOk()) return false;
    Status listed = receiveData(session, *channel, true, [&found](const char* data, std::size_t n) {
        for (std::size_t i = 0; i < n && !found; ++i)
            found = data[i] != '\n' && data[i] != '\r' && data[i] != ' ';
        return Status::ok();
    });
    if (listed.isOk() && found) return true;
    return isDirectory(session, name);
}

// An empty directory lists no name: it exists when the server lets us change into it. The
// working directory is changed back at once.
bool isDirectory(FtpSession& session, const std::string& name) {
    auto pwd = session.command("PWD");
    if (!pwd.isOk() || pwd->code != 257) return false;
    auto current = parsePwdReply(pwd->text());
    if (!current.isOk()) return false;
    auto cwd = session.command("CWD " + name);
    if (!cwd.isOk() || !cwd->positive()) return false;
    [[maybe_unused]] Status back = session.simpleCommand("CWD " + *current);
    return true;
}

Status getMatching(FtpSession& session, const std::string& pattern) {
    if (pattern.empty()) return Status::invalid("No pattern given");
    std::string directory = directoryPart(pattern);
    std::string namePattern = lastComponent(pattern);
    bool filter = hasWildcard(namePattern);
    auto spool = std::make_unique<NameSpool>();
    Status listed = nameList(session, pattern, *spool);
    if (!listed.isOk()) {
        // Servers that do not expand wildcards: list the directory and match here.
        if (!filter || listed.code() > -400) return listed;
        spool = std::make_unique<NameSpool>();
        VARNIX_RETURN_IF_ERROR(nameList(session, directory, *spool));
    }
    spool->rewind();
    Status firstFailure = Status::ok();
    int got = 0;
    std::string name, skipped;
    while (spool->next(name)) {
        std::string local = lastComponent(name);
        if (filter && !wildcardMatch(namePattern, local)) continue;
        if (hostileName(name, local)) {
            std::string shown = "Skipped \"" + escapeControlCharacters(name) +
                                "\": control characters or blanks only";
            TraceLog::instance().note(session.handle(), shown);
            skipped += "\n" + shown;
            continue;
        }
        if (!usableLocalName(local)) {
            TraceLog::instance().note(session.handle(), "Skipped the name \"" + name + "\"");
            continue;
        }
        std::string remote = name.find('/') != std::string::npos || directory.empty()
                                 ? name
                                 : directory + "/" + name;
        Status got1 = getFile(session, remote, local, GetMode::Fresh);
        if (got1.isOk())
            ++got;
        else if (firstFailure.isOk())
            firstFailure = got1;
        if (got1.code() == VARNIX_EABORTED || !session.connected()) break;
    }
    if (!firstFailure.isOk()) return firstFailure.withDetail(skipped);
    if (got == 0) return Status::refused(550, "No remote file matches " + pattern + skipped);
    return Status::ok(session.lastReply().text() + "\n" + std::to_string(got) +
                      " file(s) received" + skipped);
}

Status putMatching(FtpSession& session, const std::string& pattern) {
    if (pattern.empty()) return Status::invalid("No pattern given");
    auto files = matchLocalFiles(resolveLocal(session.settings().localPath, pattern));
    if (files.empty()) return Status::local("No local file matches " + pattern);
    Status firstFailure = Status::ok();
    for (const auto& file : files) {
        Status put = putLocalFile(session, file, lastComponent(file), PutMode::Store);
        if (!put.isOk() && firstFailure.isOk()) firstFailure = put;
        if (put.code() == VARNIX_EABORTED || !session.connected()) break;
    }
    if (!firstFailure.isOk()) return firstFailure;
    return Status::ok(session.lastReply().text() + "\n" + std::to_string(files.size()) +
                      " file(s) sent");
}

}  // namespace varnix
