// The handheld shell's bars and dialog set-up: the menu bar from the reader's resource 102 with its
// popups and tool buttons, docking and resizing, the command bar at the top, SHInitDialog.
#include "UiTestSupport.h"

#include "platform/ceshell/ShellBar.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int ToolA = 5001, ToolB = 5002;

RECT RectInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<std::pair<WORD, LPARAM>> Commands() {
    std::vector<std::pair<WORD, LPARAM>> commands;
    for (const UiLogged& l : UiLog())
        if (l.Message == WM_COMMAND) commands.emplace_back(LOWORD(l.WParam), l.LParam);
    return commands;
}

HWND MakeMenuBar(HWND parent) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = parent;
    info.dwFlags = SHCMBF_HIDESIPBUTTON;
    info.nToolBarId = IDR_MENUBAR;
    info.hInstRes = GetModuleHandleW(nullptr);
    EXPECT_TRUE(SHCreateMenuBar(&info));
    return info.hwndMB;
}

} // namespace

using ShellBar = UiTest;

TEST_F(ShellBar, MenuBarFromTheReadersResourceDocksAtTheBottom) {
    HWND bar = MakeMenuBar(Parent);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 2);
    ShellBarRecord* record = ShellBarFind(bar);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Buttons[0].Text, u"Go");
    EXPECT_EQ(record->Buttons[1].Text, u"Varni");
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, IDM_GO)), GetSubMenu(menu, 0));
    EXPECT_EQ(reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, IDM_VARNI)),
              GetSubMenu(menu, 1));
    EXPECT_EQ(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 12345), 0);

    RECT client, placed;
    GetClientRect(Parent, &client);
    placed = RectInParent(bar);
    RECT expected{0, client.bottom - ShellMenuBarHeight, client.right, client.bottom};
    EXPECT_TRUE(EqualRect(&placed, &expected));
    SetWindowPos(Parent, nullptr, 0, 0, 240, 300, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(Parent, &client);
    placed = RectInParent(bar);
    expected = RECT{0, client.bottom - ShellMenuBarHeight, client.right, client.bottom};
    EXPECT_TRUE(EqualRect(&placed, &expected));

    // A tap on "Go" opens its popup above the bar. The popup is taller than this window, so it covers
    // the button: the tap's own release must choose nothing. Down and Enter choose the first item.
    UiLog().clear();
    RECT go = record->Buttons[0].Rect;
    UiQueueTap(bar, (go.left + go.right) / 2, 10);
    UiQueuePress(VK_DOWN);
    UiQueuePress(VK_RETURN);
    UiPump();
    UiPump();
    ASSERT_FALSE(Commands().empty());
    EXPECT_EQ(Commands().front().first, IDM_ABOUT);
}

TEST_F(ShellBar, ToolButtonsImagesAndTips) {
    HWND bar = MakeMenuBar(Parent);
    const WCHAR* const tips[] = {u"", u"First tool", u"Second tool"};
    EXPECT_TRUE(SendMessageW(bar, TB_SETTOOLTIPS, 3, reinterpret_cast<LPARAM>(tips)));
    EXPECT_EQ(CommandBar_AddBitmap(bar, GetModuleHandleW(nullptr), IDB_TOOLBAR, 6, 16, 16), 0);
    TBBUTTON buttons[2] = {{0, ToolA, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
                           {1, ToolB, 0, TBSTYLE_BUTTON, {}, 0, 0}};
    EXPECT_TRUE(SendMessageW(bar, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(buttons)));
    EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 4);
    ShellBarRecord* record = ShellBarFind(bar);
    ASSERT_EQ(record->Buttons.size(), 4u);
    EXPECT_EQ(record->ToolTips.size(), 3u);
    RECT a = record->Buttons[2].Rect, b = record->Buttons[3].Rect;
    EXPECT_GE(a.left, record->Buttons[1].Rect.right); // tool buttons after the menu buttons
    EXPECT_GE(a.right - a.left, 16);

    UiLog().clear();
    UiTap(bar, (a.left + a.right) / 2, 10);
    UiTap(bar, (b.left + b.right) / 2, 10); // disabled: nothing
    UiQueuePointer(bar, BackendEventKind::PointerDown, (a.left + a.right) / 2, 10);
    UiQueuePointer(bar, BackendEventKind::PointerUp, (b.left + b.right) / 2,
                   10); // released elsewhere: nothing
    UiPump();
    EXPECT_EQ(Commands(), (std::vector<std::pair<WORD, LPARAM>>{{ToolA, reinterpret_cast<LPARAM>(bar)}}));
    SendMessageW(bar, TB_ENABLEBUTTON, ToolB, TRUE);
    UiLog().clear();
    UiTap(bar, (b.left + b.right) / 2, 10);
    EXPECT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands().front().first, ToolB);

    // A held tap shows the button's tooltip (a visible child of the parent) after a while.
    UiQueuePointer(bar, BackendEventKind::PointerDown, (a.left + a.right) / 2, 10);
    UiPump();
    UiAdvance(2000);
    ASSERT_NE(record->Tip, nullptr);
    EXPECT_TRUE(IsWindowVisible(record->Tip));
    WCHAR text[32] = {};
    GetWindowTextW(record->Tip, text, 32);
    EXPECT_EQ(std::u16string(text), u"First tool");
    UiQueuePointer(bar, BackendEventKind::PointerUp, (a.left + a.right) / 2, 10);
    UiPump();
    EXPECT_EQ(record->Tip, nullptr);
}

TEST_F(ShellBar, CommandBarSitsAtTheTop) {
    HWND bar = CommandBar_Create(GetModuleHandleW(nullptr), Parent, 77);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(CommandBar_Height(bar), 26);
    EXPECT_TRUE(CommandBar_InsertMenubar(bar, GetModuleHandleW(nullptr), IDR_MENUBAR, 0));
    HMENU menu = CommandBar_GetMenu(bar, 0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 2);
    EXPECT_TRUE(CommandBar_Show(bar, TRUE));
    EXPECT_TRUE(IsWindowVisible(bar));
    RECT client, placed = RectInParent(bar);
    GetClientRect(Parent, &client);
    RECT expected{0, 0, client.right, 26};
    EXPECT_TRUE(EqualRect(&placed, &expected));
    EXPECT_EQ(GetDlgCtrlID(bar), 77);
    EXPECT_TRUE(CommandBar_AddAdornments(bar, 0, 0));
    UiLog().clear();
    UiTap(bar, client.right - 5, 10); // the close button
    EXPECT_FALSE(IsWindow(Parent));   // the logging parent lets DefWindowProc close it
    Parent = nullptr;
    EXPECT_EQ(CommandBar_Height(nullptr), 0);
}

TEST_F(ShellBar, InitDialogSizesOverTheOwnerAndSendsSize) {
    HWND dialog = CreateWindowExW(0, UiParentClass, u"Dialog", WS_POPUP | WS_VISIBLE, 30, 30, 100, 80, Parent,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    RECT owner;
    GetWindowRect(Parent, &owner);
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG | SHIDIF_SIPDOWN};
    SipShowIM(SIPF_ON);
    UiLog().clear();
    ASSERT_TRUE(SHInitDialog(&info));
    RECT r;
    GetWindowRect(dialog, &r);
    RECT expected{owner.left, owner.top, owner.right, owner.bottom - ShellMenuBarHeight}; // room for the bar
    EXPECT_TRUE(EqualRect(&r, &expected));
    EXPECT_NE(DWORD(GetWindowLongW(dialog, GWL_EXSTYLE)) & WS_EX_CAPTIONOKBTN, 0u);
    EXPECT_FALSE(PlatformShellStateNow().SipOn);
    ASSERT_FALSE(UiLog().empty());
    EXPECT_EQ(UiLog().back().Message, UINT(WM_SIZE));

    info.dwFlags = 0x1E; // the reader's: full screen, no menu bar, input panel down
    ASSERT_TRUE(SHInitDialog(&info));
    GetWindowRect(dialog, &r);
    EXPECT_TRUE(EqualRect(&r, &owner));
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(UiLog().back().Message, UINT(WM_SIZE));
    EXPECT_EQ(UiLog().back().LParam, MAKELPARAM(client.right, client.bottom));
    info.dwMask = 0;
    EXPECT_FALSE(SHInitDialog(&info));
    DestroyWindow(dialog);
}
