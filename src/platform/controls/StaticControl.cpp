// StaticControl.cpp: the STATIC control: a text (left, centred or right, words wrapped, "&" shown
// as an underline unless SS_NOPREFIX) or a bitmap (SS_BITMAP, loaded from the module's resources
// at creation, or set with STM_SETIMAGE). The parent may colour it with WM_CTLCOLORSTATIC. A
// bitmap the control loaded itself is deleted with the control; one set by STM_SETIMAGE stays the
// caller's. The state record is freed on WM_NCDESTROY.
#include "platform/Win32.h"
#include "platform/controls/Controls.h"
#include "platform/user/UiTheme.h"

#include <new>

namespace {

// In a dialog template a picture's title is an ordinal: 0xFFFF then the resource id.
constexpr WCHAR OrdinalMark = 0xFFFF;

struct StaticState {
    HFONT Font;
    HBITMAP Bitmap;
    bool OwnsBitmap;
};

StaticState* State(HWND window) {
    return static_cast<StaticState*>(ControlState(window));
}

DWORD Style(HWND window) {
    return DWORD(GetWindowLongW(window, GWL_STYLE));
}

void LoadPicture(HWND window, StaticState& s, const CREATESTRUCTW* create) {
    if ((create->style & SS_TYPEMASK) != SS_BITMAP || create->lpszName == nullptr) return;
    LPCWSTR name =
        create->lpszName[0] == OrdinalMark ? MAKEINTRESOURCEW(create->lpszName[1]) : create->lpszName;
    s.Bitmap = LoadBitmapW(create->hInstance, name);
    s.OwnsBitmap = s.Bitmap != nullptr;
    (void)window;
}

void PaintBitmap(HDC dc, const StaticState& s, const RECT& r, DWORD style) {
    if (s.Bitmap == nullptr) return;
    BITMAP info{};
    GetObjectW(s.Bitmap, sizeof info, &info);
    int x = 0, y = 0;
    if (style & SS_CENTERIMAGE) {
        x = (r.right - info.bmWidth) / 2;
        y = (r.bottom - info.bmHeight) / 2;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, s.Bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void PaintText(HWND window, HDC dc, RECT r, DWORD style) {
    WCHAR text[1024];
    int n = GetWindowTextW(window, text, 1024);
    UINT format = DT_WORDBREAK | DT_EXPANDTABS;
    DWORD kind = style & SS_TYPEMASK;
    if (kind == SS_CENTER) format |= DT_CENTER;
    if (kind == SS_RIGHT) format |= DT_RIGHT;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, n, &r, format);
}

void Paint(HWND window, const StaticState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    DWORD style = Style(window);
    HGDIOBJ oldFont = s.Font ? SelectObject(dc, s.Font) : nullptr;
    SetTextColor(dc, IsWindowEnabled(window) ? UiTextColour : UiGrayTextColour);
    LRESULT brush = SendMessageW(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(window));
    if (brush) {
        FillRect(dc, &r, reinterpret_cast<HBRUSH>(brush));
    } else {
        HBRUSH back = CreateSolidBrush(UiWindowColour);
        FillRect(dc, &r, back);
        DeleteObject(back);
    }
    if ((style & SS_TYPEMASK) == SS_BITMAP)
        PaintBitmap(dc, s, r, style);
    else
        PaintText(window, dc, r, style);
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

// As Win32: a bitmap control takes its bitmap's size (templates give the keyboard picture 0 x 0);
// with SS_CENTERIMAGE it keeps its own size and centres the picture.
void FitToBitmap(HWND window, const StaticState& s) {
    if (s.Bitmap == nullptr || (Style(window) & SS_CENTERIMAGE)) return;
    BITMAP info{};
    if (!GetObjectW(s.Bitmap, sizeof info, &info)) return;
    SetWindowPos(window, nullptr, 0, 0, info.bmWidth, info.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT SetImage(HWND window, StaticState& s, WPARAM type, LPARAM image) {
    if (type != IMAGE_BITMAP) return 0;
    HBITMAP previous = s.Bitmap;
    if (s.OwnsBitmap && previous) {
        DeleteObject(previous);
        previous = nullptr;
    }
    s.Bitmap = reinterpret_cast<HBITMAP>(image);
    s.OwnsBitmap = false;
    FitToBitmap(window, s);
    InvalidateRect(window, nullptr, FALSE);
    return reinterpret_cast<LRESULT>(previous);
}

LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* s = new (std::nothrow) StaticState{};
        if (!ControlAttach(window, s)) return FALSE;
        LoadPicture(window, *s, reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    StaticState* s = State(window);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY: {
        auto* state = static_cast<StaticState*>(ControlDetach(window));
        if (state->OwnsBitmap) DeleteObject(state->Bitmap);
        delete state;
        return 0;
    }
    case WM_CREATE:
        FitToBitmap(window, *s);
        return 0;
    case WM_NCHITTEST:
        return (Style(window) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_PAINT:
        Paint(window, *s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONUP:
        if (Style(window) & SS_NOTIFY)
            SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID(window)), STN_CLICKED),
                         reinterpret_cast<LPARAM>(window));
        return 0;
    case WM_SETTEXT: {
        if ((Style(window) & SS_TYPEMASK) == SS_BITMAP) return TRUE;
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, FALSE);
        return result;
    }
    case WM_SETFONT:
        s->Font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->Font);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case STM_SETIMAGE:
        return SetImage(window, *s, wParam, lParam);
    case STM_GETIMAGE:
        return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(s->Bitmap) : 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

void RegisterStaticClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = StaticProc;
    wc.lpszClassName = WC_STATICW;
    RegisterClassW(&wc);
}
