// The settings in a registry file of each test's own: defaults, the number reader's text form, the
// cuts of the texts, what SaveSettings writes and leaves alone, stored values that would divide by
// zero or name no article, a second SaveSettings, and AllocOrQuit's failure path (made to happen
// through a malloc wrapper).
#include "shell/Settings.h"
#include "navigation/Navigation.h"
#include "text/TextPane.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <stdlib.h>

// Every malloc of the program's own code comes here (-Wl,--wrap=malloc); FailMallocAfter = n lets
// n more succeed and fails the next one.
extern "C" void* __real_malloc(size_t size);
static long FailMallocAfter = -1;
extern "C" void* __wrap_malloc(size_t size) {
    if (FailMallocAfter == 0) {
        FailMallocAfter = -1;
        return nullptr;
    }
    if (FailMallocAfter > 0) --FailMallocAfter;
    return __real_malloc(size);
}

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "kestrova-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        PlatformResetRegistry((Folder + "/registry.reg").c_str());
        ResetReaderState();
        ResetSettingsStage();
        PlatformClearMessageBoxLog();
        PlatformSetMessageBoxEcho(FALSE);
    }
    void TearDown() override {
        FailMallocAfter = -1;
        SaveSettings(); // frees whatever a case left in the records
        ResetSettingsStage();
        ResetReaderState();
        PlatformResetRegistry(nullptr);
        std::filesystem::remove_all(Folder);
    }
    static void Set(const WCHAR* name, DWORD type, const void* bytes, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(bytes), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static void SetNumber(const WCHAR* name, DWORD value) { Set(name, REG_DWORD, &value, sizeof value); }
    static void SetText(const WCHAR* name, const std::u16string& text) {
        Set(name, REG_SZ, text.c_str(), DWORD((text.size() + 1) * 2));
    }
    // The stored type and bytes of a value; type REG_NONE when it is missing.
    static std::vector<uint8_t> Stored(const WCHAR* name, DWORD* type = nullptr) {
        HKEY key = nullptr;
        std::vector<uint8_t> bytes;
        DWORD t = REG_NONE, size = 0;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            if (RegQueryValueExW(key, name, nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
                bytes.resize(size);
                RegQueryValueExW(key, name, nullptr, &t, bytes.data(), &size);
            } else {
                t = REG_NONE;
            }
            RegCloseKey(key);
        }
        if (type) *type = t;
        return bytes;
    }
    static DWORD StoredNumber(const WCHAR* name) {
        DWORD type = REG_NONE;
        std::vector<uint8_t> bytes = Stored(name, &type);
        if (type != REG_DWORD || bytes.size() != 4) return 0xFFFFFFFF;
        DWORD v;
        std::memcpy(&v, bytes.data(), 4);
        return v;
    }
    std::string Folder;
};

TEST_F(Settings, NoKeyGivesTheDefaults) {
    LoadSettings();
    EXPECT_EQ(ReaderState.FontSpec.FontFace[0], 0);
    EXPECT_EQ(ReaderState.FontSpec.FontSize, 0);
    EXPECT_EQ(ReaderState.FontSpec.FontAsciiBase, 1488);
    EXPECT_EQ(ReaderState.Flags, 0xD1140040u);
    EXPECT_EQ(ReaderState.Lesson, 0);
    EXPECT_EQ(ReaderState.LastPosition, 0);
    EXPECT_EQ(PaneState.BottomSection, 12);
    EXPECT_EQ(ReaderState.Bookmarks, nullptr);
    EXPECT_EQ(ReaderState.SearchString[0], 0);
}

TEST_F(Settings, NumbersReadFromTextAsTheDigitsCompute) {
    SetText(u"Lesson", u"17");
    SetText(u"FontSize", u"1a"); // 1 x 10 + ('a' - 48)
    SetText(u"LastPosition", u"");
    SetNumber(u"Flags", 0x800);
    LoadSettings();
    EXPECT_EQ(ReaderState.Lesson, 17);
    EXPECT_EQ(ReaderState.FontSpec.FontSize, 59);
    EXPECT_EQ(ReaderState.LastPosition, 0);
    EXPECT_EQ(ReaderState.Flags, 0x800u);
    EXPECT_EQ(ReadDword(SettingsKeyPath, u"Missing", 1234), 1234u);
    EXPECT_EQ(ReadDword(u"software\\Nobody", u"Lesson", 5), 5u);
}

TEST_F(Settings, DeviceFlagsComeFromTheMakersKeyInTwoSteps) {
    ReadDeviceFlags(0, DeviceFlagsTableCount);
    EXPECT_EQ(AllowSipInHebrewSearch, 1);
    EXPECT_EQ(FullScreen, 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tellgrove", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD zero = 0, one = 1;
    RegSetValueExW(key, u"AllowSipInHebrewSearch", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), 4);
    RegSetValueExW(key, u"FullScreen", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegSetValueExW(key, u"SurroundingGutter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegCloseKey(key);
    ReadDeviceFlags(0, DeviceFlagsBeforeTaskBar);
    EXPECT_EQ(AllowSipInHebrewSearch, 0);
    EXPECT_EQ(FullScreen, 1);
    EXPECT_EQ(ReaderState.SurroundingGutter, 0); // read after the task bar step
    ReadDeviceFlags(DeviceFlagsBeforeTaskBar, DeviceFlagsTableCount - DeviceFlagsBeforeTaskBar);
    EXPECT_EQ(ReaderState.SurroundingGutter, 1);
    EXPECT_EQ(ReaderState.MenuBarOnBottom, 0);
}

TEST_F(Settings, TextsAreCutToTheirFields) {
    const std::string search(40, 'b');
    Set(u"SearchString", REG_BINARY, search.c_str(), DWORD(search.size() + 1));
    SetText(u"FontName", std::u16string(40, u'F'));
    LoadSettings();
    EXPECT_EQ(std::string(ReaderState.SearchString), std::string(33, 'b'));
    EXPECT_EQ(std::u16string(ReaderState.FontSpec.FontFace), std::u16string(31, u'F'));

    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    Set(u"Cut", REG_BINARY, "abc", 3); // no terminator stored: read up to the last byte only
    ReadAnsi(u"Cut", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "abc");
    Set(u"Empty", REG_BINARY, "\0z", 2);
    ReadAnsi(u"Empty", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "abc");    // an empty stored text leaves the buffer as it was
    Set(u"Odd", REG_SZ, "A\0B", 3); // an odd byte count still gives a terminated text
    WCHAR* odd = ReadString(u"Odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(std::u16string(odd), u"A");
    std::free(odd);
}

TEST_F(Settings, SaveWritesSetFieldsAndLeavesStoredValuesOfEmptyOnes) {
    SetText(u"FontName", u"Stored Face");
    Set(u"SearchString", REG_BINARY, "abc", 4);
    SetNumber(u"FontSize", 18);
    SetNumber(u"Lesson", 41);
    SetNumber(u"LastPosition", 9);
    LoadSettings();
    ReaderState.SearchString[0] = 0; // cleared during the run
    std::memcpy(ReaderState.FontSpec.FontFace, u"New", 8);
    ReaderState.FontSpec.FontSize = 0;
    ReaderState.Flags = 0x1234;
    PaneState.BottomSection = SplitThird;
    SaveSettings();
    EXPECT_EQ(Stored(u"SearchString"), (std::vector<uint8_t>{'a', 'b', 'c', 0}));
    DWORD type = 0;
    EXPECT_EQ(Stored(u"FontName", &type), (std::vector<uint8_t>{'N', 0, 'e', 0, 'w', 0, 0, 0}));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(StoredNumber(u"FontSize"), 18u);
    EXPECT_EQ(StoredNumber(u"Lesson"), 41u);
    EXPECT_EQ(StoredNumber(u"LastPosition"), 9u); // no top pane: the stored line stays
    EXPECT_EQ(StoredNumber(u"Flags"), 0x1234u);
    EXPECT_EQ(StoredNumber(u"BottomSection"), 13u);
    EXPECT_EQ(StoredNumber(u"FontAsciiBase"), 1488u);
    EXPECT_EQ(Stored(u"Bookmarks"), (std::vector<uint8_t>{0, 0}));
}

TEST_F(Settings, PanesGiveTheirLinesAndAreFreedOnce) {
    LoadSettings();
    HDC dc = CreateCompatibleDC(nullptr);
    RECT rect{0, 0, 200, 100};
    ReaderState.TopPane = CreatePane(dc, &rect, &ReaderState.FontSpec, PaneInitialCapacity);
    PaneState.BottomPane = CreatePane(dc, &rect, &ReaderState.FontSpec, PaneInitialCapacity);
    PaneState.ActivePane = PaneState.BottomPane;
    ReaderState.TopPane->TopLine = 21;
    PaneState.BottomPane->TopLine = 5;
    ReaderState.Lesson = 43;
    ReaderState.Bookmarks = static_cast<uint16_t*>(std::malloc(2 * sizeof(uint16_t)));
    ReaderState.Bookmarks[0] = 43;
    ReaderState.Bookmarks[1] = 0;
    ReaderState.BookmarkCount = 1;
    SaveSettings();
    EXPECT_EQ(StoredNumber(u"LastPosition"), 21u);
    EXPECT_EQ(StoredNumber(u"BottomSectionLastPosition"), 5u);
    EXPECT_EQ(ReaderState.TopPane, nullptr);
    EXPECT_EQ(PaneState.BottomPane, nullptr);
    EXPECT_EQ(PaneState.ActivePane, nullptr);
    EXPECT_EQ(ReaderState.Bookmarks, nullptr);
    EXPECT_EQ(Stored(u"Bookmarks"), (std::vector<uint8_t>{43, 0, 0, 0}));

    // The second run (the window's destroy after a failure's run) frees and writes nothing: the
    // stored bookmarks are not replaced by the empty list the first run left.
    ReaderState.Lesson = 45;
    SaveSettings();
    EXPECT_EQ(Stored(u"Bookmarks"), (std::vector<uint8_t>{43, 0, 0, 0}));
    EXPECT_EQ(StoredNumber(u"Lesson"), 43u);
    DeleteDC(dc);
}

TEST_F(Settings, StoredValuesThatNameNoArticleOrSplitAreReadSoundly) {
    const DWORD badSplits[] = {10, 0, 20, 15, 99, 0xFFFFFFFF};
    for (DWORD split : badSplits) {
        SetNumber(u"BottomSection", split);
        SetNumber(u"Lesson", 251);
        SetNumber(u"LastPosition", 30);
        LoadSettings();
        EXPECT_EQ(PaneState.BottomSection, SplitHalf) << split;
        EXPECT_EQ(ReaderState.Lesson, 1) << split;
        EXPECT_EQ(ReaderState.LastPosition, 0) << split;
        ResetReaderState();
    }
    SetText(u"Lesson", u"65553"); // the low 16 bits would be 17: the whole number is past the end
    SetNumber(u"BottomSection", 34);
    LoadSettings();
    EXPECT_EQ(ReaderState.Lesson, 1);
    EXPECT_EQ(PaneState.BottomSection, 34);
    SetNumber(u"Lesson", 249);
    SetNumber(u"BottomSection", 1);
    LoadSettings();
    EXPECT_EQ(ReaderState.Lesson, 249);
    EXPECT_EQ(PaneState.BottomSection, SplitNone);
}

TEST_F(Settings, AllocOrQuitReportsSavesAndGivesNull) {
    SetNumber(u"Flags", 0x10);
    LoadSettings();
    ReaderState.Flags = 0x20;
    FailMallocAfter = 0;
    EXPECT_EQ(AllocOrQuit(64), nullptr);
    ASSERT_EQ(PlatformMessageBoxLog().size(), 1u);
    const PlatformMessageBoxCall& box = PlatformMessageBoxLog()[0];
    EXPECT_EQ(box.Owner, nullptr);
    EXPECT_EQ(box.Text, u"There is not enough memory, aborting");
    EXPECT_EQ(box.Caption, u"Error");
    EXPECT_EQ(box.Style, 16u);
    EXPECT_EQ(StoredNumber(u"Flags"), 0x20u); // the settings were saved

    void* block = AllocOrQuit(0); // an empty request is not a failure
    EXPECT_NE(block, nullptr);
    std::free(block);
}

TEST_F(Settings, FailureWhileLoadingWritesNothing) {
    SetNumber(u"Flags", 0x10);
    SetText(u"FontName", u"Face");
    const uint8_t bookmarks[] = {7, 0, 0, 0};
    Set(u"Bookmarks", REG_BINARY, bookmarks, sizeof bookmarks);
    FailMallocAfter = 0; // the first read's block
    LoadSettings();
    EXPECT_EQ(PlatformMessageBoxLog().size(), 1u);
    EXPECT_EQ(StoredNumber(u"Flags"), 0x10u); // not the cleared record's 0
    EXPECT_EQ(Stored(u"Bookmarks"), (std::vector<uint8_t>{7, 0, 0, 0}));
}

} // namespace
