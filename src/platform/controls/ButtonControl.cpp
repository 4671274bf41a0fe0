// ButtonControl.cpp: the BUTTON control: push buttons (the default one drawn with the accent
// colour), check boxes, radio buttons with their automatic groups, group boxes and owner-drawn
// buttons (WM_DRAWITEM to the parent). A click is a press and a release inside the button; it
// sends BN_CLICKED through WM_COMMAND. The parent may colour the background with WM_CTLCOLORBTN
// or WM_CTLCOLORSTATIC. The state record belongs to the window and is freed on WM_NCDESTROY.
#include "platform/Win32.h"
#include "platform/controls/Controls.h"
#include "platform/user/UiDraw.h"
#include "platform/user/UiTheme.h"

#include <algorithm>
#include <new>

namespace {

struct ButtonState {
    WPARAM Check;  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
    bool Pushed;   // drawn pressed: the pointer is down inside, or space is held
    bool Tracking; // the pointer went down on the button and has not come up
    bool Focused;
    HFONT Font;
};

ButtonState* State(HWND window) {
    return static_cast<ButtonState*>(ControlState(window));
}

DWORD Kind(HWND window) {
    return DWORD(GetWindowLongW(window, GWL_STYLE)) & BS_TYPEMASK;
}

bool IsRadio(DWORD kind) {
    return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

bool IsCheck(DWORD kind) {
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE;
}

void NotifyParent(HWND window, WORD code) {
    WPARAM wParam = MAKEWPARAM(WORD(GetDlgCtrlID(window)), code);
    SendMessageW(GetParent(window), WM_COMMAND, wParam, reinterpret_cast<LPARAM>(window));
}

// The brush behind the button: the parent's answer to WM_CTLCOLOR*, else the theme's.
HBRUSH Background(HWND window, HDC dc, DWORD kind) {
    UINT message = (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
    LRESULT brush = SendMessageW(GetParent(window), message, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(window));
    return reinterpret_cast<HBRUSH>(brush);
}

void DrawLabel(HWND window, HDC dc, RECT r, UINT format, bool enabled) {
    WCHAR text[256];
    int n = GetWindowTextW(window, text, 256);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? UiTextColour : UiGrayTextColour);
    DrawTextW(dc, text, n, &r, format);
}

void PaintPush(HWND window, const ButtonState& s, HDC dc, const RECT& r, bool isDefault, bool enabled) {
    COLORREF face = s.Pushed ? UiPressedColour : UiFaceColour;
    UiFill(dc, r, face);
    UiFrame(dc, r, isDefault || s.Focused ? UiAccentColour : UiBorderColour, isDefault ? 2 : 1);
    DrawLabel(window, dc, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, enabled);
}

// A radio button's mark: a ring, and a round dot inside it when checked.
void PaintRadioMark(const ButtonState& s, HDC dc, const RECT& mark, bool enabled) {
    int ring = std::max(1, (mark.right - mark.left) / UiRadioRingDivisor);
    UiFillDisc(dc, mark, enabled ? UiArrowColour : UiGrayTextColour);
    UiFillDisc(dc, RECT{mark.left + ring, mark.top + ring, mark.right - ring, mark.bottom - ring},
               s.Pushed ? UiPressedColour : UiWindowColour);
    if (s.Check == BST_UNCHECKED) return;
    int inset = (mark.right - mark.left) / UiRadioDotDivisor;
    UiFillDisc(dc, RECT{mark.left + inset, mark.top + inset, mark.right - inset, mark.bottom - inset},
               UiAccentColour);
}

void PaintCheckMark(const ButtonState& s, HDC dc, const RECT& mark, bool enabled) {
    UiFill(dc, mark, s.Pushed ? UiPressedColour : UiWindowColour);
    UiFrame(dc, mark, enabled ? UiArrowColour : UiGrayTextColour, 1);
    if (s.Check == BST_UNCHECKED) return;
    RECT dot{mark.left + 2, mark.top + 2, mark.right - 2, mark.bottom - 2};
    UiFill(dc, dot, s.Check == BST_INDETERMINATE ? UiGrayTextColour : UiAccentColour);
}

// A check box or radio button: the mark at the left, the label after it.
void PaintCheck(HWND window, const ButtonState& s, HDC dc, const RECT& r, bool radio, bool enabled) {
    int box = std::min<int>(UiCheckBoxSize, r.bottom - r.top); // a short button keeps its whole mark
    int top = r.top + (r.bottom - r.top - box) / 2;
    RECT mark{r.left, top, r.left + box, top + box};
    if (radio)
        PaintRadioMark(s, dc, mark, enabled);
    else
        PaintCheckMark(s, dc, mark, enabled);
    RECT label{mark.right + box / 2, r.top, r.right, r.bottom};
    DrawLabel(window, dc, label, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled);
    if (s.Focused) UiFrame(dc, RECT{label.left - 2, r.top, r.right, r.bottom}, UiAccentColour, UiFocusWidth);
}

void PaintGroup(HWND window, HDC dc, const RECT& r, bool enabled) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    UiFrame(dc, RECT{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom}, UiBorderColour, 1);
    WCHAR text[256];
    int n = GetWindowTextW(window, text, 256);
    if (n == 0) return;
    RECT label{r.left + 6, r.top, r.right - 6, r.top + tm.tmHeight};
    RECT extent = label;
    DrawTextW(dc, text, n, &extent, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    extent.left -= 2, extent.right += 2;
    UiFill(dc, extent, UiWindowColour);
    DrawLabel(window, dc, label, DT_LEFT | DT_SINGLELINE, enabled);
}

void PaintOwnerDrawn(HWND window, const ButtonState& s, HDC dc, const RECT& r, bool enabled) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = UINT(GetDlgCtrlID(window));
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState =
        (s.Pushed ? ODS_SELECTED : 0) | (s.Focused ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    item.hwndItem = window;
    item.hDC = dc;
    item.rcItem = r;
    SendMessageW(GetParent(window), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void Paint(HWND window, const ButtonState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    DWORD kind = Kind(window);
    bool enabled = IsWindowEnabled(window);
    HGDIOBJ oldFont = s.Font ? SelectObject(dc, s.Font) : nullptr;
    if (kind == BS_OWNERDRAW) {
        PaintOwnerDrawn(window, s, dc, r, enabled);
    } else {
        HBRUSH back = Background(window, dc, kind);
        if (back)
            FillRect(dc, &r, back);
        else
            UiFill(dc, r, UiWindowColour);
        if (IsCheck(kind) || IsRadio(kind))
            PaintCheck(window, s, dc, r, IsRadio(kind), enabled);
        else if (kind == BS_GROUPBOX)
            PaintGroup(window, dc, r, enabled);
        else
            PaintPush(window, s, dc, r, kind == BS_DEFPUSHBUTTON, enabled);
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
}

// Unchecks the other radio buttons of window's group: the siblings between WS_GROUP marks.
void UncheckGroupSiblings(HWND window) {
    HWND first = window;
    while (!(GetWindowLongW(first, GWL_STYLE) & WS_GROUP)) {
        HWND previous = GetWindow(first, GW_HWNDPREV);
        if (previous == nullptr) break;
        first = previous;
    }
    for (HWND sibling = first; sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != first && (GetWindowLongW(sibling, GWL_STYLE) & WS_GROUP)) break;
        if (sibling != window && IsRadio(Kind(sibling))) SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

// What a click does to an automatic button before BN_CLICKED goes out.
void Click(HWND window, ButtonState& s) {
    DWORD kind = Kind(window);
    if (kind == BS_AUTOCHECKBOX) SendMessageW(window, BM_SETCHECK, s.Check ? BST_UNCHECKED : BST_CHECKED, 0);
    if (kind == BS_AUTO3STATE) SendMessageW(window, BM_SETCHECK, (s.Check + 1) % 3, 0);
    if (kind == BS_AUTORADIOBUTTON) {
        UncheckGroupSiblings(window);
        SendMessageW(window, BM_SETCHECK, BST_CHECKED, 0);
    }
    NotifyParent(window, BN_CLICKED);
}

bool Inside(HWND window, POINT p) {
    RECT r;
    GetClientRect(window, &r);
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

void SetPushed(HWND window, ButtonState& s, bool pushed) {
    if (s.Pushed == pushed) return;
    s.Pushed = pushed;
    Repaint(window);
}

LRESULT OnPointer(HWND window, ButtonState& s, UINT message, POINT p) {
    if (Kind(window) == BS_GROUPBOX) return 0;
    if (message == WM_LBUTTONDOWN) {
        s.Tracking = true;
        SetCapture(window);
        if (GetFocus() != window) SetFocus(window);
        SetPushed(window, s, true);
    } else if (message == WM_MOUSEMOVE && s.Tracking) {
        SetPushed(window, s, Inside(window, p));
    } else if (message == WM_LBUTTONUP && s.Tracking) {
        s.Tracking = false;
        ReleaseCapture();
        bool clicked = Inside(window, p);
        SetPushed(window, s, false);
        if (clicked) Click(window, s);
    }
    return 0;
}

LRESULT OnKey(HWND window, ButtonState& s, UINT message, WPARAM key) {
    if (key != VK_SPACE) return DefWindowProcW(window, message, key, 0);
    if (message == WM_KEYDOWN) SetPushed(window, s, true);
    if (message == WM_KEYUP && s.Pushed) {
        SetPushed(window, s, false);
        Click(window, s);
    }
    return 0;
}

LRESULT OnSetCheck(HWND window, ButtonState& s, WPARAM check) {
    DWORD kind = Kind(window);
    if (!IsCheck(kind) && !IsRadio(kind)) return 0;
    WPARAM limit = (kind == BS_3STATE || kind == BS_AUTO3STATE) ? BST_INDETERMINATE : BST_CHECKED;
    WPARAM value = check > limit ? limit : check;
    // As in Win32, the checked radio button is the group's tab stop: Tab enters a group at its choice.
    if (IsRadio(kind)) {
        LONG style = GetWindowLongW(window, GWL_STYLE);
        SetWindowLongW(window, GWL_STYLE, value ? style | LONG(WS_TABSTOP) : style & ~LONG(WS_TABSTOP));
    }
    if (value != s.Check) {
        s.Check = value;
        Repaint(window);
    }
    return 0;
}

LRESULT OnFocus(HWND window, ButtonState& s, bool focused) {
    s.Focused = focused;
    if (!focused && s.Pushed) SetPushed(window, s, false);
    Repaint(window);
    return 0;
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        if (!ControlAttach(window, new (std::nothrow) ButtonState{})) return FALSE;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    ButtonState* s = State(window);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_NCDESTROY:
        delete static_cast<ButtonState*>(ControlDetach(window));
        return 0;
    case WM_PAINT:
        Paint(window, *s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        return OnPointer(window, *s, message, p);
    case WM_KEYDOWN:
    case WM_KEYUP:
        return OnKey(window, *s, message, wParam);
    case WM_SETFOCUS:
        return OnFocus(window, *s, true);
    case WM_KILLFOCUS:
        return OnFocus(window, *s, false);
    case WM_ENABLE:
        Repaint(window);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        Repaint(window);
        return result;
    }
    case WM_SETFONT:
        s->Font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Repaint(window);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->Font);
    case WM_GETDLGCODE:
        return IsRadio(Kind(window))              ? DLGC_RADIOBUTTON | DLGC_BUTTON
               : Kind(window) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON | DLGC_BUTTON
               : Kind(window) == BS_PUSHBUTTON    ? DLGC_UNDEFPUSHBUTTON | DLGC_BUTTON
                                                  : DLGC_BUTTON;
    case BM_GETCHECK:
        return LRESULT(s->Check);
    case BM_SETCHECK:
        return OnSetCheck(window, *s, wParam);
    case BM_GETSTATE:
        return LRESULT(s->Check) | (s->Pushed ? BST_PUSHED : 0) | (s->Focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        SetPushed(window, *s, wParam != 0);
        return 0;
    case BM_SETSTYLE:
        SetWindowLongW(window, GWL_STYLE,
                       LONG((GetWindowLongW(window, GWL_STYLE) & ~LONG(0xFFFF)) | LONG(wParam & 0xFFFF)));
        if (lParam) Repaint(window);
        return 0;
    case BM_CLICK:
        Click(window, *s);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

void RegisterButtonClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ButtonProc;
    wc.lpszClassName = WC_BUTTONW;
    RegisterClassW(&wc);
}
