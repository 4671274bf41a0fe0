// SdlBackend.cpp: the desktop backend's table and its life: opening SDL's video (X11 when a
// display is set, so windows and the clipboard meet on the same server; XWayland included),
// the screen size, the clock, text input and the clipboard's choice of transport.
//
// Clipboard: with an X display we serve the CLIPBOARD selection ourselves (X11Selection.cpp),
// every format included. Under a pure Wayland session (no X display at all, SDL on its Wayland
// driver) there is no selection to own from Xlib: text goes through SDL's clipboard, which the
// compositor shares with other programs, and other formats (RTF) stay inside the program (the
// clipboard layer still holds them; other programs are not offered them). Owned then means that
// the system's text is still the text we set.
#include "platform/backend/sdl/SdlBackend.h"

#include "platform/Win32Text.h"
#include "platform/backend/sdl/ClipboardFormats.h"
#include "platform/backend/sdl/SdlInternal.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Opened = false;
bool X11Clipboard = false;
std::string SetText;    // what we last gave SDL's clipboard (no X display)
bool Published = false; // and that we did

// False for SDL's drivers that draw nowhere (off-screen, dummy), unless the user asked for one.
bool ShowsOnAScreen() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    std::string name = driver;
    if (name != "offscreen" && name != "dummy") return true;
    const char* asked = getenv("SDL_VIDEODRIVER");
    return asked != nullptr && name == asked;
}

bool Open() {
    if (Opened) return true;
    // SDL would pick Wayland over XWayland on some versions; the X selection needs X11 windows.
    if (getenv("DISPLAY") != nullptr && getenv("SDL_VIDEODRIVER") == nullptr)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // With no desktop at all, only a console's own screen could show us. SDL would otherwise fall
    // back to its off-screen driver, and the program would run on with a window nobody can see.
    if (getenv("DISPLAY") == nullptr && getenv("WAYLAND_DISPLAY") == nullptr &&
        getenv("SDL_VIDEODRIVER") == nullptr)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "kmsdrm");
    // The program decides what closing its last window means (WM_CLOSE, then its own quit).
    SDL_SetHint("SDL_QUIT_ON_LAST_WINDOW_CLOSE", "0");
    // A reader is read, not played: leave the screen saver and full-screen focus alone.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "kestrova: no display for the desktop backend: %s\n", SDL_GetError());
        return false;
    }
    if (!ShowsOnAScreen()) {
        fprintf(stderr, "kestrova: SDL's %s driver shows nothing on a screen\n", SDL_GetCurrentVideoDriver());
        SDL_Quit();
        return false;
    }
    // On X11, window surfaces in memory (a shared-memory image), never through a renderer's texture:
    // SDL makes such a texture by re-creating the native window for OpenGL at the first present,
    // at the place it last saw reported, which for a window moved while hidden (a dialog the
    // shell makes full screen before showing it) is still where it was created, and without a
    // window manager it then stays there. Loading the GL driver also cost about 90 MB (Mesa's
    // software one with its compiler) and tens of milliseconds at start. SDL 2's other drivers
    // (Wayland) have no surface of their own and keep the texture: the hint would leave them blank.
    if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::string(driver) == "x11")
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A keyboard types wherever the focus is, as on the handheld: the input panel only shows or
    // hides a keyboard on the screen, so text input stays on where the system has no such keyboard
    // (a desktop), and follows the panel where it has one (TextInput).
    if (SDL_HasScreenKeyboardSupport())
        SDL_StopTextInput();
    else
        SDL_StartTextInput();
    SDL_EventState(SDL_DROPFILE, SDL_DISABLE);
    if (!SdlEventsOpen()) {
        SDL_Quit();
        return false;
    }
    X11Clipboard = X11ClipboardOpen();
    if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::string(driver) == "x11")
        X11QuietVanishedWindowErrors();
    Opened = true;
    return true;
}

void Close() {
    if (!Opened) return;
    X11ClipboardClose();
    SdlEventsClose();
    SdlDestroyAllWindows();
    SDL_Quit();
    Opened = false;
    X11Clipboard = false;
    Published = false;
}

void ScreenSize(int* width, int* height) {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        *width = usable.w;
        *height = usable.h;
        return;
    }
    SDL_DisplayMode mode;
    bool known = SDL_GetCurrentDisplayMode(0, &mode) == 0;
    *width = known ? mode.w : 640;
    *height = known ? mode.h : 480;
}

uint32_t Ticks() {
    return SDL_GetTicks();
}

void TextInput(HWND, bool on) {
    if (!SDL_HasScreenKeyboardSupport()) return; // a keyboard types at any time (Open)
    if (on)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
}

// Without an X display: the text (empty when none was set, as an emptied clipboard shows other
// programs) goes to SDL's clipboard; the other formats stay with the clipboard layer.
bool ClipboardPublish(const UINT* formats, const WCHAR* const* names, const void* const* blocks,
                      const size_t* sizes, size_t count) {
    if (X11Clipboard) return X11ClipboardPublish(formats, names, blocks, sizes, count);
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (formats[i] != ClipboardUnicodeText) continue;
        std::vector<ClipboardOffer> offers;
        ClipboardOffersFor(formats[i], nullptr, blocks[i], sizes[i], &offers);
        if (!offers.empty()) text = offers[0].Bytes;
    }
    SetText = text;
    Published = SDL_SetClipboardText(text.c_str()) == 0;
    return Published;
}

void* ClipboardRead(UINT format, const WCHAR* name, size_t* size) {
    if (X11Clipboard) return X11ClipboardRead(format, name, size);
    if (format != ClipboardUnicodeText || !SDL_HasClipboardText()) return nullptr;
    char* text = SDL_GetClipboardText();
    void* block = ClipboardBlockFromTarget(format, "UTF8_STRING", text != nullptr ? text : "", size);
    SDL_free(text);
    return block;
}

// Without an X display we cannot be told that another program took the clipboard: ours is still
// the system's while its text is the text we set (SDL gives "" for no text).
bool ClipboardOwned() {
    if (X11Clipboard) return X11ClipboardOwned();
    if (!Published) return false;
    char* text = SDL_GetClipboardText();
    bool same = text != nullptr && SetText == text;
    SDL_free(text);
    return same;
}

constexpr Backend Table = {
    .Name = "sdl",
    .Open = Open,
    .Close = Close,
    .ScreenSize = ScreenSize,
    .CreateTopLevel = SdlCreateTopLevel,
    .DestroyTopLevel = SdlDestroyTopLevel,
    .ShowTopLevel = SdlShowTopLevel,
    .MoveTopLevel = SdlMoveTopLevel,
    .SetTitle = SdlSetTitle,
    .SetIcon = SdlSetIcon,
    .Raise = SdlRaise,
    .SetFullScreen = SdlSetFullScreen,
    .Present = SdlPresent,
    .WaitEvent = SdlWaitEvent,
    .Wake = SdlWake,
    .QuitRequested = SdlQuitRequested,
    .Ticks = Ticks,
    .TextInput = TextInput,
    .ClipboardPublish = ClipboardPublish,
    .ClipboardRead = ClipboardRead,
    .ClipboardOwned = ClipboardOwned,
    .OpenAddress = SdlOpenAddress,
    .LoadScript = nullptr,      // scripts run on the headless backend only
    .CatchEndSignals = nullptr, // SDL turns them into its quit event
};

} // namespace

std::string SdlUtf8(const WCHAR* text) {
    return text != nullptr ? PlatformUtf16ToUtf8(std::u16string(text, wcslen16(text))) : std::string();
}

const Backend* SdlBackend() {
    return &Table;
}
