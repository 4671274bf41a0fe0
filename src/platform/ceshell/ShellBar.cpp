// ShellBar.cpp: the bar window: layout, drawing, taps on menu and tool buttons, tooltips, and the
// toolbar messages. The bar keeps itself docked by subclassing its parent (ShellBarDock.cpp), which
// also hands it Alt, F10 and Alt+letter to open its menus from the keyboard.
#include "platform/ceshell/ShellBar.h"

#include "platform/ceshell/ShellBarDock.h"
#include "platform/user/MenuPopup.h"
#include "platform/user/UiDraw.h"
#include "platform/user/UiTheme.h"

#include <algorithm>
#include <new>

namespace {

constexpr UINT_PTR TipTimer = 1;
constexpr UINT TipDelayMs = 500;
constexpr UINT TipCheckMs = 100;
// The handheld's proportions: two menu buttons and six 24-pixel tool buttons fit a 240-pixel bar.
constexpr int MenuButtonPadding = 8; // each side of a menu button's text
constexpr int ToolButtonPadding = 4; // each side of a tool image

ShellBarRecord* Record(HWND bar) {
    return reinterpret_cast<ShellBarRecord*>(GetWindowLongPtrW(bar, GWLP_USERDATA));
}

int TextWidth(HDC dc, const std::u16string& text) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return r.right;
}

// Draws image `index` of the bar's strips centred in rect.
void DrawImage(HDC dc, const ShellBarRecord& r, int index, const RECT& rect) {
    for (size_t s = r.Strips.size(); s-- > 0;) {
        if (index < r.StripFirst[s]) continue;
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, r.Strips[s]);
        int x = rect.left + (rect.right - rect.left - r.ImageWidth) / 2;
        int y = rect.top + (rect.bottom - rect.top - r.ImageHeight) / 2;
        BitBlt(dc, x, y, r.ImageWidth, r.ImageHeight, memory, (index - r.StripFirst[s]) * r.ImageWidth, 0,
               SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        return;
    }
}

void DrawCross(HDC dc, const RECT& rect) {
    int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2, d = 5;
    HPEN pen = CreatePen(PS_SOLID, 2, UiTextColour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, cx - d, cy - d, nullptr);
    LineTo(dc, cx + d, cy + d);
    MoveToEx(dc, cx + d, cy - d, nullptr);
    LineTo(dc, cx - d, cy + d);
    SelectObject(dc, old);
    DeleteObject(pen);
}

RECT CloseRect(HWND bar, const ShellBarRecord& r) {
    RECT client;
    GetClientRect(bar, &client);
    return RECT{client.right - r.Height, 0, client.right, r.Height};
}

void Paint(HWND bar, const ShellBarRecord& r) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(bar, &ps);
    RECT client;
    GetClientRect(bar, &client);
    UiFill(dc, client, UiFaceColour);
    RECT edge =
        r.AtBottom ? RECT{0, 0, client.right, 1} : RECT{0, client.bottom - 1, client.right, client.bottom};
    UiFill(dc, edge, UiBorderColour);
    HGDIOBJ oldFont = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < r.Buttons.size(); ++i) {
        const ShellBarButton& b = r.Buttons[i];
        bool enabled = (b.State & TBSTATE_ENABLED) != 0;
        if (r.Pressed == int(i)) UiFill(dc, b.Rect, UiPressedColour);
        if (b.MenuButton) {
            SetTextColor(dc, enabled ? UiTextColour : UiGrayTextColour);
            RECT text = b.Rect;
            DrawTextW(dc, b.Text.c_str(), int(b.Text.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        } else if (b.Image >= 0) {
            DrawImage(dc, r, b.Image, b.Rect);
        }
    }
    if (r.CloseButton) {
        RECT close = CloseRect(bar, r);
        if (r.Pressed == int(r.Buttons.size())) UiFill(dc, close, UiPressedColour);
        DrawCross(dc, close);
    }
    SelectObject(dc, oldFont);
    EndPaint(bar, &ps);
}

int ButtonAt(HWND bar, const ShellBarRecord& r, POINT p) {
    for (size_t i = 0; i < r.Buttons.size(); ++i) {
        const RECT& b = r.Buttons[i].Rect;
        if (p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom) return int(i);
    }
    RECT close = CloseRect(bar, r);
    if (r.CloseButton && p.x >= close.left && p.x < close.right) return int(r.Buttons.size());
    return -1;
}

void HideTip(ShellBarRecord& r) {
    if (r.Tip) DestroyWindow(r.Tip);
    r.Tip = nullptr;
    r.TipFor = -1;
}

LRESULT CALLBACK TipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return message == WM_ERASEBKGND ? 1 : DefWindowProcW(tip, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(tip, &ps);
    RECT client;
    GetClientRect(tip, &client);
    UiFill(dc, client, UiTextColour);
    UiFill(dc, RECT{1, 1, client.right - 1, client.bottom - 1}, RGB(255, 255, 225));
    WCHAR text[128];
    int n = GetWindowTextW(tip, text, 128);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, UiTextColour);
    DrawTextW(dc, text, n, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(tip, &ps);
    return 0;
}

// The tooltip of tool button `index`: the bar's tooltips are handed over with one entry first that
// belongs to no tool button, so tool button k (counted among tool buttons) shows entry k + 1.
const std::u16string* TipText(const ShellBarRecord& r, int index) {
    int tool = 0;
    for (int i = 0; i < index; ++i)
        if (!r.Buttons[size_t(i)].MenuButton) ++tool;
    if (r.Buttons[size_t(index)].MenuButton || size_t(tool + 1) >= r.ToolTips.size()) return nullptr;
    const std::u16string& text = r.ToolTips[size_t(tool + 1)];
    return text.empty() ? nullptr : &text;
}

void ShowTip(HWND bar, ShellBarRecord& r, int index) {
    if (index < 0 || index >= int(r.Buttons.size()) || r.TipFor == index) return;
    HideTip(r);
    const std::u16string* text = TipText(r, index);
    if (text == nullptr) return;
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TipProc;
        wc.lpszClassName = u"tooltips_class32";
        registered = RegisterClassW(&wc) != 0;
    }
    HWND parent = GetParent(bar);
    HDC dc = GetDC(bar);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int width = TextWidth(dc, *text) + 12, height = r.Height - 6;
    SelectObject(dc, old);
    ReleaseDC(bar, dc);
    POINT at{r.Buttons[size_t(index)].Rect.left, r.AtBottom ? -height - 2 : r.Height + 2};
    MapWindowPoints(bar, parent, &at, 1);
    RECT area;
    GetClientRect(parent, &area);
    at.x = std::max(0, std::min(int(at.x), int(area.right) - width));
    r.Tip = CreateWindowExW(0, u"tooltips_class32", text->c_str(), WS_CHILD, at.x, at.y, width, height,
                            parent, nullptr, nullptr, nullptr);
    if (r.Tip)
        SetWindowPos(r.Tip, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    r.TipFor = index;
}

void Command(HWND bar, UINT command) {
    PostMessageW(GetParent(bar), WM_COMMAND, MAKEWPARAM(WORD(command), 0), reinterpret_cast<LPARAM>(bar));
}

void OnPointerDown(HWND bar, ShellBarRecord& r, POINT p) {
    int index = ButtonAt(bar, r, p);
    HideTip(r);
    if (index < 0) return;
    if (index < int(r.Buttons.size()) && r.Buttons[size_t(index)].Popup) {
        ShellBarOpenMenu(bar, index, false);
        return;
    }
    if (index < int(r.Buttons.size()) && !(r.Buttons[size_t(index)].State & TBSTATE_ENABLED)) return;
    r.Pressed = index;
    SetCapture(bar);
    SetTimer(bar, TipTimer, TipDelayMs, nullptr); // a held tap shows the tooltip
    InvalidateRect(bar, nullptr, FALSE);
}

void OnPointerUp(HWND bar, ShellBarRecord& r, POINT p) {
    if (r.Pressed < 0) return;
    int pressed = r.Pressed, index = ButtonAt(bar, r, p);
    r.Pressed = -1;
    ReleaseCapture();
    HideTip(r);
    InvalidateRect(bar, nullptr, FALSE);
    if (index != pressed) return;
    if (pressed == int(r.Buttons.size()))
        PostMessageW(GetParent(bar), WM_CLOSE, 0, 0);
    else
        Command(bar, r.Buttons[size_t(pressed)].Command);
}

void OnPointerMove(HWND bar, ShellBarRecord& r, POINT p) {
    if (r.Pressed >= 0) return;
    int index = ButtonAt(bar, r, p);
    if (index == r.HoverFor) return;
    r.HoverFor = index;
    HideTip(r);
    SetTimer(bar, TipTimer, TipDelayMs, nullptr);
}

// The tooltip timer: shows the tip of the button held or rested on, and hides it once the pointer
// has left the bar.
void OnTimer(HWND bar, ShellBarRecord& r) {
    DWORD pos = GetMessagePos();
    POINT p{int16_t(LOWORD(pos)), int16_t(HIWORD(pos))};
    ScreenToClient(bar, &p);
    RECT client;
    GetClientRect(bar, &client);
    bool inside = p.x >= 0 && p.y >= 0 && p.x < client.right && p.y < client.bottom;
    if (!inside && r.Pressed < 0) {
        HideTip(r);
        r.HoverFor = -1;
        KillTimer(bar, TipTimer);
        return;
    }
    ShowTip(bar, r, r.Pressed >= 0 ? r.Pressed : r.HoverFor);
    SetTimer(bar, TipTimer, TipCheckMs, nullptr);
}

// A strip of `images` images; returns the index its first image gets.
LRESULT AddBitmap(ShellBarRecord& r, WPARAM images, const TBADDBITMAP* add) {
    if (add == nullptr) return -1;
    HBITMAP strip = LoadBitmapW(add->hInst, MAKEINTRESOURCEW(WORD(add->nID)));
    if (strip == nullptr) return -1;
    int first = r.ImageCount;
    r.Strips.push_back(strip);
    r.StripFirst.push_back(first);
    r.ImageCount += int(images);
    return first;
}

LRESULT AddButtons(HWND bar, ShellBarRecord& r, WPARAM count, const TBBUTTON* buttons) {
    if (buttons == nullptr) return FALSE;
    for (WPARAM i = 0; i < count; ++i) {
        ShellBarButton b{};
        b.Image = buttons[i].fsStyle & TBSTYLE_SEP ? -1 : buttons[i].iBitmap;
        b.Command = UINT(buttons[i].idCommand);
        b.State = buttons[i].fsState;
        b.Style = buttons[i].fsStyle;
        r.Buttons.push_back(b);
    }
    ShellBarLayout(bar);
    return TRUE;
}

LRESULT SetToolTips(ShellBarRecord& r, WPARAM count, const WCHAR* const* tips) {
    r.ToolTips.clear();
    for (WPARAM i = 0; tips && i < count; ++i)
        r.ToolTips.emplace_back(tips[i] ? tips[i] : u"");
    return TRUE;
}

HMENU SubMenuOf(const ShellBarRecord& r, LPARAM command) {
    for (const ShellBarButton& b : r.Buttons)
        if (b.MenuButton && b.Command == UINT(command)) return b.Popup;
    return nullptr;
}

void OnDestroy(HWND bar, ShellBarRecord* r) {
    ShellBarUndock(bar);
    SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
    if (r == nullptr) return;
    HideTip(*r);
    if (r->Menu) DestroyMenu(r->Menu);
    for (HBITMAP strip : r->Strips)
        DeleteObject(strip);
    delete r;
}

LRESULT ToolbarMessage(HWND bar, ShellBarRecord& r, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case TB_ADDBITMAP:
        return AddBitmap(r, wParam, reinterpret_cast<const TBADDBITMAP*>(lParam));
    case TB_SETBITMAPSIZE:
        r.ImageWidth = LOWORD(lParam), r.ImageHeight = HIWORD(lParam);
        ShellBarLayout(bar);
        return TRUE;
    case TB_ADDBUTTONS:
        return AddButtons(bar, r, wParam, reinterpret_cast<const TBBUTTON*>(lParam));
    case TB_SETTOOLTIPS:
        return SetToolTips(r, wParam, reinterpret_cast<const WCHAR* const*>(lParam));
    case TB_BUTTONCOUNT:
        return LRESULT(r.Buttons.size());
    case TB_ENABLEBUTTON:
        for (ShellBarButton& b : r.Buttons)
            if (b.Command == UINT(wParam))
                b.State = LOWORD(lParam) ? (b.State | TBSTATE_ENABLED) : (b.State & ~TBSTATE_ENABLED);
        InvalidateRect(bar, nullptr, FALSE);
        return TRUE;
    case SHCMBM_GETSUBMENU:
        return reinterpret_cast<LRESULT>(SubMenuOf(r, lParam));
    case SHCMBM_GETMENU:
        return reinterpret_cast<LRESULT>(r.Menu);
    default:
        return DefWindowProcW(bar, message, wParam, lParam);
    }
}

LRESULT CALLBACK ShellBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    ShellBarRecord* r = Record(bar);
    if (message == WM_NCDESTROY) {
        OnDestroy(bar, r);
        return DefWindowProcW(bar, message, wParam, lParam);
    }
    if (r == nullptr) return DefWindowProcW(bar, message, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT:
        Paint(bar, *r);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        ShellBarLayout(bar);
        return 0;
    case WM_LBUTTONDOWN:
        OnPointerDown(bar, *r, p);
        return 0;
    case WM_LBUTTONUP:
        OnPointerUp(bar, *r, p);
        return 0;
    case WM_MOUSEMOVE:
        OnPointerMove(bar, *r, p);
        return 0;
    case WM_TIMER:
        OnTimer(bar, *r);
        return 0;
    default:
        return ToolbarMessage(bar, *r, message, wParam, lParam);
    }
}

} // namespace

ShellBarRecord* ShellBarFind(HWND bar) {
    WCHAR name[32];
    if (!IsWindow(bar) || GetClassNameW(bar, name, 32) == 0 || wcsicmp16(name, ShellBarClassName) != 0)
        return nullptr;
    return Record(bar);
}

HWND ShellBarCreate(HWND parent, HINSTANCE instance, bool atBottom, int id) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ShellBarProc;
        wc.lpszClassName = ShellBarClassName;
        registered = RegisterClassW(&wc) != 0;
    }
    auto* record = new (std::nothrow) ShellBarRecord{};
    if (record == nullptr || parent == nullptr) {
        delete record;
        return nullptr;
    }
    record->AtBottom = atBottom;
    record->Height = atBottom ? ShellMenuBarHeight : ShellCommandBarHeight;
    record->Pressed = record->TipFor = record->HoverFor = -1;
    record->ImageWidth = record->ImageHeight = 16;
    HWND bar = CreateWindowExW(0, ShellBarClassName, u"", WS_CHILD, 0, 0, 0, record->Height, parent,
                               reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    if (bar == nullptr) {
        delete record;
        return nullptr;
    }
    SetWindowLongPtrW(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    ShellBarDock(bar);
    return bar;
}

void ShellBarAddMenuButton(HWND bar, const std::u16string& text, HMENU popup, UINT command) {
    ShellBarRecord* r = ShellBarFind(bar);
    if (r == nullptr) return;
    ShellBarButton b{};
    b.MenuButton = true;
    b.Text = text;
    b.Popup = popup;
    b.Image = -2;
    b.Command = command;
    b.State = TBSTATE_ENABLED;
    // Menu buttons come first, before any tool button.
    auto at = std::find_if(r->Buttons.begin(), r->Buttons.end(),
                           [](const ShellBarButton& x) { return !x.MenuButton; });
    r->Buttons.insert(at, b);
    ShellBarLayout(bar);
}

void ShellBarSetMenu(HWND bar, HMENU menu) {
    ShellBarRecord* r = ShellBarFind(bar);
    if (r == nullptr) return;
    if (r->Menu && r->Menu != menu) DestroyMenu(r->Menu);
    r->Menu = menu;
}

void ShellBarLayout(HWND bar) {
    ShellBarRecord* r = ShellBarFind(bar);
    if (r == nullptr) return;
    HDC dc = GetDC(bar);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    int x = 0;
    for (ShellBarButton& b : r->Buttons) {
        int width = b.MenuButton ? TextWidth(dc, b.Text) + 2 * MenuButtonPadding
                                 : r->ImageWidth + 2 * ToolButtonPadding;
        b.Rect = RECT{x, 0, x + width, r->Height};
        x += width;
    }
    SelectObject(dc, old);
    ReleaseDC(bar, dc);
    InvalidateRect(bar, nullptr, FALSE);
}

void ShellBarOpenMenu(HWND bar, int index, bool hot) {
    ShellBarRecord* r = ShellBarFind(bar);
    HWND owner = GetParent(bar);
    while (r && index >= 0 && index < int(r->Buttons.size()) && r->Buttons[size_t(index)].Popup) {
        const ShellBarButton& b = r->Buttons[size_t(index)];
        POINT at{b.Rect.left, r->AtBottom ? b.Rect.top : b.Rect.bottom};
        ClientToScreen(bar, &at);
        r->Pressed = index;
        InvalidateRect(bar, nullptr, FALSE);
        UpdateWindow(bar);
        MenuRunResult result = MenuRunPopup(b.Popup, r->AtBottom ? TPM_BOTTOMALIGN : TPM_TOPALIGN, at.x, at.y,
                                            owner, hot ? 0 : -1);
        if (!IsWindow(bar)) return;
        r->Pressed = -1;
        InvalidateRect(bar, nullptr, FALSE);
        int menus = int(std::count_if(r->Buttons.begin(), r->Buttons.end(),
                                      [](const ShellBarButton& x) { return x.MenuButton; }));
        if (result.Exit == MenuExit::Chosen) Command(bar, result.Command);
        if (result.Exit == MenuExit::Left || result.Exit == MenuExit::Right) {
            index = (index + (result.Exit == MenuExit::Right ? 1 : menus - 1)) % menus;
            hot = true;
            continue;
        }
        if (result.Exit == MenuExit::OutsideTap) {
            POINT p = result.Outside;
            ScreenToClient(bar, &p);
            int other = ButtonAt(bar, *r, p);
            if (other >= 0 && other != index && other < int(r->Buttons.size()) &&
                r->Buttons[size_t(other)].MenuButton) {
                index = other;
                hot = false;
                continue;
            }
        }
        return;
    }
}
