// The registry API over a file in a temporary folder of each test: handles, the size-query protocol,
// names without case, and what reaches the file (when, how, and what happens when it cannot).
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>
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

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "kestrova-registry-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        File = Folder + "/registry.reg";
        PlatformResetRegistry(File.c_str());
    }
    void TearDown() override {
        PlatformResetRegistry(File.c_str());
        std::error_code ignored;
        fs::permissions(Folder, fs::perms::owner_all, ignored);
        fs::remove_all(Folder, ignored);
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(Folder, ignored))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    HKEY CreateSettingsKey() {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    // Forgets the registry in memory so the next call reads the file again.
    void Reload() { PlatformResetRegistry(File.c_str()); }

    std::string Folder;
    std::string File;
};

LONG SetDword(HKEY key, LPCWSTR name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG SetString(HKEY key, LPCWSTR name, const std::u16string& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          DWORD((text.size() + 1) * 2));
}

std::vector<BYTE> QueryBytes(HKEY key, LPCWSTR name, DWORD* type) {
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return {};
    std::vector<BYTE> bytes(size);
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, type, bytes.data(), &size), ERROR_SUCCESS);
    return bytes;
}

std::u16string QueryString(HKEY key, LPCWSTR name) {
    DWORD type = 0;
    std::vector<BYTE> bytes = QueryBytes(key, name, &type);
    EXPECT_EQ(type, REG_SZ);
    if (bytes.size() < 2) return u"<missing>";
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2 - 1);
}

} // namespace

TEST_F(Registry, MissingKeysValuesAndHandlesAreFailures) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\Tellgrove", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    key = CreateSettingsKey();
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExW(key, u"Lesson", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(key, u"Lesson"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    // A closed handle, a made-up one and the roots we do not keep are refused, never followed.
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(key, u"Lesson", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExW(reinterpret_cast<HKEY>(0x1234), u"x", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    // A handle from before a reset belongs to a tree that is gone.
    HKEY stale = CreateSettingsKey();
    Reload();
    EXPECT_EQ(RegCloseKey(stale), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, QueriesFollowTheSizeProtocol) {
    HKEY key = CreateSettingsKey();
    ASSERT_EQ(SetString(key, u"FontName", u"abc"), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    // No buffer: the size in bytes, terminator included.
    EXPECT_EQ(RegQueryValueExW(key, u"FontName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 8u);
    // Too small: ERROR_MORE_DATA, the size needed, and the buffer untouched.
    BYTE buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    size = 6;
    type = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"FontName", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(buffer[0], 0xEE);
    // Large enough: the bytes and their count.
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(key, u"FontName", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"abc");
    // Existence alone, and the calls Win32 refuses.
    EXPECT_EQ(RegQueryValueExW(key, u"FontName", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, u"FontName", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"FontName", &reserved, nullptr, nullptr, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    EXPECT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, u"Empty", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    std::vector<BYTE> huge(1024 * 1024 + 1);
    EXPECT_EQ(RegSetValueExW(key, u"Huge", 0, REG_BINARY, huge.data(), DWORD(huge.size())),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, ValuesSurviveTheFile) {
    HKEY key = CreateSettingsKey();
    const std::u16string hebrew = u"\u05D3\u05D5\u05D3 \"quoted\" C:\\dir\\";
    ASSERT_EQ(SetString(key, u"FontName", hebrew), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, u"Flags", 0xD1140040), ERROR_SUCCESS);
    std::vector<BYTE> bytes(100);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = BYTE(i * 37);
    ASSERT_EQ(RegSetValueExW(key, u"Bookmarks", 0, REG_BINARY, bytes.data(), DWORD(bytes.size())),
              ERROR_SUCCESS);
    // Values the quoted and dword forms cannot carry exactly: a string without its terminator, a
    // line break, a two-byte number.
    ASSERT_EQ(RegSetValueExW(key, u"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"ab"), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, u"Lines", u"one\r\ntwo"), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Short", 0, REG_DWORD, bytes.data(), 2), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, nullptr, u"default"), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    std::string text = ReadText(File);
    EXPECT_NE(text.find("\"FontName\"=\"\xD7\x93\xD7\x95\xD7\x93 \\\"quoted\\\" C:\\\\dir\\\\\"\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Flags\"=dword:d1140040\r\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"default\"\r\n"), std::string::npos);

    Reload();
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(QueryString(key, u"FontName"), hebrew);
    EXPECT_EQ(QueryString(key, u""), u"default");
    EXPECT_EQ(QueryString(key, u"Lines"), u"one\r\ntwo");
    DWORD type = 0;
    EXPECT_EQ(QueryBytes(key, u"Flags", &type), (std::vector<BYTE>{0x40, 0x00, 0x14, 0xD1}));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(QueryBytes(key, u"Bookmarks", &type), bytes);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(QueryBytes(key, u"Bare", &type), (std::vector<BYTE>{'a', 0, 'b', 0}));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(QueryBytes(key, u"Short", &type), (std::vector<BYTE>{0, 37}));
    EXPECT_EQ(type, REG_DWORD);
    RegCloseKey(key);
}

TEST_F(Registry, NamesCompareWithoutCaseAndKeepTheirSpelling) {
    HKEY key = CreateSettingsKey();
    ASSERT_EQ(SetDword(key, u"FontSize", 12), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, u"FONTSIZE", 14), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\tellgrove\\kestrova", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(QueryBytes(key, u"fontsize", &type), (std::vector<BYTE>{14, 0, 0, 0}));
    RegCloseKey(key);
    std::string text = ReadText(File);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n\"FontSize\"=dword:0000000e"),
              std::string::npos)
        << text;
}

TEST_F(Registry, CreateSaysWhetherTheKeyIsNew) {
    HKEY key = nullptr, again = nullptr, same = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    // The parent was made on the way; a trailing backslash names the same key.
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"software\\tellgrove\\", 0, nullptr, 0, KEY_READ, nullptr,
                              &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // An empty sub-key: a second handle to the same key.
    ASSERT_EQ(RegOpenKeyExW(key, u"", 0, KEY_READ, &same), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, u"Lesson", 17), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(QueryBytes(same, u"Lesson", &type), (std::vector<BYTE>{17, 0, 0, 0}));
    HKEY bad = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bad,
                              nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyExW(key, u"a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bad, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegCreateKeyExW(key, u"two\nlines", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bad, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(key, u"v", 0, nullptr, 1, KEY_ALL_ACCESS, nullptr, &bad, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetDword(key, u"\xD800", 1), ERROR_INVALID_PARAMETER);
    // Access is what was asked for: a read handle can neither set values nor create keys below it.
    EXPECT_EQ(SetDword(again, u"Lesson", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(same, u"Lesson"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExW(again, u"Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bad, nullptr),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegCreateKeyExW(again, u"kestrova", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &bad, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    for (HKEY k : {key, again, same, bad})
        EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
}

TEST_F(Registry, TheFileIsWrittenAtomicallyWhenTheWrittenKeyCloses) {
    HKEY key = CreateSettingsKey();
    ASSERT_EQ(SetDword(key, u"Lesson", 3), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(File)); // nothing is written before the close
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &reader), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(reader), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(File)); // nor when a key only read from closes
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(File), "Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n"
                              "\"Lesson\"=dword:00000003\r\n\r\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"registry.reg"}); // no temporary file left
    EXPECT_EQ(fs::status(File).permissions() & fs::perms::others_all, fs::perms::none);

    // A deleted value leaves the file at the next close.
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueW(key, u"LESSON"), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(File).find("Lesson"), std::string::npos);
    // Writing through HKEY_CURRENT_USER itself is saved when it is closed.
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, u"Top", 1), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_NE(ReadText(File).find("[HKEY_CURRENT_USER]\r\n\"Top\"=dword:00000001"), std::string::npos);
}

TEST_F(Registry, ALinkedFileStaysLinked) {
    fs::create_directory(Folder + "/elsewhere");
    WriteText(Folder + "/elsewhere/real.reg", "Windows Registry Editor Version 5.00\r\n");
    fs::create_symlink("elsewhere/real.reg", File);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, u"A", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(File));
    EXPECT_NE(ReadText(Folder + "/elsewhere/real.reg").find("\"A\"=dword:00000001"), std::string::npos);
}

TEST_F(Registry, ADamagedFileIsKeptAsideAndTheRegistryStartsEmpty) {
    const std::string damaged =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n"
        "\"Lesson\"=dword:3\r\ngarbage\r\n";
    WriteText(File, damaged);
    WriteText(File + ".damaged-1", "an older one");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(fs::exists(File));
    EXPECT_EQ(ReadText(File + ".damaged-1"), "an older one");
    EXPECT_EQ(ReadText(File + ".damaged-2"), damaged);
    key = CreateSettingsKey();
    ASSERT_EQ(SetDword(key, u"Lesson", 5), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_NE(ReadText(File).find("\"Lesson\"=dword:00000005"), std::string::npos);
    EXPECT_EQ(ReadText(File + ".damaged-2"), damaged);
}

TEST_F(Registry, AFailedWriteIsReportedAndTheValuesStayInMemory) {
    // The file's folder is a plain file, so the folder cannot be made (the same for root, who can
    // write into read-only folders).
    const std::string blocker = Folder + "/blocked";
    WriteText(blocker, "");
    const std::string file = blocker + "/registry.reg";
    PlatformResetRegistry(file.c_str());
    HKEY key = CreateSettingsKey();
    ASSERT_EQ(SetDword(key, u"Lesson", 7), ERROR_SUCCESS);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RegCloseKey(key), ERROR_PATH_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(QueryBytes(key, u"Lesson", &type), (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_EQ(RegFlushKey(key), ERROR_PATH_NOT_FOUND);
    // The user is told, once for the two failed saves.
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("blocked/registry.reg cannot be used (Not a directory)"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    // Once the folder can be made the next flush writes what was kept.
    fs::remove(blocker);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_NE(ReadText(file).find("\"Lesson\"=dword:00000007"), std::string::npos);
    RegCloseKey(key);

    // A folder its owner made read-only, with the file in it. Permissions do not bind root, so the
    // save runs in a child as nobody, to whom the folder and file then belong.
    PlatformResetRegistry(File.c_str());
    key = CreateSettingsKey();
    ASSERT_EQ(SetDword(key, u"Lesson", 8), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    const std::string before = ReadText(File);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(Folder.c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(File.c_str(), 65534, 65534), 0);
    }
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        if (chmod(Folder.c_str(), 0500) != 0) _exit(3);
        PlatformResetRegistry(File.c_str());
        HKEY mine = nullptr;
        DWORD value = 9, size = sizeof value;
        bool refused = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_ALL_ACCESS, nullptr, &mine, nullptr) == ERROR_SUCCESS &&
                       SetDword(mine, u"Lesson", 9) == ERROR_SUCCESS &&
                       RegCloseKey(mine) == ERROR_ACCESS_DENIED;
        // The value stays in memory; the program goes on reading it.
        bool kept = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &mine) == ERROR_SUCCESS &&
                    RegQueryValueExW(mine, u"Lesson", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                                     &size) == ERROR_SUCCESS &&
                    value == 9;
        _exit(refused && kept ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadText(File), before);
    EXPECT_TRUE(fs::exists(File));
}

TEST_F(Registry, AFileThatCannotBeReadIsNeverWrittenOver) {
    // A folder where the file should be: it can be neither read nor moved aside as damaged.
    fs::create_directory(File);
    WriteText(File + "/keep", "x");
    HKEY key = CreateSettingsKey();
    ASSERT_EQ(SetDword(key, u"Lesson", 1), ERROR_SUCCESS);
    EXPECT_NE(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(File + "/keep"), "x");
}

TEST_F(Registry, TheFileIsFoundThroughTheEnvironment) {
    const char* saved[] = {getenv("KESTROVA_REGISTRY"), getenv("XDG_CONFIG_HOME"), getenv("HOME")};
    std::string savedCopies[3];
    for (int i = 0; i < 3; ++i)
        savedCopies[i] = saved[i] ? saved[i] : "";
    const std::string named = Folder + "/named.reg";
    setenv("KESTROVA_REGISTRY", named.c_str(), 1);
    PlatformResetRegistry(nullptr);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, u"A", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(named));

    unsetenv("KESTROVA_REGISTRY");
    setenv("XDG_CONFIG_HOME", (Folder + "/config").c_str(), 1);
    PlatformResetRegistry(nullptr);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, u"A", 2), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(Folder + "/config/kestrova/registry.reg"));

    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", (Folder + "/home").c_str(), 1);
    PlatformResetRegistry(nullptr);
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, u"A", 3), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(Folder + "/home/.config/kestrova/registry.reg"));

    const char* names[] = {"KESTROVA_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
    for (int i = 0; i < 3; ++i)
        saved[i] ? setenv(names[i], savedCopies[i].c_str(), 1) : unsetenv(names[i]);
}

TEST_F(Registry, KeysOfOtherRootsInTheFileAreKept) {
    WriteText(File, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                    "\"Kept\"=\"yes\"\r\n");
    ASSERT_EQ(SetDword(HKEY_CURRENT_USER, u"A", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_NE(ReadText(File).find("[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"Kept\"=\"yes\""),
              std::string::npos);
}
