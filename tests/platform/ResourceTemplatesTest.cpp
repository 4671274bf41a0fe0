// The template readers (dialogs, menus, menu bar, string tables) over the test
// script's resources as GNU windres writes them, and over damaged copies of them.
#include "platform/resources/ResourceTemplates.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

std::vector<BYTE> ResourceCopy(WORD name, LPCWSTR type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(name), type);
    if (resource == nullptr) return {};
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    return std::vector<BYTE>(bytes, bytes + SizeofResource(module, resource));
}

// Every strict prefix of a template from firstSize bytes on, each in a buffer of exactly its size
// so that the sanitizers see a read past it, must be refused.
void ExpectPrefixesRefused(const std::vector<BYTE>& whole,
                           const std::function<bool(const BYTE*, size_t)>& parse, size_t firstSize = 0) {
    for (size_t size = firstSize; size < whole.size(); size++) {
        std::vector<BYTE> prefix(whole.begin(), whole.begin() + ptrdiff_t(size));
        EXPECT_FALSE(parse(prefix.data(), prefix.size())) << "prefix of " << size << " bytes";
    }
}

void PutU16(std::vector<BYTE>* out, WORD v) {
    out->push_back(BYTE(v));
    out->push_back(BYTE(v >> 8));
}

} // namespace

TEST(ResourceTemplates, ReadsADialogTemplate) {
    std::vector<BYTE> bytes = ResourceCopy(103, RT_DIALOG);
    ResDialog dialog;
    ASSERT_TRUE(ResParseDialog(bytes.data(), bytes.size(), &dialog));
    EXPECT_FALSE(dialog.Extended);
    EXPECT_EQ(dialog.Style, 0x80C80040u); // DS_SETFONT added for the FONT statement
    EXPECT_EQ(dialog.Cx, 120);
    EXPECT_EQ(dialog.Cy, 60);
    EXPECT_EQ(dialog.Caption, u"About");
    EXPECT_TRUE(dialog.HasFont);
    EXPECT_EQ(dialog.PointSize, 8);
    EXPECT_EQ(dialog.FontFace, u"Tahoma");
    EXPECT_TRUE(dialog.Menu.Text.empty() && !dialog.Menu.IsOrdinal);
    ASSERT_EQ(dialog.Items.size(), 2u);
    const ResDialogItem& text = dialog.Items[0];
    EXPECT_EQ(text.Id, 100u);
    EXPECT_EQ(ResControlClassOrdinal(text.Class), ResClassStatic);
    EXPECT_EQ(text.Title.Text, u"Hello");
    EXPECT_EQ(text.Style & 0x00010000u, 0x00010000u); // WS_TABSTOP as written
    EXPECT_EQ(text.X, 5);
    EXPECT_EQ(text.Cx, 60);
    const ResDialogItem& ok = dialog.Items[1];
    EXPECT_EQ(ok.Id, 1u);
    EXPECT_EQ(ResControlClassOrdinal(ok.Class), ResClassButton);
    EXPECT_EQ(ok.Title.Text, u"OK");
    EXPECT_TRUE(ok.CreationData.empty());
}

TEST(ResourceTemplates, ReadsAnExtendedDialogTemplate) {
    std::vector<BYTE> bytes = ResourceCopy(104, RT_DIALOG);
    ResDialog dialog;
    ASSERT_TRUE(ResParseDialog(bytes.data(), bytes.size(), &dialog));
    EXPECT_TRUE(dialog.Extended);
    EXPECT_EQ(dialog.HelpId, 7u);
    EXPECT_EQ(dialog.ExStyle, 0x80000000u);
    EXPECT_EQ(dialog.X, 10);
    EXPECT_EQ(dialog.Y, 20);
    EXPECT_TRUE(dialog.Menu.IsOrdinal);
    EXPECT_EQ(dialog.Menu.Ordinal, 102);
    EXPECT_EQ(dialog.Caption, u"Extended");
    EXPECT_EQ(dialog.PointSize, 9);
    EXPECT_EQ(dialog.Weight, 700);
    EXPECT_EQ(dialog.Italic, 1);
    EXPECT_EQ(dialog.Charset, 177);
    EXPECT_EQ(dialog.FontFace, u"Tahoma");
    ASSERT_EQ(dialog.Items.size(), 2u);
    EXPECT_EQ(dialog.Items[0].ExStyle, 0x20u);
    EXPECT_EQ(dialog.Items[0].HelpId, 42u);
    EXPECT_EQ(dialog.Items[0].Id, 200u);
    const ResDialogItem& own = dialog.Items[1];
    EXPECT_EQ(own.X, -5);
    EXPECT_FALSE(own.Class.IsOrdinal);
    EXPECT_EQ(ResControlClassOrdinal(own.Class), 0);
    EXPECT_EQ(own.CreationData, (std::vector<BYTE>{1, 2, 3, 4}));
}

TEST(ResourceTemplates, ClassNamesCompareWithoutCase) {
    EXPECT_EQ(ResControlClassOrdinal(ResNameOrOrdinal{false, 0, u"BUTTON"}), ResClassButton);
    EXPECT_EQ(ResControlClassOrdinal(ResNameOrOrdinal{false, 0, u"listbox"}), ResClassListBox);
    EXPECT_EQ(ResControlClassOrdinal(ResNameOrOrdinal{false, 0, u"ScrollBar"}), ResClassScrollBar);
    EXPECT_EQ(ResControlClassOrdinal(ResNameOrOrdinal{false, 0, u"Edit2"}), 0);
    EXPECT_EQ(ResControlClassOrdinal(ResNameOrOrdinal{true, 0x85, u""}), ResClassComboBox);
    EXPECT_EQ(ResControlClassOrdinal(ResNameOrOrdinal{true, 0x86, u""}), 0);
}

TEST(ResourceTemplates, ReadsStandardAndExtendedMenus) {
    std::vector<BYTE> bytes = ResourceCopy(102, RT_MENU);
    ResMenu menu;
    ASSERT_TRUE(ResParseMenu(bytes.data(), bytes.size(), &menu));
    EXPECT_FALSE(menu.Extended);
    ASSERT_EQ(menu.Items.size(), 1u);
    const ResMenuItem& tools = menu.Items[0];
    EXPECT_TRUE(tools.Popup);
    EXPECT_EQ(tools.Text, u"&Tools");
    ASSERT_EQ(tools.Items.size(), 3u);
    EXPECT_EQ(tools.Items[0].Id, 40001u);
    EXPECT_EQ(tools.Items[1].Id, 0u); // the separator
    EXPECT_TRUE(tools.Items[1].Text.empty());
    EXPECT_EQ(tools.Items[2].Text, u"E&xit");
    EXPECT_EQ(tools.Items[2].Flags, 0); // the end-of-level mark is not kept

    bytes = ResourceCopy(105, RT_MENU);
    ASSERT_TRUE(ResParseMenu(bytes.data(), bytes.size(), &menu));
    EXPECT_TRUE(menu.Extended);
    ASSERT_EQ(menu.Items.size(), 1u);
    EXPECT_EQ(menu.Items[0].Id, 300u);
    EXPECT_EQ(menu.Items[0].HelpId, 77u);
    ASSERT_EQ(menu.Items[0].Items.size(), 3u);
    EXPECT_EQ(menu.Items[0].Items[1].Flags, 0x800); // MFT_SEPARATOR
    EXPECT_EQ(menu.Items[0].Items[2].State, 3u);    // MFS_GRAYED
    EXPECT_EQ(menu.Items[0].Items[2].Text, u"&Quit");
}

TEST(ResourceTemplates, TruncatedTemplatesAreRefused) {
    for (WORD id : {103, 104}) {
        ResDialog dialog;
        ExpectPrefixesRefused(ResourceCopy(id, RT_DIALOG),
                              [&](const BYTE* p, size_t n) { return ResParseDialog(p, n, &dialog); });
    }
    // A menu's header alone is an empty menu (what windres writes for one without items).
    ResMenu menu;
    ExpectPrefixesRefused(
        ResourceCopy(102, RT_MENU), [&](const BYTE* p, size_t n) { return ResParseMenu(p, n, &menu); }, 5);
    EXPECT_TRUE(ResParseMenu(ResourceCopy(102, RT_MENU).data(), 4, &menu));
    EXPECT_TRUE(menu.Items.empty());
    ExpectPrefixesRefused(
        ResourceCopy(105, RT_MENU), [&](const BYTE* p, size_t n) { return ResParseMenu(p, n, &menu); }, 9);
    for (size_t size = 0; size < 4; size++)
        EXPECT_FALSE(ResParseMenu(ResourceCopy(102, RT_MENU).data(), size, &menu));
}

TEST(ResourceTemplates, DamagedCountsAndNestingAreRefused) {
    // A dialog claiming more items than its bytes could hold.
    std::vector<BYTE> dialogBytes = ResourceCopy(103, RT_DIALOG);
    dialogBytes[8] = 0xFF;
    dialogBytes[9] = 0x7F;
    ResDialog dialog;
    EXPECT_FALSE(ResParseDialog(dialogBytes.data(), dialogBytes.size(), &dialog));
    // A creation-data count running past the end.
    dialogBytes = ResourceCopy(104, RT_DIALOG);
    dialogBytes[dialogBytes.size() - 6] = 0x10;
    EXPECT_FALSE(ResParseDialog(dialogBytes.data(), dialogBytes.size(), &dialog));

    // Popups nested one level deeper than allowed, each the last of its level.
    std::vector<BYTE> menuBytes = {0, 0, 0, 0};
    for (int level = 0; level <= ResMenuMaxDepth + 1; level++) {
        PutU16(&menuBytes, 0x90);
        PutU16(&menuBytes, 'P');
        PutU16(&menuBytes, 0);
    }
    PutU16(&menuBytes, 0x80);
    PutU16(&menuBytes, 1);
    PutU16(&menuBytes, 0);
    ResMenu menu;
    EXPECT_FALSE(ResParseMenu(menuBytes.data(), menuBytes.size(), &menu));
    // A level whose items never say which is last; an unknown template version.
    std::vector<BYTE> endless = {0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_FALSE(ResParseMenu(endless.data(), endless.size(), &menu));
    std::vector<BYTE> version2 = {2, 0, 0, 0, 0x80, 0, 1, 0, 0, 0};
    EXPECT_FALSE(ResParseMenu(version2.data(), version2.size(), &menu));
    EXPECT_FALSE(ResParseMenu(nullptr, 0, &menu));
}

TEST(ResourceTemplates, MenuBarBounds) {
    std::vector<BYTE> bar;
    PutU16(&bar, 102);
    PutU16(&bar, 1);
    for (WORD v : {0xFFFE, 40001, 4, 0x18, 302, 0, 0})
        PutU16(&bar, v);
    ResMenuBar menuBar;
    ASSERT_TRUE(ResParseMenuBar(bar.data(), bar.size(), &menuBar));
    ASSERT_EQ(menuBar.Buttons.size(), 1u);
    EXPECT_EQ(menuBar.Buttons[0].Image, -2);
    EXPECT_EQ(menuBar.Buttons[0].StringId, 302);
    bar[2] = 2; // two buttons in the bytes of one
    EXPECT_FALSE(ResParseMenuBar(bar.data(), bar.size(), &menuBar));
    ExpectPrefixesRefused(std::vector<BYTE>(bar.begin(), bar.end()),
                          [&](const BYTE* p, size_t n) { return ResParseMenuBar(p, n, &menuBar); });
}

TEST(ResourceTemplates, LoadStringW) {
    WCHAR buffer[32];
    EXPECT_EQ(LoadStringW(nullptr, 17, buffer, 32), 9);
    EXPECT_EQ(std::u16string(buffer), u"Seventeen");
    // Truncated to the buffer, always terminated.
    EXPECT_EQ(LoadStringW(nullptr, 17, buffer, 4), 3);
    EXPECT_EQ(std::u16string(buffer), u"Sev");
    buffer[0] = 'x';
    EXPECT_EQ(LoadStringW(nullptr, 17, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
    // Size 0: a read-only pointer to the string in place, not terminated, and its length.
    const WCHAR* inPlace = nullptr;
    EXPECT_EQ(LoadStringW(nullptr, 17, reinterpret_cast<LPWSTR>(&inPlace), 0), 9);
    ASSERT_NE(inPlace, nullptr);
    EXPECT_EQ(std::u16string(inPlace, 9), u"Seventeen");
    // An empty string, a missing string in a present block, a missing block.
    buffer[0] = 'x';
    EXPECT_EQ(LoadStringW(nullptr, 18, buffer, 32), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(LoadStringW(nullptr, 16, buffer, 32), 0);
    EXPECT_EQ(LoadStringW(nullptr, 4000, buffer, 32), 0);
    EXPECT_EQ(LoadStringW(nullptr, 17, nullptr, 32), 0);

    // A block whose length runs past its end.
    const BYTE damaged[] = {0, 0, 9, 0, 'S', 0};
    const WCHAR* text = nullptr;
    int length = -1;
    EXPECT_FALSE(ResFindStringInBlock(damaged, sizeof damaged, 1, &text, &length));
    EXPECT_EQ(length, 0);
    EXPECT_FALSE(ResFindStringInBlock(damaged, sizeof damaged, 16, &text, &length));
    EXPECT_TRUE(ResFindStringInBlock(damaged, sizeof damaged, 0, &text, &length));
}
