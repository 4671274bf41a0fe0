// The registry file among other files and processes: a second process saving the same file, stale
// temporary files, the file's mode, links, and paths that are not a regular file.
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const WCHAR* SettingsKey = u"Software\\Tellgrove\\Kestrova";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

LONG SetDword(HKEY key, LPCWSTR name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The value's number, or -1 when it is missing.
long long QueryDword(LPCWSTR name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD value = 0, size = sizeof value;
    LONG status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<long long>(value) : -1;
}

LONG SaveDword(LPCWSTR name, DWORD value) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = SetDword(key, name, value);
    LONG closed = RegCloseKey(key);
    return status != ERROR_SUCCESS ? status : closed;
}

LONG DeleteValue(LPCWSTR name) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) return status;
    status = RegDeleteValueW(key, name);
    LONG closed = RegCloseKey(key);
    return status != ERROR_SUCCESS ? status : closed;
}

class RegistryFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "kestrova-registry-file-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        File = Folder + "/registry.reg";
        PlatformResetRegistry(File.c_str());
    }
    void TearDown() override {
        PlatformResetRegistry(File.c_str());
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }
    // Runs body in a second process with its own registry of the same file; its exit status.
    int InOtherProcess(void (*body)(const char* file)) {
        fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            PlatformResetRegistry(File.c_str());
            body(File.c_str());
            _exit(0);
        }
        int status = -1;
        waitpid(pid, &status, 0);
        return status;
    }
    std::string Folder;
    std::string File;
};

} // namespace

TEST_F(RegistryFile, TheLastWriterWinsPerValueNotPerFile) {
    ASSERT_EQ(SaveDword(u"Mine", 1), ERROR_SUCCESS);
    ASSERT_EQ(SaveDword(u"Shared", 1), ERROR_SUCCESS);
    ASSERT_EQ(SaveDword(u"Gone", 1), ERROR_SUCCESS);
    // Another process, started after those saves, sets, changes and deletes values of its own.
    EXPECT_EQ(InOtherProcess([](const char*) {
                  if (SaveDword(u"Theirs", 2) != ERROR_SUCCESS || SaveDword(u"Shared", 2) != ERROR_SUCCESS ||
                      DeleteValue(u"Gone") != ERROR_SUCCESS)
                      _exit(1);
              }),
              0);
    // This process still holds the file as it loaded it; its next save keeps the other's values.
    ASSERT_EQ(SaveDword(u"Mine", 3), ERROR_SUCCESS);
    std::string text = ReadText(File);
    EXPECT_NE(text.find("\"Theirs\"=dword:00000002"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Shared\"=dword:00000002"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Mine\"=dword:00000003"), std::string::npos) << text;
    EXPECT_EQ(text.find("\"Gone\""), std::string::npos) << text;
    // And reads them from then on.
    EXPECT_EQ(QueryDword(u"Theirs"), 2);
    EXPECT_EQ(QueryDword(u"Gone"), -1);
    // What this process changed since it loaded wins over the file.
    ASSERT_EQ(SaveDword(u"Shared", 4), ERROR_SUCCESS);
    EXPECT_EQ(InOtherProcess([](const char*) { _exit(QueryDword(u"Shared") == 4 ? 0 : 1); }), 0);
}

TEST_F(RegistryFile, TemporaryFilesOfAKilledSaveGoAtTheNextSave) {
    WriteText(File + ".tmp-Ab3dE9", "half a file");
    WriteText(File + ".tmp-x", "not ours: another length");
    WriteText(Folder + "/other.reg.tmp-Ab3dE9", "not ours: another file's");
    // The file of a save still writing (one that gave up waiting for the folder's lock) is locked.
    WriteText(File + ".tmp-Live00", "a save in progress");
    int live = open((File + ".tmp-Live00").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(live, 0);
    ASSERT_EQ(flock(live, LOCK_EX), 0);
    ASSERT_EQ(SaveDword(u"A", 1), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(File + ".tmp-Ab3dE9"));
    EXPECT_TRUE(fs::exists(File + ".tmp-x"));
    EXPECT_TRUE(fs::exists(Folder + "/other.reg.tmp-Ab3dE9"));
    EXPECT_TRUE(fs::exists(File + ".tmp-Live00"));
    close(live);
    // Once its save is gone (killed: the kernel drops the lock), the next save removes it.
    ASSERT_EQ(SaveDword(u"A", 2), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(File + ".tmp-Live00"));
}

TEST_F(RegistryFile, TheFileKeepsItsModeAndAReadOnlyFileIsNotReplaced) {
    ASSERT_EQ(SaveDword(u"A", 1), ERROR_SUCCESS);
    ASSERT_EQ(chmod(File.c_str(), 0640), 0);
    ASSERT_EQ(SaveDword(u"A", 2), ERROR_SUCCESS);
    struct stat st;
    ASSERT_EQ(stat(File.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (geteuid() == 0) { // only root may keep a file owned by someone else
        ASSERT_EQ(chown(File.c_str(), 12345, 12345), 0);
        ASSERT_EQ(SaveDword(u"A", 2), ERROR_SUCCESS);
        ASSERT_EQ(stat(File.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 12345u);
        EXPECT_EQ(st.st_gid, 12345u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }

    ASSERT_EQ(chmod(File.c_str(), 0444), 0);
    const std::string before = ReadText(File);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SaveDword(u"A", 3), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SaveDword(u"B", 3), ERROR_ACCESS_DENIED);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("read-only"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line, not one per save: " << said;
    EXPECT_EQ(ReadText(File), before);
    // Once the user allows it again, the value kept in memory is written.
    ASSERT_EQ(chmod(File.c_str(), 0600), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_NE(ReadText(File).find("\"A\"=dword:00000003"), std::string::npos);
}

TEST_F(RegistryFile, ADanglingLinkIsWrittenThroughAndStaysALink) {
    fs::create_directory(Folder + "/elsewhere");
    fs::create_symlink("elsewhere/real.reg", File);
    ASSERT_EQ(SaveDword(u"A", 1), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(File));
    EXPECT_NE(ReadText(Folder + "/elsewhere/real.reg").find("\"A\"=dword:00000001"), std::string::npos);
}

TEST_F(RegistryFile, ALinkedDamagedFileIsMovedAsideNotTheLink) {
    fs::create_directory(Folder + "/elsewhere");
    const std::string real = Folder + "/elsewhere/real.reg";
    WriteText(real, "not a registry file");
    fs::create_symlink(real, File);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(QueryDword(u"A"), -1);
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::is_symlink(File));
    EXPECT_EQ(ReadText(real + ".damaged-1"), "not a registry file");
    ASSERT_EQ(SaveDword(u"A", 1), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(File));
    EXPECT_NE(ReadText(real).find("\"A\"=dword:00000001"), std::string::npos);
}

TEST_F(RegistryFile, WhatIsNotARegularFileIsRefusedWithOneLine) {
    struct Case {
        const char* Name;
        void (*Make)(const std::string& file);
        const char* Said;
    };
    const Case cases[] = {
        {"fifo", [](const std::string& f) { mkfifo(f.c_str(), 0600); }, "not a regular file"},
        {"folder", [](const std::string& f) { fs::create_directory(f); }, "is a folder"},
        {"loop", [](const std::string& f) { fs::create_symlink(fs::path(f).filename(), f); },
         "symbolic links"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::error_code ignored;
        fs::remove_all(File, ignored);
        c.Make(File);
        // A FIFO must not block the first call; the alarm ends the test rather than hang it.
        alarm(10);
        PlatformResetRegistry(File.c_str());
        ::testing::internal::CaptureStderr();
        EXPECT_NE(SaveDword(u"A", 1), ERROR_SUCCESS);
        EXPECT_NE(SaveDword(u"A", 2), ERROR_SUCCESS);
        std::string said = ::testing::internal::GetCapturedStderr();
        alarm(0);
        EXPECT_NE(said.find(c.Said), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line, not one per save: " << said;
        EXPECT_EQ(QueryDword(u"A"), 2); // the values stay in memory
    }
    EXPECT_TRUE(fs::is_symlink(File));
}

TEST_F(RegistryFile, AnUnreadableFileIsRefusedWithOneLineAndKept) {
    ASSERT_EQ(SaveDword(u"A", 1), ERROR_SUCCESS);
    const std::string before = ReadText(File);
    ASSERT_EQ(chmod(File.c_str(), 0), 0);
    ASSERT_EQ(chmod(Folder.c_str(), 0777), 0);
    // Permissions do not bind root: the check runs as nobody in a child of its own.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        PlatformResetRegistry(File.c_str());
        bool refused = SaveDword(u"A", 2) == ERROR_ACCESS_DENIED && SaveDword(u"A", 3) == ERROR_ACCESS_DENIED;
        _exit(refused ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, size_t(n));
    close(pipeFds[0]);
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_NE(said.find("registry.reg cannot be used (Permission denied)"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    ASSERT_EQ(chmod(File.c_str(), 0600), 0);
    EXPECT_EQ(ReadText(File), before);
}

TEST_F(RegistryFile, WhatAnotherProcessSavedIsSeenAtTheNextLook) {
    ASSERT_EQ(SaveDword(u"A", 1), ERROR_SUCCESS);
    ASSERT_EQ(SaveDword(u"B", 1), ERROR_SUCCESS);
    EXPECT_EQ(InOtherProcess([](const char*) {
                  HKEY sub = nullptr;
                  bool ok = SaveDword(u"A", 2) == ERROR_SUCCESS && DeleteValue(u"B") == ERROR_SUCCESS &&
                            SaveDword(u"New", 7) == ERROR_SUCCESS &&
                            RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tellgrove\\Kestrova\\Sub", 0,
                                            nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &sub,
                                            nullptr) == ERROR_SUCCESS &&
                            RegCloseKey(sub) == ERROR_SUCCESS;
                  _exit(ok ? 0 : 1);
              }),
              0);
    // This process has not saved since: what it reads is what the other one saved, as on a system
    // whose registry all processes share.
    EXPECT_EQ(QueryDword(u"A"), 2);
    EXPECT_EQ(QueryDword(u"B"), -1);
    EXPECT_EQ(QueryDword(u"New"), 7);
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tellgrove\\Kestrova\\Sub", 0, KEY_READ, &sub),
              ERROR_SUCCESS);
    RegCloseKey(sub);
}

TEST_F(RegistryFile, AKeyOpenForWritingKeepsOtherWritersWaitingUntilItCloses) {
    ASSERT_EQ(SaveDword(u"Count", 1), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD count = 0, size = sizeof count;
    ASSERT_EQ(RegQueryValueExW(key, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size),
              ERROR_SUCCESS);
    // Another process adds one to the same value while this one is between its read and its save.
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        PlatformResetRegistry(File.c_str());
        HKEY mine = nullptr;
        DWORD seen = 0, seenSize = sizeof seen;
        bool ok = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &mine, nullptr) == ERROR_SUCCESS &&
                  RegQueryValueExW(mine, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&seen),
                                   &seenSize) == ERROR_SUCCESS &&
                  SetDword(mine, u"Count", seen + 1) == ERROR_SUCCESS && RegCloseKey(mine) == ERROR_SUCCESS;
        _exit(ok ? 0 : 1);
    }
    usleep(300 * 1000);
    ASSERT_EQ(SetDword(key, u"Count", count + 1), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
    // Neither increment is lost: the other process waited for this one's save and read its value.
    EXPECT_EQ(QueryDword(u"Count"), 3);
}

TEST_F(RegistryFile, ValuesReadBackWithTheirTypesInTheNextProcess) {
    // Written by one process, read by another that loads the file afresh.
    EXPECT_EQ(InOtherProcess([](const char*) {
                  HKEY key = nullptr;
                  if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
                      _exit(1);
                  const WCHAR text[] = u"\u05E9\u05DC\u05D5\u05DD";
                  const BYTE binary[] = {0, 1, 0xFE, 0xFF, 0x0D, 0x0A};
                  const WCHAR multi[] = u"one\0two\0";
                  const WCHAR expand[] = u"%HOME%\\x";
                  SetDword(key, u"Dword", 0x80000001);
                  RegSetValueExW(key, u"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
                  RegSetValueExW(key, u"Binary", 0, REG_BINARY, binary, sizeof binary);
                  RegSetValueExW(key, u"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi),
                                 sizeof multi);
                  RegSetValueExW(key, u"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand),
                                 sizeof expand);
                  _exit(RegCloseKey(key) == ERROR_SUCCESS ? 0 : 1);
              }),
              0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    struct Expected {
        const WCHAR* Name;
        DWORD Type;
        std::vector<BYTE> Bytes;
    };
    const Expected expected[] = {
        {u"Dword", REG_DWORD, {0x01, 0, 0, 0x80}},
        {u"Text", REG_SZ, {0xE9, 0x05, 0xDC, 0x05, 0xD5, 0x05, 0xDD, 0x05, 0, 0}},
        {u"Binary", REG_BINARY, {0, 1, 0xFE, 0xFF, 0x0D, 0x0A}},
        {u"Multi", REG_MULTI_SZ, {'o', 0, 'n', 0, 'e', 0, 0, 0, 't', 0, 'w', 0, 'o', 0, 0, 0, 0, 0}},
        {u"Expand", REG_EXPAND_SZ, {'%', 0, 'H', 0, 'O', 0, 'M', 0, 'E', 0, '%', 0, '\\', 0, 'x', 0, 0, 0}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(std::string(e.Name, e.Name + std::char_traits<char16_t>::length(e.Name)));
        DWORD type = 0, size = 64;
        BYTE data[64] = {};
        ASSERT_EQ(RegQueryValueExW(key, e.Name, nullptr, &type, data, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, e.Type);
        EXPECT_EQ(std::vector<BYTE>(data, data + size), e.Bytes);
    }
    RegCloseKey(key);
}
