// Focus.cpp: the active window (a top-level window), the keyboard focus (it or a descendant), the
// pointer capture, and enabling windows; with the messages Win32 sends as they change
// (WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS, WM_CAPTURECHANGED, WM_ENABLE). Holds handles only.
#include "platform/user/Window.h"

#include "platform/backend/Backend.h"

namespace {

struct FocusRecord {
    HWND Active = nullptr;
    HWND Focus = nullptr;
    HWND Capture = nullptr;
};

FocusRecord& State() {
    static FocusRecord record;
    return record;
}

bool InTree(HWND root, HWND window) {
    return window != nullptr && (window == root || IsChild(root, window));
}

bool CanActivate(HWND window, HWND leaving) {
    WindowRecord* w = WindowFind(window);
    return w && window != leaving && !w->Destroying && w->Parent == nullptr && (w->Style & WS_VISIBLE) &&
           !(w->Style & WS_DISABLED);
}

// The window that becomes active when `leaving` stops being so: its owner, else the topmost other.
void ActivateOther(HWND leaving) {
    WindowRecord* w = WindowFind(leaving);
    HWND next = nullptr;
    if (w && CanActivate(w->Owner, leaving)) next = w->Owner;
    for (HWND top : WindowTopLevels())
        if (next == nullptr && CanActivate(top, leaving)) next = top;
    if (next) {
        FocusActivate(next, WA_ACTIVE);
        return;
    }
    FocusRecord& s = State();
    s.Active = nullptr;
    HWND focus = s.Focus;
    s.Focus = nullptr;
    if (focus) SendMessageW(focus, WM_KILLFOCUS, 0, 0);
    SendMessageW(leaving, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
}

} // namespace

void FocusActivate(HWND window, WORD how) {
    FocusRecord& s = State();
    WindowRecord* w = WindowRoot(WindowFind(window));
    if (w == nullptr) return;
    window = w->Handle;
    WindowRaise(window);
    HWND old = s.Active;
    if (old == window) return;
    s.Active = window;
    if (old) SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(window));
    if (s.Active != window) return;
    SendMessageW(window, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(old));
    // The focus follows the activation, whether or not the procedure passed WM_ACTIVATE on.
    if (s.Active == window && !InTree(window, s.Focus)) SetFocus(window);
}

void FocusForgetWindow(HWND window) {
    FocusRecord& s = State();
    if (InTree(window, s.Capture)) ReleaseCapture();
    WindowRecord* w = WindowFind(window);
    if (w && InTree(window, s.Focus)) {
        WindowRecord* parent = WindowFind(w->Parent);
        SetFocus(parent && !parent->Destroying ? parent->Handle : nullptr);
    }
    if (s.Active == window) ActivateOther(window);
}

HWND SetFocus(HWND window) {
    FocusRecord& s = State();
    HWND old = s.Focus;
    WindowRecord* w = WindowFind(window);
    if (window != nullptr && (w == nullptr || w->Destroying)) return nullptr;
    if (w) {
        WindowRecord* root = WindowRoot(w);
        if (root->Handle != s.Active) FocusActivate(root->Handle, WA_ACTIVE);
        if (s.Focus == window) return old;
    }
    if (old == window) return old;
    s.Focus = window;
    if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window && s.Focus == window) SendMessageW(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() {
    return IsWindow(State().Focus) ? State().Focus : nullptr;
}

HWND SetActiveWindow(HWND window) {
    HWND old = State().Active;
    if (WindowFind(window) == nullptr) return nullptr;
    FocusActivate(window, WA_ACTIVE);
    return old;
}

HWND GetActiveWindow() {
    return IsWindow(State().Active) ? State().Active : nullptr;
}

// Without a window of its own in front, the program asks another running copy what it shows.
HWND GetForegroundWindow() {
    HWND active = GetActiveWindow();
    return active ? active : RemoteForeground();
}

BOOL SetForegroundWindow(HWND window) {
    WindowRecord* remote = WindowFind(window);
    if (remote && remote->Remote) return RemoteSetForeground(remote);
    WindowRecord* w = WindowRoot(WindowFind(window));
    if (w == nullptr) return FALSE;
    FocusActivate(w->Handle, WA_ACTIVE);
    if (PlatformBackend().Raise) PlatformBackend().Raise(w->Handle);
    return TRUE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    BOOL wasDisabled = (w->Style & WS_DISABLED) ? TRUE : FALSE;
    if (enable && wasDisabled) {
        w->Style &= ~WS_DISABLED;
        SendMessageW(window, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        w->Style |= WS_DISABLED;
        // A disabled window can hold neither the focus nor the capture.
        if (InTree(window, State().Focus)) SetFocus(nullptr);
        if (InTree(window, State().Capture)) ReleaseCapture();
        SendMessageW(window, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
    WindowRecord* w = WindowFind(window);
    return w && !(w->Style & WS_DISABLED) ? TRUE : FALSE;
}

HWND SetCapture(HWND window) {
    HWND old = State().Capture;
    if (WindowFind(window) == nullptr) return old;
    State().Capture = window;
    if (old && old != window) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return old;
}

BOOL ReleaseCapture() {
    HWND old = State().Capture;
    State().Capture = nullptr;
    if (old && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    return IsWindow(State().Capture) ? State().Capture : nullptr;
}
