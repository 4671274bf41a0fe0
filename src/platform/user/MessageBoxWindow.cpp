// MessageBoxWindow.cpp: the message box as a window: its layout (text wrapped to a width, icon,
// buttons), its drawing with the platform's GDI, its keys and taps, and the modal loop that runs
// while it is up with its owner disabled. The box's state lives on the stack of MessageBoxShow;
// the window points at it (GWLP_USERDATA) and is destroyed before MessageBoxShow returns.
#include "platform/user/Window.h"

#include "platform/Win32Dialogs.h"
#include "platform/user/UiDraw.h"

#include <algorithm>

namespace {

constexpr const WCHAR* BoxClassName = u"PlatformMessageBox";
// Layout in pixels.
constexpr int Margin = 12;
constexpr int IconSide = 32;
constexpr int ButtonWidth = 76;
constexpr int ButtonHeight = 26;
constexpr int ButtonGap = 8;
constexpr int TextMaxWidth = 300;
constexpr int TextMinWidth = 120;
constexpr UINT IconMask = 0xF0;
constexpr UINT ButtonsMask = 0x0F;
constexpr COLORREF CaptionColour = RGB(0, 56, 140);
constexpr COLORREF CaptionTextColour = RGB(255, 255, 255);
constexpr COLORREF BoxColour = RGB(236, 236, 236);
constexpr COLORREF ButtonColour = RGB(250, 250, 250);
constexpr COLORREF EdgeColour = RGB(110, 110, 110);

struct BoxButton {
    int Answer;
    const WCHAR* Label; // '&' marks the key that presses it
};

struct BoxState {
    std::u16string Text;
    std::u16string Caption;
    UINT Type;
    BoxButton Buttons[3];
    int Count;
    int Focused;
    int Pressed; // the button under a pointer press, or -1
    RECT TextRect;
    RECT ButtonRects[3];
    int Answer;
    bool Done;
};

void ChooseButtons(BoxState* s) {
    switch (s->Type & ButtonsMask) {
    case MB_OKCANCEL:
        s->Buttons[0] = {IDOK, u"OK"}, s->Buttons[1] = {IDCANCEL, u"Cancel"}, s->Count = 2;
        break;
    case MB_YESNOCANCEL:
        s->Buttons[0] = {IDYES, u"&Yes"}, s->Buttons[1] = {IDNO, u"&No"},
        s->Buttons[2] = {IDCANCEL, u"Cancel"};
        s->Count = 3;
        break;
    case MB_YESNO:
        s->Buttons[0] = {IDYES, u"&Yes"}, s->Buttons[1] = {IDNO, u"&No"}, s->Count = 2;
        break;
    default:
        s->Buttons[0] = {IDOK, u"OK"}, s->Count = 1;
        break;
    }
}

HFONT CaptionFont() {
    static HFONT font = [] {
        LOGFONTW log{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(log), &log);
        log.lfWeight = FW_BOLD;
        return CreateFontIndirectW(&log);
    }();
    return font;
}

// Places text, icon and buttons; returns the window's size.
SIZE Layout(BoxState* s) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    int maxWidth = std::min(TextMaxWidth, GetSystemMetrics(SM_CXSCREEN) - 2 * Margin - IconSide - 3 * Margin);
    RECT text{0, 0, std::max(maxWidth, TextMinWidth), 0};
    DrawTextW(dc, s->Text.c_str(), int(s->Text.size()), &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    bool icon = (s->Type & IconMask) != 0;
    int captionHeight = GetSystemMetrics(SM_CYCAPTION);
    int left = Margin + (icon ? IconSide + Margin : 0);
    int textHeight = std::max(int(text.bottom), icon ? IconSide : 0);
    int buttonsWidth = s->Count * ButtonWidth + (s->Count - 1) * ButtonGap;
    int width = std::max(left + int(text.right) + Margin, buttonsWidth + 2 * Margin);
    width = std::max(width, TextMinWidth + 2 * Margin);
    int top = captionHeight + Margin;
    s->TextRect = RECT{left, top, left + text.right, top + textHeight};
    int buttonTop = top + textHeight + Margin + Margin / 2;
    int x = (width - buttonsWidth) / 2;
    for (int i = 0; i < s->Count; ++i, x += ButtonWidth + ButtonGap)
        s->ButtonRects[i] = RECT{x, buttonTop, x + ButtonWidth, buttonTop + ButtonHeight};
    return SIZE{width, buttonTop + ButtonHeight + Margin};
}

void DrawIcon(HDC dc, UINT type, int x, int y) {
    COLORREF colour = RGB(40, 90, 200);
    const WCHAR* mark = u"i";
    if ((type & IconMask) == MB_ICONSTOP) colour = RGB(200, 30, 30), mark = u"X";
    if ((type & IconMask) == MB_ICONEXCLAMATION) colour = RGB(230, 170, 0), mark = u"!";
    if ((type & IconMask) == MB_ICONQUESTION) mark = u"?";
    RECT r{x, y, x + IconSide, y + IconSide};
    UiFill(dc, r, colour);
    HGDIOBJ old = SelectObject(dc, CaptionFont());
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, mark, 1, &r, DT_RUN_FORMAT);
    SelectObject(dc, old);
}

void DrawButton(HDC dc, const BoxState* s, int i) {
    RECT r = s->ButtonRects[i];
    bool focused = i == s->Focused;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(focused ? BLACK_PEN : NULL_PEN));
    UiFill(dc, r, focused ? RGB(0, 0, 0) : EdgeColour);
    RECT inner{r.left + (focused ? 2 : 1), r.top + (focused ? 2 : 1), r.right - (focused ? 2 : 1),
               r.bottom - (focused ? 2 : 1)};
    UiFill(dc, inner, i == s->Pressed ? RGB(200, 200, 200) : ButtonColour);
    SelectObject(dc, oldPen);
    // The label without its '&', the marked letter underlined by a short line under it.
    std::u16string label;
    int marked = -1;
    for (const WCHAR* p = s->Buttons[i].Label; *p; ++p) {
        if (*p == u'&' && p[1])
            marked = int(label.size());
        else
            label.push_back(*p);
    }
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, label.c_str(), int(label.size()), &inner, DT_RUN_FORMAT);
    if (marked >= 0) {
        SIZE whole, before, letter;
        GetTextExtentPoint32W(dc, label.c_str(), int(label.size()), &whole);
        GetTextExtentPoint32W(dc, label.c_str(), marked, &before);
        GetTextExtentPoint32W(dc, label.c_str() + marked, 1, &letter);
        int x = (inner.left + inner.right - whole.cx) / 2 + before.cx;
        int y = (inner.top + inner.bottom + whole.cy) / 2 - 1;
        RECT line{x, y, x + letter.cx, y + 1};
        UiFill(dc, line, RGB(0, 0, 0));
    }
}

void Paint(HWND box, BoxState* s) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    RECT all;
    GetClientRect(box, &all);
    UiFill(dc, all, EdgeColour);
    UiFill(dc, RECT{1, 1, all.right - 1, all.bottom - 1}, BoxColour);
    RECT caption{1, 1, all.right - 1, GetSystemMetrics(SM_CYCAPTION)};
    UiFill(dc, caption, CaptionColour);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, CaptionFont());
    SetTextColor(dc, CaptionTextColour);
    RECT captionText{caption.left + Margin / 2, caption.top, caption.right - Margin / 2, caption.bottom};
    DrawTextW(dc, s->Caption.c_str(), int(s->Caption.size()), &captionText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (s->Type & IconMask) DrawIcon(dc, s->Type, Margin, s->TextRect.top);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(0, 0, 0));
    RECT text = s->TextRect;
    DrawTextW(dc, s->Text.c_str(), int(s->Text.size()), &text, DT_WORDBREAK | DT_NOPREFIX);
    for (int i = 0; i < s->Count; ++i)
        DrawButton(dc, s, i);
    SelectObject(dc, oldFont);
    EndPaint(box, &paint);
}

void Finish(BoxState* s, int answer) {
    if (s->Done) return;
    s->Answer = answer;
    s->Done = true;
}

int ButtonAt(const BoxState* s, LPARAM l) {
    POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    for (int i = 0; i < s->Count; ++i) {
        const RECT& r = s->ButtonRects[i];
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return i;
    }
    return -1;
}

void OnKey(HWND box, BoxState* s, WPARAM key) {
    if (key == VK_RETURN || key == VK_SPACE) return Finish(s, s->Buttons[s->Focused].Answer);
    if (key == VK_ESCAPE) {
        int escape = MessageBoxEscapeAnswer(s->Type);
        if (escape == IDCANCEL || (s->Type & ButtonsMask) == MB_OK) Finish(s, escape);
        return;
    }
    if (key == VK_LEFT || key == VK_RIGHT || key == VK_TAB) {
        int step = key == VK_LEFT || (key == VK_TAB && GetKeyState(VK_SHIFT) < 0) ? s->Count - 1 : 1;
        s->Focused = (s->Focused + step) % s->Count;
        InvalidateRect(box, nullptr, FALSE);
        return;
    }
    for (int i = 0; i < s->Count; ++i)
        for (const WCHAR* p = s->Buttons[i].Label; *p; ++p)
            if (*p == u'&' && p[1] && (p[1] & ~0x20) == WCHAR(key)) return Finish(s, s->Buttons[i].Answer);
}

LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    if (s == nullptr) return DefWindowProcW(box, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        Paint(box, s);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKey(box, s, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        s->Pressed = ButtonAt(s, lParam);
        if (s->Pressed >= 0) s->Focused = s->Pressed, SetCapture(box), InvalidateRect(box, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        int pressed = s->Pressed;
        s->Pressed = -1;
        ReleaseCapture();
        InvalidateRect(box, nullptr, FALSE);
        if (pressed >= 0 && ButtonAt(s, lParam) == pressed) Finish(s, s->Buttons[pressed].Answer);
        return 0;
    }
    case WM_CLOSE:
        Finish(s, MessageBoxEscapeAnswer(s->Type));
        return 0;
    default:
        return DefWindowProcW(box, message, wParam, lParam);
    }
}

void RegisterBoxClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = BoxProc;
    wc.lpszClassName = BoxClassName;
    registered = RegisterClassW(&wc) != 0;
}

// Centred on the owner's top-level window (or the screen), kept on the screen.
POINT Place(HWND owner, SIZE size) {
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &around);
    int x = (around.left + around.right - size.cx) / 2;
    int y = (around.top + around.bottom - size.cy) / 2;
    x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - int(size.cx)));
    y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - int(size.cy)));
    return POINT{x, y};
}

} // namespace

int MessageBoxEscapeAnswer(UINT type) {
    switch (type & ButtonsMask) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

int MessageBoxShow(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) {
    RegisterBoxClass();
    BoxState s{text, caption, type, {}, 0, 0, -1, {}, {}, MessageBoxEscapeAnswer(type), false};
    ChooseButtons(&s);
    SIZE size = Layout(&s);
    WindowRecord* ownerRecord = WindowRoot(WindowFind(owner));
    HWND root = ownerRecord ? ownerRecord->Handle : nullptr;
    POINT at = Place(root, size);
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME, BoxClassName, caption.c_str(), WS_POPUP, at.x, at.y,
                               size.cx, size.cy, root, nullptr, nullptr, nullptr);
    if (box == nullptr) return s.Answer;
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
    bool disabledOwner = root && IsWindowEnabled(root);
    if (disabledOwner) EnableWindow(root, FALSE);
    ShowWindow(box, SW_SHOW);
    MSG msg;
    while (!s.Done && IsWindow(box)) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(int(msg.wParam)); // the outer loop ends too
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The owner is enabled before the box goes, so that it becomes active again.
    if (disabledOwner && IsWindow(root)) EnableWindow(root, TRUE);
    if (IsWindow(box)) {
        SetWindowLongPtrW(box, GWLP_USERDATA, 0);
        DestroyWindow(box);
    }
    return s.Answer;
}
