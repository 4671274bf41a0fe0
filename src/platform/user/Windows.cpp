// Windows.cpp: window records: creation and destruction, the parent/child tree and the top-level
// z-order, lookups, window longs, text, FindWindowW and EnumChildWindows.
// A record is created by CreateWindowExW and freed when DestroyWindow has sent WM_NCDESTROY and no
// call into its procedure is still on the stack (so a procedure may destroy its own window).
#include "platform/user/Window.h"

#include "platform/Win32Controls.h"
#include "platform/Win32Text.h"
#include "platform/backend/Backend.h"
#include "platform/base/HandleTable.h"

#include <algorithm>
#include <cstring>

namespace {

struct WindowTable {
    std::vector<HWND> TopLevels; // z-order, topmost first
    HWND Main = nullptr;
};

WindowTable& Table() {
    static WindowTable* table = new WindowTable();
    return *table;
}

void FreeRecord(WindowRecord* w) {
    if (w->Framebuffer) {
        SurfaceFree(w->Framebuffer);
        delete w->Framebuffer;
    }
    delete w;
}

void Unlink(WindowRecord* w) {
    if (w->Parent) {
        WindowRecord* parent = WindowFind(w->Parent);
        if (parent) std::erase(parent->Children, w->Handle);
    } else {
        std::erase(Table().TopLevels, w->Handle);
    }
}

// WM_DESTROY goes to the window first, then to its children (as Win32 sends it).
void SendDestroy(HWND window) {
    // Marked first: a procedure that calls DestroyWindow on itself (or a child of the dying tree)
    // from here gets FALSE instead of a second WM_DESTROY.
    if (WindowRecord* w = WindowFind(window)) w->Destroying = true;
    FocusForgetWindow(window);
    WindowCall(window, WM_DESTROY, 0, 0);
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return;
    std::vector<HWND> children = w->Children;
    for (HWND child : children)
        if (WindowFind(child)) SendDestroy(child);
}

// WM_NCDESTROY goes to the children first, then the window; then the record lets go of everything.
void FreeTree(HWND window) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return;
    std::vector<HWND> children = w->Children;
    for (HWND child : children)
        FreeTree(child);
    WindowCall(window, WM_NCDESTROY, 0, 0);
    w = WindowFind(window);
    if (w == nullptr) return;
    FocusForgetWindow(window);
    RemoteClose(window);
    PaintReleaseDcs(w);
    TimerDropWindow(window);
    QueueDropWindow(window);
    if (w->Parent == nullptr && PlatformBackend().DestroyTopLevel) PlatformBackend().DestroyTopLevel(window);
    Unlink(w);
    HandleRemove(HandleKind::Window, window);
    w->Dead = true;
    if (w->ActiveCalls == 0) FreeRecord(w);
}

bool Link(WindowRecord* w) {
    if (w->Parent) {
        WindowRecord* parent = WindowFind(w->Parent);
        if (parent == nullptr) return false;
        parent->Children.push_back(w->Handle);
        return true;
    }
    // A window of the program's own class binds its (class, name) socket as it is created, so a
    // second copy started at the same moment finds it and cannot make the same window.
    if (!RemoteListen(w)) return false;
    w->Framebuffer = new Surface{};
    if (!WindowFitFramebuffer(w)) return false;
    Table().TopLevels.insert(Table().TopLevels.begin(), w->Handle);
    if (PlatformBackend().CreateTopLevel &&
        !PlatformBackend().CreateTopLevel(w->Handle, w->Rect, w->Text.c_str()))
        return false;
    if (Table().Main == nullptr || !IsWindow(Table().Main)) Table().Main = w->Handle;
    return true;
}

WindowRecord* NewRecord(ClassRecord* c, DWORD exStyle, LPCWSTR name, DWORD style, HWND parent, HMENU menu,
                        HINSTANCE instance) {
    auto* w = new WindowRecord{};
    w->Class = c;
    w->Proc = c->Info.lpfnWndProc;
    w->Style = style & ~WS_VISIBLE; // ShowWindow sets it once the window is created
    w->ExStyle = exStyle;
    w->Frame = NonClientFrameFor(style, exStyle, (style & WS_CHILD) != 0);
    if (style & WS_CHILD) {
        w->Parent = parent;
        w->Id = LONG_PTR(reinterpret_cast<ULONG_PTR>(menu));
    } else if (parent) {
        WindowRecord* owner = WindowFind(parent);
        w->Owner = owner ? WindowRoot(owner)->Handle : nullptr;
    }
    w->Instance = instance;
    w->Extra.assign(size_t(c->Info.cbWndExtra), 0);
    if (name && !IS_INTRESOURCE(name)) w->Text = name;
    w->Handle = static_cast<HWND>(HandleAdd(HandleKind::Window, w));
    return w;
}

// Sends the creation messages; false when the window refused or destroyed itself.
bool SendCreate(HWND h, CREATESTRUCTW* cs) {
    if (!WindowCall(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(cs))) {
        FreeTree(h);
        return false;
    }
    if (!IsWindow(h)) return false;
    if (WindowCall(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(cs)) == -1) {
        DestroyWindow(h);
        return false;
    }
    WindowRecord* w = WindowFind(h);
    if (w == nullptr) return false;
    w->SizeSent = true;
    RECT r = w->Rect;
    WindowCall(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(r.right - r.left), WORD(r.bottom - r.top)));
    WindowCall(h, WM_MOVE, 0, MAKELPARAM(WORD(r.left), WORD(r.top)));
    return IsWindow(h);
}

} // namespace

WindowRecord* WindowFind(HWND window) {
    return static_cast<WindowRecord*>(HandleLookup(HandleKind::Window, window));
}

WindowRecord* WindowRoot(WindowRecord* w) {
    while (w && w->Parent) {
        WindowRecord* parent = WindowFind(w->Parent);
        if (parent == nullptr) break;
        w = parent;
    }
    return w;
}

const std::vector<HWND>& WindowTopLevels() {
    return Table().TopLevels;
}

void WindowRaise(HWND window) {
    auto& tops = Table().TopLevels;
    auto it = std::find(tops.begin(), tops.end(), window);
    if (it == tops.end() || it == tops.begin()) return;
    tops.erase(it);
    tops.insert(tops.begin(), window);
    if (PlatformBackend().Raise) PlatformBackend().Raise(window);
}

LRESULT WindowCall(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return 0;
    if (w->Remote) return RemoteSend(w, message, wParam, lParam); // the instance link answers
    ++w->ActiveCalls;
    LRESULT result = w->Proc(window, message, wParam, lParam);
    if (--w->ActiveCalls == 0 && w->Dead) FreeRecord(w);
    return result;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    PlatformRegisterControlClasses(); // the standard controls exist before the first window
    ClassRecord* c = ClassFind(className);
    if (c == nullptr) return nullptr;
    if ((style & WS_CHILD) && WindowFind(parent) == nullptr) return nullptr;
    WindowRecord* w = NewRecord(c, exStyle, windowName, style, parent, menu, instance);
    if (w->Handle == nullptr) {
        delete w;
        return nullptr;
    }
    int dx, dy, dw, dh;
    WindowDefaultRect((style & WS_CHILD) != 0, &dx, &dy, &dw, &dh);
    if (x == CW_USEDEFAULT) x = dx, y = dy;
    if (width == CW_USEDEFAULT) width = dw, height = dh;
    w->Rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    HWND h = w->Handle;
    if (!Link(w)) {
        Unlink(w);
        HandleRemove(HandleKind::Window, h);
        FreeRecord(w);
        return nullptr;
    }
    CREATESTRUCTW cs{param, instance, menu,        parent,     height,    width,
                     y,     x,        LONG(style), windowName, className, exStyle};
    if (!SendCreate(h, &cs)) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
    return IsWindow(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND window) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || w->Destroying) return FALSE;
    w->Destroying = true;
    if (w->Style & WS_VISIBLE) {
        if (w->Parent)
            ShowWindow(window, SW_HIDE);
        else
            SetWindowPos(window, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Owned top-level windows (a message box over this one) go first.
    std::vector<HWND> tops = Table().TopLevels;
    for (HWND top : tops) {
        WindowRecord* t = WindowFind(top);
        if (t && t->Owner == window) DestroyWindow(top);
    }
    if (!IsWindow(window)) return TRUE;
    SendDestroy(window);
    FreeTree(window);
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return WindowFind(window) != nullptr;
}

HWND GetParent(HWND window) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return nullptr;
    // As Win32: a top-level window answers its owner only when it is a pop-up.
    return w->Parent ? w->Parent : ((w->Style & WS_POPUP) ? w->Owner : nullptr);
}

BOOL IsChild(HWND parent, HWND window) {
    WindowRecord* w = WindowFind(window);
    while (w && w->Parent) {
        if (w->Parent == parent) return TRUE;
        w = WindowFind(w->Parent);
    }
    return FALSE;
}

HWND GetWindow(HWND window, UINT relation) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return nullptr;
    if (relation == GW_CHILD) return w->Children.empty() ? nullptr : w->Children.front();
    if (relation == GW_OWNER) return w->Owner;
    WindowRecord* parent = WindowFind(w->Parent);
    const std::vector<HWND>& siblings = parent ? parent->Children : Table().TopLevels;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    if (it == siblings.end()) return nullptr;
    switch (relation) {
    case GW_HWNDFIRST:
        return siblings.front();
    case GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return it + 1 == siblings.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
        return it == siblings.begin() ? nullptr : *(it - 1);
    default:
        return nullptr;
    }
}

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return 0;
    switch (index) {
    case GWL_WNDPROC:
        return LONG_PTR(reinterpret_cast<intptr_t>(w->Proc));
    case GWL_HINSTANCE:
        return LONG_PTR(reinterpret_cast<intptr_t>(w->Instance));
    case GWL_HWNDPARENT:
        return LONG_PTR(reinterpret_cast<intptr_t>(w->Parent ? w->Parent : w->Owner));
    case GWL_ID:
        return w->Id;
    case GWL_STYLE:
        return LONG_PTR(LONG(w->Style));
    case GWL_EXSTYLE:
        return LONG_PTR(LONG(w->ExStyle));
    case GWL_USERDATA:
        return w->UserData;
    default:
        break;
    }
    if (index < 0 || size_t(index) + sizeof(LONG_PTR) > w->Extra.size()) return 0;
    LONG_PTR value;
    std::memcpy(&value, w->Extra.data() + index, sizeof(value));
    return value;
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return 0;
    LONG_PTR previous = GetWindowLongPtrW(window, index);
    switch (index) {
    case GWL_WNDPROC:
        if (value == 0) return 0;
        w->Proc = reinterpret_cast<WNDPROC>(value);
        return previous;
    case GWL_ID:
        w->Id = value;
        return previous;
    case GWL_STYLE:
    case GWL_EXSTYLE:
        (index == GWL_STYLE ? w->Style : w->ExStyle) = DWORD(value);
        NonClientPaint(w); // the caption's buttons follow the styles
        return previous;
    case GWL_USERDATA:
        w->UserData = value;
        return previous;
    case GWL_HWNDPARENT:
        if (w->Parent == nullptr) w->Owner = reinterpret_cast<HWND>(value);
        return previous;
    default:
        break;
    }
    if (index < 0 || size_t(index) + sizeof(LONG_PTR) > w->Extra.size()) return 0;
    std::memcpy(w->Extra.data() + index, &value, sizeof(value));
    return previous;
}

LONG GetWindowLongW(HWND window, int index) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || index == GWL_WNDPROC) return 0;
    if (index < 0) return LONG(GetWindowLongPtrW(window, index));
    if (size_t(index) + sizeof(LONG) > w->Extra.size()) return 0;
    LONG value;
    std::memcpy(&value, w->Extra.data() + index, sizeof(value));
    return value;
}

LONG SetWindowLongW(HWND window, int index, LONG value) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || index == GWL_WNDPROC) return 0;
    if (index < 0) return LONG(SetWindowLongPtrW(window, index, value));
    if (size_t(index) + sizeof(LONG) > w->Extra.size()) return 0;
    LONG previous = GetWindowLongW(window, index);
    std::memcpy(w->Extra.data() + index, &value, sizeof(value));
    return previous;
}

int GetDlgCtrlID(HWND window) {
    WindowRecord* w = WindowFind(window);
    return w && w->Parent ? int(w->Id) : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
    WindowRecord* w = WindowFind(dialog);
    if (w == nullptr) return nullptr;
    for (HWND child : w->Children) {
        WindowRecord* c = WindowFind(child);
        if (c && int(c->Id) == id) return child;
    }
    return nullptr;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
    if (!IsWindow(window)) return FALSE;
    return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND window, LPWSTR text, int count) {
    if (!IsWindow(window) || text == nullptr || count <= 0) return 0;
    return int(SendMessageW(window, WM_GETTEXT, WPARAM(count), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND window) {
    return IsWindow(window) ? int(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    ClassRecord* c = className ? ClassFind(className) : nullptr;
    for (HWND top : Table().TopLevels) {
        WindowRecord* w = WindowFind(top);
        if (w == nullptr || (className && (c == nullptr || w->Class != c))) continue;
        if (windowName && wcsicmp16(w->Text.c_str(), windowName) != 0) continue;
        return top;
    }
    // No window of this process: another running copy may have it.
    return RemoteFindWindow(className, windowName);
}

namespace {
bool EnumTree(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    WindowRecord* w = WindowFind(parent);
    if (w == nullptr) return true;
    std::vector<HWND> children = w->Children;
    for (HWND child : children) {
        if (!IsWindow(child)) continue;
        if (!proc(child, lParam)) return false;
        if (!EnumTree(child, proc, lParam)) return false;
    }
    return true;
}
} // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    if (proc == nullptr || !IsWindow(parent)) return FALSE;
    return EnumTree(parent, proc, lParam) ? TRUE : FALSE;
}

void PlatformSetMainWindow(HWND window) {
    if (IsWindow(window) || window == nullptr) Table().Main = window;
}

HWND PlatformMainWindow() {
    return IsWindow(Table().Main) ? Table().Main : nullptr;
}
