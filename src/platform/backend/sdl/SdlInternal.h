// SdlInternal.h: what the desktop backend's files share: the native window records (SdlWindows.cpp),
// event translation (SdlEvents.cpp), key mapping (SdlKeys.cpp), the X11 clipboard
// (X11Selection*.cpp) and opening addresses (OpenAddress.cpp). Nothing here is seen outside
// backend/sdl/.
#pragma once

#include "platform/backend/Backend.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

// One native window per top-level window the window layer created.
struct SdlTopLevel {
    HWND Window;
    SDL_Window* Native;
    uint32_t Id; // SDL's window id, for routing events
    int Width;   // the client size we last set or reported, so that our own
    int Height;  // resizes are not echoed back as Resized
    bool Visible;
    bool FullScreenByHand; // covering the display ourselves (no window manager to ask)
    SDL_Rect Windowed;     // where it was before that
};

// The record of window, or of the native window with SDL id `id`; null when there is none.
SdlTopLevel* SdlFindWindow(HWND window);
SdlTopLevel* SdlFindWindowById(uint32_t id);
// Destroys every native window (the backend is closing).
void SdlDestroyAllWindows();

// The operations of the table (SdlWindows.cpp).
bool SdlCreateTopLevel(HWND window, const RECT& client, const WCHAR* title);
void SdlDestroyTopLevel(HWND window);
void SdlShowTopLevel(HWND window, bool visible);
void SdlMoveTopLevel(HWND window, const RECT& client);
void SdlSetTitle(HWND window, const WCHAR* title);
void SdlSetIcon(HWND window, const uint32_t* pixels, int width, int height);
void SdlRaise(HWND window);
void SdlSetFullScreen(HWND window, bool fullScreen);
void SdlPresent(HWND window, const Surface& pixels, const RECT& changed);

// Events (SdlEvents.cpp). Wake is safe in a signal handler and from any thread.
bool SdlWaitEvent(BackendEvent* event, int timeoutMs);
void SdlWake();
bool SdlQuitRequested();
// Starts and stops the wake relay.
bool SdlEventsOpen();
void SdlEventsClose();

// Windows virtual-key code for an SDL key (SdlKeys.cpp); 0 for keys Windows has no code for.
uint16_t SdlVirtualKey(SDL_Keycode key, SDL_Scancode scancode);
uint8_t SdlModifiers(uint16_t sdlMod);

// UTF-16 (zero-terminated, may be null) as UTF-8.
std::string SdlUtf8(const WCHAR* text);

// The X11 clipboard (X11Selection.cpp, X11SelectionRead.cpp). Open starts the serving thread on a
// connection of its own; false when there is no X display (pure Wayland, or none at all).
bool X11ClipboardOpen();
// Events sent to a window that has gone (BadWindow on SendEvent) are ignored on every X connection
// (X11SelectionShared.cpp); called once SDL has its connections, so other errors reach SDL's handler.
void X11QuietVanishedWindowErrors();
void X11ClipboardClose();
bool X11ClipboardPublish(const UINT* formats, const WCHAR* const* names, const void* const* blocks,
                         const size_t* sizes, size_t count);
void* X11ClipboardRead(UINT format, const WCHAR* name, size_t* size);
bool X11ClipboardOwned();

// Runs xdg-open on address, detached (OpenAddress.cpp).
bool SdlOpenAddress(const char* address);
