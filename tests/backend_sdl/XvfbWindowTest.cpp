// XvfbWindowTest.cpp: a real top-level window under Xvfb: presented pixels read back from the
// screen exactly, a partial present that touches only its rectangle, a window moved while hidden
// shown where it was moved, and the keys, pointer, wheel, text, focus, resize and close request
// that xdotool and the X server send it.
#include "XvfbSupport.h"

#include "platform/gdi/Surface.h"

#include <X11/keysym.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

uint32_t Pattern(int x, int y) {
    return (uint32_t(x * 3) & 0xFF) << 16 | (uint32_t(y * 5) & 0xFF) << 8 | (uint32_t(x ^ y) & 0xFF);
}

// A width x height picture of Pattern, row by row.
std::vector<uint32_t> PatternPixels(int width, int height) {
    std::vector<uint32_t> pixels(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y * width + x)] = Pattern(x, y);
    return pixels;
}

// Creates, shows and waits for the first expose of a top-level window.
bool Show(HWND window, RECT client, const char16_t* title) {
    const Backend* b = XvfbBackend();
    if (!b->CreateTopLevel(window, client, title)) return false;
    b->ShowTopLevel(window, true);
    BackendEvent event;
    return XvfbWaitFor(BackendEventKind::Exposed, &event);
}

// The libraries of an OpenGL driver mapped into this process, one a line; empty when none is.
std::string MappedGlLibraries() {
    std::ifstream maps("/proc/self/maps");
    std::string line, found;
    while (std::getline(maps, line))
        if (line.find("/dri/") != std::string::npos || line.find("libGLX") != std::string::npos ||
            line.find("libLLVM") != std::string::npos)
            found += line.substr(line.find('/')) + "\n";
    return found;
}

TEST(XvfbWindow, PresentShowsTheFramebufferExactlyAndOnlyTheChangedPart) {
    XVFB_REQUIRE_BACKEND();
    const Backend* b = XvfbBackend();
    HWND window = XvfbHandle(0x101);
    const int width = 200, height = 120, left = 40, top = 50;
    ASSERT_TRUE(Show(window, RECT{left, top, left + width, top + height}, u"Kestrova pixels"));
    std::vector<uint32_t> pixels = PatternPixels(width, height);
    Surface surface;
    SurfaceWrap(&surface, pixels.data(), width, height, width);
    b->Present(window, surface, RECT{0, 0, width, height});
    EXPECT_EQ(XvfbGrab(left, top, width, height), pixels);
    // The frame buffer reaches the server without OpenGL, whose driver would take several times the
    // memory of the whole program.
    EXPECT_EQ(MappedGlLibraries(), "");

    // Everything changes in the framebuffer, but only one rectangle is presented.
    for (uint32_t& p : pixels)
        p = 0x123456;
    const RECT part = {20, 10, 60, 40};
    b->Present(window, surface, part);
    std::vector<uint32_t> screen = XvfbGrab(left, top, width, height);
    ASSERT_EQ(screen.size(), pixels.size());
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool inside = x >= part.left && x < part.right && y >= part.top && y < part.bottom;
            wrong += screen[size_t(y * width + x)] != (inside ? 0x123456u : Pattern(x, y));
        }
    }
    EXPECT_EQ(wrong, 0);
    // A changed part outside the framebuffer is clipped, never read past its end.
    b->Present(window, surface, RECT{150, 100, 5000, 5000});
    EXPECT_EQ(XvfbGrab(left + width - 1, top + height - 1, 1, 1)[0], 0x123456u);
    b->DestroyTopLevel(window);
}

std::vector<BackendEvent> KeyDowns(const std::vector<BackendEvent>& events) {
    std::vector<BackendEvent> downs;
    for (const BackendEvent& e : events)
        if (e.Kind == BackendEventKind::KeyDown) downs.push_back(e);
    return downs;
}

// The key downs of what xdotool sends, once `count` of them have come (or after 3 s).
std::vector<BackendEvent> CollectKeyDowns(size_t count) {
    return KeyDowns(XvfbCollect(
        3000, [count](const std::vector<BackendEvent>& events) { return KeyDowns(events).size() >= count; }));
}
TEST(XvfbWindow, InputArrivesAsBackendEvents) {
    XVFB_REQUIRE_BACKEND();
    const Backend* b = XvfbBackend();
    HWND window = XvfbHandle(0x102);
    ASSERT_TRUE(Show(window, RECT{100, 100, 260, 200}, u"Kestrova input"));
    unsigned long id = XvfbFindWindow("Kestrova input");
    ASSERT_NE(id, 0u);
    ASSERT_EQ(XvfbRun("xdotool windowfocus --sync " + std::to_string(id)), 0);
    BackendEvent event;
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::FocusGained, &event));
    EXPECT_EQ(event.Window, window);

    XvfbRun("xdotool mousemove 130 140 click 1");
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::PointerDown, &event));
    EXPECT_EQ(event.Window, window);
    EXPECT_EQ(event.Button, 1);
    EXPECT_EQ(event.X, 30);
    EXPECT_EQ(event.Y, 40);
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::PointerUp, &event));
    XvfbRun("xdotool click 3");
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::PointerDown, &event));
    EXPECT_EQ(event.Button, 2);
    XvfbRun("xdotool click 4");
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::Wheel, &event));
    EXPECT_EQ(event.Delta, 120);
    EXPECT_EQ(event.X, 30);
    XvfbRun("xdotool click 5");
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::Wheel, &event));
    EXPECT_EQ(event.Delta, -120);

    XvfbRun(
        "xdotool key Return Prior Next End Home Left Up Right Down F1 F12 a 7 Escape BackSpace Tab Delete");
    std::vector<BackendEvent> downs = CollectKeyDowns(17);
    std::vector<uint16_t> keys;
    for (const BackendEvent& e : downs)
        keys.push_back(e.Key);
    EXPECT_EQ(keys, (std::vector<uint16_t>{13, 33, 34, 35, 36, 37, 38, 39, 40, 0x70, 0x7B, 'A', '7', 27, 8, 9,
                                           46}));

    XvfbRun("xdotool key ctrl+c shift+b alt+x");
    downs = CollectKeyDowns(6);
    ASSERT_EQ(downs.size(), 6u);
    EXPECT_EQ(downs[0].Key, 0x11);
    EXPECT_EQ(downs[1].Key, 'C');
    EXPECT_EQ(downs[1].Modifiers, BackendModCtrl);
    EXPECT_EQ(downs[3].Key, 'B');
    EXPECT_EQ(downs[3].Modifiers, BackendModShift);
    EXPECT_EQ(downs[5].Key, 'X');
    EXPECT_EQ(downs[5].Modifiers, BackendModAlt);

    // On a Hebrew layout the C key gives bet; Ctrl+that key is still Ctrl+C, as on Windows.
    Display* display = XvfbDisplay();
    KeyCode c = XKeysymToKeycode(display, XK_c);
    KeySym bet[2] = {XK_hebrew_bet, XK_hebrew_bet}, latin[2] = {XK_c, XK_C};
    XChangeKeyboardMapping(display, c, 2, bet, 1);
    XSync(display, False);
    XvfbCollect(100);
    XvfbRun("xdotool key ctrl+hebrew_bet");
    downs = CollectKeyDowns(2);
    XChangeKeyboardMapping(display, c, 2, latin, 1);
    XSync(display, False);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[1].Key, 'C');
    EXPECT_EQ(downs[1].Modifiers, BackendModCtrl);
    b->DestroyTopLevel(window);
}

std::string TextOf(const std::vector<BackendEvent>& events) {
    std::string text;
    for (const BackendEvent& e : events)
        if (e.Kind == BackendEventKind::Text) text += e.Text;
    return text;
}

// Binds keysyms to unused keycodes, as a keyboard layout would, so xdotool types them without
// remapping a key for each character (a remapping that the client may look up too late).
std::vector<int> BindKeysyms(const std::vector<KeySym>& keysyms) {
    Display* display = XvfbDisplay();
    int low = 0, high = 0, per = 0;
    XDisplayKeycodes(display, &low, &high);
    KeySym* map = XGetKeyboardMapping(display, KeyCode(low), high - low + 1, &per);
    std::vector<int> codes;
    for (int code = high; code >= low && codes.size() < keysyms.size(); --code)
        if (map[(code - low) * per] == NoSymbol) codes.push_back(code);
    XFree(map);
    for (size_t i = 0; i < codes.size(); ++i) {
        KeySym bound[2] = {keysyms[i], keysyms[i]};
        XChangeKeyboardMapping(display, codes[i], 2, bound, 1);
    }
    XSync(display, False);
    return codes;
}

void UnbindKeycodes(const std::vector<int>& codes) {
    Display* display = XvfbDisplay();
    for (int code : codes) {
        KeySym none[2] = {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(display, code, 2, none, 1);
    }
    XSync(display, False);
}

TEST(XvfbWindow, AKeyboardTypesUtf8WithOrWithoutTheInputPanel) {
    XVFB_REQUIRE_BACKEND();
    const Backend* b = XvfbBackend();
    HWND window = XvfbHandle(0x103);
    ASSERT_TRUE(Show(window, RECT{100, 300, 260, 400}, u"Kestrova text"));
    std::string id = std::to_string(XvfbFindWindow("Kestrova text"));
    ASSERT_EQ(XvfbRun("xdotool windowfocus --sync " + id + " mousemove 150 350"), 0);
    // The desktop has no keyboard on the screen: the panel's switch changes nothing for typing.
    b->TextInput(window, false);
    XvfbRun("xdotool type ab");
    EXPECT_EQ(TextOf(XvfbCollect(3000, [](const auto& events) { return TextOf(events).size() >= 2; })), "ab");
    // e acute, shin, lamed
    std::vector<int> codes = BindKeysyms({0xE9, 0x10005E9, 0x10005DC});
    ASSERT_EQ(codes.size(), 3u);
    XvfbCollect(100); // the backend sees the new keyboard mapping
    b->TextInput(window, true);
    XvfbRun("xdotool type 'Ab1 \xC3\xA9\xD7\xA9\xD7\x9C'");
    const std::string typed = "Ab1 \xC3\xA9\xD7\xA9\xD7\x9C";
    EXPECT_EQ(
        TextOf(XvfbCollect(3000, [&](const auto& events) { return TextOf(events).size() >= typed.size(); })),
        typed);
    // Shortcuts and a menu's letters type nothing: Ctrl+V, Alt+F, then a plain x.
    XvfbRun("xdotool key ctrl+v alt+f x");
    EXPECT_EQ(TextOf(XvfbCollect(3000, [](const auto& events) { return !TextOf(events).empty(); })), "x");
    b->TextInput(window, false);
    UnbindKeycodes(codes);
    b->DestroyTopLevel(window);
}

// The window's _NET_WM_ICON property: width, height, then ARGB pixels.
std::vector<unsigned long> IconProperty(unsigned long id) {
    Display* display = XvfbDisplay();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, id, XInternAtom(display, "_NET_WM_ICON", False), 0, 1024, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        format == 32) {
        // Xlib gives 32-bit items as longs, sign-extended.
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            values.push_back(longs[i] & 0xFFFFFFFFu);
    }
    XFree(data);
    return values;
}

TEST(XvfbWindow, TitleIconResizeAndCloseRequestFromOutside) {
    XVFB_REQUIRE_BACKEND();
    const Backend* b = XvfbBackend();
    HWND window = XvfbHandle(0x104);
    ASSERT_TRUE(Show(window, RECT{500, 100, 620, 200}, u"Kestrova first"));
    b->SetTitle(window, u"Kestrova frame");
    unsigned long id = XvfbFindWindow("Kestrova frame");
    ASSERT_NE(id, 0u);
    const uint32_t icon[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    b->SetIcon(window, icon, 2, 2);
    XSync(XvfbDisplay(), False);
    EXPECT_EQ(IconProperty(id),
              (std::vector<unsigned long>{2, 2, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF123456}));
    // Our own move is not echoed back; a resize from outside is.
    b->MoveTopLevel(window, RECT{500, 100, 640, 230});
    XvfbRun("xdotool windowsize " + std::to_string(id) + " 180 150");
    BackendEvent event;
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::Resized, &event));
    EXPECT_EQ(event.Width, 180);
    EXPECT_EQ(event.Height, 150);

    // What a window manager sends when the user closes the window.
    Display* display = XvfbDisplay();
    XEvent message = {};
    message.xclient.type = ClientMessage;
    message.xclient.window = id;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, id, False, NoEventMask, &message);
    XFlush(display);
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::CloseRequest, &event));
    EXPECT_EQ(event.Window, window);
    // The window stays until the window layer destroys it.
    EXPECT_EQ(XvfbFindWindow("Kestrova frame"), id);
    b->DestroyTopLevel(window);
    EXPECT_EQ(XvfbFindWindow("Kestrova frame"), 0u);
}

// Where the X server has the top-level window titled title: its origin on the root and its size.
RECT PlaceOnScreen(const char* title) {
    Display* display = XvfbDisplay();
    unsigned long id = XvfbFindWindow(title);
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    Window child = 0;
    if (id == 0 || !XGetWindowAttributes(display, id, &attributes) ||
        !XTranslateCoordinates(display, id, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return RECT{};
    return RECT{x, y, x + attributes.width, y + attributes.height};
}

std::vector<LONG> Corners(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// A dialog is made hidden, moved and resized by the shell (full screen), shown and drawn in one
// go, before any event comes back: without a window manager it must appear where it was moved,
// at its new size, with its pixels there.
TEST(XvfbWindow, MovedAndResizedWhileHiddenShowsWhereItWasMoved) {
    XVFB_REQUIRE_BACKEND();
    const Backend* b = XvfbBackend();
    HWND window = XvfbHandle(0x105);
    const char* title = "Kestrova hidden move";
    const RECT moved{20, 30, 260, 350};
    const int width = moved.right - moved.left, height = moved.bottom - moved.top;
    std::vector<uint32_t> pixels = PatternPixels(width, height);
    Surface surface;
    SurfaceWrap(&surface, pixels.data(), width, height, width);

    ASSERT_TRUE(b->CreateTopLevel(window, RECT{600, 400, 700, 480}, u"Kestrova hidden move"));
    b->MoveTopLevel(window, moved);
    b->ShowTopLevel(window, true);
    b->Present(window, surface, RECT{0, 0, width, height});
    XvfbCollect(200);
    RECT place = PlaceOnScreen(title);
    EXPECT_EQ(Corners(place), Corners(moved));
    b->Present(window, surface, RECT{0, 0, width, height});
    EXPECT_EQ(XvfbGrab(moved.left, moved.top, width, height), pixels);

    // Hidden, moved again, shown and drawn: the second place holds as well.
    b->ShowTopLevel(window, false);
    const RECT again{300, 200, 300 + width, 200 + height};
    b->MoveTopLevel(window, again);
    b->ShowTopLevel(window, true);
    b->Present(window, surface, RECT{0, 0, width, height});
    XvfbCollect(200);
    place = PlaceOnScreen(title);
    EXPECT_EQ(Corners(place), Corners(again));
    b->DestroyTopLevel(window);
}

void WakeFromSignal(int) {
    XvfbBackend()->Wake();
}

TEST(XvfbWindow, WakeEndsAWaitEvenFromASignalHandler) {
    XVFB_REQUIRE_BACKEND();
    const Backend* b = XvfbBackend();
    XvfbCollect(50);
    uint32_t start = b->Ticks();
    b->Wake();
    BackendEvent event;
    EXPECT_FALSE(b->WaitEvent(&event, 5000));
    EXPECT_LT(b->Ticks() - start, 1000u);

    struct sigaction action = {};
    action.sa_handler = WakeFromSignal;
    sigaction(SIGUSR1, &action, nullptr);
    std::thread later([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        kill(getpid(), SIGUSR1);
    });
    start = b->Ticks();
    EXPECT_FALSE(b->WaitEvent(&event, 5000));
    uint32_t waited = b->Ticks() - start;
    later.join();
    signal(SIGUSR1, SIG_DFL);
    EXPECT_GE(waited, 50u);
    EXPECT_LT(waited, 1000u);
    int width = 0, height = 0;
    b->ScreenSize(&width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
}

TEST(XvfbWindow, FullScreenCoversTheScreenAndComesBack) {
    XVFB_REQUIRE_BACKEND();
    const Backend* b = XvfbBackend();
    HWND window = XvfbHandle(0x105);
    ASSERT_TRUE(Show(window, RECT{300, 300, 540, 620}, u"Kestrova full"));
    XvfbCollect(100);
    b->SetFullScreen(window, true);
    BackendEvent event;
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::Resized, &event));
    EXPECT_EQ(event.Width, 1024);
    EXPECT_EQ(event.Height, 768);
    b->SetFullScreen(window, false);
    ASSERT_TRUE(XvfbWaitFor(BackendEventKind::Resized, &event));
    EXPECT_EQ(event.Width, 240);
    EXPECT_EQ(event.Height, 320);
    b->DestroyTopLevel(window);
}

TEST(XvfbWindow, AProgramMayExitWithoutClosingTheBackend) {
    XVFB_REQUIRE_BACKEND();
    // The child inherits the open backend (its threads' records, not the threads) and exits
    // through the ordinary exit path with its static destructors.
    pid_t child = fork();
    if (child == 0) {
        XvfbSkipCloseAtExit();
        exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

} // namespace
