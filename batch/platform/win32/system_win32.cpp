// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

#include "clock.h"
#include "platform/system.h"
#include "program.h"

namespace quarv::platform {
namespace {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// The exit code of a program ended on a stop request, as a shell reports SIGTERM.
constexpr DWORD kStoppedExit = 128 + 15;

}  // namespace

bool LocalTime(std::time_t time, std::tm& out) {
    return ::localtime_s(&out, &time) == 0;
}

bool UtcTime(std::time_t time, std::tm& out) {
    return ::gmtime_s(&out, &time) == 0;
}

bool FileModified(const std::string& name, std::time_t& out) {
    struct _stat64 status {};
    if (::_wstat64(Widen(name).c_str(), &status) != 0) return false;
    out = static_cast<std::time_t>(status.st_mtime);
    return true;
}

int OpenForAppend(const std::string& name) {
    return ::_wopen(Widen(name).c_str(),
                    _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}

}  // namespace quarv::platform

namespace quarv {

// $Exec on Windows: the command runs with cmd /c; a stop request ends it.
int RunProgram(const std::string& command) {
    const StopMark mark = CurrentStopMark();
    std::fflush(nullptr);
    wchar_t shell[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableW(L"ComSpec", shell, MAX_PATH);
    std::wstring line = (n > 0 && n < MAX_PATH ? std::wstring(shell, n) : L"cmd.exe");
    line = L"\"" + line + L"\" /c " + platform::Widen(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process))
        return -1;
    ::CloseHandle(process.hThread);
    // Bounded slices, so that a stop request ends a program that would run on.
    while (::WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT) {
        if (StopRequestedSince(mark)) {
            ::TerminateProcess(process.hProcess, platform::kStoppedExit);
            ::WaitForSingleObject(process.hProcess, INFINITE);
            break;
        }
    }
    DWORD code = 0;
    const bool known = ::GetExitCodeProcess(process.hProcess, &code) != 0;
    ::CloseHandle(process.hProcess);
    return known ? static_cast<int>(code) : -1;
}

}  // namespace quarv
