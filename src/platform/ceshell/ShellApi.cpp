// ShellApi.cpp: the handheld shell's calls: the menu bar from a menu-bar resource, the command bar,
// full screen, the input panel, dialog set-up, the setting-change handler and the task bar
// stand-in. The bars are ShellBar windows; what the shell was asked last is kept for tests.
#include "platform/Win32.h"
#include "platform/backend/Backend.h"
#include "platform/ceshell/ShellBar.h"
#include "platform/resources/ResourceTemplates.h"

namespace {

constexpr WORD NoPopup = 0xFFFF;
constexpr int ButtonTextCapacity = 64;

PlatformShellState& Shell() {
    static PlatformShellState state{0, false, -1, false};
    return state;
}

HWND RootOf(HWND window) {
    while (window && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        window = GetParent(window);
    return window;
}

void SwitchTextInput(HWND window, bool on) {
    Shell().SipOn = on;
    const Backend& backend = PlatformBackend();
    HWND target = window ? RootOf(window) : GetActiveWindow();
    if (backend.TextInput) backend.TextInput(target, on);
}

// The buttons of a menu-bar resource: each opens a popup of the menu, or sends its command.
void AddResourceButtons(HWND bar, HINSTANCE instance, const ResMenuBar& layout, HMENU menu) {
    for (const ResMenuBarButton& button : layout.Buttons) {
        WCHAR text[ButtonTextCapacity] = {};
        LoadStringW(instance, button.StringId, text, ButtonTextCapacity);
        HMENU popup = button.Popup == NoPopup ? nullptr : GetSubMenu(menu, button.Popup);
        ShellBarAddMenuButton(bar, text, popup, button.Command);
    }
}

bool LoadMenuBarResource(HINSTANCE instance, UINT id, ResMenuBar* layout) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(WORD(id)), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    return loaded && ResParseMenuBar(LockResource(loaded), SizeofResource(instance, found), layout);
}

} // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (info == nullptr || !IsWindow(info->hwndParent)) return FALSE;
    HWND bar = ShellBarCreate(info->hwndParent, info->hInstRes, true, 0);
    if (bar == nullptr) return FALSE;
    if (info->dwFlags & SHCMBF_HMENU) {
        CommandBar_InsertMenubar(bar, info->hInstRes, WORD(info->nToolBarId), 0);
    } else if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        ResMenuBar layout;
        HMENU menu = nullptr;
        if (!LoadMenuBarResource(info->hInstRes, info->nToolBarId, &layout) ||
            (menu = LoadMenuW(info->hInstRes, MAKEINTRESOURCEW(layout.MenuId))) == nullptr) {
            DestroyWindow(bar);
            return FALSE;
        }
        ShellBarSetMenu(bar, menu);
        AddResourceButtons(bar, info->hInstRes, layout, menu);
    }
    if (!(info->dwFlags & SHCMBF_HIDDEN)) ShowWindow(bar, SW_SHOW);
    info->hwndMB = bar;
    return TRUE;
}

HWND CommandBar_Create(HINSTANCE instance, HWND parent, int id) {
    return ShellBarCreate(parent, instance, false, id);
}

BOOL CommandBar_InsertMenubar(HWND bar, HINSTANCE instance, WORD menuId, WORD) {
    HMENU menu = ShellBarFind(bar) ? LoadMenuW(instance, MAKEINTRESOURCEW(menuId)) : nullptr;
    if (menu == nullptr) return FALSE;
    ShellBarSetMenu(bar, menu);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        WCHAR text[ButtonTextCapacity] = {};
        GetMenuStringW(menu, UINT(i), text, ButtonTextCapacity, MF_BYPOSITION);
        ShellBarAddMenuButton(bar, text, GetSubMenu(menu, i), 0);
    }
    return TRUE;
}

HMENU CommandBar_GetMenu(HWND bar, WORD) {
    ShellBarRecord* r = ShellBarFind(bar);
    return r ? r->Menu : nullptr;
}

int CommandBar_AddBitmap(HWND bar, HINSTANCE instance, int bitmapId, int images, int width, int height) {
    SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELONG(WORD(width), WORD(height)));
    TBADDBITMAP add{instance, UINT_PTR(bitmapId)};
    return int(SendMessageW(bar, TB_ADDBITMAP, WPARAM(images), reinterpret_cast<LPARAM>(&add)));
}

BOOL CommandBar_AddButtons(HWND bar, UINT count, LPCTBBUTTON buttons) {
    return BOOL(SendMessageW(bar, TB_ADDBUTTONS, count, reinterpret_cast<LPARAM>(buttons)));
}

BOOL CommandBar_AddToolTips(HWND bar, UINT count, LPCWSTR const* tips) {
    return BOOL(SendMessageW(bar, TB_SETTOOLTIPS, count, reinterpret_cast<LPARAM>(tips)));
}

BOOL CommandBar_AddAdornments(HWND bar, DWORD, DWORD) {
    ShellBarRecord* r = ShellBarFind(bar);
    if (r == nullptr) return FALSE;
    r->CloseButton = true;
    InvalidateRect(bar, nullptr, FALSE);
    return TRUE;
}

int CommandBar_Height(HWND bar) {
    ShellBarRecord* r = ShellBarFind(bar);
    return r ? r->Height : 0;
}

BOOL CommandBar_Show(HWND bar, BOOL show) {
    if (ShellBarFind(bar) == nullptr) return FALSE;
    ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void CommandBar_Destroy(HWND bar) {
    if (ShellBarFind(bar)) DestroyWindow(bar);
}

void InitCommonControls() {
    PlatformRegisterControlClasses();
    PlatformTaskBarWindow();
}

BOOL SHFullScreen(HWND window, DWORD state) {
    if (!IsWindow(window)) return FALSE;
    PlatformShellState& shell = Shell();
    shell.FullScreenFlags = state;
    bool full = shell.FullScreen;
    if (state & SHFS_HIDETASKBAR) full = true;
    if (state & SHFS_SHOWTASKBAR) full = false;
    if (full != shell.FullScreen) {
        shell.FullScreen = full;
        const Backend& backend = PlatformBackend();
        if (backend.SetFullScreen) backend.SetFullScreen(RootOf(window), full);
    }
    return TRUE;
}

BOOL SHSipPreference(HWND window, SIPSTATE state) {
    Shell().SipPreference = int(state);
    if (state == SIP_UP) SwitchTextInput(window, true);
    if (state == SIP_DOWN || state == SIP_FORCEDOWN) SwitchTextInput(window, false);
    return TRUE;
}

BOOL SipShowIM(DWORD flags) {
    SwitchTextInput(nullptr, (flags & SIPF_ON) != 0);
    return TRUE;
}

BOOL SHInitDialog(PSHINITDLGINFO info) {
    if (info == nullptr || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg)) return FALSE;
    HWND dialog = info->hDlg;
    DWORD flags = info->dwFlags;
    if (flags & SHIDIF_DONEBUTTON)
        SetWindowLongW(dialog, GWL_EXSTYLE,
                       LONG(DWORD(GetWindowLongW(dialog, GWL_EXSTYLE)) | WS_EX_CAPTIONOKBTN));
    if (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN)) {
        HWND owner = RootOf(GetParent(dialog));
        RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (owner) GetWindowRect(owner, &area);
        if (!(flags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)))
            area.bottom -= ShellMenuBarHeight;
        SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (flags & SHIDIF_SIPDOWN) SipShowIM(SIPF_OFF);
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO*) {
    return TRUE;
}

HWND PlatformTaskBarWindow() {
    static HWND taskBar = nullptr;
    if (taskBar && IsWindow(taskBar)) return taskBar;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = TaskBarClassName;
    RegisterClassW(&wc);
    taskBar =
        CreateWindowExW(0, TaskBarClassName, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    // The stand-in is the shell's, not the program's: the program's first window is its main one.
    if (PlatformMainWindow() == taskBar) PlatformSetMainWindow(nullptr);
    return taskBar;
}

const PlatformShellState& PlatformShellStateNow() {
    return Shell();
}
