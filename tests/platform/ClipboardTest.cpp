#include "platform/Win32.h"

#include "platform/backend/ServiceBackend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// A movable block with a zero-terminated wide text, as the reader's export places it.
HLOCAL WideBlock(const std::u16string& text) {
    size_t size = (text.size() + 1) * sizeof(WCHAR);
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, size);
    std::memcpy(LocalLock(block), text.c_str(), size);
    LocalUnlock(block);
    return block;
}

std::u16string WideText(HANDLE block) {
    std::u16string text(static_cast<const WCHAR*>(LocalLock(block)));
    LocalUnlock(block);
    return text;
}

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        CloseClipboard();
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
    }
    void TearDown() override {
        CloseClipboard();
        ServiceUseBackend(nullptr);
    }
};

// A system clipboard that records what is published and serves another program's data.
struct FakeSystemClipboard {
    int Publishes = 0;
    std::vector<UINT> Formats;
    std::vector<std::u16string> Names;
    std::vector<std::string> Bytes;
    bool Owned = false;
    std::map<std::u16string, std::string> Other; // by name; u"13" for text
};
FakeSystemClipboard System;

bool FakePublish(const UINT* formats, const WCHAR* const* names, const void* const* blocks,
                 const size_t* sizes, size_t count) {
    ++System.Publishes;
    System.Formats.assign(formats, formats + count);
    System.Names.clear();
    System.Bytes.clear();
    for (size_t i = 0; i < count; ++i) {
        System.Names.push_back(names[i] ? names[i] : u"");
        System.Bytes.emplace_back(static_cast<const char*>(blocks[i]), sizes[i]);
    }
    System.Owned = true;
    return true;
}

void* FakeRead(UINT format, const WCHAR* name, size_t* size) {
    auto found = System.Other.find(format == CF_UNICODETEXT ? u"13" : name ? name : u"");
    if (found == System.Other.end()) return nullptr;
    *size = found->second.size();
    void* copy = std::malloc(*size + 1);
    std::memcpy(copy, found->second.data(), *size);
    return copy;
}

bool FakeOwned() {
    return System.Owned;
}

} // namespace

TEST_F(Clipboard, CallsOutOfOrderGiveWin32Results) {
    HLOCAL block = WideBlock(u"x");
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
    EXPECT_EQ(EnumClipboardFormats(0), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_EQ(LocalFree(block), nullptr); // a refused block stays the caller's

    HWND window = reinterpret_cast<HWND>(uintptr_t(0x10001));
    ASSERT_TRUE(OpenClipboard(window));
    EXPECT_TRUE(OpenClipboard(window)); // the same owner again
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(GetClipboardOwner(), window);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLIPBOARD_NOT_OPEN));
}

TEST_F(Clipboard, BlocksBelongToTheClipboardOnceSet) {
    HLOCAL first = WideBlock(u"first");
    HLOCAL second = WideBlock(u"second");
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, first), first);
    EXPECT_EQ(LocalFree(first), first); // the caller may not free it any more
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(LocalReAlloc(first, 100, LMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), first);
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, first), first); // again: nothing changes

    UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");
    EXPECT_EQ(SetClipboardData(rtf, first), nullptr); // one block under two formats
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, second), second);
    EXPECT_EQ(LocalSize(first), 0u); // replaced, so freed
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WideText(GetClipboardData(CF_UNICODETEXT)), u"second");

    int notABlock = 0;
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, &notABlock), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    HLOCAL spare = WideBlock(u"spare");
    EXPECT_EQ(SetClipboardData(0, spare), nullptr);
    EXPECT_EQ(SetClipboardData(0xC0FF, spare), nullptr); // not registered
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(LocalFree(spare), nullptr);

    EXPECT_TRUE(EmptyClipboard());
    EXPECT_EQ(LocalSize(second), 0u); // emptying frees what was held
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, FormatsAreListedInTheOrderSet) {
    UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");
    HLOCAL bytes = LocalAlloc(LMEM_FIXED, 4);
    std::memcpy(bytes, "{x}", 4);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(rtf, bytes);
    SetClipboardData(CF_UNICODETEXT, WideBlock(u"t"));
    EXPECT_EQ(EnumClipboardFormats(0), rtf);
    EXPECT_EQ(EnumClipboardFormats(rtf), CF_UNICODETEXT);
    SetLastError(DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(EnumClipboardFormats(CF_UNICODETEXT), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(CountClipboardFormats(), 2);
    EXPECT_TRUE(IsClipboardFormatAvailable(rtf));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(Clipboard, RegisteredNamesFoldCase) {
    UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");
    EXPECT_GE(rtf, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormatW(u"rich TEXT format"), rtf);
    UINT other = RegisterClipboardFormatW(u"Rich Text Format Without Objects");
    EXPECT_NE(other, rtf);
    EXPECT_GE(other, 0xC000u);

    WCHAR name[64];
    EXPECT_EQ(GetClipboardFormatNameW(rtf, name, 64), 16);
    EXPECT_EQ(std::u16string(name), u"Rich Text Format"); // the first spelling is kept
    EXPECT_EQ(GetClipboardFormatNameW(rtf, name, 5), 4);
    EXPECT_EQ(std::u16string(name), u"Rich");
    EXPECT_EQ(GetClipboardFormatNameW(CF_UNICODETEXT, name, 64), 0);
    EXPECT_EQ(GetClipboardFormatNameW(rtf, name, 0), 0);

    EXPECT_EQ(RegisterClipboardFormatW(nullptr), 0u);
    EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    std::u16string longest(255, u'n'), tooLong(256, u'n');
    EXPECT_NE(RegisterClipboardFormatW(longest.c_str()), 0u);
    EXPECT_EQ(RegisterClipboardFormatW(tooLong.c_str()), 0u);
}

TEST_F(Clipboard, AppendReadsThenReplacesAsTheExportDoes) {
    // As on the handheld: blocks are written and read through their handles, without locking.
    auto place = [](const std::u16string& text) {
        size_t size = (text.size() + 1) * sizeof(WCHAR);
        auto* block = static_cast<WCHAR*>(LocalAlloc(LMEM_MOVEABLE, size));
        ASSERT_NE(block, nullptr);
        std::memcpy(block, text.c_str(), size);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), block);
        CloseClipboard();
    };
    auto read = [] {
        EXPECT_TRUE(OpenClipboard(nullptr));
        const auto* text = static_cast<const WCHAR*>(GetClipboardData(CF_UNICODETEXT));
        std::u16string copy = text ? text : u"";
        CloseClipboard();
        return copy;
    };
    place(u"one ");
    place(read() + u"two");
    EXPECT_EQ(read(), u"one two");
}

TEST_F(Clipboard, ChangesArePublishedAtCloseAndOtherProgramsDataIsRead) {
    static const Backend fake = [] {
        Backend b{};
        b.Name = "test";
        b.ClipboardPublish = FakePublish;
        b.ClipboardRead = FakeRead;
        b.ClipboardOwned = FakeOwned;
        return b;
    }();
    System = FakeSystemClipboard{};
    ServiceUseBackend(&fake);
    UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HLOCAL text = LocalAlloc(LHND, 40); // larger than its text: only the text is offered
    std::memcpy(LocalLock(text), u"hi", 6);
    LocalUnlock(text);
    SetClipboardData(CF_UNICODETEXT, text);
    HLOCAL doc = LocalAlloc(LMEM_MOVEABLE, 4);
    std::memcpy(LocalLock(doc), "{r}", 4);
    LocalUnlock(doc);
    SetClipboardData(rtf, doc);
    EXPECT_EQ(System.Publishes, 0); // nothing leaves before the close
    CloseClipboard();
    ASSERT_EQ(System.Publishes, 1);
    EXPECT_EQ(System.Formats, (std::vector<UINT>{CF_UNICODETEXT, rtf}));
    EXPECT_EQ(System.Names, (std::vector<std::u16string>{u"", u"Rich Text Format"}));
    EXPECT_EQ(System.Bytes[0], std::string("h\0i\0", 4));
    EXPECT_EQ(System.Bytes[1], std::string("{r}\0", 4));
    ASSERT_TRUE(OpenClipboard(nullptr)); // reading only: nothing is published again
    EXPECT_EQ(WideText(GetClipboardData(CF_UNICODETEXT)), u"hi");
    CloseClipboard();
    EXPECT_EQ(System.Publishes, 1);

    // Another program takes the clipboard with an unterminated, odd-sized text.
    System.Owned = false;
    System.Other = {{u"13", std::string("a\0b\0c", 5)}};
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(rtf));
    EXPECT_EQ(CountClipboardFormats(), 1);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(LocalSize(text), 0u); // ours were let go
    HANDLE theirs = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(theirs, nullptr);
    EXPECT_EQ(LocalSize(theirs), 6u); // "ab" and a terminator added after the whole units
    EXPECT_EQ(WideText(theirs), u"ab");
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), theirs); // read once per opening
    EXPECT_EQ(GetClipboardData(rtf), nullptr);
    EXPECT_EQ(EnumClipboardFormats(0), CF_UNICODETEXT);
    EXPECT_EQ(EnumClipboardFormats(CF_UNICODETEXT), 0u);
    CloseClipboard();
    EXPECT_EQ(System.Publishes, 1);

    // Setting data makes the clipboard ours again and offers it.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, WideBlock(u"mine"));
    CloseClipboard();
    EXPECT_EQ(System.Publishes, 2);
    EXPECT_EQ(System.Bytes[0], std::string("m\0i\0n\0e\0", 8));
}
