// Registry.cpp: the registry API and its handles. The process keeps one tree (loaded from the file on
// the first call); its handles live in the platform's one handle table, so a closed or made-up
// handle is refused, never followed. HKEY_CURRENT_USER is not in the table: it always
// names the hive and has every access right. The tree owns every key; closing a handle frees only
// its slot. Keys are never deleted while the process runs (merging another process's saves only adds
// keys), so a handle's key pointer stays valid until PlatformResetRegistry, which also invalidates
// every handle. A key opened for writing holds the file's lock until it is closed; the record owns
// that lock's descriptor while any such key is open.
#include "platform/Win32Registry.h"

#include "platform/base/HandleTable.h"

#include "platform/registry/RegistryStorage.h"
#include "platform/registry/RegistryTree.h"

#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace {

constexpr std::u16string_view CurrentUserHive = u"HKEY_CURRENT_USER";

struct OpenKey {
    RegKey* Key;
    REGSAM Access;
    size_t Depth;      // keys from the hive down, the hive being 1
    bool WroteThrough; // the file is written when this handle is closed
    bool HoldsLock;    // opened for writing: one of the users of the file's lock
};

struct Registry {
    bool Loaded = false;
    bool PathGiven = false;
    std::string GivenPath;
    std::string Path;
    RegKey Root;
    RegKey* CurrentUser = nullptr;
    // Not ERROR_SUCCESS: the file may not be written (it could not be read or moved aside, or no path
    // can be named), and this is what saving reports.
    LONG SaveRefused = ERROR_SUCCESS;
    bool Dirty = false;
    bool WroteThroughRoot = false; // written through HKEY_CURRENT_USER itself
    RegFileStamp Stamp;            // the version of the file last read or written
    int Lock = -1;                 // RegLockFile's descriptor while keys opened for writing are open
    int LockUsers = 0;             // how many such keys
};

// The record itself, loaded or not.
Registry& Stored() {
    static Registry registry;
    return registry;
}

// The record, loading the file on first use.
Registry& State() {
    Registry& registry = Stored();
    if (!registry.Loaded) {
        registry.Path = registry.PathGiven ? registry.GivenPath : RegDefaultFilePath();
        registry.SaveRefused = registry.Path.empty()
                                   ? ERROR_PATH_NOT_FOUND
                                   : RegLoadFile(registry.Path, &registry.Root, &registry.Stamp);
        bool created = false;
        registry.CurrentUser = RegFindOrAddSubKey(&registry.Root, CurrentUserHive, &created);
        registry.Loaded = registry.CurrentUser != nullptr;
    }
    return registry;
}

// The record behind key; HKEY_CURRENT_USER gives a temporary record for the hive.
LONG Resolve(HKEY key, OpenKey** record, OpenKey* hive) {
    Registry& r = State();
    *record = nullptr;
    if (!r.Loaded) return ERROR_OUTOFMEMORY;
    if (key == HKEY_CURRENT_USER) {
        *hive = OpenKey{r.CurrentUser, KEY_ALL_ACCESS, 1, false, false};
        return ERROR_SUCCESS;
    }
    *record = static_cast<OpenKey*>(HandleLookup(HandleKind::RegistryKey, key));
    return *record ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG Register(const OpenKey& open, PHKEY result) {
    auto* record = new (std::nothrow) OpenKey(open);
    void* handle = HandleAdd(HandleKind::RegistryKey, record);
    if (handle == nullptr) {
        delete record;
        return ERROR_OUTOFMEMORY;
    }
    *result = static_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

// Brings in what another process has saved since this one last read or wrote the file.
void Refresh(Registry& r) {
    if (r.Loaded && r.SaveRefused == ERROR_SUCCESS) RegRefreshFile(r.Path, &r.Root, &r.Stamp);
}

// A key opened for writing holds the file's lock until it is closed, so that a value read, changed
// and saved through it (a counter, a list) is not changed by another process in between; the file
// is read again once the lock is held. True when the caller must call EndWrite.
bool BeginWrite(REGSAM desired) {
    Registry& r = State();
    if (!r.Loaded || r.SaveRefused != ERROR_SUCCESS || (desired & KEY_SET_VALUE) == 0) {
        Refresh(r);
        return false;
    }
    if (r.LockUsers++ == 0) r.Lock = RegLockFile(r.Path);
    Refresh(r);
    return true;
}

void EndWrite(bool began) {
    Registry& r = Stored();
    if (!began || r.LockUsers == 0 || --r.LockUsers > 0) return;
    RegUnlockFile(r.Lock);
    r.Lock = -1;
}

// Frees an open key's handle and record.
void Unregister(HKEY key, OpenKey* record) {
    HandleRemove(HandleKind::RegistryKey, key);
    EndWrite(record->HoldsLock);
    delete record;
}

// Splits a sub-key path into names. A trailing backslash is allowed, as in Win32; a leading one or
// an empty name between two is not.
LONG SplitPath(LPCWSTR subKey, std::vector<std::u16string_view>* names) {
    if (subKey == nullptr || subKey[0] == 0) return ERROR_SUCCESS;
    std::u16string_view path(subKey);
    if (path[0] == u'\\') return ERROR_BAD_PATHNAME;
    if (path.back() == u'\\') path.remove_suffix(1);
    for (size_t start = 0;;) {
        size_t end = path.find(u'\\', start);
        std::u16string_view name =
            path.substr(start, end == std::u16string_view::npos ? path.size() - start : end - start);
        if (name.empty() || names->size() > RegMaxDepth) return ERROR_BAD_PATHNAME;
        names->push_back(name);
        if (end == std::u16string_view::npos) return ERROR_SUCCESS;
        start = end + 1;
    }
}

// Records a change made through the handle (or the hive itself when record is null).
void MarkWritten(OpenKey* record) {
    Registry& r = State();
    r.Dirty = true;
    if (record != nullptr)
        record->WroteThrough = true;
    else
        r.WroteThroughRoot = true;
}

LONG Flush() {
    Registry& r = State();
    if (!r.Dirty) return ERROR_SUCCESS;
    if (r.SaveRefused != ERROR_SUCCESS) return r.SaveRefused;
    // Keys open for writing without the lock: waiting for it once more would only double the delay.
    bool patient = r.LockUsers == 0 || r.Lock >= 0;
    LONG result = RegSaveFile(r.Path, &r.Root, &r.Stamp, r.Lock, patient);
    if (result == ERROR_SUCCESS) r.Dirty = false;
    return result;
}

LONG ValueName(LPCWSTR name, std::u16string_view* out) {
    *out = name == nullptr ? std::u16string_view() : std::u16string_view(name);
    return RegNameIsStorable(*out) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

// Resolve for a change of values: the handle must have been opened with KEY_SET_VALUE.
LONG ResolveForWrite(HKEY key, OpenKey** record, OpenKey* hive) {
    LONG status = Resolve(key, record, hive);
    if (status != ERROR_SUCCESS) return status;
    const OpenKey& open = *record ? **record : *hive;
    return (open.Access & KEY_SET_VALUE) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Walks names down from base, creating the keys that are missing; *creating says whether any was.
LONG WalkOrCreate(const OpenKey& base, const std::vector<std::u16string_view>& names, RegKey** node,
                  bool* creating) {
    *node = base.Key;
    size_t found = 0;
    for (; found < names.size(); ++found) {
        RegKey* next = RegFindSubKey(*node, names[found]);
        if (next == nullptr) break;
        *node = next;
    }
    *creating = found < names.size();
    if (*creating && (base.Access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
    for (size_t i = found; i < names.size(); ++i) {
        bool created = false;
        if ((*node = RegFindOrAddSubKey(*node, names[i], &created)) == nullptr) return ERROR_OUTOFMEMORY;
    }
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM desired, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey hive, *record;
    std::vector<std::u16string_view> names;
    LONG status = Resolve(key, &record, &hive);
    if (status == ERROR_SUCCESS) status = SplitPath(subKey, &names);
    if (status != ERROR_SUCCESS) return status;
    const OpenKey& base = record ? *record : hive;
    bool writing = BeginWrite(desired);
    RegKey* node = base.Key;
    for (size_t i = 0; i < names.size() && node != nullptr; ++i)
        node = RegFindSubKey(node, names[i]);
    status = node ? Register(OpenKey{node, desired, base.Depth + names.size(), false, writing}, result)
                  : ERROR_FILE_NOT_FOUND;
    if (status != ERROR_SUCCESS) EndWrite(writing);
    return status;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD options, REGSAM desired,
                     const LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
    if (result == nullptr || subKey == nullptr || options != REG_OPTION_NON_VOLATILE)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey hive, *record;
    std::vector<std::u16string_view> names;
    LONG status = Resolve(key, &record, &hive);
    if (status == ERROR_SUCCESS) status = SplitPath(subKey, &names);
    if (status != ERROR_SUCCESS) return status;
    for (std::u16string_view name : names)
        if (!RegNameIsStorable(name)) return ERROR_INVALID_PARAMETER;
    OpenKey& base = record ? *record : hive;
    if (base.Depth + names.size() > RegMaxDepth) return ERROR_BAD_PATHNAME;
    bool writing = BeginWrite(desired);
    RegKey* node = nullptr;
    bool creating = false;
    status = WalkOrCreate(base, names, &node, &creating);
    OpenKey open{node, desired, base.Depth + names.size(), false, writing};
    if (status == ERROR_SUCCESS && creating) MarkWritten(&open);
    if (status == ERROR_SUCCESS) status = Register(open, result);
    if (status != ERROR_SUCCESS) return EndWrite(writing), status;
    if (disposition != nullptr) *disposition = creating ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return status;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
    OpenKey hive, *record;
    LONG status = Resolve(key, &record, &hive);
    if (status != ERROR_SUCCESS) return status;
    const OpenKey& open = record ? *record : hive;
    if ((open.Access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    Refresh(State());
    std::u16string_view name = valueName == nullptr ? std::u16string_view() : std::u16string_view(valueName);
    auto it = open.Key->Values.find(name);
    if (it == open.Key->Values.end()) return ERROR_FILE_NOT_FOUND;
    const RegValue& value = it->second;
    auto size = DWORD(value.Data.size());
    if (type != nullptr) *type = value.Type;
    if (data != nullptr && *dataSize < size)
        status = ERROR_MORE_DATA;
    else if (data != nullptr && size > 0)
        std::memcpy(data, value.Data.data(), size);
    if (dataSize != nullptr) *dataSize = size;
    return status;
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
    OpenKey hive, *record;
    std::u16string_view name;
    LONG status = ResolveForWrite(key, &record, &hive);
    if (status != ERROR_SUCCESS) return status;
    OpenKey& open = record ? *record : hive;
    if (ValueName(valueName, &name) != ERROR_SUCCESS || size > RegMaxValueBytes)
        return ERROR_INVALID_PARAMETER;
    if (data == nullptr && size > 0) return ERROR_NOACCESS;
    RegSetValue(open.Key, name, type, data, size);
    open.Key->Changed[std::u16string(name)] = true;
    MarkWritten(record);
    return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    OpenKey hive, *record;
    std::u16string_view name;
    LONG status = ResolveForWrite(key, &record, &hive);
    if (status != ERROR_SUCCESS) return status;
    OpenKey& open = record ? *record : hive;
    Refresh(State());
    if (ValueName(valueName, &name) != ERROR_SUCCESS || !RegEraseValue(open.Key, name))
        return ERROR_FILE_NOT_FOUND;
    open.Key->Changed[std::u16string(name)] = false;
    MarkWritten(record);
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key) {
    OpenKey hive, *record;
    LONG status = Resolve(key, &record, &hive);
    return status != ERROR_SUCCESS ? status : Flush();
}

LONG RegCloseKey(HKEY key) {
    OpenKey hive, *record;
    LONG status = Resolve(key, &record, &hive);
    if (status != ERROR_SUCCESS) return status;
    Registry& r = State();
    bool wrote;
    if (record == nullptr) {
        wrote = r.WroteThroughRoot;
        r.WroteThroughRoot = false;
    } else {
        wrote = record->WroteThrough;
    }
    // Saved before the handle lets the file's lock go, so the save is part of what it held.
    LONG result = wrote ? Flush() : ERROR_SUCCESS;
    if (record != nullptr) Unregister(key, record);
    return result;
}

void PlatformResetRegistry(const char* filePath) {
    // Not State(): a reset must not load (nor move aside) the file it is about to forget.
    Registry& r = Stored();
    r.Loaded = false;
    r.PathGiven = filePath != nullptr;
    r.GivenPath = filePath ? filePath : "";
    r.Root = RegKey();
    r.CurrentUser = nullptr;
    r.Dirty = false;
    r.WroteThroughRoot = false;
    r.Stamp = RegFileStamp();
    HandleForEach(
        HandleKind::RegistryKey,
        [](void* handle, void* record, void*) {
            Unregister(static_cast<HKEY>(handle), static_cast<OpenKey*>(record));
        },
        nullptr);
    RegUnlockFile(r.Lock);
    r.Lock = -1;
    r.LockUsers = 0;
}

std::string PlatformRegistryFilePath() {
    Registry& r = State();
    return r.PathGiven ? r.GivenPath : RegDefaultFilePath();
}
