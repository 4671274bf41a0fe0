#include "platform/Win32.h"

#include "platform/backend/ServiceBackend.h"
#include "platform/ceshell/ShellExecuteState.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// The record as the reader's web-address opener fills it.
SHELLEXECUTEINFOW OpenRecord(LPCWSTR address, ULONG mask = SEE_MASK_FLAG_NO_UI) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.lpVerb = u"Open";
    info.lpFile = address;
    return info;
}

// Sets PATH for one test and puts it back afterwards.
class PathFor {
public:
    explicit PathFor(const std::string& path) {
        const char* old = std::getenv("PATH");
        Had = old != nullptr;
        if (Had) Old = old;
        setenv("PATH", path.c_str(), 1);
    }
    ~PathFor() {
        if (Had)
            setenv("PATH", Old.c_str(), 1);
        else
            unsetenv("PATH");
    }

private:
    bool Had = false;
    std::string Old;
};

std::filesystem::path TempFolder(const char* name) {
    auto folder = std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::string Opened;
bool FakeOpen(const char* address) {
    Opened = address;
    return Opened != "https://refused.example";
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformClearShellExecuteLog();
        PlatformClearMessageBoxLog();
        PlatformSetMessageBoxEcho(FALSE);
    }
    void TearDown() override {
        ServiceUseBackend(nullptr);
        PlatformSetMessageBoxEcho(TRUE);
    }
};

} // namespace

TEST_F(Shell, NothingOpensBeforeABackendIsChosen) {
    SHELLEXECUTEINFOW info = OpenRecord(u"https://example.org");
    EXPECT_TRUE(ShellExecuteExW(&info));
    EXPECT_STREQ(PlatformShellExecuteLog().back().How, "recorded");
}

TEST_F(Shell, HeadlessRecordsAndRefusesWhatWin32Refuses) {
    static const Backend headless = [] {
        Backend b{};
        b.Name = "headless";
        return b;
    }();
    ServiceUseBackend(&headless);
    SHELLEXECUTEINFOW info =
        OpenRecord(u"https://example.org/cgi-bin/upgrade?p=arm/Tellgrove/Kestrova&v=1.84a");
    info.lpVerb = u"OPEN";
    EXPECT_TRUE(ShellExecuteExW(&info));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), ShellExecuteSucceeded);

    SHELLEXECUTEINFOW small = OpenRecord(u"https://example.org");
    small.cbSize = 60;
    EXPECT_FALSE(ShellExecuteExW(&small));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    SHELLEXECUTEINFOW edit = OpenRecord(u"https://example.org");
    edit.lpVerb = u"edit";
    EXPECT_FALSE(ShellExecuteExW(&edit));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_ASSOCIATION));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(edit.hInstApp), SE_ERR_NOASSOC);
    SHELLEXECUTEINFOW none = OpenRecord(nullptr);
    EXPECT_FALSE(ShellExecuteExW(&none));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    SHELLEXECUTEINFOW option = OpenRecord(u"--help");
    EXPECT_FALSE(ShellExecuteExW(&option));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ShellExecuteExW(nullptr));

    const auto& log = PlatformShellExecuteLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].File, u"https://example.org/cgi-bin/upgrade?p=arm/Tellgrove/Kestrova&v=1.84a");
    EXPECT_EQ(log[0].Verb, u"OPEN");
    EXPECT_EQ(log[0].Mask, SEE_MASK_FLAG_NO_UI);
    EXPECT_STREQ(log[0].How, "recorded");
    EXPECT_TRUE(log[0].Result);
    EXPECT_STREQ(log[4].How, "refused");
    EXPECT_EQ(log[4].File, u"--help");
    EXPECT_TRUE(PlatformMessageBoxLog().empty()); // the mask asked for no interface

    std::string state;
    ShellExecuteStateText(&state);
    EXPECT_EQ(state,
              "shell-execute OPEN \"https://example.org/cgi-bin/upgrade?p=arm/Tellgrove/Kestrova&v=1.84a\" "
              "recorded ok\n"
              "shell-execute Open \"\" refused failed 87\n"
              "shell-execute edit \"https://example.org\" refused failed 1155\n"
              "shell-execute Open \"\" refused failed 2\n"
              "shell-execute Open \"--help\" refused failed 87\n");

    // Whatever the address holds, its record stays one line with the address between its quotes.
    PlatformClearShellExecuteLog();
    SHELLEXECUTEINFOW odd = OpenRecord(u"https://example.org/a\"b\\c\r\nd\u05D0");
    EXPECT_TRUE(ShellExecuteExW(&odd));
    state.clear();
    ShellExecuteStateText(&state);
    EXPECT_EQ(state,
              "shell-execute Open \"https://example.org/a\\\"b\\\\c\\x0d\\x0ad\xD7\x90\" recorded ok\n");
}

TEST_F(Shell, BackendOpenerGetsTheAddressAsUtf8) {
    static const Backend desktop = [] {
        Backend b{};
        b.Name = "test";
        b.OpenAddress = FakeOpen;
        return b;
    }();
    ServiceUseBackend(&desktop);
    SHELLEXECUTEINFOW info = OpenRecord(u"https://example.org/\u05D0");
    EXPECT_TRUE(ShellExecuteExW(&info));
    EXPECT_EQ(Opened, "https://example.org/\xD7\x90");
    SHELLEXECUTEINFOW refused = OpenRecord(u"https://refused.example", 0);
    EXPECT_FALSE(ShellExecuteExW(&refused));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_ASSOCIATION));
    ASSERT_EQ(PlatformMessageBoxLog().size(), 1u); // no SEE_MASK_FLAG_NO_UI: the failure is shown
    EXPECT_EQ(PlatformMessageBoxLog()[0].Style, MB_ICONSTOP);
}

TEST_F(Shell, RunsXdgOpenDetachedOrFailsQuietlyWithoutIt) {
    static const Backend display = [] {
        Backend b{};
        b.Name = "display without an opener";
        return b;
    }();
    ServiceUseBackend(&display);
    std::filesystem::path folder = TempFolder("kestrova-shell-");
    std::filesystem::path marker = folder / "opened";
    {
        std::ofstream script(folder / "xdg-open");
        script << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << marker.string() << ".tmp\"\nmv \""
               << marker.string() << ".tmp\" \"" << marker.string() << "\"\n";
    }
    std::filesystem::permissions(folder / "xdg-open", std::filesystem::perms::owner_all);
    {
        PathFor path(folder.string() + ":/usr/bin:/bin");
        SHELLEXECUTEINFOW info = OpenRecord(u"https://example.org/a b;$(rm -rf x)");
        EXPECT_TRUE(ShellExecuteExW(&info));
        EXPECT_STREQ(PlatformShellExecuteLog().back().How, "xdg-open");
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream opened(marker);
    std::stringstream text;
    text << opened.rdbuf();
    EXPECT_EQ(text.str(), "https://example.org/a b;$(rm -rf x)"); // one argument, no shell between

    std::filesystem::path empty = TempFolder("kestrova-noshell-");
    {
        PathFor path(empty.string());
        SHELLEXECUTEINFOW info = OpenRecord(u"https://example.org");
        EXPECT_FALSE(ShellExecuteExW(&info));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_ASSOCIATION));
        EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), SE_ERR_NOASSOC);
        EXPECT_TRUE(PlatformMessageBoxLog().empty());
    }
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(empty);
}

TEST(System, ModuleFileNameIsTheExecutableAndTruncatesAsWin32Does) {
    char real[4096];
    ssize_t n = readlink("/proc/self/exe", real, sizeof real);
    ASSERT_GT(n, 0);
    std::u16string path = PlatformUtf8ToUtf16(std::string(real, size_t(n)));
    WCHAR name[260 * 16];
    ASSERT_LT(path.size(), sizeof name / sizeof name[0]);
    EXPECT_EQ(GetModuleFileNameW(nullptr, name, 260 * 16), DWORD(path.size()));
    EXPECT_EQ(std::u16string(name), path);
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), name, 260 * 16), DWORD(path.size()));

    // No room for the terminator: cut, terminated, the buffer's size returned.
    DWORD exact = DWORD(path.size());
    EXPECT_EQ(GetModuleFileNameW(nullptr, name, exact), exact);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(name), path.substr(0, exact - 1));
    EXPECT_EQ(GetModuleFileNameW(nullptr, name, 5), 5u);
    EXPECT_EQ(std::u16string(name), path.substr(0, 4));
    EXPECT_EQ(GetModuleFileNameW(nullptr, name, 0), 0u);
    int otherModule = 0;
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(&otherModule), name, 260), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST(System, VersionIsTheMenuBarOneUnlessAskedOtherwise) {
    unsetenv("KESTROVA_PLATFORM_VERSION");
    OSVERSIONINFOW info{};
    EXPECT_FALSE(GetVersionExW(&info)); // size not set
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_CE);

    setenv("KESTROVA_PLATFORM_VERSION", "4.20", 1);
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 4u);
    EXPECT_EQ(info.dwMinorVersion, 20u);
    setenv("KESTROVA_PLATFORM_VERSION", "4.x", 1); // malformed: the default stays
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    PlatformSetVersion(4, 20);
    setenv("KESTROVA_PLATFORM_VERSION", "6.0", 1);
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 4u);
    PlatformSetVersion(0, 0);
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    unsetenv("KESTROVA_PLATFORM_VERSION");
}

TEST(System, LastErrorBelongsToTheThread) {
    SetLastError(DWORD(ERROR_ACCESS_DENIED));
    DWORD seen = 1;
    std::thread([&] { seen = GetLastError(); }).join();
    EXPECT_EQ(seen, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
}
