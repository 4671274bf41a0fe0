// Paint.cpp: update rectangles, the paint cycle (BeginPaint / EndPaint with WM_ERASEBKGND), window
// DCs (GetDC / ReleaseDC), system colours, and handing changed framebuffers to the backend.
// A window's update area is one rectangle (the union of what was invalidated). The DCs given out
// here belong to the window they were made for: ReleaseDC / EndPaint free them, and DestroyWindow
// frees those still held.
#include "platform/user/Window.h"

#include "platform/backend/Backend.h"
#include "platform/base/HandleTable.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>

namespace {

constexpr int SysColorCount = COLOR_BTNHIGHLIGHT + 1;
constexpr COLORREF SysColors[SysColorCount] = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255)};

bool Empty(const RECT& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

RECT Union(const RECT& a, const RECT& b) {
    if (Empty(a)) return b;
    if (Empty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

HWND FindPaint(HWND window, HWND filter, bool inFilter) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || !(w->Style & WS_VISIBLE)) return nullptr;
    inFilter = inFilter || filter == nullptr || filter == window;
    if (inFilter && !Empty(w->Update)) return window;
    for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it)
        if (HWND found = FindPaint(*it, filter, inFilter)) return found;
    return nullptr;
}

HDC NewWindowDC(WindowRecord* w, const RECT* limit) {
    WindowRecord* root = WindowRoot(w);
    if (root == nullptr || root->Framebuffer == nullptr) return nullptr;
    POINT origin = WindowSurfaceOrigin(w);
    RECT clip = WindowSurfaceClip(w);
    if (limit) {
        RECT l{limit->left + origin.x, limit->top + origin.y, limit->right + origin.x,
               limit->bottom + origin.y};
        RectIntersect(clip, l, &clip);
    }
    HDC dc = GdiCreateSurfaceDC(root->Framebuffer, origin, clip);
    if (dc) w->Dcs.push_back(dc);
    return dc;
}

} // namespace

DWORD GetSysColor(int index) {
    return index >= 0 && index < SysColorCount ? SysColors[index] : 0;
}

HBRUSH GetSysColorBrush(int index) {
    static HBRUSH brushes[SysColorCount] = {};
    if (index < 0 || index >= SysColorCount) return nullptr;
    if (brushes[index] == nullptr) {
        brushes[index] = CreateSolidBrush(SysColors[index]);
        if (GdiObject* o = GdiLookup(brushes[index])) o->Stock = true;
    }
    return brushes[index];
}

void PaintInvalidateTree(WindowRecord* w, const RECT& rect, bool erase) {
    RECT all = WindowClientSize(w);
    RECT part;
    if (!RectIntersect(all, rect, &part)) return;
    w->Update = Union(w->Update, part);
    w->EraseNeeded = w->EraseNeeded || erase;
    // Children show through their parent's painting, so what covers them repaints too.
    for (HWND child : w->Children) {
        WindowRecord* c = WindowFind(child);
        if (c == nullptr || !(c->Style & WS_VISIBLE)) continue;
        RECT mine{part.left - c->Rect.left, part.top - c->Rect.top, part.right - c->Rect.left,
                  part.bottom - c->Rect.top};
        PaintInvalidateTree(c, mine, erase);
    }
}

HWND PaintNextWindow(HWND filter) {
    const std::vector<HWND>& tops = WindowTopLevels();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (HWND found = FindPaint(*it, filter, false)) return found;
    return nullptr;
}

void PaintPresentAll() {
    const Backend& b = PlatformBackend();
    for (HWND top : WindowTopLevels()) {
        WindowRecord* w = WindowFind(top);
        if (w == nullptr || w->Framebuffer == nullptr || !(w->Style & WS_VISIBLE)) continue;
        if (Empty(w->Framebuffer->Changed)) continue;
        RECT changed = SurfaceTakeChanged(w->Framebuffer);
        if (b.Present) b.Present(top, *w->Framebuffer, changed);
    }
}

void PaintReleaseDcs(WindowRecord* w) {
    for (HDC dc : w->Dcs)
        DeleteDC(dc);
    w->Dcs.clear();
}

void PaintEraseBackground(HWND window, HDC dc) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return;
    auto value = reinterpret_cast<ULONG_PTR>(w->Class->Info.hbrBackground);
    HBRUSH brush = value > 0 && value <= ULONG_PTR(SysColorCount) ? GetSysColorBrush(int(value - 1))
                                                                  : w->Class->Info.hbrBackground;
    RECT all;
    GetClientRect(window, &all);
    if (brush) FillRect(dc, &all, brush);
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    if (window == nullptr) {
        for (HWND top : WindowTopLevels())
            InvalidateRect(top, nullptr, erase);
        return TRUE;
    }
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    RECT all = WindowClientSize(w);
    PaintInvalidateTree(w, rect ? *rect : all, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    // One rectangle cannot hold what is left when a part is taken out of the middle; only a part
    // that covers the update area (or the whole window) validates it.
    const RECT& u = w->Update;
    if (rect == nullptr ||
        (rect->left <= u.left && rect->top <= u.top && rect->right >= u.right && rect->bottom >= u.bottom)) {
        w->Update = RECT{0, 0, 0, 0};
        w->EraseNeeded = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND window, RECT* rect, BOOL) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    if (rect) *rect = w->Update;
    return Empty(w->Update) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND window) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) return FALSE;
    // The window and its children, parents first, each painted once if it needs it.
    for (int guard = 0; guard < 4096; ++guard) {
        HWND next = PaintNextWindow(window);
        if (next == nullptr) break;
        MSG msg{next, WM_PAINT, 0, 0, QueueTime(), POINT{0, 0}};
        DispatchMessageW(&msg);
    }
    PaintPresentAll();
    return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr || paint == nullptr) return nullptr;
    *paint = PAINTSTRUCT{};
    paint->rcPaint = w->Update;
    bool erase = w->EraseNeeded;
    w->Update = RECT{0, 0, 0, 0};
    w->EraseNeeded = false;
    HDC dc = NewWindowDC(w, &paint->rcPaint);
    paint->hdc = dc;
    if (dc && erase)
        paint->fErase = WindowCall(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint == nullptr) return FALSE;
    ReleaseDC(window, paint->hdc);
    return TRUE;
}

HDC GetDC(HWND window) {
    if (window == nullptr) return CreateCompatibleDC(nullptr); // a screen DC for measuring
    WindowRecord* w = WindowFind(window);
    return w ? NewWindowDC(w, nullptr) : nullptr;
}

int ReleaseDC(HWND window, HDC dc) {
    WindowRecord* w = WindowFind(window);
    if (w == nullptr) {
        // A screen DC from GetDC(nullptr) is a memory DC; a window's DC is never freed from here.
        GdiDC* record = GdiLookupDC(dc);
        return window == nullptr && record && record->Bitmap && WindowFromDC(dc) == nullptr && DeleteDC(dc)
                   ? 1
                   : 0;
    }
    auto it = std::find(w->Dcs.begin(), w->Dcs.end(), dc);
    if (it == w->Dcs.end()) return 0;
    w->Dcs.erase(it);
    DeleteDC(dc);
    return 1;
}

HWND WindowFromDC(HDC dc) {
    std::pair<HDC, HWND> search{dc, nullptr};
    HandleForEach(
        HandleKind::Window,
        [](void* handle, void* record, void* context) {
            auto* s = static_cast<std::pair<HDC, HWND>*>(context);
            auto* w = static_cast<WindowRecord*>(record);
            if (std::find(w->Dcs.begin(), w->Dcs.end(), s->first) != w->Dcs.end())
                s->second = static_cast<HWND>(handle);
        },
        &search);
    return search.second;
}
