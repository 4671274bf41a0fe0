// DefWindowProc.cpp: the default handling every window procedure falls back on.
#include "platform/user/Window.h"

#include "platform/backend/Backend.h"

#include <algorithm>

namespace {

LRESULT SetText(HWND window, LPCWSTR text) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    w->Text = text ? std::u16string(text) : std::u16string();
    if (w->Parent == nullptr && PlatformBackend().SetTitle)
        PlatformBackend().SetTitle(window, w->Text.c_str());
    if (w->Parent == nullptr) NonClientPaint(w);
    return TRUE;
}

LRESULT GetText(HWND window, WPARAM count, LPWSTR buffer) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || buffer == nullptr || count == 0) return 0;
    size_t n = std::min(w->Text.size(), size_t(count) - 1);
    std::copy_n(w->Text.data(), n, buffer);
    buffer[n] = 0;
    return LRESULT(n);
}

LRESULT Paint(HWND window) {
    PAINTSTRUCT paint;
    if (BeginPaint(window, &paint)) EndPaint(window, &paint);
    return 0;
}

} // namespace

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        PaintEraseBackground(window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT:
        return Paint(window);
    case WM_SETTEXT:
        return SetText(window, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT:
        return GetText(window, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: {
        WindowRecord* w = WindowFind(window);
        return w ? LRESULT(w->Text.size()) : 0;
    }
    case WM_ACTIVATE:
        // The window being activated takes the keyboard focus.
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(window);
        return 0;
    case WM_MOUSEWHEEL: {
        // Unhandled wheel turns go up to the parent.
        HWND parent = GetParent(window);
        WindowRecord* w = WindowFind(window);
        return w && w->Parent ? SendMessageW(parent, message, wParam, lParam) : 0;
    }
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4)
            PostMessageW(WindowRoot(WindowFind(window)) ? WindowRoot(WindowFind(window))->Handle : window,
                         WM_CLOSE, 0, 0); // Alt+F4 closes
        return 0;
    default:
        return 0;
    }
}
