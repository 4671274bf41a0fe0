// WindowGeometry.cpp: where windows are: rectangles, SetWindowPos and its messages, ShowWindow,
// coordinate mapping, hit-testing, the default placement, and keeping each top-level window's
// framebuffer and every DC handed out in step with the window's size and place.
// The framebuffer (a Surface) belongs to the top-level window's record; a resize swaps its pixels in
// place, so the DCs that point at the Surface record stay valid.
#include "platform/user/Window.h"

#include "platform/backend/Backend.h"
#include "platform/base/Clamp.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// A portrait window like a handheld's: 3 wide for 5 high, 90% of a landscape screen's height.
constexpr int PortraitWidthParts = 3;
constexpr int PortraitHeightParts = 5;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PlaceZOrder(WindowRecord* w, HWND after) {
    if (w->Parent == nullptr) {
        if (after == HWND_TOP || after == HWND_TOPMOST) WindowRaise(w->Handle);
        return;
    }
    WindowRecord* parent = WindowFind(w->Parent);
    if (parent == nullptr) return;
    auto& list = parent->Children;
    std::erase(list, w->Handle);
    auto at = std::find(list.begin(), list.end(), after);
    if (after == HWND_TOP || after == HWND_TOPMOST)
        list.insert(list.begin(), w->Handle);
    else if (after == HWND_BOTTOM || at == list.end())
        list.push_back(w->Handle);
    else
        list.insert(at + 1, w->Handle);
}

// Applies a new rectangle and visibility; repaints what they uncover or reveal.
void ApplyPos(WindowRecord* w, const RECT& rect, UINT flags) {
    RECT old = w->Rect;
    bool wasVisible = (w->Style & WS_VISIBLE) != 0;
    w->Rect = rect;
    if (flags & SWP_SHOWWINDOW) w->Style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW) w->Style &= ~WS_VISIBLE;
    bool visible = (w->Style & WS_VISIBLE) != 0;
    const Backend& b = PlatformBackend();
    if (w->Parent == nullptr) {
        if (!SameRect(old, rect)) {
            WindowFitFramebuffer(w);
            if (b.MoveTopLevel) b.MoveTopLevel(w->Handle, rect);
        }
        if (visible != wasVisible && b.ShowTopLevel) b.ShowTopLevel(w->Handle, visible);
    }
    WindowPlaceDcs(WindowRoot(w));
    if (w->Parent == nullptr && visible) NonClientPaint(w);
    if (flags & SWP_NOREDRAW) return;
    bool sized = (old.right - old.left) != (rect.right - rect.left) ||
                 (old.bottom - old.top) != (rect.bottom - rect.top);
    if (visible && (sized || !wasVisible || !SameRect(old, rect))) PaintInvalidateTree(w, WindowClientSize(w), true);
    WindowRecord* parent = WindowFind(w->Parent);
    if (parent && wasVisible && (!visible || !SameRect(old, rect))) PaintInvalidateTree(parent, old, true);
}

} // namespace

RECT WindowScreenRect(WindowRecord* w) {
    POINT o = WindowSurfaceOrigin(w);
    WindowRecord* root = WindowRoot(w);
    RECT size = WindowClientSize(w);
    LONG x = root->Rect.left + o.x, y = root->Rect.top + o.y;
    return RECT{x, y, x + size.right, y + size.bottom};
}

RECT WindowClientSize(WindowRecord* w) {
    const RECT& f = w->Frame;
    return RECT{0, 0, std::max(LONG(0), w->Rect.right - w->Rect.left - f.left - f.right),
                std::max(LONG(0), w->Rect.bottom - w->Rect.top - f.top - f.bottom)};
}

POINT WindowSurfaceOrigin(WindowRecord* w) {
    POINT p{0, 0};
    while (w && w->Parent) {
        p.x = ClampCoord(int64_t(p.x) + w->Rect.left);
        p.y = ClampCoord(int64_t(p.y) + w->Rect.top);
        w = WindowFind(w->Parent);
    }
    if (w) p = POINT{ClampCoord(int64_t(p.x) + w->Frame.left), ClampCoord(int64_t(p.y) + w->Frame.top)};
    return p;
}

RECT WindowSurfaceClip(WindowRecord* w) {
    if (w->Parent == nullptr) {
        const Surface* s = w->Framebuffer;
        if (s == nullptr) return RECT{0, 0, 0, 0};
        RECT client{w->Frame.left, w->Frame.top, s->Width - w->Frame.right, s->Height - w->Frame.bottom};
        RECT out;
        return RectIntersect(RECT{0, 0, s->Width, s->Height}, client, &out) ? out : RECT{0, 0, 0, 0};
    }
    WindowRecord* parent = WindowFind(w->Parent);
    if (parent == nullptr || !(w->Style & WS_VISIBLE)) return RECT{0, 0, 0, 0};
    RECT clip = WindowSurfaceClip(parent);
    POINT o = WindowSurfaceOrigin(w);
    RECT size = WindowClientSize(w);
    RECT mine{o.x, o.y, ClampCoord(int64_t(o.x) + size.right), ClampCoord(int64_t(o.y) + size.bottom)};
    RECT out;
    RectIntersect(clip, mine, &out);
    return out;
}

void WindowPlaceDcs(WindowRecord* w) {
    WindowRecord* root = WindowRoot(w);
    if (root == nullptr || root->Framebuffer == nullptr) return;
    for (HDC dc : w->Dcs)
        GdiPlaceSurfaceDC(dc, root->Framebuffer, WindowSurfaceOrigin(w), WindowSurfaceClip(w));
    for (HWND child : w->Children)
        if (WindowRecord* c = WindowFind(child)) WindowPlaceDcs(c);
}

bool WindowFitFramebuffer(WindowRecord* w) {
    Surface* s = w->Framebuffer;
    int width = std::clamp(int(w->Rect.right - w->Rect.left), 1, SurfaceMaxSide);
    int height = std::clamp(int(w->Rect.bottom - w->Rect.top), 1, SurfaceMaxSide);
    if (s->Pixels && s->Width == width && s->Height == height) return true;
    Surface fresh;
    if (!SurfaceCreate(&fresh, width, height)) return false;
    // What was drawn stays where it was until the window repaints (the whole window is invalid).
    std::fill(fresh.Pixels, fresh.Pixels + size_t(width) * size_t(height), 0x00FFFFFFu);
    for (int y = 0; y < std::min(height, s->Height); ++y)
        std::memcpy(fresh.Pixels + size_t(y) * size_t(width), s->Pixels + size_t(y) * size_t(s->Stride),
                    size_t(std::min(width, s->Width)) * sizeof(uint32_t));
    SurfaceFree(s);
    *s = fresh;
    SurfaceMarkChanged(s, RECT{0, 0, width, height});
    return true;
}

void WindowDefaultRect(bool child, int* x, int* y, int* width, int* height) {
    *x = *y = *width = *height = 0;
    if (child) return;
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (sw <= sh) {
        *width = sw, *height = sh;
        return;
    }
    *height = sh - sh / 10;
    *width = std::min(sw, *height * PortraitWidthParts / PortraitHeightParts);
    *x = (sw - *width) / 2;
    *y = (sh - *height) / 2;
}

HWND WindowChildAtPoint(HWND window, POINT client) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return nullptr;
    for (HWND child : w->Children) {
        WindowRecord* c = WindowFind(child);
        if (c == nullptr || !(c->Style & WS_VISIBLE)) continue;
        const RECT& r = c->Rect;
        if (client.x < r.left || client.x >= r.right || client.y < r.top || client.y >= r.bottom) continue;
        HWND target = WindowChildAtPoint(child, POINT{client.x - r.left, client.y - r.top});
        if (target != child) return target;
        // A child that answers HTTRANSPARENT (a static without SS_NOTIFY) lets the pointer through.
        POINT screen{client.x, client.y};
        ClientToScreen(window, &screen);
        if (SendMessageW(child, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) != HTTRANSPARENT)
            return child;
    }
    return window;
}

HWND WindowAtScreenPoint(POINT screen) {
    for (HWND top : WindowTopLevels()) {
        WindowRecord* w = WindowFind(top);
        if (w == nullptr || !(w->Style & WS_VISIBLE)) continue;
        const RECT& r = w->Rect;
        if (screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom)
            return WindowChildAtPoint(top, POINT{screen.x - r.left - w->Frame.left, screen.y - r.top - w->Frame.top});
    }
    return nullptr;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || rect == nullptr) return FALSE;
    *rect = WindowClientSize(w);
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || rect == nullptr) return FALSE;
    *rect = w->Parent ? WindowScreenRect(w) : w->Rect;
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    RECT old = w->Rect;
    WINDOWPOS pos{window, insertAfter, x, y, width, height, flags};
    if (flags & SWP_NOMOVE) pos.x = old.left, pos.y = old.top;
    if (flags & SWP_NOSIZE) pos.cx = old.right - old.left, pos.cy = old.bottom - old.top;
    if ((flags & SWP_SHOWWINDOW) && (w->Style & WS_VISIBLE)) pos.flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && !(w->Style & WS_VISIBLE)) pos.flags &= ~SWP_HIDEWINDOW;
    WindowCall(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if ((w = WindowFind(window)) == nullptr) return FALSE;
    RECT rect{ClampCoord(pos.x), ClampCoord(pos.y), ClampCoord(int64_t(pos.x) + std::max(pos.cx, 0)),
              ClampCoord(int64_t(pos.y) + std::max(pos.cy, 0))};
    bool moved = rect.left != old.left || rect.top != old.top;
    bool sized =
        rect.right - rect.left != old.right - old.left || rect.bottom - rect.top != old.bottom - old.top;
    ApplyPos(w, rect, pos.flags);
    if (!(pos.flags & SWP_NOZORDER)) PlaceZOrder(w, pos.hwndInsertAfter);
    if (pos.flags & SWP_HIDEWINDOW) FocusForgetWindow(window);
    if ((pos.flags & SWP_SHOWWINDOW) && w->Parent == nullptr && !(pos.flags & SWP_NOACTIVATE))
        FocusActivate(window, WA_ACTIVE);
    if (!IsWindow(window)) return TRUE;
    WindowCall(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if ((w = WindowFind(window)) == nullptr) return TRUE;
    if (moved) WindowCall(window, WM_MOVE, 0, MAKELPARAM(WORD(rect.left), WORD(rect.top)));
    if (sized && IsWindow(window)) {
        RECT client = WindowClientSize(w);
        WindowCall(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(client.right), WORD(client.bottom)));
    }
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    BOOL wasVisible = (w->Style & WS_VISIBLE) ? TRUE : FALSE;
    if (command == SW_HIDE) {
        if (!wasVisible) return FALSE;
        WindowCall(window, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return wasVisible;
    }
    bool activate = w->Parent == nullptr && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
    if (wasVisible) {
        if (activate && GetActiveWindow() != window) FocusActivate(window, WA_ACTIVE);
        return wasVisible;
    }
    WindowCall(window, WM_SHOWWINDOW, TRUE, 0);
    UINT flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | (activate ? 0 : SWP_NOACTIVATE | SWP_NOZORDER);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, flags);
    return wasVisible;
}

BOOL IsWindowVisible(HWND window) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    for (; w; w = WindowFind(w->Parent))
        if (!(w->Style & WS_VISIBLE)) return FALSE;
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || point == nullptr) return FALSE;
    RECT r = WindowScreenRect(w);
    point->x = ClampCoord(int64_t(point->x) - r.left);
    point->y = ClampCoord(int64_t(point->y) - r.top);
    return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || point == nullptr) return FALSE;
    RECT r = WindowScreenRect(w);
    point->x = ClampCoord(int64_t(point->x) + r.left);
    point->y = ClampCoord(int64_t(point->y) + r.top);
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    WindowRecord* a = WindowFind(from);
    WindowRecord* b = WindowFind(to);
    RECT ra = a ? WindowScreenRect(a) : RECT{};
    RECT rb = b ? WindowScreenRect(b) : RECT{};
    LONG dx = ra.left - rb.left, dy = ra.top - rb.top;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x = ClampCoord(int64_t(points[i].x) + dx);
        points[i].y = ClampCoord(int64_t(points[i].y) + dy);
    }
    return MAKELONG(WORD(dx), WORD(dy));
}
