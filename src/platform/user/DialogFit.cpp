// DialogFit.cpp: room for the static texts of a template whose "System" font was given the
// platform's stand-in face. That face is wider for its base units than the handheld's own (see
// PlatformDialogFace), so a text that filled its box on the device wraps here onto a line the box
// has no room for, and that line's words would be cut off whole. Such a static grows downward,
// keeping its place and width, as far as its wrapped text needs and the dialog has free room:
// never over a control below it nor past the client area. Nothing is allocated here.
#include "platform/user/Dialog.h"

#include <algorithm>

namespace {

constexpr int TextCapacity = 1024; // as much as the static control draws

// Statics that word-wrap their text: left, centred or right, not a picture nor one line centred.
bool WrapsText(HWND control) {
    WCHAR cls[16] = {};
    if (GetClassNameW(control, cls, 16) == 0 || wcsicmp16(cls, WC_STATICW) != 0) return false;
    DWORD style = DWORD(GetWindowLongW(control, GWL_STYLE));
    DWORD kind = style & SS_TYPEMASK;
    return (kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT) && !(style & SS_CENTERIMAGE);
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The height the static's text takes wrapped to its width, in the DC's font.
int WrappedHeight(HDC dc, HWND control, int width) {
    WCHAR text[TextCapacity];
    int n = GetWindowTextW(control, text, TextCapacity);
    if (n == 0) return 0;
    UINT format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;
    if (GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) format |= DT_NOPREFIX;
    RECT calc{0, 0, width, 0};
    DrawTextW(dc, text, n, &calc, format);
    return calc.bottom;
}

// How far down the static at r may reach: the client's bottom, or the top of the first control
// below that shares some of its columns; its own bottom when such a control already reaches in.
LONG RoomBelow(HWND dialog, HWND control, const RECT& r) {
    RECT client;
    GetClientRect(dialog, &client);
    LONG limit = client.bottom;
    for (HWND other = GetWindow(dialog, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
        if (other == control || !(GetWindowLongW(other, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT q = ChildRect(dialog, other);
        if (q.right <= r.left || q.left >= r.right || q.bottom <= r.top) continue;
        limit = std::min(limit, q.top >= r.bottom ? q.top : r.bottom);
    }
    return std::max(limit, r.bottom);
}

} // namespace

void DialogFitStaticTexts(HWND dialog, HFONT font) {
    HDC dc = GetDC(dialog);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (!WrapsText(control)) continue;
        RECT r = ChildRect(dialog, control);
        int needed = WrappedHeight(dc, control, r.right - r.left);
        if (needed <= r.bottom - r.top) continue;
        LONG bottom = std::min<LONG>(r.top + needed, RoomBelow(dialog, control, r));
        if (bottom > r.bottom)
            SetWindowPos(control, nullptr, 0, 0, r.right - r.left, bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (old) SelectObject(dc, old);
    ReleaseDC(dialog, dc);
}
