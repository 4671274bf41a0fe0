// MenuBar.cpp: the menu bar at the bottom of the screen (or the command bar at the top on older
// platforms), its tool buttons and tooltips, the menu's check marks, and the set-up every
// full-screen dialog shares. The bar window belongs to the shell until the destroy message.
#include "shell/MainWindow.h"

#include "navigation/Navigation.h"
#include "shell/ReaderState.h"

namespace {

constexpr UINT ItemCheckedBit = 0x0008; // GetMenuState's checked bit

// Images 0-5 of bitmap 114, each an enabled push button with no text.
const TBBUTTON ToolButtons[ToolImageCount] = {
    {0, CommandPreviousArticle, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {1, CommandIndex, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {2, CommandNextArticle, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {3, CommandFont, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {4, CommandSearch, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {5, CommandSearchAgain, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
};

// Handed to the bar in this order; the first entry stands for no button.
const WCHAR* const ToolTips[] = {
    u"", u"Previous Article", u"Choose Article", u"Next Article", u"Choose Font", u"Search", u"Search Again"};
constexpr int ToolTipCount = sizeof ToolTips / sizeof ToolTips[0];

bool PlatformHasBottomMenuBar() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) return false;
    return version.dwMajorVersion > MenuBarOnBottomMajor ||
           (version.dwMajorVersion == MenuBarOnBottomMajor && version.dwMinorVersion >= MenuBarOnBottomMinor);
}

void CreateBottomMenuBar(HWND window) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = window;
    info.dwFlags = SHCMBF_HIDESIPBUTTON;
    info.nToolBarId = MenuBarResource;
    info.hInstRes = ReaderState.Instance;
    if (!SHCreateMenuBar(&info)) return;
    ReaderState.MenuBar = info.hwndMB;
    RECT r;
    GetWindowRect(ReaderState.MenuBar, &r);
    ReaderState.MenuBarHeight = r.bottom - r.top;
}

void CreateTopCommandBar(HWND window) {
    ReaderState.MenuBar = CommandBar_Create(ReaderState.Instance, window, CommandBarId);
    ReaderState.MenuBarHeight = CommandBar_Height(ReaderState.MenuBar);
    CommandBar_InsertMenubar(ReaderState.MenuBar, ReaderState.Instance, MenuBarResource, 0);
}

} // namespace

void BuildMenuBar(HWND window) {
    if (PlatformHasBottomMenuBar()) ReaderState.MenuBarOnBottom = 1;
    if (ReaderState.MenuBarOnBottom == 1)
        CreateBottomMenuBar(window);
    else
        CreateTopCommandBar(window);
    HWND bar = ReaderState.MenuBar;
    SendMessageW(bar, TB_SETTOOLTIPS, ToolTipCount, reinterpret_cast<LPARAM>(ToolTips));
    CommandBar_AddBitmap(bar, ReaderState.Instance, ToolBitmapResource, ToolImageCount, ToolImageSize,
                         ToolImageSize);
    SendMessageW(bar, TB_ADDBUTTONS, ToolImageCount, reinterpret_cast<LPARAM>(ToolButtons));
    if (FullScreen && ReaderState.MenuBarOnBottom == 0) CommandBar_AddAdornments(bar, 0, 0);
    CommandBar_Show(bar, TRUE);
}

HMENU GoPopup() {
    if (ReaderState.MenuBarOnBottom == 1)
        return reinterpret_cast<HMENU>(SendMessageW(ReaderState.MenuBar, SHCMBM_GETSUBMENU, 0, MenuButtonGo));
    return CommandBar_GetMenu(ReaderState.MenuBar, 0);
}

HMENU VarniPopup() {
    if (ReaderState.MenuBarOnBottom == 1)
        return reinterpret_cast<HMENU>(
            SendMessageW(ReaderState.MenuBar, SHCMBM_GETSUBMENU, 0, MenuButtonVarni));
    return CommandBar_GetMenu(ReaderState.MenuBar, 0);
}

int SetMenuCheck(HMENU menu, int mode, UINT item, int value) {
    int checked;
    if (mode == MenuCheckToggle)
        checked = (GetMenuState(menu, item, MF_BYCOMMAND) & ItemCheckedBit) == 0;
    else
        checked = value != 0;
    CheckMenuItem(menu, item, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    return checked;
}

void UpdateReverseCheck(HWND, int mode) {
    int checked = SetMenuCheck(GoPopup(), mode, CommandReverse, (ReaderState.Flags & FlagReverse) != 0);
    if (checked)
        ReaderState.Flags |= FlagReverse;
    else
        ReaderState.Flags &= ~FlagReverse;
}

void UpdateBookmarkCheck(HWND, int mode) {
    SetMenuCheck(GoPopup(), mode, CommandBookmark, IsBookmarked());
}

void CheckSplitItem(HWND) {
    CheckMenuRadioItem(VarniPopup(), CommandSplitFirst, CommandSplitLast,
                       UINT(PaneState.BottomSection + CommandSplitBase), MF_BYCOMMAND);
}

void InitDialogLayout(HWND dialog, DWORD flags) {
    SHINITDLGINFO info{};
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = dialog;
    info.dwFlags = flags | (FullScreen ? 0 : SHIDIF_DONEBUTTON);
    SHInitDialog(&info);
    if (!FullScreen) return;
    RECT r;
    GetWindowRect(dialog, &r);
    MoveWindow(dialog, r.left, 0, r.right, r.bottom, FALSE);
}
