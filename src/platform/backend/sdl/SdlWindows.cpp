// SdlWindows.cpp: one SDL window per top-level window of the window layer, created hidden, and the
// copy of a framebuffer's changed part onto it. Presenting goes through SDL's window surface: on
// X11 it is a shared-memory image in the framebuffer's own 0x00RRGGBB layout, so a present is a
// row copy of the changed rectangle and a put of that rectangle only, exact to the pixel.
// This file owns the native windows (SDL_DestroyWindow on DestroyTopLevel and at close); the
// framebuffers stay the window layer's.
#include "platform/backend/sdl/SdlInternal.h"

#include "platform/gdi/Surface.h"

// Xlib last: its macros (None, Bool) would rename our identifiers.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::vector<SdlTopLevel> Windows;

int Side(LONG length) {
    return int(std::clamp<LONG>(length, 1, SurfaceMaxSide));
}

} // namespace

SdlTopLevel* SdlFindWindow(HWND window) {
    for (SdlTopLevel& w : Windows)
        if (w.Window == window) return &w;
    return nullptr;
}

SdlTopLevel* SdlFindWindowById(uint32_t id) {
    for (SdlTopLevel& w : Windows)
        if (w.Id == id) return &w;
    return nullptr;
}

void SdlDestroyAllWindows() {
    for (SdlTopLevel& w : Windows)
        SDL_DestroyWindow(w.Native);
    Windows.clear();
}

bool SdlCreateTopLevel(HWND window, const RECT& client, const WCHAR* title) {
    if (window == nullptr || SdlFindWindow(window) != nullptr) return false;
    int width = Side(client.right - client.left), height = Side(client.bottom - client.top);
    SDL_Window* native = SDL_CreateWindow(SdlUtf8(title).c_str(), int(client.left), int(client.top), width,
                                          height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (native == nullptr) return false;
    Windows.push_back({window, native, SDL_GetWindowID(native), width, height, false, false, {}});
    return true;
}

void SdlDestroyTopLevel(HWND window) {
    for (size_t i = 0; i < Windows.size(); ++i) {
        if (Windows[i].Window != window) continue;
        // SDL drops the events of a window it no longer has, so those already come for this one are
        // read first: a release dropped that way (a tap that closes a dialog on its press) left SDL
        // thinking the button held, and it then dropped the next press anywhere.
        SDL_PumpEvents();
        SDL_DestroyWindow(Windows[i].Native);
        Windows.erase(Windows.begin() + long(i));
        return;
    }
}

void SdlShowTopLevel(HWND window, bool visible) {
    SdlTopLevel* w = SdlFindWindow(window);
    if (w == nullptr || w->Visible == visible) return;
    w->Visible = visible;
    if (visible)
        SDL_ShowWindow(w->Native);
    else
        SDL_HideWindow(w->Native);
}

void SdlMoveTopLevel(HWND window, const RECT& client) {
    SdlTopLevel* w = SdlFindWindow(window);
    if (w == nullptr) return;
    int width = Side(client.right - client.left), height = Side(client.bottom - client.top);
    SDL_SetWindowPosition(w->Native, int(client.left), int(client.top));
    if (width != w->Width || height != w->Height) {
        w->Width = width;
        w->Height = height;
        SDL_SetWindowSize(w->Native, width, height);
    }
}

void SdlSetTitle(HWND window, const WCHAR* title) {
    if (SdlTopLevel* w = SdlFindWindow(window)) SDL_SetWindowTitle(w->Native, SdlUtf8(title).c_str());
}

void SdlSetIcon(HWND window, const uint32_t* pixels, int width, int height) {
    SdlTopLevel* w = SdlFindWindow(window);
    if (w == nullptr || pixels == nullptr || width <= 0 || height <= 0 || width > 1024 || height > 1024)
        return;
    // SDL copies the icon into the window's property; the wrapper surface only borrows pixels.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height, 32,
                                                           width * 4, SDL_PIXELFORMAT_RGB888);
    if (icon == nullptr) return;
    SDL_SetWindowIcon(w->Native, icon);
    SDL_FreeSurface(icon);
}

// True when a window manager that follows the desktop conventions runs on the window's X display
// (it is the one that carries out a full-screen request); other video drivers count as true.
static bool HasWindowManager(SDL_Window* native) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(native, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Display* display = info.info.x11.display;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0) return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                    &format, &count, &after, &data) == Success &&
                 count == 1;
    XFree(data);
    return found;
}

void SdlRaise(HWND window) {
    SdlTopLevel* w = SdlFindWindow(window);
    if (w == nullptr) return;
    SDL_RaiseWindow(w->Native);
    // Without a window manager nobody gives the keyboard back when a dialog in front closes: X drops
    // the focus with the unmapped window, and every key would go nowhere. The window in front takes it.
    if (w->Visible && !HasWindowManager(w->Native)) SDL_SetWindowInputFocus(w->Native);
}

void SdlSetFullScreen(HWND window, bool fullScreen) {
    SdlTopLevel* w = SdlFindWindow(window);
    if (w == nullptr) return;
    if (!w->FullScreenByHand && HasWindowManager(w->Native)) {
        SDL_SetWindowFullscreen(w->Native, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        return;
    }
    // A bare X server (a kiosk, a test display): nobody would act on the request, so the window
    // covers its display itself, and goes back to where it was. The size change comes back as
    // Resized, as a window manager's would.
    if (fullScreen == w->FullScreenByHand) return;
    if (fullScreen) {
        SDL_GetWindowPosition(w->Native, &w->Windowed.x, &w->Windowed.y);
        SDL_GetWindowSize(w->Native, &w->Windowed.w, &w->Windowed.h);
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(w->Native)), &bounds) != 0) return;
        SDL_SetWindowPosition(w->Native, bounds.x, bounds.y);
        SDL_SetWindowSize(w->Native, bounds.w, bounds.h);
        SDL_RaiseWindow(w->Native);
    } else {
        SDL_SetWindowPosition(w->Native, w->Windowed.x, w->Windowed.y);
        SDL_SetWindowSize(w->Native, w->Windowed.w, w->Windowed.h);
    }
    w->FullScreenByHand = fullScreen;
}

// Copies the rectangle `area` of the framebuffer onto the window surface.
static void CopyArea(const Surface& pixels, SDL_Surface* target, const RECT& area) {
    int width = int(area.right - area.left), height = int(area.bottom - area.top);
    const uint32_t* source = pixels.Pixels + size_t(area.top) * size_t(pixels.Stride) + size_t(area.left);
    auto* dest = static_cast<uint8_t*>(target->pixels) + size_t(area.top) * size_t(target->pitch) +
                 size_t(area.left) * 4;
    Uint32 format = target->format->format;
    if (format == SDL_PIXELFORMAT_RGB888) {
        for (int y = 0; y < height; ++y)
            memcpy(dest + size_t(y) * size_t(target->pitch), source + size_t(y) * size_t(pixels.Stride),
                   size_t(width) * 4);
        return;
    }
    if (format == SDL_PIXELFORMAT_ARGB8888) {
        // A visual with alpha would show our zero top byte as transparent: make every pixel opaque.
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(dest + size_t(y) * size_t(target->pitch));
            const uint32_t* from = source + size_t(y) * size_t(pixels.Stride);
            for (int x = 0; x < width; ++x)
                row[x] = from[x] | 0xFF000000u;
        }
        return;
    }
    // Another layout (a 16-bit or BGR visual): SDL converts, still only the changed part.
    dest = static_cast<uint8_t*>(target->pixels) + size_t(area.top) * size_t(target->pitch) +
           size_t(area.left) * size_t(target->format->BytesPerPixel);
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, source, pixels.Stride * 4, format, dest,
                      target->pitch);
}

void SdlPresent(HWND window, const Surface& pixels, const RECT& changed) {
    SdlTopLevel* w = SdlFindWindow(window);
    if (w == nullptr || pixels.Pixels == nullptr) return;
    SDL_Surface* target = SDL_GetWindowSurface(w->Native);
    if (target == nullptr) return;
    // The framebuffer and the window can differ in size for a moment during a resize.
    RECT bounds = {0, 0, std::min(pixels.Width, target->w), std::min(pixels.Height, target->h)};
    RECT area;
    if (!RectIntersect(changed, bounds, &area)) return;
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return;
    CopyArea(pixels, target, area);
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    SDL_Rect rect = {int(area.left), int(area.top), int(area.right - area.left), int(area.bottom - area.top)};
    SDL_UpdateWindowSurfaceRects(w->Native, &rect, 1);
}
