// SPDX-License-Identifier: MIT
#include "fake_varnix32.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <stdexcept>

#include "varnix32.h"

namespace {

// Every function of varnix32.h; scripting another name is a fault of the test.
const std::set<std::string>& KnownFunctions() {
    static const std::set<std::string> known{"ftp_open",
                                             "ftp_openport",
                                             "ftp_login",
                                             "ftp_relogin",
                                             "ftp_gatelogin",
                                             "ftp_quit",
                                             "ftp_Logout",
                                             "ftp_abort",
                                             "ftp_isconnected",
                                             "ftp_setascii",
                                             "ftp_setbinary",
                                             "ftp_SetPassive",
                                             "ftp_localunique",
                                             "ftp_storeunique",
                                             "ftp_statusbox",
                                             "ftp_setreceivetimeout",
                                             "ftp_SetLocalPath",
                                             "ftp_ClearLocalPath",
                                             "ftp_lcd",
                                             "ftp_cd",
                                             "ftp_cdup",
                                             "ftp_mkdir",
                                             "ftp_rmdir",
                                             "ftp_delete",
                                             "ftp_rename",
                                             "ftp_site",
                                             "ftp_quote",
                                             "ftp_pwd",
                                             "ftp_Exists",
                                             "ftp_GetFileSize",
                                             "ftp_GetFileDateTime",
                                             "ftp_dir",
                                             "ftp_ls",
                                             "ftp_get",
                                             "ftp_RestartGet",
                                             "ftp_RestartGetAt",
                                             "ftp_put",
                                             "ftp_append",
                                             "ftp_RestartPut",
                                             "ftp_RestartPutAt",
                                             "ftp_RestartAppendAt",
                                             "ftp_mget",
                                             "ftp_mput",
                                             "ftp_RemotePut",
                                             "ftp_RemoteAppend",
                                             "ftp_RestartRemotePutAt",
                                             "ftp_RestartRemoteAppendAt",
                                             "ftp_openreadforget",
                                             "ftp_openreadforlist",
                                             "ftp_openreadfordir",
                                             "ftp_readdata",
                                             "ftp_closeread",
                                             "ftp_openwriteforput",
                                             "ftp_openwriteforappend",
                                             "ftp_writedata",
                                             "ftp_closewrite",
                                             "ftp_lasterror",
                                             "ftp_copyreplystr",
                                             "f_copyfile",
                                             "f_deletefile",
                                             "www_Open",
                                             "www_SendData",
                                             "www_ReceiveData",
                                             "www_Close",
                                             "varnix_enablelog",
                                             "varnix_disablelog",
                                             "varnix_version",
                                             "varnix_setdefaulttimeout",
                                             "varnix_setprogresshandler",
                                             "varnix_settlsca",
                                             "varnix_setacceptunverified",
                                             "varnix_lasttransfer"};
    return known;
}

std::string Quoted(const char* text) {
    return text == nullptr ? std::string("NULL") : "\"" + std::string(text) + "\"";
}

std::string Number(long long value) {
    return std::to_string(value);
}

const char* kBuffer = "<buffer>";

}  // namespace

FakeVarnix& FakeVarnix::Instance() {
    static FakeVarnix fake;
    return fake;
}

void FakeVarnix::Reset() {
    std::lock_guard lock(mutex_);
    calls_.clear();
    scripts_.clear();
    everyCall_ = nullptr;
}

void FakeVarnix::OnEveryCall(std::function<void()> action) {
    std::lock_guard lock(mutex_);
    everyCall_ = std::move(action);
}

FakeVarnix::Script& FakeVarnix::ScriptOf(const std::string& function) {
    if (KnownFunctions().count(function) == 0)
        throw std::invalid_argument("varnix32 has no function " + function);
    return scripts_[function];
}

void FakeVarnix::SetResult(const std::string& function, long long result) {
    std::lock_guard lock(mutex_);
    Script& script = ScriptOf(function);
    script.hasResult = true;
    script.result = result;
}

void FakeVarnix::QueueResults(const std::string& function, std::vector<long long> results) {
    std::lock_guard lock(mutex_);
    auto& queue = ScriptOf(function).results;
    queue.insert(queue.end(), results.begin(), results.end());
}

void FakeVarnix::SetText(const std::string& function, std::string text) {
    std::lock_guard lock(mutex_);
    ScriptOf(function).text = std::move(text);
}

void FakeVarnix::QueueTexts(const std::string& function, std::vector<std::string> texts) {
    std::lock_guard lock(mutex_);
    auto& queue = ScriptOf(function).texts;
    queue.insert(queue.end(), texts.begin(), texts.end());
}

void FakeVarnix::OnCall(const std::string& function, Action action) {
    std::lock_guard lock(mutex_);
    ScriptOf(function).action = std::move(action);
}

CallList FakeVarnix::Calls() const {
    std::lock_guard lock(mutex_);
    CallList out;
    for (const auto& call : calls_)
        out.push_back(call.second);
    return out;
}

CallList FakeVarnix::CallsTo(const std::string& function) const {
    std::lock_guard lock(mutex_);
    CallList out;
    for (const auto& call : calls_)
        if (call.first == function) out.push_back(call.second);
    return out;
}

CallList FakeVarnix::CallsExcept(const std::vector<std::string>& functions) const {
    std::lock_guard lock(mutex_);
    CallList out;
    for (const auto& call : calls_)
        if (std::find(functions.begin(), functions.end(), call.first) == functions.end())
            out.push_back(call.second);
    return out;
}

long long FakeVarnix::NextResult(Script& script, long long length) {
    if (!script.results.empty()) {
        const long long result = script.results.front();
        script.results.erase(script.results.begin());
        return result;
    }
    return script.hasResult ? script.result : length;
}

long long FakeVarnix::Call(const char* function, std::vector<std::string> arguments) {
    return CallFilling(function, std::move(arguments), nullptr, 0, false, false);
}

long long FakeVarnix::CallFilling(const char* function, std::vector<std::string> arguments,
                                  char* buffer, int size, bool terminate, bool resultIsLength) {
    Action action;
    std::function<void()> everyCall;
    long long result = 0;
    {
        std::lock_guard lock(mutex_);
        std::string text = std::string(function) + "(";
        for (std::size_t i = 0; i < arguments.size(); ++i)
            text += (i > 0 ? ", " : "") + arguments[i];
        calls_.emplace_back(function, text + ")");
        Script& script = ScriptOf(function);
        long long written = 0;
        if (buffer != nullptr && size > 0) {
            std::string fill = script.text;
            if (!script.texts.empty()) {
                fill = script.texts.front();
                script.texts.erase(script.texts.begin());
            }
            const std::size_t room = static_cast<std::size_t>(size) - (terminate ? 1 : 0);
            written = static_cast<long long>(std::min(fill.size(), room));
            std::memcpy(buffer, fill.data(), static_cast<std::size_t>(written));
            if (terminate) buffer[written] = '\0';
        }
        result = NextResult(script, resultIsLength ? written : 0);
        action = script.action;
        everyCall = everyCall_;
    }
    if (action) action(arguments);
    if (everyCall) everyCall();
    return result;
}

// ---- The C functions --------------------------------------------------------------------

namespace {

int Rec(const char* function, std::vector<std::string> arguments) {
    return static_cast<int>(FakeVarnix::Instance().Call(function, std::move(arguments)));
}

int Fill(const char* function, std::vector<std::string> arguments, char* buffer, int size,
         bool terminate, bool resultIsLength) {
    return static_cast<int>(FakeVarnix::Instance().CallFilling(
        function, std::move(arguments), buffer, size, terminate, resultIsLength));
}

}  // namespace

extern "C" {

int ftp_open(const char* host) {
    return Rec("ftp_open", {Quoted(host)});
}
int ftp_openport(const char* host, int port) {
    return Rec("ftp_openport", {Quoted(host), Number(port)});
}
int ftp_login(const char* host, const char* user, const char* password, const char* account) {
    return Rec("ftp_login", {Quoted(host), Quoted(user), Quoted(password), Quoted(account)});
}
int ftp_relogin(int h, const char* user, const char* password, const char* account) {
    return Rec("ftp_relogin", {Number(h), Quoted(user), Quoted(password), Quoted(account)});
}
int ftp_gatelogin(int h, const char* host, const char* user, const char* password,
                  const char* account) {
    return Rec("ftp_gatelogin",
               {Number(h), Quoted(host), Quoted(user), Quoted(password), Quoted(account)});
}
int ftp_quit(int h) {
    return Rec("ftp_quit", {Number(h)});
}
int ftp_Logout(int h) {
    return Rec("ftp_Logout", {Number(h)});
}
int ftp_abort(int h) {
    return Rec("ftp_abort", {Number(h)});
}
int ftp_isconnected(int h) {
    return Rec("ftp_isconnected", {Number(h)});
}

int ftp_setascii(int h) {
    return Rec("ftp_setascii", {Number(h)});
}
int ftp_setbinary(int h) {
    return Rec("ftp_setbinary", {Number(h)});
}
int ftp_SetPassive(int h, int on) {
    return Rec("ftp_SetPassive", {Number(h), Number(on)});
}
int ftp_localunique(int h) {
    return Rec("ftp_localunique", {Number(h)});
}
int ftp_storeunique(int h) {
    return Rec("ftp_storeunique", {Number(h)});
}
int ftp_statusbox(int h, int on) {
    return Rec("ftp_statusbox", {Number(h), Number(on)});
}
int ftp_setreceivetimeout(int h, int seconds) {
    return Rec("ftp_setreceivetimeout", {Number(h), Number(seconds)});
}
int ftp_SetLocalPath(int h, const char* path) {
    return Rec("ftp_SetLocalPath", {Number(h), Quoted(path)});
}
int ftp_ClearLocalPath(int h) {
    return Rec("ftp_ClearLocalPath", {Number(h)});
}
int ftp_lcd(const char* directory) {
    return Rec("ftp_lcd", {Quoted(directory)});
}

int ftp_cd(int h, const char* directory) {
    return Rec("ftp_cd", {Number(h), Quoted(directory)});
}
int ftp_cdup(int h) {
    return Rec("ftp_cdup", {Number(h)});
}
int ftp_mkdir(int h, const char* directory) {
    return Rec("ftp_mkdir", {Number(h), Quoted(directory)});
}
int ftp_rmdir(int h, const char* directory) {
    return Rec("ftp_rmdir", {Number(h), Quoted(directory)});
}
int ftp_delete(int h, const char* file) {
    return Rec("ftp_delete", {Number(h), Quoted(file)});
}
int ftp_rename(int h, const char* from, const char* to) {
    return Rec("ftp_rename", {Number(h), Quoted(from), Quoted(to)});
}
int ftp_site(int h, const char* text) {
    return Rec("ftp_site", {Number(h), Quoted(text)});
}
int ftp_quote(int h, const char* command, char* reply, int size) {
    return Fill("ftp_quote", {Number(h), Quoted(command), kBuffer, Number(size)}, reply, size, true,
                false);
}
int ftp_pwd(int h, char* buffer, int size) {
    return Fill("ftp_pwd", {Number(h), kBuffer, Number(size)}, buffer, size, true, false);
}
int ftp_Exists(int h, const char* file) {
    return Rec("ftp_Exists", {Number(h), Quoted(file)});
}
long long ftp_GetFileSize(int h, const char* file) {
    return FakeVarnix::Instance().Call("ftp_GetFileSize", {Number(h), Quoted(file)});
}
int ftp_GetFileDateTime(int h, const char* file, char* buffer, int size, const char* format) {
    return Fill("ftp_GetFileDateTime",
                {Number(h), Quoted(file), kBuffer, Number(size), Quoted(format)}, buffer, size,
                true, false);
}
int ftp_dir(int h, const char* mask, const char* localfile) {
    return Rec("ftp_dir", {Number(h), Quoted(mask), Quoted(localfile)});
}
int ftp_ls(int h, const char* mask, const char* localfile) {
    return Rec("ftp_ls", {Number(h), Quoted(mask), Quoted(localfile)});
}

int ftp_get(int h, const char* remote, const char* local) {
    return Rec("ftp_get", {Number(h), Quoted(remote), Quoted(local)});
}
int ftp_RestartGet(int h, const char* remote, const char* local) {
    return Rec("ftp_RestartGet", {Number(h), Quoted(remote), Quoted(local)});
}
int ftp_RestartGetAt(int h, const char* remote, const char* local, long long offset) {
    return Rec("ftp_RestartGetAt", {Number(h), Quoted(remote), Quoted(local), Number(offset)});
}
int ftp_put(int h, const char* local, const char* remote) {
    return Rec("ftp_put", {Number(h), Quoted(local), Quoted(remote)});
}
int ftp_append(int h, const char* local, const char* remote) {
    return Rec("ftp_append", {Number(h), Quoted(local), Quoted(remote)});
}
int ftp_RestartPut(int h, const char* local, const char* remote) {
    return Rec("ftp_RestartPut", {Number(h), Quoted(local), Quoted(remote)});
}
int ftp_RestartPutAt(int h, const char* local, const char* remote, long long offset) {
    return Rec("ftp_RestartPutAt", {Number(h), Quoted(local), Quoted(remote), Number(offset)});
}
int ftp_RestartAppendAt(int h, const char* local, const char* remote, long long offset) {
    return Rec("ftp_RestartAppendAt", {Number(h), Quoted(local), Quoted(remote), Number(offset)});
}
int ftp_mget(int h, const char* pattern) {
    return Rec("ftp_mget", {Number(h), Quoted(pattern)});
}
int ftp_mput(int h, const char* pattern, int flag) {
    return Rec("ftp_mput", {Number(h), Quoted(pattern), Number(flag)});
}

int ftp_RemotePut(int from, int to, const char* fromfile, const char* tofile, int binary,
                  int restart) {
    return Rec("ftp_RemotePut", {Number(from), Number(to), Quoted(fromfile), Quoted(tofile),
                                 Number(binary), Number(restart)});
}
int ftp_RemoteAppend(int from, int to, const char* fromfile, const char* tofile, int binary) {
    return Rec("ftp_RemoteAppend",
               {Number(from), Number(to), Quoted(fromfile), Quoted(tofile), Number(binary)});
}
int ftp_RestartRemotePutAt(int from, int to, const char* fromfile, const char* tofile,
                           long long offset, int binary) {
    return Rec("ftp_RestartRemotePutAt", {Number(from), Number(to), Quoted(fromfile),
                                          Quoted(tofile), Number(offset), Number(binary)});
}
int ftp_RestartRemoteAppendAt(int from, int to, const char* fromfile, const char* tofile,
                              long long offset, int binary) {
    return Rec("ftp_RestartRemoteAppendAt", {Number(from), Number(to), Quoted(fromfile),
                                             Quoted(tofile), Number(offset), Number(binary)});
}

int ftp_openreadforget(int h, const char* file) {
    return Rec("ftp_openreadforget", {Number(h), Quoted(file)});
}
int ftp_openreadforlist(int h, const char* mask) {
    return Rec("ftp_openreadforlist", {Number(h), Quoted(mask)});
}
int ftp_openreadfordir(int h, const char* mask) {
    return Rec("ftp_openreadfordir", {Number(h), Quoted(mask)});
}
int ftp_readdata(int h, char* buffer, int size) {
    return Fill("ftp_readdata", {Number(h), kBuffer, Number(size)}, buffer, size, false, true);
}
int ftp_closeread(int h) {
    return Rec("ftp_closeread", {Number(h)});
}
int ftp_openwriteforput(int h, const char* remote, long long total) {
    return Rec("ftp_openwriteforput", {Number(h), Quoted(remote), Number(total)});
}
int ftp_openwriteforappend(int h, const char* remote, long long total) {
    return Rec("ftp_openwriteforappend", {Number(h), Quoted(remote), Number(total)});
}
int ftp_writedata(int h, const char* data, int length) {
    const std::string written = data != nullptr && length > 0 ? std::string(data, length) : "";
    return Rec("ftp_writedata", {Number(h), "\"" + written + "\"", Number(length)});
}
int ftp_closewrite(int h) {
    return Rec("ftp_closewrite", {Number(h)});
}

int ftp_lasterror(char* buffer, int size) {
    return Fill("ftp_lasterror", {kBuffer, Number(size)}, buffer, size, true, true);
}
int ftp_copyreplystr(int h, char* buffer, int size) {
    return Fill("ftp_copyreplystr", {Number(h), kBuffer, Number(size)}, buffer, size, true, true);
}

int f_copyfile(const char* from, const char* to) {
    return Rec("f_copyfile", {Quoted(from), Quoted(to)});
}
int f_deletefile(const char* file) {
    return Rec("f_deletefile", {Quoted(file)});
}

int www_Open(const char* site) {
    return Rec("www_Open", {Quoted(site)});
}
int www_SendData(int w, const char* data, int length) {
    const std::string sent = data != nullptr && length > 0 ? std::string(data, length) : "";
    return Rec("www_SendData", {Number(w), "\"" + sent + "\"", Number(length)});
}
int www_ReceiveData(int w, char* buffer, int size, int timeout) {
    return Fill("www_ReceiveData", {Number(w), kBuffer, Number(size), Number(timeout)}, buffer,
                size, false, true);
}
int www_Close(int w) {
    return Rec("www_Close", {Number(w)});
}

int varnix_enablelog(const char* file, int flags) {
    return Rec("varnix_enablelog", {Quoted(file), Number(flags)});
}
int varnix_disablelog(void) {
    return Rec("varnix_disablelog", {});
}
int varnix_version(void) {
    return Rec("varnix_version", {});
}
int varnix_settlsca(const char* path) {
    return Rec("varnix_settlsca", {Quoted(path)});
}
int varnix_setacceptunverified(int on) {
    return Rec("varnix_setacceptunverified", {Number(on)});
}
int varnix_setdefaulttimeout(int seconds) {
    return Rec("varnix_setdefaulttimeout", {Number(seconds)});
}
int varnix_setprogresshandler(varnix_progress_proc proc, void* user) {
    return Rec("varnix_setprogresshandler",
               {proc != nullptr ? "<proc>" : "NULL", user != nullptr ? "<user>" : "NULL"});
}

// The text scripted for varnix_lasttransfer reads "opened;written;local;remote"; fields left
// out are 0 or empty.
int varnix_lasttransfer(int h, varnix_transfer_info* info) {
    char text[4096] = {};
    const int result = static_cast<int>(FakeVarnix::Instance().CallFilling(
        "varnix_lasttransfer", {Number(h), kBuffer}, text, sizeof text, true, false));
    if (info == nullptr) return result;
    *info = varnix_transfer_info{};
    std::string fields[4];
    std::size_t field = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == ';' && field < 3)
            ++field;
        else
            fields[field] += *c;
    }
    info->opened = fields[0].empty() ? 0 : std::stoi(fields[0]);
    info->written = fields[1].empty() ? 0 : std::stoll(fields[1]);
    fields[2].copy(info->local, sizeof info->local - 1);
    fields[3].copy(info->remote, sizeof info->remote - 1);
    return result;
}

}  // extern "C"
