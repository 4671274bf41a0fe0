// The reader's resource script as the program sees it: every dialog, the menu, the menu-bar
// resource, the strings, the accelerators and the bitmaps, read back from the .res of each resource
// compiler through the platform's readers and compared with the values the reader's code relies on.
#include "tests/resources/ResourceScriptSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD DialogStyle = 0x90C80840;     // popup, visible, caption, system menu, centred, font
constexpr DWORD CaptionOkButton = 0x80000000; // the OK button in the caption
constexpr DWORD NoId = WORD(IDC_STATIC);      // a DIALOG item's id is 16 bits

struct ExpectedItem {
    DWORD Id;
    WORD Class;
    const char16_t* Text; // null: the title is the bitmap Bitmap
    WORD Bitmap;
    SHORT X, Y, Cx, Cy;
    DWORD Style;
};

struct ExpectedDialog {
    WORD Id;
    const char16_t* Caption;
    SHORT Cx, Cy;
    std::vector<ExpectedItem> Items;
};

const ExpectedDialog Dialogs[] = {
    {IDD_ABOUT,
     u"Kestrova",
     130,
     85,
     {{NoId, ResClassStatic, u"Ordane (with Varni) Kestrova", 0, 7, 7, 81, 8, 0x50020080},
      {NoId, ResClassStatic, nullptr, IDB_ABOUT, 88, 7, 47, 20, 0x5000000E},
      {NoId, ResClassStatic, u"Version 1.84a", 0, 7, 24, 45, 8, 0x50020000},
      {IDC_HOME_LINK, ResClassButton, u"" KESTROVA_HOME_PAGE, 0, 7, 58, 100, 8, 0x5001000B}}},
    {IDD_CHOOSE_FONT,
     u"Choose Font",
     152,
     167,
     {{IDC_FONT_FACES, ResClassListBox, u"", 0, 7, 7, 107, 94, 0x50A30103},
      {IDC_FONT_SIZES, ResClassListBox, u"", 0, 120, 44, 25, 56, 0x50A30101},
      {IDC_FONT_SAMPLE, ResClassEdit, u"", 0, 7, 106, 138, 50, 0x50810046},
      {IDC_FONT_BASE_224, ResClassButton, u"224", 0, 116, 19, 29, 10, 0x50000009},
      {IDC_FONT_BASE_5D0, ResClassButton, u"5D0", 0, 116, 31, 29, 10, 0x50000009}}},
    {IDD_SEARCH,
     u"Kestrova",
     126,
     131,
     {{NoId, ResClassStatic, u"Search", 0, 7, 7, 112, 8, 0x50020081},
      {IDC_SEARCH_TEXT, ResClassEdit, u"", 0, 7, 21, 112, 43, 0x50810082},
      {NoId, ResClassStatic, nullptr, IDB_KEYBOARD, 7, 71, 0, 0, 0x5000000E}}},
    {IDD_CHOOSE_SECTION, u"Choose Section", 160, 160, {}},
};

void ExpectItem(const ResDialogItem& item, const ExpectedItem& want) {
    EXPECT_EQ(item.Id, want.Id);
    EXPECT_EQ(ResControlClassOrdinal(item.Class), want.Class);
    if (want.Text != nullptr) {
        EXPECT_FALSE(item.Title.IsOrdinal);
        EXPECT_EQ(item.Title.Text, want.Text);
    } else {
        EXPECT_TRUE(item.Title.IsOrdinal);
        EXPECT_EQ(item.Title.Ordinal, want.Bitmap);
    }
    EXPECT_EQ(item.X, want.X);
    EXPECT_EQ(item.Y, want.Y);
    EXPECT_EQ(item.Cx, want.Cx);
    EXPECT_EQ(item.Cy, want.Cy);
    EXPECT_EQ(item.Style, want.Style); // no compiler's default bits added
    EXPECT_EQ(item.ExStyle, 0u);
}

struct ExpectedMenuItem {
    DWORD Id;
    const char16_t* Text; // "\b" before a shortcut text is the character 0x08
};

const std::vector<ExpectedMenuItem> GoPopup = {
    {IDM_ABOUT, u"&About"},
    {IDM_CHECK_UPDATES, u"Check For &Updates"},
    {0, u""},
    {IDM_FONT, u"F&ont\bCtrl+F"},
    {IDM_REVERSE, u"Re&verse"},
    {0, u""},
    {IDM_INDEX, u"&Index\bCtrl+D"},
    {IDM_BOOKMARK, u"&Bookmark"},
    {IDM_PREVIOUS_ARTICLE, u"&Previous Article"},
    {IDM_NEXT_ARTICLE, u"&Next Article"},
    {0, u""},
    {IDM_SEARCH, u"&Search\bAlt+F3"},
    {IDM_SEARCH_AGAIN, u"Search A&gain\bF3"},
    {0, u""},
    {IDM_COPY, u"&Copy\bCtrl+C"},
    {IDM_APPEND, u"&Append to ClipBoard\bCtrl+E"},
    {0, u""},
    {IDM_EXIT, u"E&xit\bCtrl+Q"},
};

const std::vector<ExpectedMenuItem> VarniPopup = {
    {IDM_SPLIT_QUARTER, u"1/&4 Screen"},       {IDM_SPLIT_THIRD, u"1/&3 Screen"},
    {IDM_SPLIT_HALF, u"1/&2 Screen"},          {IDM_SPLIT_TWO_THIRDS, u"2/3 Screen"},
    {IDM_SPLIT_THREE_QUARTERS, u"3/4 Screen"}, {IDM_SPLIT_NONE, u"&None"},
};

void ExpectPopup(const ResMenuItem& popup, const char16_t* text, const std::vector<ExpectedMenuItem>& items) {
    EXPECT_TRUE(popup.Popup);
    EXPECT_EQ(popup.Text, text);
    ASSERT_EQ(popup.Items.size(), items.size());
    for (size_t i = 0; i < items.size(); i++) {
        SCOPED_TRACE(testing::Message() << "item " << i);
        EXPECT_FALSE(popup.Items[i].Popup);
        EXPECT_EQ(popup.Items[i].Id, items[i].Id);
        EXPECT_EQ(popup.Items[i].Text, items[i].Text);
        EXPECT_EQ(popup.Items[i].State, 0u); // enabled and unchecked until the program says otherwise
    }
}

} // namespace

TEST_P(ResourceScript, DialogsHoldTheirControls) {
    for (const ExpectedDialog& want : Dialogs) {
        SCOPED_TRACE(testing::Message() << "dialog " << want.Id);
        std::vector<BYTE> bytes = Bytes(want.Id, RT_DIALOG);
        ResDialog dialog;
        ASSERT_TRUE(ResParseDialog(bytes.data(), bytes.size(), &dialog));
        EXPECT_EQ(dialog.Style, DialogStyle);
        EXPECT_EQ(dialog.ExStyle, CaptionOkButton);
        EXPECT_EQ(dialog.X, 0);
        EXPECT_EQ(dialog.Y, 0);
        EXPECT_EQ(dialog.Cx, want.Cx);
        EXPECT_EQ(dialog.Cy, want.Cy);
        EXPECT_EQ(dialog.Caption, want.Caption);
        EXPECT_TRUE(dialog.HasFont);
        EXPECT_EQ(dialog.PointSize, 8);
        EXPECT_EQ(dialog.FontFace, u"System");
        EXPECT_TRUE(dialog.Menu.Text.empty() && !dialog.Menu.IsOrdinal);
        ASSERT_EQ(dialog.Items.size(), want.Items.size());
        for (size_t i = 0; i < want.Items.size(); i++) {
            SCOPED_TRACE(testing::Message() << "item " << i);
            ExpectItem(dialog.Items[i], want.Items[i]);
        }
    }
}

TEST_P(ResourceScript, MenuHasTheGoAndVarniPopups) {
    std::vector<BYTE> bytes = Bytes(IDR_MENUBAR, RT_MENU);
    ResMenu menu;
    ASSERT_TRUE(ResParseMenu(bytes.data(), bytes.size(), &menu));
    EXPECT_FALSE(menu.Extended);
    ASSERT_EQ(menu.Items.size(), 2u);
    ExpectPopup(menu.Items[0], u"&Go", GoPopup);
    ExpectPopup(menu.Items[1], u"&Varni", VarniPopup);
}

TEST_P(ResourceScript, MenuBarButtonsOpenThePopupsWithTheirStrings) {
    std::vector<BYTE> bytes = Bytes(IDR_MENUBAR, RT_RCDATA);
    ResMenuBar bar;
    ASSERT_TRUE(ResParseMenuBar(bytes.data(), bytes.size(), &bar));
    EXPECT_EQ(bytes.size(), 4u + 2 * 14);
    EXPECT_EQ(bar.MenuId, IDR_MENUBAR);
    ASSERT_EQ(bar.Buttons.size(), 2u);
    const WORD commands[] = {IDM_GO, IDM_VARNI};
    const WORD strings[] = {IDS_GO, IDS_VARNI};
    for (WORD i = 0; i < 2; i++) {
        const ResMenuBarButton& button = bar.Buttons[i];
        EXPECT_EQ(button.Image, -2);
        EXPECT_EQ(button.Command, commands[i]);
        EXPECT_EQ(button.State, 4);
        EXPECT_EQ(button.Style, 0x18);
        EXPECT_EQ(button.StringId, strings[i]);
        EXPECT_EQ(button.Reserved, 0);
        EXPECT_EQ(button.Popup, i);
    }
    WCHAR text[16];
    EXPECT_EQ(LoadStringW(Module(), IDS_GO, text, 16), 2);
    EXPECT_EQ(std::u16string(text), u"Go");
    EXPECT_EQ(LoadStringW(Module(), IDS_VARNI, text, 16), 5);
    EXPECT_EQ(std::u16string(text), u"Varni");
}

TEST_P(ResourceScript, AcceleratorTableHoldsTheMenusSevenKeys) {
    // Flags (FVIRTKEY 1, FCONTROL 8, FALT 0x10, last entry 0x80), key, command, padding.
    const WORD want[][4] = {
        {0x09, 'F', IDM_FONT, 0},          {0x09, 'D', IDM_INDEX, 0}, {0x11, 0x72, IDM_SEARCH, 0},
        {0x01, 0x72, IDM_SEARCH_AGAIN, 0}, {0x09, 'C', IDM_COPY, 0},  {0x09, 'E', IDM_APPEND, 0},
        {0x89, 'Q', IDM_EXIT, 0},
    };
    std::vector<BYTE> bytes = Bytes(IDR_ACCELERATORS, RT_ACCELERATOR);
    ASSERT_EQ(bytes.size(), sizeof want);
    for (size_t i = 0; i < bytes.size() / 2; i++)
        EXPECT_EQ(bytes[2 * i] | bytes[2 * i + 1] << 8, want[i / 4][i % 4]) << "word " << i;
}

TEST_P(ResourceScript, BitmapsHaveTheirSizesAndDepths) {
    const struct {
        WORD Id;
        int Width, Height, Bits;
    } want[] = {{IDB_ABOUT, 63, 40, 1},     {IDB_TOOLBAR, 6 * 16, 16, 4}, {IDB_KEYBOARD, 154, 95, 1},
                {IDB_TREE_CLOSED, 9, 9, 1}, {IDB_TREE_OPEN, 9, 9, 1},     {IDB_TREE_LEAF, 9, 9, 1}};
    for (const auto& bitmap : want) {
        SCOPED_TRACE(testing::Message() << "bitmap " << bitmap.Id);
        std::vector<BYTE> bytes = Bytes(bitmap.Id, RT_BITMAP);
        ASSERT_GE(bytes.size(), 40u);
        EXPECT_EQ(ReadU16(bytes, 14), bitmap.Bits); // BITMAPINFOHEADER biBitCount
        HBITMAP loaded = LoadBitmapW(Module(), MAKEINTRESOURCEW(bitmap.Id));
        ASSERT_NE(loaded, nullptr);
        BITMAP info{};
        ASSERT_EQ(GetObjectW(loaded, sizeof info, &info), int(sizeof info));
        EXPECT_EQ(info.bmWidth, bitmap.Width);
        EXPECT_EQ(info.bmHeight, bitmap.Height);
        DeleteObject(loaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Compilers, ResourceScript,
                         testing::Values(ScriptCompiler::Windres, ScriptCompiler::LlvmRc),
                         [](const testing::TestParamInfo<ScriptCompiler>& info) {
                             return std::string(info.param == ScriptCompiler::Windres ? "Windres" : "LlvmRc");
                         });
