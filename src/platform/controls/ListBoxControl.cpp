// ListBoxControl.cpp: the LISTBOX control's window: rows drawn from the top index, the selection
// in the accent colour, a SCROLLBAR child (for WS_VSCROLL) shown only when the rows do not fit,
// selection by pointer (tap and drag), keys (arrows, pages, Home, End, type-ahead by first letter)
// and wheel, and LBN_* notifications to the parent with LBS_NOTIFY. Only what is in view is drawn,
// so thousands of items stay fast. The state record is freed on WM_NCDESTROY; the scroll bar goes
// with the window as its child.
#include "platform/Win32.h"
#include "platform/controls/Controls.h"
#include "platform/controls/ListBoxModel.h"
#include "platform/user/UiDraw.h"
#include "platform/user/UiTheme.h"

#include <algorithm>
#include <new>

namespace {

constexpr int RowPadding = 4; // pixels added to the font's height, for touch
constexpr int TextInset = 4;

struct ListBoxState {
    ListBoxModel Model;
    HFONT Font;
    HWND Bar; // null without WS_VSCROLL
    bool Focused;
    bool Tracking;
};

ListBoxState* State(HWND window) {
    return static_cast<ListBoxState*>(ControlState(window));
}

DWORD Style(HWND window) {
    return DWORD(GetWindowLongW(window, GWL_STYLE));
}

int RowHeight(HWND window, const ListBoxState& s) {
    HDC dc = GetDC(window);
    HGDIOBJ old = s.Font ? SelectObject(dc, s.Font) : nullptr;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    if (old) SelectObject(dc, old);
    ReleaseDC(window, dc);
    return std::max<int>(1, tm.tmHeight) + RowPadding;
}

int Border(HWND window) {
    return (Style(window) & WS_BORDER) ? 1 : 0;
}

// The rows' area: inside the border, left of the scroll bar when it shows.
RECT RowsArea(HWND window, const ListBoxState& s) {
    RECT r;
    GetClientRect(window, &r);
    int b = Border(window);
    RECT area{r.left + b, r.top + b, r.right - b, r.bottom - b};
    if (s.Bar && IsWindowVisible(s.Bar)) area.right -= GetSystemMetrics(SM_CXVSCROLL);
    return area;
}

int VisibleRows(HWND window, const ListBoxState& s) {
    RECT area = RowsArea(window, s);
    return std::max(1, int((area.bottom - area.top) / RowHeight(window, s)));
}

void Notify(HWND window, WORD code) {
    if (!(Style(window) & LBS_NOTIFY) && code != LBN_SETFOCUS && code != LBN_KILLFOCUS) return;
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID(window)), code),
                 reinterpret_cast<LPARAM>(window));
}

// Places the scroll bar, shows it only when the rows do not fit, and gives it the range.
void UpdateBar(HWND window, ListBoxState& s) {
    if (s.Bar == nullptr) return;
    RECT r;
    GetClientRect(window, &r);
    int b = Border(window), width = GetSystemMetrics(SM_CXVSCROLL);
    MoveWindow(s.Bar, r.right - b - width, r.top + b, width, r.bottom - r.top - 2 * b, FALSE);
    int count = int(s.Model.Items.size());
    int visible = std::max(1, int((r.bottom - r.top - 2 * b) / RowHeight(window, s)));
    ShowWindow(s.Bar, count > visible ? SW_SHOW : SW_HIDE);
    SCROLLINFO info{sizeof info,
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    std::max(0, count - 1),
                    UINT(visible),
                    s.Model.Top,
                    0};
    SendMessageW(s.Bar, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&info));
}

void Refresh(HWND window, ListBoxState& s) {
    if (Style(window) & LBS_NOREDRAW) return;
    UpdateBar(window, s);
    InvalidateRect(window, nullptr, FALSE);
}

void Paint(HWND window, const ListBoxState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ oldFont = s.Font ? SelectObject(dc, s.Font) : nullptr;
    UiFill(dc, client, UiWindowColour);
    if (Border(window)) {
        COLORREF frame = s.Focused ? UiAccentColour : UiBorderColour;
        UiFill(dc, RECT{client.left, client.top, client.right, client.top + 1}, frame);
        UiFill(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, frame);
        UiFill(dc, RECT{client.left, client.top, client.left + 1, client.bottom}, frame);
        UiFill(dc, RECT{client.right - 1, client.top, client.right, client.bottom}, frame);
    }
    RECT area = RowsArea(window, s);
    int height = RowHeight(window, s);
    SetBkMode(dc, TRANSPARENT);
    const ListBoxModel& m = s.Model;
    for (int i = m.Top, y = area.top; i < int(m.Items.size()) && y < area.bottom; ++i, y += height) {
        RECT row{area.left, y, area.right, std::min(area.bottom, LONG(y + height))};
        bool selected = i == m.Selected;
        if (selected) UiFill(dc, row, UiAccentColour);
        SetTextColor(dc, selected ? UiAccentTextColour
                                  : (IsWindowEnabled(window) ? UiTextColour : UiGrayTextColour));
        RECT text{row.left + TextInset, row.top, row.right - TextInset, row.top + height};
        const std::u16string& label = m.Items[size_t(i)].Text;
        DrawTextW(dc, label.c_str(), int(label.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

// Selects index (kept within the items) as the user did: revealed, redrawn, LBN_SELCHANGE.
void Choose(HWND window, ListBoxState& s, int index) {
    int count = int(s.Model.Items.size());
    if (count == 0) return;
    index = std::clamp(index, 0, count - 1);
    ListBoxReveal(&s.Model, index, VisibleRows(window, s));
    bool changed = index != s.Model.Selected;
    s.Model.Selected = index;
    Refresh(window, s);
    if (changed) Notify(window, LBN_SELCHANGE);
}

int IndexAt(HWND window, const ListBoxState& s, POINT p) {
    RECT area = RowsArea(window, s);
    if (p.y < area.top) return s.Model.Top - 1;
    return s.Model.Top + int((p.y - area.top) / RowHeight(window, s));
}

void OnPointer(HWND window, ListBoxState& s, UINT message, POINT p) {
    if (message == WM_LBUTTONDOWN) {
        if (GetFocus() != window) SetFocus(window);
        s.Tracking = true;
        SetCapture(window);
    } else if (message == WM_LBUTTONUP && s.Tracking) {
        s.Tracking = false;
        ReleaseCapture();
        return;
    }
    if (!s.Tracking) return;
    int index = IndexAt(window, s, p);
    if (message == WM_LBUTTONDOWN && index >= int(s.Model.Items.size())) return;
    Choose(window, s, index);
}

void OnKey(HWND window, ListBoxState& s, WPARAM key) {
    int page = VisibleRows(window, s), current = s.Model.Selected;
    switch (key) {
    case VK_UP:
        Choose(window, s, current < 0 ? 0 : current - 1);
        break;
    case VK_DOWN:
        Choose(window, s, current + 1);
        break;
    case VK_PRIOR:
        Choose(window, s, current - (page - 1));
        break;
    case VK_NEXT:
        Choose(window, s, (current < 0 ? 0 : current) + (page - 1));
        break;
    case VK_HOME:
        Choose(window, s, 0);
        break;
    case VK_END:
        Choose(window, s, int(s.Model.Items.size()) - 1);
        break;
    default:
        break;
    }
}

// Type-ahead: the next item after the selection that starts with the typed letter.
void OnChar(HWND window, ListBoxState& s, WPARAM unit) {
    if (unit < 0x20) return;
    int index = ListBoxFind(s.Model, s.Model.Selected, std::u16string(1, char16_t(unit)), false);
    if (index >= 0) Choose(window, s, index);
}

void ScrollTo(HWND window, ListBoxState& s, int top) {
    int lastTop = std::max(0, int(s.Model.Items.size()) - VisibleRows(window, s));
    top = std::clamp(top, 0, lastTop);
    if (top == s.Model.Top) return;
    s.Model.Top = top;
    Refresh(window, s);
}

void OnScroll(HWND window, ListBoxState& s, WPARAM code) {
    int page = VisibleRows(window, s), top = s.Model.Top;
    switch (LOWORD(code)) {
    case SB_LINEUP:
        ScrollTo(window, s, top - 1);
        break;
    case SB_LINEDOWN:
        ScrollTo(window, s, top + 1);
        break;
    case SB_PAGEUP:
        ScrollTo(window, s, top - page);
        break;
    case SB_PAGEDOWN:
        ScrollTo(window, s, top + page);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ScrollTo(window, s, int16_t(HIWORD(code)));
        break;
    case SB_TOP:
        ScrollTo(window, s, 0);
        break;
    case SB_BOTTOM:
        ScrollTo(window, s, int(s.Model.Items.size()));
        break;
    default:
        break;
    }
}

LRESULT OnCreate(HWND window, const CREATESTRUCTW* create) {
    auto* s = new (std::nothrow) ListBoxState{};
    if (!ControlAttach(window, s)) return FALSE;
    s->Model.Sorted = (create->style & LBS_SORT) != 0;
    return DefWindowProcW(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(create));
}

void CreateBar(HWND window, ListBoxState& s) {
    if (!(Style(window) & WS_VSCROLL)) return;
    // The window-bar id lets GetScrollInfo(list, SB_VERT) find it.
    s.Bar = CreateWindowExW(0, WC_SCROLLBARW, u"", WS_CHILD | SBS_VERT, 0, 0, 0, 0, window,
                            reinterpret_cast<HMENU>(UINT_PTR(WindowBarId)), nullptr, nullptr);
    UpdateBar(window, s);
}

LRESULT TextOf(const ListBoxModel& m, WPARAM index, LPARAM buffer, bool lengthOnly) {
    if (index >= m.Items.size()) return LB_ERR;
    const std::u16string& text = m.Items[index].Text;
    if (!lengthOnly && buffer)
        std::copy(text.c_str(), text.c_str() + text.size() + 1, reinterpret_cast<WCHAR*>(buffer));
    return LRESULT(text.size());
}

LRESULT ListMessage(HWND window, ListBoxState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    ListBoxModel& m = s.Model;
    auto text = [lParam] { return std::u16string(lParam ? reinterpret_cast<const WCHAR*>(lParam) : u""); };
    LRESULT result;
    switch (message) {
    case LB_ADDSTRING:
        result = ListBoxAdd(&m, text());
        Refresh(window, s);
        return result;
    case LB_INSERTSTRING:
        result = ListBoxInsert(&m, int(wParam), text());
        Refresh(window, s);
        return result;
    case LB_DELETESTRING:
        if (!ListBoxDelete(&m, int(wParam))) return LB_ERR;
        Refresh(window, s);
        return LRESULT(m.Items.size());
    case LB_RESETCONTENT:
        ListBoxReset(&m);
        Refresh(window, s);
        return 0;
    case LB_SETCURSEL:
        m.Selected = wParam < m.Items.size() ? int(wParam) : -1;
        ListBoxReveal(&m, m.Selected, VisibleRows(window, s));
        Refresh(window, s);
        return m.Selected < 0 && int(wParam) != -1 ? LB_ERR : m.Selected;
    case LB_GETCURSEL:
        return m.Selected;
    case LB_GETTEXT:
        return TextOf(m, wParam, lParam, false);
    case LB_GETTEXTLEN:
        return TextOf(m, wParam, lParam, true);
    case LB_GETCOUNT:
        return LRESULT(m.Items.size());
    case LB_FINDSTRING:
        return ListBoxFind(m, int(wParam), text(), false);
    case LB_FINDSTRINGEXACT:
        return ListBoxFind(m, int(wParam), text(), true);
    case LB_SELECTSTRING: {
        int index = ListBoxFind(m, int(wParam), text(), false);
        if (index < 0) return LB_ERR;
        m.Selected = index;
        ListBoxReveal(&m, index, VisibleRows(window, s));
        Refresh(window, s);
        return index;
    }
    case LB_GETTOPINDEX:
        return m.Top;
    case LB_SETTOPINDEX:
        if (wParam >= m.Items.size() && wParam) return LB_ERR;
        ScrollTo(window, s, int(wParam));
        return 0;
    case LB_GETITEMDATA:
        return wParam < m.Items.size() ? m.Items[wParam].Data : LB_ERR;
    case LB_SETITEMDATA:
        if (wParam >= m.Items.size()) return LB_ERR;
        m.Items[wParam].Data = lParam;
        return 0;
    case LB_GETITEMHEIGHT:
        return RowHeight(window, s);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK ListBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    ListBoxState* s = State(window);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_CREATE:
        CreateBar(window, *s);
        return 0;
    case WM_NCDESTROY:
        delete static_cast<ListBoxState*>(ControlDetach(window));
        return 0;
    case WM_PAINT:
        Paint(window, *s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Refresh(window, *s);
        return 0;
    case WM_SETFOCUS:
        s->Focused = true;
        InvalidateRect(window, nullptr, FALSE);
        Notify(window, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->Focused = false;
        InvalidateRect(window, nullptr, FALSE);
        Notify(window, LBN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        OnPointer(window, *s, message, p);
        return 0;
    case WM_LBUTTONDBLCLK:
        Notify(window, LBN_DBLCLK);
        return 0;
    case WM_KEYDOWN:
        OnKey(window, *s, wParam);
        return 0;
    case WM_CHAR:
        OnChar(window, *s, wParam);
        return 0;
    case WM_VSCROLL:
        OnScroll(window, *s, wParam);
        return 0;
    case WM_MOUSEWHEEL:
        ScrollTo(window, *s, s->Model.Top - int16_t(HIWORD(wParam)) * 3 / WHEEL_DELTA);
        return 0;
    case WM_SETFONT:
        s->Font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Refresh(window, *s);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->Font);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
        return ListMessage(window, *s, message, wParam, lParam);
    }
}

} // namespace

void RegisterListBoxClass() {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ListBoxProc;
    wc.lpszClassName = WC_LISTBOXW;
    RegisterClassW(&wc);
}
