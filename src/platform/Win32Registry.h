// Win32Registry.h: the current user's registry (RegOpenKeyExW, RegCreateKeyExW, RegQueryValueExW,
// RegSetValueExW, RegDeleteValueW, RegFlushKey, RegCloseKey).
// HKEY_CURRENT_USER lives in one file in the standard .reg text format, at $KESTROVA_REGISTRY or
// $XDG_CONFIG_HOME/kestrova/registry.reg ($HOME/.config when XDG_CONFIG_HOME is unset). It is read on
// the first call and kept in memory for the process. Changes reach the file when a key that was
// written through is closed, atomically; a file that cannot be parsed is renamed aside
// (registry.reg.damaged-<n>) and the registry starts empty. Several processes may share the file:
// a save takes the file as it then is and puts in it only the values this process set or deleted,
// so the last writer wins per value, never for the whole file; opening a key or querying a value first
// takes in what another process has saved since. A link is written through to its
// file; a folder, a FIFO, a link loop, an unreadable or read-only file is refused (one line on stderr)
// and every save then fails, the values staying in memory.
// Handles from RegOpenKeyExW/RegCreateKeyExW are released with RegCloseKey; a closed or made-up handle
// is refused with ERROR_INVALID_HANDLE, never followed. Results are the Win32 error codes.
#pragma once

#include "platform/Win32Types.h"

#include <string>

typedef DWORD REGSAM;
typedef HKEY* PHKEY;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// Predefined keys: sign-extended 32-bit values, as Win32 defines them. Only HKEY_CURRENT_USER is
// stored; the other roots are refused with ERROR_INVALID_HANDLE.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)(LONG_PTR)(LONG)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)(LONG_PTR)(LONG)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)(LONG_PTR)(LONG)0x80000002)
#define HKEY_USERS ((HKEY)(ULONG_PTR)(LONG_PTR)(LONG)0x80000003)

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens subKey below key (a null or empty subKey: a new handle to key itself). The access asked for
// is kept: queries need KEY_QUERY_VALUE, writes KEY_SET_VALUE (else ERROR_ACCESS_DENIED). A missing
// key gives ERROR_FILE_NOT_FOUND and a null *result. Key names compare without case (ASCII letters
// only; Win32 folds all of Unicode). Sub-key paths use backslashes and may not start with one. Not
// Win32: a key opened with KEY_SET_VALUE holds the settings file's lock until it is closed, so another
// process opening one for writing waits (10 s at most for a holder that saves nothing, then goes on).
LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
// Opens subKey, creating every missing key of the path; *disposition (may be null) says which.
// options must be REG_OPTION_NON_VOLATILE; class and security attributes are ignored. Creating needs
// KEY_CREATE_SUB_KEY on key. KEY_SET_VALUE holds the file's lock as for RegOpenKeyExW. Not Win32: names with
// a line break or an unpaired surrogate, which the file cannot hold, give ERROR_INVALID_PARAMETER; paths
// deeper than 512 keys give ERROR_BAD_PATHNAME.
LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM desired,
                     const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
// A value's type and bytes; a null or empty name is the default value. A null data asks only for the
// size; a buffer smaller than the value gives ERROR_MORE_DATA, the needed size in *dataSize and no
// bytes. REG_SZ sizes are in bytes and include the terminator, as stored.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);
// Stores size bytes of any type as given (REG_SZ should count its terminator). Not Win32: values
// above 1 MB (the limit of the standard hive format) give ERROR_INVALID_PARAMETER, and value names
// with a line break or an unpaired surrogate too.
LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// Removes a value (needs KEY_SET_VALUE); a missing one gives ERROR_FILE_NOT_FOUND.
LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Writes the registry file now when anything changed; the result is the write's.
LONG RegFlushKey(HKEY key);
// Releases the handle. When it was written through and the registry changed, the file is written
// first; a failed write (a read-only folder: ERROR_ACCESS_DENIED) is the result, the handle is
// released all the same and the values stay in memory, to be written by the next close or flush.
LONG RegCloseKey(HKEY key);

// Not Win32, for tests and tools: forgets the registry in memory and every open key (their handles
// become invalid) without writing; the next call loads filePath, or the usual file for null.
void PlatformResetRegistry(const char* filePath);
// Not Win32: the settings file in use (the one PlatformResetRegistry named, else the default).
std::string PlatformRegistryFilePath();
