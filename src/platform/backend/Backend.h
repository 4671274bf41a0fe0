// Backend.h: what a backend does for the platform, as one table of operations. Win32 behaviour
// (windows, messages, painting, dialogs, controls, menus, the clipboard's formats and ownership) is
// written once in the platform's rooms; a backend only presents pixels, delivers input, keeps the
// system clipboard, opens addresses and tells the time. Every operation may be null: the caller
// then does the documented default, so a backend fills in only what it has.
//
// Two backends exist: sdl (a real desktop window per visible top-level window, SDL2 + Xlib) and
// headless (no display; a virtual clock and a script driver, for tests and screenshots). The
// choice is made once at start (PlatformSelectBackend) and holds for the run.
//
// Ownership: the window layer owns every top-level window's framebuffer (a Surface); a backend
// only reads it in Present. Event text is copied into the event. Clipboard blocks handed to
// ClipboardPublish stay owned by the clipboard layer until ClipboardLost or the next publish.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct Surface;

enum class BackendEventKind : uint8_t {
    None,
    KeyDown,      // Key: a Windows virtual-key code; Repeat set for auto-repeat
    KeyUp,        // Key
    Text,         // Text: UTF-8 from the system's text input (on-screen keyboard, input method)
    PointerDown,  // X, Y in the top-level window's client coordinates; Button 1 left, 2 right
    PointerMove,  // X, Y
    PointerUp,    // X, Y, Button
    Wheel,        // X, Y (client), Delta in WHEEL_DELTA units (120 a notch), positive away from the user
    CloseRequest, // the user asked to close the window (becomes WM_CLOSE)
    Resized,      // Width, Height: the new client size
    Exposed,      // the window's pixels must be presented again
    FocusGained,
    FocusLost,
    Quit, // the display went away or the process was asked to end
};

// Modifier bits of an event, read by GetKeyState.
constexpr uint8_t BackendModShift = 1;
constexpr uint8_t BackendModCtrl = 2;
constexpr uint8_t BackendModAlt = 4;

struct BackendEvent {
    BackendEventKind Kind;
    HWND Window; // the top-level window the event belongs to (null: the focused one)
    int32_t X, Y;
    int32_t Width, Height;
    int32_t Delta;
    uint16_t Key;
    uint8_t Button;
    uint8_t Modifiers;
    bool Repeat;
    char Text[32]; // zero-terminated UTF-8
};

struct Backend {
    const char* Name; // "sdl" or "headless"

    // Opens the display. False when it cannot (no display): the caller then falls back to headless.
    bool (*Open)();
    void (*Close)();

    // The screen (work area) size in pixels, for CW_USEDEFAULT and GetSystemMetrics.
    void (*ScreenSize)(int* width, int* height);

    // Top-level windows. Create is called when a top-level window is created (hidden); the backend
    // may keep its own native window for it. Rect is in screen coordinates, the client area.
    bool (*CreateTopLevel)(HWND window, const RECT& client, const WCHAR* title);
    void (*DestroyTopLevel)(HWND window);
    void (*ShowTopLevel)(HWND window, bool visible);
    void (*MoveTopLevel)(HWND window, const RECT& client);
    void (*SetTitle)(HWND window, const WCHAR* title);
    void (*SetIcon)(HWND window, const uint32_t* pixels, int width, int height); // 0x00RRGGBB rows, top first
    void (*Raise)(HWND window);                                                  // SetForegroundWindow
    void (*SetFullScreen)(HWND window, bool fullScreen);

    // Shows the part `changed` (client coordinates) of the window's framebuffer.
    void (*Present)(HWND window, const Surface& pixels, const RECT& changed);

    // Waits at most timeoutMs (0: poll, -1: forever) for the next event; false when none came.
    bool (*WaitEvent)(BackendEvent* event, int timeoutMs);
    // Wakes a WaitEvent in progress (a message was posted from a signal or another source).
    void (*Wake)();
    // True once the system has asked the program to end (SIGTERM, SIGINT, the session closing)
    // and the quit event is waiting: asked while the program waits on something other than its
    // events. It consumes no event; the quit still comes from WaitEvent.
    bool (*QuitRequested)();

    // Milliseconds since an arbitrary start (GetTickCount). Headless runs a virtual clock that
    // advances only when the script waits, so timers are deterministic.
    uint32_t (*Ticks)();

    // The input panel switched on or off: where the system has a keyboard on the screen, it shows
    // or hides it (and text comes only while it shows); a real keyboard types at any time.
    void (*TextInput)(HWND window, bool on);

    // The system clipboard. Publish offers our current contents to other programs: `formats` are
    // clipboard format numbers with their blocks (UTF-16 text for 13, bytes for registered ones,
    // named by `names`). Read asks for another program's contents in one format; the backend
    // returns a malloc'd block (the caller frees it) or null after a bounded wait.
    bool (*ClipboardPublish)(const UINT* formats, const WCHAR* const* names, const void* const* blocks,
                             const size_t* sizes, size_t count);
    void* (*ClipboardRead)(UINT format, const WCHAR* name, size_t* size);
    bool (*ClipboardOwned)(); // true while the last publish is still the system's clipboard

    // Opens an address with the desktop's handler (ShellExecuteExW "Open"); false when none ran.
    bool (*OpenAddress)(const char* address);

    // Scripts (headless): takes a script's text (`name` for messages: the file, or "-e"); false
    // with a message naming the line when it does not parse. The script then drives WaitEvent.
    bool (*LoadScript)(const char* name, const char* text, std::string* error);
    // For a program's own run (PlatformRunProgram), never a test's process: SIGTERM and SIGINT end
    // the run in order (QuitRequested, then the closing steps). Null where the backend's library
    // does it already (SDL).
    void (*CatchEndSignals)();
};

// The backend in use (never null after PlatformSelectBackend; before it, a table of nulls).
const Backend& PlatformBackend();
// Not Win32: chooses the backend: "headless" when asked or when no display can be opened (a line
// on stderr says so), else "sdl" when it is linked in. Returns the chosen name.
const char* PlatformSelectBackend(bool headless);
// Registration by each backend library (a backend that is not linked in is not offered). A backend
// library registers itself from a static object; programs link the backends whole
// (kestrova_link_backends in CMake) so that object is kept. The table must live for the run.
void PlatformRegisterBackend(const Backend* backend);
// For tests: makes backend the one in use (null: none, so an idle queue ends loops with WM_QUIT).
void PlatformUseBackend(const Backend* backend);
// The registered backend of that name, or null.
const Backend* PlatformFindBackend(const char* name);
