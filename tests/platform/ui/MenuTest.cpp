// Menus against Win32's results: the reader's menu 102 loaded from the resources, item state by
// command through the popups, item information, popups run by taps and keys, and the radio mark.
#include "UiTestSupport.h"

#include "platform/user/UiTheme.h"
#include "resources/ResourceIds.h"

namespace {

HMENU LoadReaderMenu() {
    return LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENUBAR));
}

std::u16string ItemString(HMENU menu, UINT item, UINT flags) {
    WCHAR text[64] = {};
    GetMenuStringW(menu, item, text, 64, flags);
    return text;
}

// The WM_COMMAND ids the parent got with a null lParam (from menus).
std::vector<WORD> MenuCommands() {
    std::vector<WORD> ids;
    for (const UiLogged& l : UiLog())
        if (l.Message == WM_COMMAND && l.LParam == 0) ids.push_back(LOWORD(l.WParam));
    return ids;
}

} // namespace

using Menu = UiTest;

TEST_F(Menu, ReaderMenuStateByCommandThroughPopups) {
    HMENU menu = LoadReaderMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    HMENU go = GetSubMenu(menu, 0), varni = GetSubMenu(menu, 1);
    ASSERT_NE(go, nullptr);
    ASSERT_NE(varni, nullptr);
    EXPECT_EQ(ItemString(menu, 0, MF_BYPOSITION), u"&Go");
    EXPECT_EQ(ItemString(menu, 1, MF_BYPOSITION), u"&Varni");
    EXPECT_EQ(GetMenuItemCount(go), 18);
    EXPECT_EQ(GetMenuItemCount(varni), 6);
    EXPECT_EQ(GetMenuItemID(go, 0), UINT(IDM_ABOUT));
    EXPECT_EQ(GetMenuItemID(menu, 0), UINT(-1)); // a popup
    EXPECT_EQ(GetMenuState(go, 2, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION), MF_POPUP | (6u << 8));
    EXPECT_EQ(ItemString(menu, IDM_FONT, MF_BYCOMMAND), u"F&ont\bCtrl+F"); // the shortcut after 0x08

    // By command from the top menu, through the popups.
    EXPECT_EQ(CheckMenuItem(menu, IDM_REVERSE, MF_BYCOMMAND | MF_CHECKED), DWORD(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(menu, IDM_REVERSE, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(go, IDM_REVERSE, MF_BYCOMMAND | MF_UNCHECKED), DWORD(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 9999, MF_BYCOMMAND | MF_CHECKED), DWORD(-1));
    EXPECT_EQ(GetMenuState(menu, 9999, MF_BYCOMMAND), UINT(-1));

    EXPECT_TRUE(
        CheckMenuRadioItem(menu, IDM_SPLIT_NONE, IDM_SPLIT_THREE_QUARTERS, IDM_SPLIT_HALF, MF_BYCOMMAND));
    EXPECT_TRUE(
        CheckMenuRadioItem(menu, IDM_SPLIT_NONE, IDM_SPLIT_THREE_QUARTERS, IDM_SPLIT_THIRD, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(menu, IDM_SPLIT_HALF, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuState(menu, IDM_SPLIT_THIRD, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoW(varni, IDM_SPLIT_THIRD, FALSE, &info));
    EXPECT_EQ(info.fType & MFT_RADIOCHECK, MFT_RADIOCHECK);
    EXPECT_EQ(info.fState & MFS_CHECKED, MFS_CHECKED);
    ASSERT_TRUE(GetMenuItemInfoW(varni, IDM_SPLIT_HALF, FALSE, &info));
    EXPECT_EQ(info.fType & MFT_RADIOCHECK, MFT_RADIOCHECK); // Win32 keeps the radio type on the others
    EXPECT_EQ(info.fState & MFS_CHECKED, 0u);
    CheckMenuItem(menu, IDM_SPLIT_HALF, MF_BYCOMMAND | MF_CHECKED);
    ASSERT_TRUE(GetMenuItemInfoW(varni, IDM_SPLIT_HALF, FALSE, &info));
    EXPECT_EQ(info.fType & MFT_RADIOCHECK, MFT_RADIOCHECK);

    EXPECT_EQ(EnableMenuItem(menu, IDM_EXIT, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(menu, IDM_EXIT, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(menu, IDM_EXIT, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(menu, 9999, MF_BYCOMMAND | MF_ENABLED), -1);

    // Item information: the text with its length, and a text set by command.
    WCHAR buffer[8];
    info = MENUITEMINFOW{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
    info.dwTypeData = buffer;
    info.cch = 8;
    ASSERT_TRUE(GetMenuItemInfoW(go, 1, TRUE, &info));
    EXPECT_EQ(std::u16string(buffer), u"Check F"); // cut to the buffer
    EXPECT_EQ(info.cch, 18u);
    EXPECT_EQ(info.wID, UINT(IDM_CHECK_UPDATES));
    EXPECT_EQ(info.hSubMenu, nullptr);
    info.fMask = MIIM_STRING;
    WCHAR renamed[] = u"&Updates";
    info.dwTypeData = renamed;
    ASSERT_TRUE(SetMenuItemInfoW(menu, IDM_CHECK_UPDATES, FALSE, &info));
    EXPECT_EQ(ItemString(go, IDM_CHECK_UPDATES, MF_BYCOMMAND), u"&Updates");
    EXPECT_EQ(GetMenuItemID(go, 1), UINT(IDM_CHECK_UPDATES));
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(varni)); // destroyed with the menu that held it
}

TEST_F(Menu, PopupRunsByKeysAndTaps) {
    HMENU menu = LoadReaderMenu();
    HMENU go = GetSubMenu(menu, 0), varni = GetSubMenu(menu, 1);
    POINT at{20, 30};
    ClientToScreen(Parent, &at);

    // Keys: the third Down steps over the separator to F&ont; Enter chooses it.
    UiQueuePress(VK_DOWN);
    UiQueuePress(VK_DOWN);
    UiQueuePress(VK_DOWN);
    UiQueuePress(VK_RETURN);
    EXPECT_TRUE(TrackPopupMenuEx(go, TPM_LEFTALIGN, at.x, at.y, Parent, nullptr));
    UiPump();
    EXPECT_EQ(MenuCommands(), std::vector<WORD>{IDM_FONT});

    UiLog().clear();
    UiQueuePress(VK_UP); // from no item: wraps to the last
    UiQueuePress(VK_RETURN);
    EXPECT_EQ(TrackPopupMenuEx(go, TPM_RETURNCMD, at.x, at.y, Parent, nullptr), IDM_EXIT);
    UiQueuePress(VK_DOWN);
    UiQueuePress(VK_ESCAPE);
    UiQueuePress(VK_RETURN); // after the popup: not its
    EXPECT_FALSE(TrackPopupMenuEx(go, 0, at.x, at.y, Parent, nullptr));
    UiBackendState().Steps.clear();
    UiPump();
    EXPECT_TRUE(MenuCommands().empty());

    // Mnemonics are typed without Alt ("v" for Re&verse, any case); Alt closes the popup, as in Win32.
    UiQueueText("v");
    EXPECT_EQ(TrackPopupMenuEx(go, TPM_RETURNCMD, at.x, at.y, Parent, nullptr), IDM_REVERSE);
    UiQueueText("N");
    EXPECT_EQ(TrackPopupMenuEx(varni, TPM_RETURNCMD, at.x, at.y, Parent, nullptr), IDM_SPLIT_NONE);
    UiQueueKey(VK_MENU);
    UiQueueText("n");
    EXPECT_EQ(TrackPopupMenuEx(varni, TPM_RETURNCMD, at.x, at.y, Parent, nullptr), 0);
    UiQueueKey(VK_MENU, false);
    UiPump();
    UiLog().clear();

    // Taps: the rows of the six-item popup share its height; a disabled item is not chosen.
    HWND popup = nullptr;
    RECT popupRect{};
    auto findPopup = [&] {
        for (HWND c = GetWindow(Parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (IsWindowVisible(c)) popup = c;
        GetClientRect(popup, &popupRect);
    };
    UiQueueStep([&] {
        findPopup();
        int row = (popupRect.bottom - 2) / 6;
        UiQueueTap(popup, 20, 1 + row * 2 + row / 2); // 1/2 Screen
    });
    EXPECT_TRUE(TrackPopupMenuEx(varni, 0, at.x, at.y, Parent, nullptr));
    UiPump();
    EXPECT_EQ(MenuCommands(), std::vector<WORD>{IDM_SPLIT_HALF});
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(IsWindow(popup)); // gone after the run

    EnableMenuItem(menu, IDM_SPLIT_QUARTER, MF_BYCOMMAND | MF_GRAYED);
    UiLog().clear();
    UiQueueStep([&] {
        findPopup();
        int row = (popupRect.bottom - 2) / 6;
        UiQueueTap(popup, 20, 1 + row / 2);                             // the grayed item: nothing
        UiQueueTap(popup, popupRect.right + 50, popupRect.bottom + 50); // outside: closes
    });
    EXPECT_FALSE(TrackPopupMenuEx(varni, 0, at.x, at.y, Parent, nullptr));
    UiPump();
    EXPECT_TRUE(MenuCommands().empty());
    DestroyMenu(menu);
}

// A radio item's mark is a round dot: its middle in the text's colour, the corners of its box left
// to the popup's background.
TEST_F(Menu, RadioMarkIsRound) {
    HMENU menu = LoadReaderMenu();
    HMENU varni = GetSubMenu(menu, 1);
    CheckMenuRadioItem(menu, IDM_SPLIT_NONE, IDM_SPLIT_THREE_QUARTERS, IDM_SPLIT_HALF, MF_BYCOMMAND);
    POINT at{20, 30};
    ClientToScreen(Parent, &at);
    std::vector<COLORREF> seen; // centre, then the four corners of the mark's box
    UiQueueStep([&] {
        HWND popup = nullptr;
        for (HWND w = GetWindow(Parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            WCHAR cls[16] = {};
            if (GetClassNameW(w, cls, 16) && std::u16string(cls) == u"#32768") popup = w;
        }
        ASSERT_NE(popup, nullptr);
        UpdateWindow(popup);
        HDC dc = GetDC(popup);
        // The mark's column is the check column's middle; its rows are where that column is dark.
        const int cx = 1 + UiMenuSideMargin / 2 + UiMenuCheckColumn / 2;
        int top = -1, bottom = -1;
        RECT client;
        GetClientRect(popup, &client);
        for (int y = 0; y < client.bottom; ++y)
            if (GetPixel(dc, cx, y) == UiTextColour) {
                if (top < 0) top = y;
                bottom = y;
            }
        if (top >= 0) {
            const int cy = (top + bottom) / 2, r = UiMenuRadioRadius;
            seen = {GetPixel(dc, cx, cy), GetPixel(dc, cx - r, cy - r), GetPixel(dc, cx + r, cy - r),
                    GetPixel(dc, cx - r, cy + r), GetPixel(dc, cx + r, cy + r)};
        }
        ReleaseDC(popup, dc);
    });
    UiQueuePress(VK_ESCAPE);
    TrackPopupMenuEx(varni, TPM_RETURNCMD, at.x, at.y, Parent, nullptr);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], UiTextColour);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], UiWindowColour) << i;
    DestroyMenu(menu);
}
