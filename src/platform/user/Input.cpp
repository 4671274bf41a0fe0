// Input.cpp: backend events become queued messages: keys (WM_KEYDOWN / WM_SYSKEYDOWN with Alt, and
// their ups), typed text (VK_PACKET key downs, one per UTF-16 unit), the pointer (WM_LBUTTONDOWN /
// WM_MOUSEMOVE / WM_LBUTTONUP to the window under it or the capture), the wheel (WM_MOUSEWHEEL to
// the focus, screen coordinates), close requests, resizes, exposure and focus changes. Also the key
// state behind GetKeyState and TranslateMessage's characters.
#include "platform/user/Window.h"

#include "platform/backend/Backend.h"
#include "platform/base/Utf.h"

namespace {

constexpr BYTE KeyDownBit = 0x80;
constexpr BYTE KeyToggleBit = 0x01;
constexpr LPARAM KeyAltBit = LPARAM(1) << 29;
constexpr LPARAM KeyWasDownBit = LPARAM(1) << 30;
constexpr LPARAM KeyReleasedBit = LPARAM(1) << 31;

struct InputRecord {
    BYTE Keys[256] = {};
    POINT Pointer{0, 0}; // screen coordinates
};

InputRecord& Input() {
    static InputRecord record;
    return record;
}

bool Down(UINT vk) {
    return (Input().Keys[vk & 0xFF] & KeyDownBit) != 0;
}

void SetDown(UINT vk, bool down) {
    BYTE& k = Input().Keys[vk & 0xFF];
    if (down && !(k & KeyDownBit)) k ^= KeyToggleBit;
    k = down ? BYTE(k | KeyDownBit) : BYTE(k & ~KeyDownBit);
}

HWND KeyTarget() {
    HWND focus = GetFocus();
    return focus ? focus : GetActiveWindow();
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr) return;
    QueuePost(MSG{window, message, wParam, lParam, QueueTime(), Input().Pointer});
}

void Key(const BackendEvent& e, bool down) {
    UINT vk = e.Key & 0xFF;
    SetDown(vk, down);
    bool alt = Down(VK_MENU);
    // Alt combinations and F10 (the menu key) are system keys, as Win32 sends them.
    bool sys = (alt && (vk != VK_MENU || down)) || vk == VK_F10;
    LPARAM l = 1 | (alt ? KeyAltBit : 0);
    if (down && e.Repeat) l |= KeyWasDownBit;
    if (!down) l |= KeyWasDownBit | KeyReleasedBit;
    UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    Post(KeyTarget(), message, vk, l);
}

void Text(const BackendEvent& e) {
    std::u16string units;
    const auto* p = reinterpret_cast<const uint8_t*>(e.Text);
    size_t n = 0;
    while (n < sizeof(e.Text) && e.Text[n])
        ++n;
    for (size_t i = 0; i < n;) {
        char32_t cp;
        size_t length;
        if (!Utf8DecodeOne(p + i, n - i, &cp, &length)) cp = 0xFFFD, length = 1;
        Utf16Append(&units, cp);
        i += length;
    }
    HWND target = KeyTarget();
    for (char16_t unit : units) {
        Post(target, WM_KEYDOWN, VK_PACKET, LPARAM(LPARAM(unit) << 16) | 1);
        Post(target, WM_KEYUP, VK_PACKET, LPARAM(LPARAM(unit) << 16) | 1 | KeyWasDownBit | KeyReleasedBit);
    }
}

WPARAM MouseKeys() {
    return (Down(VK_LBUTTON) ? MK_LBUTTON : 0) | (Down(VK_SHIFT) ? MK_SHIFT : 0) |
           (Down(VK_CONTROL) ? MK_CONTROL : 0);
}

void Pointer(const BackendEvent& e) {
    WindowRecord* top = WindowRoot(WindowFind(e.Window ? e.Window : GetActiveWindow()));
    if (top == nullptr) return;
    POINT screen{top->Rect.left + e.X, top->Rect.top + e.Y};
    Input().Pointer = screen;
    HWND target = GetCapture();
    POINT inClient{e.X - top->Frame.left, e.Y - top->Frame.top};
    RECT area = WindowClientSize(top);
    bool inFrame = inClient.x < 0 || inClient.y < 0 || inClient.x >= area.right || inClient.y >= area.bottom;
    if (target == nullptr && inFrame && e.Kind != BackendEventKind::PointerMove) {
        if (e.Kind == BackendEventKind::PointerDown && GetActiveWindow() != top->Handle)
            FocusActivate(top->Handle, WA_CLICKACTIVE);
        UINT message = e.Kind == BackendEventKind::PointerDown ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        if (NonClientPointer(top, message, POINT{e.X, e.Y})) return;
    }
    if (target == nullptr) target = WindowChildAtPoint(top->Handle, inClient);
    bool left = e.Button != 2;
    if (e.Kind == BackendEventKind::PointerDown && left) SetDown(VK_LBUTTON, true);
    if (e.Kind == BackendEventKind::PointerUp && left) SetDown(VK_LBUTTON, false);
    if (target == nullptr || !IsWindowEnabled(target)) return;
    if (e.Kind == BackendEventKind::PointerDown && GetActiveWindow() != top->Handle)
        FocusActivate(top->Handle, WA_CLICKACTIVE);
    POINT client = screen;
    ScreenToClient(target, &client);
    UINT message = WM_MOUSEMOVE;
    if (e.Kind == BackendEventKind::PointerDown) message = left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    if (e.Kind == BackendEventKind::PointerUp) message = left ? WM_LBUTTONUP : WM_RBUTTONUP;
    Post(target, message, MouseKeys(), MAKELPARAM(WORD(client.x), WORD(client.y)));
}

void Wheel(const BackendEvent& e) {
    WindowRecord* top = WindowRoot(WindowFind(e.Window ? e.Window : GetActiveWindow()));
    if (top == nullptr) return;
    POINT screen{top->Rect.left + e.X, top->Rect.top + e.Y};
    Input().Pointer = screen;
    Post(KeyTarget(), WM_MOUSEWHEEL, MAKEWPARAM(WORD(MouseKeys()), WORD(SHORT(e.Delta))),
         MAKELPARAM(WORD(screen.x), WORD(screen.y)));
}

void WindowEvent(const BackendEvent& e) {
    HWND window = e.Window ? e.Window : GetActiveWindow();
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return;
    switch (e.Kind) {
    case BackendEventKind::CloseRequest:
        Post(window, WM_CLOSE, 0, 0);
        break;
    case BackendEventKind::Resized:
        SetWindowPos(window, nullptr, 0, 0, e.Width, e.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case BackendEventKind::Exposed:
        if (w->Framebuffer)
            SurfaceMarkChanged(w->Framebuffer, RECT{0, 0, w->Framebuffer->Width, w->Framebuffer->Height});
        break;
    case BackendEventKind::FocusGained:
        if (IsWindowEnabled(window)) FocusActivate(window, WA_ACTIVE);
        break;
    default:
        break;
    }
}

} // namespace

void InputSetModifiers(uint8_t modifiers) {
    SetDown(VK_SHIFT, (modifiers & BackendModShift) != 0);
    SetDown(VK_CONTROL, (modifiers & BackendModCtrl) != 0);
    SetDown(VK_MENU, (modifiers & BackendModAlt) != 0);
}

void InputHandleEvent(const BackendEvent& e) {
    switch (e.Kind) {
    case BackendEventKind::KeyDown:
    case BackendEventKind::KeyUp:
        Key(e, e.Kind == BackendEventKind::KeyDown);
        break;
    case BackendEventKind::Text:
        Text(e);
        break;
    case BackendEventKind::PointerDown:
    case BackendEventKind::PointerMove:
    case BackendEventKind::PointerUp:
        Pointer(e);
        break;
    case BackendEventKind::Wheel:
        Wheel(e);
        break;
    case BackendEventKind::Quit:
        PostQuitMessage(0);
        break;
    default:
        WindowEvent(e);
        break;
    }
}

SHORT GetKeyState(int virtualKey) {
    BYTE k = Input().Keys[virtualKey & 0xFF];
    return SHORT(((k & KeyDownBit) ? 0x8000 : 0) | (k & KeyToggleBit));
}

// Keys that make a character without the system's text input: Enter, Backspace, Tab, Escape and
// Ctrl with a letter. Printable characters arrive as typed text (VK_PACKET), so a key and the text
// it types never give two characters.
BOOL TranslateMessage(const MSG* msg) {
    if (msg == nullptr) return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
        return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
    }
    UINT vk = UINT(msg->wParam);
    WCHAR c = 0;
    if (vk == VK_PACKET)
        c = WCHAR(HIWORD(ULONG_PTR(msg->lParam)));
    else if (vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB || vk == VK_ESCAPE)
        c = WCHAR(vk == VK_RETURN ? u'\r' : vk);
    else if (vk >= 'A' && vk <= 'Z' && Down(VK_CONTROL) && !Down(VK_MENU))
        c = WCHAR(vk - 'A' + 1);
    else if (msg->message == WM_SYSKEYDOWN && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')))
        c = WCHAR(vk >= 'A' && !Down(VK_SHIFT) ? vk + 32 : vk); // Alt+letter: the menu's mnemonic
    if (c != 0) {
        UINT message = msg->message == WM_SYSKEYDOWN && vk != VK_PACKET ? WM_SYSCHAR : WM_CHAR;
        LPARAM l = vk == VK_PACKET ? 1 : msg->lParam;
        QueuePostFront(MSG{msg->hwnd, message, c, l, msg->time, msg->pt});
    }
    return TRUE;
}
