// WindowScrollBars.cpp: SetScrollInfo and its family. For SB_CTL the call goes to the control; for
// a window's own vertical bar (SB_VERT) the window gets a SCROLLBAR child along its right edge,
// placed again at every call so it follows the window's size. The child belongs to the window.
#include "platform/Win32.h"
#include "platform/controls/Controls.h"

namespace {

HWND OwnVerticalBar(HWND window, bool create) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == WindowBarId) return child;
    if (!create || !IsWindow(window)) return nullptr;
    PlatformRegisterControlClasses();
    return CreateWindowExW(0, WC_SCROLLBARW, u"", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, window,
                           reinterpret_cast<HMENU>(UINT_PTR(WindowBarId)), nullptr, nullptr);
}

void PlaceAlongRightEdge(HWND window, HWND bar) {
    RECT client;
    GetClientRect(window, &client);
    int width = GetSystemMetrics(SM_CXVSCROLL);
    RECT now;
    GetWindowRect(bar, &now);
    POINT corner{now.left, now.top};
    ScreenToClient(window, &corner);
    if (corner.x != client.right - width || corner.y != 0 || now.bottom - now.top != client.bottom ||
        now.right - now.left != width)
        MoveWindow(bar, client.right - width, 0, width, client.bottom, TRUE);
}

// The control a call addresses: the control itself, or the window's own bar.
HWND Target(HWND window, int bar, bool create) {
    if (bar == SB_CTL) return window;
    if (bar != SB_VERT) return nullptr;
    HWND own = OwnVerticalBar(window, create);
    if (own) PlaceAlongRightEdge(window, own);
    return own;
}

} // namespace

int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw) {
    HWND target = Target(window, bar, true);
    if (target == nullptr || info == nullptr) return 0;
    return int(SendMessageW(target, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
}

BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info) {
    HWND target = Target(window, bar, false);
    if (target == nullptr || info == nullptr) return FALSE;
    return BOOL(SendMessageW(target, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

int SetScrollPos(HWND window, int bar, int pos, BOOL redraw) {
    HWND target = Target(window, bar, true);
    return target ? int(SendMessageW(target, SBM_SETPOS, WPARAM(pos), redraw)) : 0;
}

int GetScrollPos(HWND window, int bar) {
    HWND target = Target(window, bar, false);
    return target ? int(SendMessageW(target, SBM_GETPOS, 0, 0)) : 0;
}

BOOL SetScrollRange(HWND window, int bar, int min, int max, BOOL redraw) {
    HWND target = Target(window, bar, true);
    if (target == nullptr) return FALSE;
    SendMessageW(target, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, WPARAM(min), LPARAM(max));
    return TRUE;
}

BOOL ShowScrollBar(HWND window, int bar, BOOL show) {
    HWND target = Target(window, bar, bool(show));
    if (target == nullptr) return !show;
    ShowWindow(target, show ? SW_SHOW : SW_HIDE);
    return TRUE;
}
