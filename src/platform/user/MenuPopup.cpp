// MenuPopup.cpp: running a popup menu. The popup is a child window on top of its owner's top-level
// window (so it shares that window's pixels and needs nothing of the desktop), drawn from the menu
// record; a modal loop takes the keyboard (arrows, Enter, Escape, mnemonics) and, through the
// capture, the pointer: a tap on an item chooses it, a tap outside closes the popup. The popup
// window is destroyed before the run returns; the menu stays its owner's.
#include "platform/user/MenuPopup.h"

#include "platform/Win32Controls.h"
#include "platform/user/Menu.h"
#include "platform/user/UiDraw.h"
#include "platform/user/UiTheme.h"

#include <algorithm>

namespace {

inline constexpr const WCHAR* PopupClassName = u"#32768";

struct PopupRun {
    MenuRecord* Record;
    HWND Window;
    HFONT Font;
    int Hot;
    bool PressedInside;
    bool Moved;   // the pointer moved after the popup opened
    POINT Opened; // where the pointer was then (screen)
    bool Done;
    MenuRunResult Result;
};

int ItemHeight(const MenuItem& item, int textHeight) {
    return item.Separator ? UiMenuSeparatorHeight : textHeight + UiMenuItemPadding;
}

int TextHeight(HDC dc) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return std::max<int>(1, tm.tmHeight);
}

// The item's text and its shortcut text (after 0x08).
void SplitText(const std::u16string& text, std::u16string* label, std::u16string* shortcut) {
    size_t at = text.find(MenuShortcutSeparator);
    *label = text.substr(0, at);
    *shortcut = at == std::u16string::npos ? std::u16string() : text.substr(at + 1);
}

int TextWidth(HDC dc, const std::u16string& text, UINT format) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, format | DT_CALCRECT | DT_SINGLELINE);
    return r.right - r.left;
}

SIZE MeasurePopup(HDC dc, const MenuRecord& record) {
    int textHeight = TextHeight(dc), width = 0, height = 2;
    for (const MenuItem& item : record.Items) {
        height += ItemHeight(item, textHeight);
        if (item.Separator) continue;
        std::u16string label, shortcut;
        SplitText(item.Text, &label, &shortcut);
        int w = TextWidth(dc, label, 0) + (shortcut.empty() ? 0 : UiMenuTextGap + TextWidth(dc, shortcut, 0));
        width = std::max(width, w);
    }
    return SIZE{width + UiMenuCheckColumn + 2 * UiMenuSideMargin + 2, height};
}

bool Selectable(const MenuItem& item) {
    return !item.Separator && !(item.State & (MF_GRAYED | MF_DISABLED)) && item.Popup == nullptr;
}

void DrawMark(HDC dc, const MenuItem& item, const RECT& row, COLORREF colour) {
    int cx = row.left + UiMenuSideMargin / 2 + UiMenuCheckColumn / 2, cy = (row.top + row.bottom) / 2;
    if (item.Radio) {
        UiFillDisc(dc,
                   RECT{cx - UiMenuRadioRadius, cy - UiMenuRadioRadius, cx + UiMenuRadioRadius + 1,
                        cy + UiMenuRadioRadius + 1},
                   colour);
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 2, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, cx - 5, cy, nullptr);
    LineTo(dc, cx - 1, cy + 4);
    LineTo(dc, cx + 6, cy - 4);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void PaintItem(HDC dc, const MenuItem& item, const RECT& row, bool hot) {
    if (item.Separator) {
        int y = (row.top + row.bottom) / 2;
        UiFill(dc, RECT{row.left + UiMenuSideMargin, y, row.right - UiMenuSideMargin, y + 1}, UiBorderColour);
        return;
    }
    bool enabled = !(item.State & (MF_GRAYED | MF_DISABLED));
    if (hot && enabled) UiFill(dc, row, UiMenuHotColour);
    COLORREF text = !enabled ? UiGrayTextColour : hot ? UiMenuHotTextColour : UiTextColour;
    SetTextColor(dc, text);
    if (item.State & MF_CHECKED) DrawMark(dc, item, row, text);
    std::u16string label, shortcut;
    SplitText(item.Text, &label, &shortcut);
    RECT area{row.left + UiMenuSideMargin + UiMenuCheckColumn, row.top, row.right - UiMenuSideMargin,
              row.bottom};
    DrawTextW(dc, label.c_str(), int(label.size()), &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (!shortcut.empty())
        DrawTextW(dc, shortcut.c_str(), int(shortcut.size()), &area,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The rows of the popup, top to bottom, in client coordinates.
std::vector<RECT> Rows(HWND window, const PopupRun& run, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    int textHeight = TextHeight(dc), y = 1;
    std::vector<RECT> rows;
    for (const MenuItem& item : run.Record->Items) {
        int h = ItemHeight(item, textHeight);
        rows.push_back(RECT{1, y, client.right - 1, y + h});
        y += h;
    }
    return rows;
}

void Paint(HWND window, const PopupRun& run) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HGDIOBJ oldFont = SelectObject(dc, run.Font);
    RECT client;
    GetClientRect(window, &client);
    UiFill(dc, client, UiWindowColour);
    UiFill(dc, RECT{0, 0, client.right, 1}, UiBorderColour);
    UiFill(dc, RECT{0, client.bottom - 1, client.right, client.bottom}, UiBorderColour);
    UiFill(dc, RECT{0, 0, 1, client.bottom}, UiBorderColour);
    UiFill(dc, RECT{client.right - 1, 0, client.right, client.bottom}, UiBorderColour);
    SetBkMode(dc, TRANSPARENT);
    std::vector<RECT> rows = Rows(window, run, dc);
    for (size_t i = 0; i < rows.size(); ++i)
        PaintItem(dc, run.Record->Items[i], rows[i], int(i) == run.Hot);
    SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = reinterpret_cast<PopupRun*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && run) {
        Paint(window, *run);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterPopupClass() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = PopupClassName;
    RegisterClassW(&wc);
}

int ItemAt(const PopupRun& run, POINT p) {
    HDC dc = GetDC(run.Window);
    HGDIOBJ old = SelectObject(dc, run.Font);
    std::vector<RECT> rows = Rows(run.Window, run, dc);
    SelectObject(dc, old);
    ReleaseDC(run.Window, dc);
    for (size_t i = 0; i < rows.size(); ++i)
        if (p.x >= rows[i].left && p.x < rows[i].right && p.y >= rows[i].top && p.y < rows[i].bottom)
            return int(i);
    return -1;
}

void SetHot(PopupRun& run, int hot) {
    if (hot == run.Hot) return;
    run.Hot = hot;
    InvalidateRect(run.Window, nullptr, FALSE);
}

void Finish(PopupRun& run, MenuExit exit, UINT command) {
    run.Done = true;
    run.Result.Exit = exit;
    run.Result.Command = command;
}

void Choose(PopupRun& run, int index) {
    if (index < 0 || !Selectable(run.Record->Items[size_t(index)])) return;
    Finish(run, MenuExit::Chosen, run.Record->Items[size_t(index)].Id);
}

// The next selectable item from the hot one, forward or back, wrapping; the hot one when none.
int Step(const PopupRun& run, int direction) {
    int count = int(run.Record->Items.size());
    for (int n = 1, i = run.Hot; n <= count; ++n) {
        i = ((i < 0 && direction < 0 ? 0 : i) + direction + count) % count;
        if (Selectable(run.Record->Items[size_t(i)])) return i;
    }
    return run.Hot;
}

int MnemonicItem(const PopupRun& run, WCHAR c) {
    auto fold = [](WCHAR x) { return (x >= u'a' && x <= u'z') ? WCHAR(x - 32) : x; };
    for (size_t i = 0; i < run.Record->Items.size(); ++i) {
        const std::u16string& text = run.Record->Items[i].Text;
        size_t at = text.find(u'&');
        if (at != std::u16string::npos && at + 1 < text.size() && fold(text[at + 1]) == fold(c))
            return int(i);
    }
    return -1;
}

void OnKey(PopupRun& run, WPARAM key) {
    switch (key) {
    case VK_UP:
        SetHot(run, Step(run, -1));
        break;
    case VK_DOWN:
        SetHot(run, Step(run, 1));
        break;
    case VK_RETURN:
        Choose(run, run.Hot);
        break;
    case VK_ESCAPE:
    case VK_MENU:
    case VK_F10:
        Finish(run, MenuExit::Cancelled, 0);
        break;
    case VK_LEFT:
        Finish(run, MenuExit::Left, 0);
        break;
    case VK_RIGHT:
        Finish(run, MenuExit::Right, 0);
        break;
    default:
        break;
    }
}

void OnPointer(PopupRun& run, const MSG& msg) {
    POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    if (msg.hwnd != run.Window) MapWindowPoints(msg.hwnd, run.Window, &p, 1);
    int index = ItemAt(run, p);
    if (msg.message == WM_LBUTTONDOWN && index < 0) {
        run.Result.Outside = p;
        ClientToScreen(run.Window, &run.Result.Outside);
        Finish(run, MenuExit::OutsideTap, 0);
    } else if (msg.message == WM_LBUTTONDOWN) {
        run.PressedInside = true;
        SetHot(run, index);
    } else if (msg.message == WM_MOUSEMOVE) {
        if (msg.pt.x != run.Opened.x || msg.pt.y != run.Opened.y) run.Moved = true;
        if (index >= 0 || run.PressedInside) SetHot(run, index);
    } else if (msg.message == WM_LBUTTONUP && index >= 0 && (run.PressedInside || run.Moved)) {
        // The release of the tap that opened the popup chooses nothing, even where a popup too tall
        // for the window covers the button; a press inside, or a drag onto an item, does.
        Choose(run, index);
    }
}

// What the popup's loop takes for itself; other messages are dispatched as usual.
bool TakeMessage(PopupRun& run, const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        TranslateMessage(&msg); // typed letters and Alt+letter become the WM_CHAR / WM_SYSCHAR of mnemonics
        OnKey(run, msg.wParam);
        return true;
    case WM_CHAR:
    case WM_SYSCHAR: {
        int index = MnemonicItem(run, WCHAR(msg.wParam));
        if (index >= 0) Choose(run, index);
        return true;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
        OnPointer(run, msg);
        return true;
    default:
        return false;
    }
}

HWND CreatePopupWindow(PopupRun& run, HWND owner, int x, int y, UINT flags) {
    HWND root = owner;
    while (root && (GetWindowLongW(root, GWL_STYLE) & WS_CHILD))
        root = GetParent(root);
    if (root == nullptr) return nullptr;
    HDC dc = GetDC(root);
    HGDIOBJ old = SelectObject(dc, run.Font);
    SIZE size = MeasurePopup(dc, *run.Record);
    SelectObject(dc, old);
    ReleaseDC(root, dc);
    POINT at{x, y};
    ScreenToClient(root, &at);
    if (flags & TPM_RIGHTALIGN) at.x -= size.cx;
    if (flags & TPM_CENTERALIGN) at.x -= size.cx / 2;
    if (flags & TPM_BOTTOMALIGN) at.y -= size.cy;
    RECT client;
    GetClientRect(root, &client);
    at.x = std::max(LONG(0), std::min(at.x, LONG(client.right - size.cx)));
    at.y = std::max(LONG(0), std::min(at.y, LONG(client.bottom - size.cy)));
    RegisterPopupClass();
    HWND window = CreateWindowExW(0, PopupClassName, u"", WS_CHILD, at.x, at.y, size.cx, size.cy, root,
                                  nullptr, nullptr, nullptr);
    if (window == nullptr) return nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&run));
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return window;
}

} // namespace

HFONT MenuFont() {
    static HFONT font = [] {
        LOGFONTW lf{};
        lf.lfHeight = UiMenuFontHeight;
        lf.lfWeight = FW_NORMAL;
        std::copy_n(u"DejaVu Sans", 12, lf.lfFaceName);
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

MenuRunResult MenuRunPopup(HMENU menu, UINT flags, int x, int y, HWND owner, int hot) {
    MenuRunResult result{};
    DWORD opened = GetMessagePos();
    PopupRun run{MenuFind(menu),
                 nullptr,
                 MenuFont(),
                 -1,
                 false,
                 false,
                 POINT{int16_t(LOWORD(opened)), int16_t(HIWORD(opened))},
                 false,
                 result};
    if (run.Record == nullptr || run.Record->Items.empty()) return result;
    run.Window = CreatePopupWindow(run, owner, x, y, flags);
    if (run.Window == nullptr) return result;
    if (hot >= 0) run.Hot = Step(run, 1);
    UpdateWindow(run.Window);
    HWND previousCapture = GetCapture();
    SetCapture(run.Window);
    MSG msg;
    while (!run.Done && IsWindow(run.Window)) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (TakeMessage(run, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (GetCapture() == run.Window) ReleaseCapture();
    if (previousCapture && IsWindow(previousCapture)) SetCapture(previousCapture);
    if (IsWindow(run.Window)) DestroyWindow(run.Window);
    return run.Result;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void*) {
    MenuRunResult result = MenuRunPopup(menu, flags, x, y, owner, -1);
    if (result.Exit != MenuExit::Chosen) return FALSE;
    if (flags & TPM_RETURNCMD) return BOOL(result.Command);
    if (!(flags & TPM_NONOTIFY)) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(WORD(result.Command), 0), 0);
    return TRUE;
}
