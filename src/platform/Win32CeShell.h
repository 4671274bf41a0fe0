// Win32CeShell.h: the handheld shell's calls the reader makes.
#pragma once

#include "platform/Win32Types.h"

#include <string>
#include <vector>

// --- Opening documents and addresses ---
//
// ShellExecuteExW with the verb "Open" (any case; a null verb means it too) hands lpFile, an address
// or a path, to the desktop's handler: the display backend's OpenAddress when it has one, else
// `xdg-open` started directly (no shell), in its own process group, without waiting for it. The
// headless backend, and the process before a backend is chosen, open nothing and only record the call. Every
// call is recorded (PlatformShellExecuteLog).

constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;

// hInstApp after a call: above 32 on success, one of these on failure.
constexpr INT_PTR SE_ERR_FNF = 2;
constexpr INT_PTR SE_ERR_NOASSOC = 31;
constexpr INT_PTR ShellExecuteSucceeded = 33; // Not Win32: the value given on success

struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
};
typedef SHELLEXECUTEINFOW* LPSHELLEXECUTEINFOW;

// TRUE when the handler was started (its own result is not awaited). FALSE with GetLastError:
// ERROR_INVALID_PARAMETER for a null record, a cbSize other than the record's size, or a file starting
// with "-" (it would reach the handler as an option); ERROR_NO_ASSOCIATION for another verb or when no
// handler could be started; ERROR_FILE_NOT_FOUND for a null or empty file. hInstApp tells the same.
// Without SEE_MASK_FLAG_NO_UI a failure is also shown in a message box owned by hwnd. hProcess is
// always null: the handler's process is not given out.
BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info);

// Not Win32: the record of ShellExecuteExW calls, oldest first, for tests and the script driver.
struct PlatformShellExecuteCall {
    HWND Owner;
    std::u16string Verb; // as given (empty for a null verb)
    std::u16string File;
    ULONG Mask;
    BOOL Result;
    DWORD Error;     // GetLastError after a failure, ERROR_SUCCESS after success
    const char* How; // "recorded" (headless), "backend", "xdg-open", or "refused"
};
const std::vector<PlatformShellExecuteCall>& PlatformShellExecuteLog();
void PlatformClearShellExecuteLog();
