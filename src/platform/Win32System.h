// Win32System.h: the thread's last error, the module's file name and the platform version.
#pragma once

#include "platform/Win32Types.h"

// The last error code set by a platform call on this thread (ERROR_SUCCESS at start). Calls that
// succeed leave it as it was unless their line says otherwise.
DWORD GetLastError();
void SetLastError(DWORD error);

// The running executable's real path (links resolved) for a null module or GetModuleHandleW(nullptr);
// 0 with ERROR_MOD_NOT_FOUND for any other module. Returns the units copied without the zero. When
// the path does not fit, copies size - 1 units and a zero, returns size and sets
// ERROR_INSUFFICIENT_BUFFER; size 0 or a null buffer copies nothing and returns 0 with that error.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

constexpr DWORD VER_PLATFORM_WIN32_CE = 3;

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
typedef OSVERSIONINFOW* LPOSVERSIONINFOW;

// Fills the version record: platform VER_PLATFORM_WIN32_CE, version 5.1 unless PlatformSetVersion
// or the environment variable KESTROVA_PLATFORM_VERSION ("major.minor", for example "4.20") says
// otherwise. FALSE with ERROR_INSUFFICIENT_BUFFER when dwOSVersionInfoSize is not the record's size,
// ERROR_INVALID_PARAMETER for a null record.
BOOL GetVersionExW(LPOSVERSIONINFOW info);
// Not Win32: the version GetVersionExW reports from now on (over the environment variable); major 0
// goes back to the environment variable or the default.
void PlatformSetVersion(DWORD major, DWORD minor);
