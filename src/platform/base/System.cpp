// System.cpp: the thread's last error, the module's file name and the platform version. Nothing here
// allocates anything a caller frees.
#include "platform/Win32System.h"

#include "platform/Win32Resources.h"
#include "platform/Win32Text.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

thread_local DWORD LastError = DWORD(ERROR_SUCCESS);

// The handheld's version with the menu bar at the bottom; 4.20 selects the command-bar mode.
constexpr DWORD DefaultMajorVersion = 5;
constexpr DWORD DefaultMinorVersion = 1;
constexpr const char* VersionVariable = "KESTROVA_PLATFORM_VERSION";

// The version PlatformSetVersion gave, when Set.
struct VersionRecord {
    bool Set = false;
    DWORD Major = 0;
    DWORD Minor = 0;
};

VersionRecord& Version() {
    static VersionRecord version;
    return version;
}

// Reads up to 9 decimal digits at *p; false when there are none or more.
bool ReadNumber(const char** p, DWORD* value) {
    const char* s = *p;
    DWORD v = 0;
    int digits = 0;
    for (; *s >= '0' && *s <= '9'; ++s, ++digits) {
        if (digits == 9) return false;
        v = v * 10 + DWORD(*s - '0');
    }
    if (digits == 0) return false;
    *p = s;
    *value = v;
    return true;
}

// "major.minor" exactly; anything else leaves the default in place.
bool ParseVersion(const char* text, DWORD* major, DWORD* minor) {
    if (text == nullptr) return false;
    DWORD a, b;
    if (!ReadNumber(&text, &a) || *text++ != '.' || !ReadNumber(&text, &b) || *text != 0) return false;
    *major = a;
    *minor = b;
    return true;
}

// The executable's path from /proc/self/exe, or empty when it cannot be read.
std::string ExecutablePath() {
    std::string path(256, '\0');
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) return std::string();
        if (size_t(n) < path.size()) {
            path.resize(size_t(n));
            return path;
        }
        if (path.size() >= (size_t(1) << 20)) return std::string();
        path.resize(path.size() * 2);
    }
}

} // namespace

DWORD GetLastError() {
    return LastError;
}

void SetLastError(DWORD error) {
    LastError = error;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
    if (module != nullptr && module != GetModuleHandleW(nullptr)) {
        SetLastError(DWORD(ERROR_MOD_NOT_FOUND));
        return 0;
    }
    if (fileName == nullptr || size == 0) {
        SetLastError(DWORD(ERROR_INSUFFICIENT_BUFFER));
        return 0;
    }
    std::string utf8 = ExecutablePath();
    if (utf8.empty()) {
        SetLastError(DWORD(ERROR_FILE_NOT_FOUND));
        fileName[0] = 0;
        return 0;
    }
    std::u16string path = PlatformUtf8ToUtf16(utf8);
    if (path.size() >= size) {
        std::memcpy(fileName, path.data(), (size - 1) * sizeof(WCHAR));
        fileName[size - 1] = 0;
        SetLastError(DWORD(ERROR_INSUFFICIENT_BUFFER));
        return size;
    }
    std::memcpy(fileName, path.data(), path.size() * sizeof(WCHAR));
    fileName[path.size()] = 0;
    return DWORD(path.size());
}

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
    if (info == nullptr) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return FALSE;
    }
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
        SetLastError(DWORD(ERROR_INSUFFICIENT_BUFFER));
        return FALSE;
    }
    const VersionRecord& v = Version();
    DWORD major = v.Major, minor = v.Minor;
    if (!v.Set) {
        major = DefaultMajorVersion;
        minor = DefaultMinorVersion;
        ParseVersion(std::getenv(VersionVariable), &major, &minor);
    }
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = 0;
    info->dwPlatformId = VER_PLATFORM_WIN32_CE;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

void PlatformSetVersion(DWORD major, DWORD minor) {
    VersionRecord& v = Version();
    v.Set = major != 0;
    v.Major = major;
    v.Minor = minor;
}
