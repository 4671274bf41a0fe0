// Resource lookup over the test script's compiled .res (embedded in this test program).
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const BYTE* ResourceBytes(LPCWSTR name, LPCWSTR type, DWORD* size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name, type);
    if (resource == nullptr) return nullptr;
    *size = SizeofResource(module, resource);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
}

WORD ReadU16(const BYTE* p) {
    return WORD(p[0] | p[1] << 8);
}

} // namespace

TEST(Resources, FindsEveryTypeByIntegerId) {
    DWORD size = 0;
    const BYTE* raw = ResourceBytes(MAKEINTRESOURCEW(1001), RT_RCDATA, &size);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw), size), "Raw bytes of a test resource.");

    const BYTE* dialog = ResourceBytes(MAKEINTRESOURCEW(103), RT_DIALOG, &size);
    ASSERT_NE(dialog, nullptr);
    // DLGTEMPLATE: style, extended style, item count, x, y, cx, cy.
    DWORD style = DWORD(ReadU16(dialog)) | DWORD(ReadU16(dialog + 2)) << 16;
    EXPECT_EQ(style & 0x80C80000u, 0x80C80000u);
    EXPECT_EQ(ReadU16(dialog + 8), 2); // two controls
    EXPECT_EQ(ReadU16(dialog + 14), 120);

    const BYTE* menu = ResourceBytes(MAKEINTRESOURCEW(102), RT_MENU, &size);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ReadU16(menu), 0); // MENUHEADER version

    const BYTE* bitmap = ResourceBytes(MAKEINTRESOURCEW(201), RT_BITMAP, &size);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(ReadU16(bitmap), 40);     // BITMAPINFOHEADER without the file header
    EXPECT_EQ(ReadU16(bitmap + 14), 1); // one bit per pixel

    EXPECT_NE(ResourceBytes(MAKEINTRESOURCEW(101), RT_GROUP_ICON, &size), nullptr);
    EXPECT_NE(ResourceBytes(MAKEINTRESOURCEW(1), RT_ICON, &size), nullptr);
}

TEST(Resources, StringNamesCompareWithoutCase) {
    DWORD size = 0;
    const BYTE* named = ResourceBytes(u"named", RT_RCDATA, &size);
    ASSERT_NE(named, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(named), "named");
}

TEST(Resources, MissingResourcesGiveNone) {
    HMODULE module = GetModuleHandleW(nullptr);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1002), RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1001), RT_DIALOG), nullptr);
    EXPECT_EQ(FindResourceW(module, nullptr, RT_RCDATA), nullptr);
    EXPECT_EQ(SizeofResource(module, nullptr), 0u);
    EXPECT_EQ(LoadResource(module, nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleW(u"other.dll"), nullptr);
}

TEST(Resources, DamagedResourceFilesAreRefused) {
    // A header that claims more bytes than there are, and one too short to hold its own fields.
    const BYTE truncated[] = {0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF};
    EXPECT_EQ(PlatformOpenResourceModule(truncated, sizeof truncated), nullptr);
    BYTE oversize[32] = {0xFF, 0xFF, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 10, 0, 0xFF, 0xFF, 1, 0};
    EXPECT_EQ(PlatformOpenResourceModule(oversize, sizeof oversize), nullptr);
    // A string name without its terminator inside the header.
    BYTE unterminated[32] = {0, 0, 0, 0, 0x20, 0, 0, 0};
    for (int i = 8; i < 32; ++i)
        unterminated[i] = 'A';
    EXPECT_EQ(PlatformOpenResourceModule(unterminated, sizeof unterminated), nullptr);
    // No bytes at all is an empty, valid module.
    HMODULE empty = PlatformOpenResourceModule(truncated, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(FindResourceW(empty, MAKEINTRESOURCEW(1), RT_RCDATA), nullptr);
    PlatformCloseResourceModule(empty);
}
