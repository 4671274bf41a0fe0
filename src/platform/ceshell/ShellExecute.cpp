// ShellExecute.cpp: ShellExecuteExW "Open" and its record. The handler runs as a process of its own
// group, never waited for; a detached thread that waits for that one process id reaps it, so no
// zombie stays and no SIGCHLD handler of anyone else's is disturbed. The record of calls lives for
// the process (PlatformClearShellExecuteLog empties it).
#include "platform/Win32CeShell.h"
#include "platform/ceshell/ShellExecuteState.h"

#include "platform/Win32Dialogs.h"
#include "platform/Win32System.h"
#include "platform/Win32Text.h"

#include "platform/backend/ServiceBackend.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

constexpr const char* DesktopOpener = "xdg-open";

std::vector<PlatformShellExecuteCall>& Calls() {
    static std::vector<PlatformShellExecuteCall> calls;
    return calls;
}

void ReapWhenDone(pid_t child) {
    std::thread([child] {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {}
    }).detach();
}

// Starts `xdg-open address` with standard input and output on /dev/null; false when it cannot be
// started (not on PATH, not executable, no process left).
bool RunDesktopOpener(const std::string& address) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    // Signals we ignore (a display library may ignore SIGPIPE) are not the handler's to inherit.
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGTERM})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0); // its own group: our terminal's Ctrl+C leaves it running
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::string program = DesktopOpener;
    char* argv[] = {program.data(), const_cast<char*>(address.c_str()), nullptr};
    pid_t child = 0;
    int failed = posix_spawnp(&child, DesktopOpener, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return false;
    ReapWhenDone(child);
    return true;
}

bool IsOpenVerb(LPCWSTR verb) {
    return verb == nullptr || verb[0] == 0 || wcsicmp16(verb, u"open") == 0;
}

// Hands file to the backend's opener, the desktop's, or nobody: headless, and before any backend is
// chosen (unit tests of callers must not start a browser). Sets *how.
bool OpenWithHandler(const std::u16string& file, const char** how) {
    const Backend& backend = ServiceBackend();
    std::string address = PlatformUtf16ToUtf8(file);
    if (backend.Name == nullptr || std::strcmp(backend.Name, "headless") == 0) {
        *how = "recorded";
        return true;
    }
    if (backend.OpenAddress != nullptr) {
        *how = "backend";
        return backend.OpenAddress(address.c_str());
    }
    *how = "xdg-open";
    return RunDesktopOpener(address);
}

// Why the call cannot go ahead (an error code and hInstApp value), or ERROR_SUCCESS.
LONG CheckRequest(const SHELLEXECUTEINFOW& info, INT_PTR* instance) {
    *instance = SE_ERR_NOASSOC;
    if (info.cbSize != sizeof(SHELLEXECUTEINFOW)) return ERROR_INVALID_PARAMETER;
    if (!IsOpenVerb(info.lpVerb)) return ERROR_NO_ASSOCIATION;
    *instance = SE_ERR_FNF;
    if (info.lpFile == nullptr || info.lpFile[0] == 0) return ERROR_FILE_NOT_FOUND;
    if (info.lpFile[0] == u'-') return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

} // namespace

BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info) {
    if (info == nullptr) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return FALSE;
    }
    PlatformShellExecuteCall call{
        info->hwnd, info->lpVerb ? info->lpVerb : u"", u"", info->fMask, FALSE, DWORD(ERROR_SUCCESS),
        "refused"};
    if (info->cbSize == sizeof(SHELLEXECUTEINFOW) && info->lpFile) call.File = info->lpFile;
    INT_PTR instance = ShellExecuteSucceeded;
    LONG error = CheckRequest(*info, &instance);
    if (error == ERROR_SUCCESS && !OpenWithHandler(call.File, &call.How)) {
        error = ERROR_NO_ASSOCIATION;
        instance = SE_ERR_NOASSOC;
    }
    if (info->cbSize == sizeof(SHELLEXECUTEINFOW)) {
        info->hInstApp =
            reinterpret_cast<HINSTANCE>(error == ERROR_SUCCESS ? ShellExecuteSucceeded : instance);
        info->hProcess = nullptr;
    }
    call.Result = error == ERROR_SUCCESS ? TRUE : FALSE;
    call.Error = DWORD(error);
    Calls().push_back(call);
    if (error == ERROR_SUCCESS) return TRUE;
    if ((info->fMask & SEE_MASK_FLAG_NO_UI) == 0) {
        std::u16string text = u"No program could open \"" + call.File + u"\".";
        MessageBoxW(info->hwnd, text.c_str(), nullptr, MB_ICONSTOP);
    }
    SetLastError(DWORD(error));
    return FALSE;
}

const std::vector<PlatformShellExecuteCall>& PlatformShellExecuteLog() {
    return Calls();
}

void PlatformClearShellExecuteLog() {
    Calls().clear();
}

// The file between quotes on one line whatever it holds: a quote, a backslash or a control
// character (a line end would start a record of its own) is written as an escape.
static std::string QuotedFile(const std::u16string& file) {
    std::string quoted = "\"";
    for (char c : PlatformUtf16ToUtf8(file)) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (uint8_t(c) < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", unsigned(uint8_t(c)));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void ShellExecuteStateText(std::string* output) {
    for (const PlatformShellExecuteCall& call : Calls()) {
        std::string verb = call.Verb.empty() ? "-" : PlatformUtf16ToUtf8(call.Verb);
        *output += "shell-execute " + verb + " " + QuotedFile(call.File) + " " + call.How;
        *output += call.Result ? std::string(" ok\n") : " failed " + std::to_string(call.Error) + "\n";
    }
}
