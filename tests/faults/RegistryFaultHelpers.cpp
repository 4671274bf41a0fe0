// RegistryFaultHelpers.cpp: the settings of the fault check and the helper processes that save them
// under faults. Each helper owns the registry of its own process; the files belong to the driver's
// folder, which the driver removes.
#include "RegistryFaults.h"

#include "platform/registry/RegistryFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace faults {
namespace {

constexpr const WCHAR* SettingsKey = u"Software\\Tellgrove\\Kestrova";
// Enough values that a save takes a while and a torn file would show.
constexpr int ValueCount = 200;
constexpr size_t ValuePadding = 120;

std::u16string ValueName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "V%03d", i);
    return std::u16string(name, name + std::strlen(name));
}

std::u16string ValueText(DWORD g, int i) {
    std::string text = "generation " + std::to_string(g) + " value " + std::to_string(i) + " ";
    text.append(ValuePadding, char('a' + i % 26));
    return std::u16string(text.begin(), text.end());
}

const RegKey* SettingsIn(const RegKey& root) {
    const RegKey* key = RegFindSubKey(&root, u"HKEY_CURRENT_USER");
    for (const char16_t* name : {u"Software", u"Tellgrove", u"Kestrova"})
        key = key ? RegFindSubKey(key, name) : nullptr;
    return key;
}

bool ParseFile(const std::string& file, RegKey* root, std::string* why) {
    std::string bytes = ReadBytes(file);
    RegParseError error;
    if (bytes.empty()) return *why = "the file is missing or empty", false;
    if (!RegParseFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), root, &error))
        return *why = "damaged at line " + std::to_string(error.Line) + ": " + error.Reason, false;
    return true;
}

long long DwordOf(const RegKey* key, const char16_t* name) {
    auto it = key ? key->Values.find(std::u16string_view(name)) : decltype(key->Values.end()){};
    if (!key || it == key->Values.end() || it->second.Data.size() != 4) return -1;
    DWORD value;
    std::memcpy(&value, it->second.Data.data(), 4);
    return value;
}

// Makes this process's mounts its own (a user namespace when plain root may not), so that the
// mounts below vanish with it. False when the system permits neither.
bool PrivateMounts() {
    uid_t uid = geteuid();
    gid_t gid = getegid();
    if (unshare(CLONE_NEWNS) != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
        std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

int Fail(const char* what, const std::string& detail = std::string()) {
    std::fprintf(stderr, "registry faults: %s %s\n", what, detail.c_str());
    return 1;
}

} // namespace

LONG WriteGeneration(DWORD g, HKEY* key) {
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    for (int i = 0; i < ValueCount; ++i) {
        std::u16string name = ValueName(i), text = ValueText(g, i);
        RegSetValueExW(*key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD((text.size() + 1) * 2));
    }
    return RegSetValueExW(*key, u"Generation", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&g), sizeof g);
}

long long FileGeneration(const std::string& file, std::string* why) {
    RegKey root;
    if (!ParseFile(file, &root, why)) return -1;
    const RegKey* key = SettingsIn(root);
    long long g = DwordOf(key, u"Generation");
    if (g < 0) return *why = "no generation", -1;
    for (int i = 0; i < ValueCount; ++i) {
        std::u16string text = ValueText(DWORD(g), i);
        auto it = key->Values.find(ValueName(i));
        if (it == key->Values.end() || it->second.Data.size() != (text.size() + 1) * 2 ||
            std::memcmp(it->second.Data.data(), text.c_str(), text.size() * 2) != 0)
            return *why = "value " + std::to_string(i) + " is not of generation " + std::to_string(g), -1;
    }
    return g;
}

long long MemoryGeneration() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD g = 0, size = sizeof g;
    LONG status = RegQueryValueExW(key, u"Generation", nullptr, nullptr, reinterpret_cast<BYTE*>(&g), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<long long>(g) : -1;
}

long long FileDword(const std::string& file, const char16_t* name) {
    RegKey root;
    std::string why;
    return ParseFile(file, &root, &why) ? DwordOf(SettingsIn(root), name) : -1;
}

std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int CountTemps(const std::string& file) {
    size_t slash = file.rfind('/');
    std::string folder = file.substr(0, slash), prefix = file.substr(slash + 1) + ".tmp-";
    int count = 0;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            count += std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0;
        closedir(dir);
    }
    return count;
}

int SaveLoop(const std::string& file) {
    PlatformResetRegistry(file.c_str());
    long long g = MemoryGeneration();
    if (g < 0) return Fail("the helper found no generation in", file);
    // Tells the driver the file is loaded; from here on it saves until it is killed.
    if (write(STDOUT_FILENO, "r", 1) != 1) return 1;
    for (;;) {
        HKEY key = nullptr;
        WriteGeneration(DWORD(++g), &key);
        if (RegCloseKey(key) != ERROR_SUCCESS) return Fail("a save failed in", file);
    }
}

int Count(const std::string& file, const std::u16string& name, int n) {
    PlatformResetRegistry(file.c_str());
    for (int i = 0; i < n; ++i) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return Fail("cannot open the key of", file);
        // A value of this process's own and one both processes add to, read and written back
        // through the one key.
        for (const std::u16string& counter : {name, std::u16string(SharedCount)}) {
            DWORD count = 0, size = sizeof count;
            RegQueryValueExW(key, counter.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
            ++count;
            RegSetValueExW(key, counter.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                           sizeof count);
        }
        RegSetValueExW(key, u"Last", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                       DWORD((name.size() + 1) * 2));
        if (RegCloseKey(key) != ERROR_SUCCESS) return Fail("a save failed in", file);
    }
    return 0;
}

int Hold(const std::string& file) {
    PlatformResetRegistry(file.c_str());
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return Fail("cannot open the key of", file);
    // Tells the driver the key is open; it stays open until the driver kills this process.
    if (write(STDOUT_FILENO, "r", 1) != 1) return 1;
    for (;;)
        pause();
}

int Inject(const std::string& file) {
    auto arm = reinterpret_cast<void (*)(const char*, int, int)>(dlsym(RTLD_DEFAULT, "KestrovaFaultArm"));
    auto fired = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "KestrovaFaultFired"));
    if (arm == nullptr || fired == nullptr) return Fail("the fault library is not preloaded");
    PlatformResetRegistry(file.c_str());
    DWORD g = 0;
    int reported = 0, harmless = 0, afterRename = 0;
    for (const char* call :
         {"mkdir", "open", "flock", "read", "write", "fchmod", "fsync", "close", "rename"}) {
        for (int nth = 1;; ++nth) {
            const std::string before = ReadBytes(file);
            HKEY key = nullptr;
            bool flush = nth % 2 == 0; // half the saves through RegFlushKey, half through RegCloseKey
            // Armed before the key is opened: opening it for writing takes the file's lock.
            arm(call, nth, std::strcmp(call, "write") == 0 ? ENOSPC : EIO);
            WriteGeneration(++g, &key);
            LONG status = flush ? RegFlushKey(key) : RegCloseKey(key);
            bool hit = fired() != 0;
            arm("", 0, 0);
            std::string why;
            long long now = FileGeneration(file, &why);
            bool kept = ReadBytes(file) == before;
            if (CountTemps(file) != 0) return Fail("a temporary file was left by a failed", call);
            // The values stay in memory; the next save writes them.
            if (flush && RegCloseKey(key) != ERROR_SUCCESS) return Fail("the save after a fault failed");
            if (status == ERROR_SUCCESS && now != g)
                return Fail("success reported for an unwritten file:", call);
            if (!hit) break;
            if (status == ERROR_SUCCESS) {
                // Only these may fail without harm: a close of a descriptor only read from, the lock
                // refused or its folder not opened (the save goes ahead unlocked).
                if (std::strcmp(call, "close") != 0 && std::strcmp(call, "flock") != 0 &&
                    std::strcmp(call, "open") != 0)
                    return Fail("a failure of this call was not reported:", call);
                ++harmless;
                continue;
            }
            ++reported;
            if (kept) continue;
            // The folder's fsync comes after the rename: the new file is in place and the failure
            // to make it durable is reported.
            if (std::strcmp(call, "fsync") == 0 && now == g) {
                ++afterRename;
                continue;
            }
            return Fail("the previous file was not kept when this call failed:", call + (" " + why));
        }
    }
    std::printf("registry faults: %d injected failures reported and the old file kept (%d after the rename, "
                "new file whole), "
                "%d harmless (a failed close of a descriptor only read from or of one already fsynced, a "
                "lock refused or a folder not "
                "opened for it)\n",
                reported, afterRename, harmless);
    return 0;
}

int FullDisk(const std::string& folder) {
    if (!PrivateMounts())
        return std::printf("registry faults: full disk: skipped, mounts are not permitted here\n"), Skipped;
    const std::string disk = folder + "/full", file = disk + "/registry.reg", filler = disk + "/filler";
    mkdir(disk.c_str(), 0700);
    if (mount("none", disk.c_str(), "tmpfs", 0, "size=256k,mode=0700") != 0)
        return std::printf("registry faults: full disk: skipped, tmpfs cannot be mounted (%s)\n",
                           std::strerror(errno)),
               Skipped;
    PlatformResetRegistry(file.c_str());
    HKEY key = nullptr;
    WriteGeneration(1, &key);
    if (RegCloseKey(key) != ERROR_SUCCESS) return Fail("the first save on the small disk failed");
    int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    static const char block[4096] = {};
    while (write(fd, block, sizeof block) > 0) {}
    close(fd);
    const std::string before = ReadBytes(file);
    WriteGeneration(2, &key);
    LONG status = RegCloseKey(key);
    if (status != ERROR_DISK_FULL) return Fail("a save on a full disk gave", std::to_string(status));
    if (ReadBytes(file) != before || CountTemps(file) != 0) return Fail("the full disk lost the old file");
    if (MemoryGeneration() != 2) return Fail("the values were not kept in memory on a full disk");
    unlink(filler.c_str());
    HKEY reader = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &reader);
    std::string why;
    if (RegFlushKey(reader) != ERROR_SUCCESS || FileGeneration(file, &why) != 2)
        return Fail("the save after space was freed failed", why);
    RegCloseKey(reader);

    // The same folder made read-only by a bind mount (which binds root too).
    if (mount(disk.c_str(), disk.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        return std::printf("registry faults: read-only folder: skipped (%s)\n", std::strerror(errno)),
               Skipped;
    WriteGeneration(3, &key);
    status = RegCloseKey(key);
    if (status != ERROR_ACCESS_DENIED)
        return Fail("a save in a read-only folder gave", std::to_string(status));
    if (FileGeneration(file, &why) != 2 || MemoryGeneration() != 3)
        return Fail("the read-only folder lost a file");
    std::printf("registry faults: full disk: ERROR_DISK_FULL, old file kept, saved once space was freed; "
                "read-only folder: "
                "ERROR_ACCESS_DENIED, old file kept\n");
    return 0;
}

} // namespace faults
