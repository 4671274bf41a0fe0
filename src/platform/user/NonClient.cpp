// NonClient.cpp: the frame of a top-level window with a caption: the caption bar with the window's
// text and, for WS_EX_CAPTIONOKBTN, the OK button that sends IDOK, and a one-pixel border. The frame
// is drawn straight into the window's framebuffer, outside every DC's clip, whenever the window is
// shown, sized or retitled or its styles change; the client area starts inside it.
#include "platform/user/Window.h"

#include "platform/Win32.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/UiDraw.h"
#include "platform/user/UiTheme.h"

namespace {

constexpr int FrameBorder = 1;
constexpr int OkButtonWidth = 40;
constexpr int OkButtonInset = 3;
constexpr int CaptionTextMargin = 8;
constexpr LONG CaptionFontHeight = -13;

bool HasCaption(DWORD style) {
    return (style & WS_CAPTION) == WS_CAPTION;
}

HFONT CaptionFont() {
    static HFONT font = [] {
        LOGFONTW lf{};
        lf.lfHeight = CaptionFontHeight;
        lf.lfWeight = FW_BOLD;
        for (int i = 0; PlatformDialogFace[i] != 0; ++i)
            lf.lfFaceName[i] = PlatformDialogFace[i];
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

// The OK button in window coordinates (empty without WS_EX_CAPTIONOKBTN).
RECT OkButton(const WindowRecord* w) {
    if (!(w->ExStyle & WS_EX_CAPTIONOKBTN) || !HasCaption(w->Style)) return RECT{0, 0, 0, 0};
    LONG right = w->Rect.right - w->Rect.left - FrameBorder - OkButtonInset;
    return RECT{right - OkButtonWidth, FrameBorder + OkButtonInset, right, w->Frame.top - OkButtonInset};
}

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The window whose OK button is held down.
HWND& PressedOk() {
    static HWND window = nullptr;
    return window;
}

} // namespace

RECT NonClientFrameFor(DWORD style, DWORD, bool child) {
    if (child || !HasCaption(style)) return RECT{0, 0, 0, 0};
    return RECT{FrameBorder, GetSystemMetrics(SM_CYCAPTION), FrameBorder, FrameBorder};
}

void NonClientPaint(WindowRecord* w) {
    if (w == nullptr || w->Parent || w->Framebuffer == nullptr || w->Frame.top == 0) return;
    Surface* s = w->Framebuffer;
    HDC dc = GdiCreateSurfaceDC(s, POINT{0, 0}, RECT{0, 0, s->Width, s->Height});
    if (dc == nullptr) return;
    RECT all{0, 0, s->Width, s->Height};
    UiFill(dc, RECT{0, 0, all.right, w->Frame.top}, UiCaptionColour);
    UiFill(dc, RECT{0, 0, FrameBorder, all.bottom}, UiCaptionColour);
    UiFill(dc, RECT{all.right - FrameBorder, 0, all.right, all.bottom}, UiCaptionColour);
    UiFill(dc, RECT{0, all.bottom - FrameBorder, all.right, all.bottom}, UiCaptionColour);
    HGDIOBJ oldFont = SelectObject(dc, CaptionFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, UiCaptionTextColour);
    RECT ok = OkButton(w);
    RECT title{CaptionTextMargin, 0, (ok.left ? ok.left : all.right) - CaptionTextMargin, w->Frame.top};
    DrawTextW(dc, w->Text.c_str(), int(w->Text.size()), &title,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (ok.right > ok.left) {
        UiFill(dc, ok, UiCaptionTextColour);
        UiFill(dc, RECT{ok.left + 1, ok.top + 1, ok.right - 1, ok.bottom - 1},
               PressedOk() == w->Handle ? UiPressedColour : UiCaptionColour);
        DrawTextW(dc, u"OK", 2, &ok, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    SurfaceMarkChanged(s, RECT{0, 0, s->Width, s->Height});
}

bool NonClientPointer(WindowRecord* top, UINT message, POINT point) {
    RECT ok = OkButton(top);
    bool onOk = Inside(ok, point);
    HWND window = top->Handle;
    if (message == WM_LBUTTONDOWN) {
        PressedOk() = onOk ? window : nullptr;
        if (onOk) NonClientPaint(top);
        return true;
    }
    if (message == WM_LBUTTONUP) {
        bool clicked = onOk && PressedOk() == window;
        PressedOk() = nullptr;
        NonClientPaint(top);
        if (clicked) PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    }
    return false;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle) {
    if (rect == nullptr) return FALSE;
    RECT f = NonClientFrameFor(style, exStyle, (style & WS_CHILD) != 0);
    rect->left -= f.left;
    rect->top -= f.top;
    rect->right += f.right;
    rect->bottom += f.bottom;
    return TRUE;
}
