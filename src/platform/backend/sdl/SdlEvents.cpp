// SdlEvents.cpp: SDL's events as backend events. Events the window layer has no use for (window
// moves, input-method composition, SDL's own bookkeeping) are skipped inside WaitEvent, which
// keeps waiting out the caller's time. A wake is an SDL user event of our own type, pushed by a
// relay thread (owned here, stopped at close) when Wake writes to its pipe.
#include "platform/backend/sdl/SdlInternal.h"

#include "platform/user/ClosingSteps.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

Uint32 WakeEventType = 0;
// Set once the desktop asked the program to end: from then on each wait hands out the next
// closing step instead of waiting, so the program closes its windows itself (ClosingSteps.h).
bool Ending = false;
// The modifiers of the last key event read, in the queue's order: the text a key typed follows it.
Uint16 KeyModifiers = 0;
ClosingSteps Closing;
int WakePipe[2] = {-1, -1};
// Allocated, never a global object: a program that exits without closing the backend must not
// meet the destructor of a running std::thread.
std::thread* Relay = nullptr;

void Clear(BackendEvent* event, BackendEventKind kind, uint32_t windowId) {
    memset(event, 0, sizeof(*event));
    event->Kind = kind;
    SdlTopLevel* w = SdlFindWindowById(windowId);
    event->Window = w != nullptr ? w->Window : nullptr;
}

bool FromWindowEvent(const SDL_WindowEvent& e, BackendEvent* event) {
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        Clear(event, BackendEventKind::CloseRequest, e.windowID);
        return true;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        SdlTopLevel* w = SdlFindWindowById(e.windowID);
        // Our own MoveTopLevel already told the window layer this size.
        if (w != nullptr && w->Width == e.data1 && w->Height == e.data2) return false;
        if (w != nullptr) {
            w->Width = e.data1;
            w->Height = e.data2;
        }
        Clear(event, BackendEventKind::Resized, e.windowID);
        event->Width = e.data1;
        event->Height = e.data2;
        return true;
    }
    case SDL_WINDOWEVENT_EXPOSED:
        Clear(event, BackendEventKind::Exposed, e.windowID);
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Clear(event, BackendEventKind::FocusGained, e.windowID);
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Clear(event, BackendEventKind::FocusLost, e.windowID);
        return true;
    default:
        return false;
    }
}

bool FromKey(const SDL_KeyboardEvent& e, BackendEvent* event) {
    KeyModifiers = e.keysym.mod;
    uint16_t vk = SdlVirtualKey(e.keysym.sym, e.keysym.scancode);
    if (vk == 0) return false;
    Clear(event, e.type == SDL_KEYDOWN ? BackendEventKind::KeyDown : BackendEventKind::KeyUp, e.windowID);
    event->Key = vk;
    event->Repeat = e.repeat != 0;
    event->Modifiers = SdlModifiers(e.keysym.mod);
    return true;
}

// Left is button 1 and right button 2, as the window layer numbers them; others are not used.
uint8_t ButtonNumber(Uint8 sdlButton) {
    return sdlButton == SDL_BUTTON_LEFT ? 1 : (sdlButton == SDL_BUTTON_RIGHT ? 2 : 0);
}

bool FromPointer(const SDL_Event& e, BackendEvent* event) {
    if (e.type == SDL_MOUSEMOTION) {
        Clear(event, BackendEventKind::PointerMove, e.motion.windowID);
        event->X = e.motion.x;
        event->Y = e.motion.y;
        event->Button =
            (e.motion.state & SDL_BUTTON_LMASK) ? 1 : ((e.motion.state & SDL_BUTTON_RMASK) ? 2 : 0);
    } else {
        uint8_t button = ButtonNumber(e.button.button);
        if (button == 0) return false;
        Clear(event,
              e.type == SDL_MOUSEBUTTONDOWN ? BackendEventKind::PointerDown : BackendEventKind::PointerUp,
              e.button.windowID);
        event->X = e.button.x;
        event->Y = e.button.y;
        event->Button = button;
    }
    event->Modifiers = SdlModifiers(uint16_t(SDL_GetModState()));
    return true;
}

bool FromWheel(const SDL_MouseWheelEvent& e, BackendEvent* event) {
    // SDL's y is positive away from the user, like WM_MOUSEWHEEL; a flipped (natural) device
    // reports it the other way round.
    float notches = e.preciseY;
    if (e.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
    int32_t delta = int32_t(std::lround(notches * 120.0f));
    if (delta == 0) return false;
    Clear(event, BackendEventKind::Wheel, e.windowID);
    event->Delta = delta;
#if SDL_VERSION_ATLEAST(2, 26, 0)
    event->X = e.mouseX;
    event->Y = e.mouseY;
#else
    SDL_GetMouseState(&event->X, &event->Y);
#endif
    event->Modifiers = SdlModifiers(uint16_t(SDL_GetModState()));
    return true;
}

bool Translate(const SDL_Event& e, BackendEvent* event) {
    switch (e.type) {
    case SDL_QUIT:
    case SDL_APP_TERMINATING:
        Ending = true;
        return false; // the first closing step follows at once
    case SDL_WINDOWEVENT:
        return FromWindowEvent(e.window, event);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return FromKey(e.key, event);
    case SDL_TEXTINPUT:
        // With Ctrl or the left Alt held, a key is a shortcut or a menu's letter, never typing
        // (Alt Gr, which types a layout's third level, is the right Alt).
        if (KeyModifiers & (KMOD_CTRL | KMOD_LALT)) return false;
        Clear(event, BackendEventKind::Text, e.text.windowID);
        static_assert(sizeof(event->Text) >= sizeof(e.text.text));
        memcpy(event->Text, e.text.text, sizeof(e.text.text));
        event->Text[sizeof(event->Text) - 1] = 0;
        return true;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return FromPointer(e, event);
    case SDL_MOUSEWHEEL:
        return FromWheel(e.wheel, event);
    default:
        return false;
    }
}

} // namespace

// Wake may be called from a signal handler, where SDL_PushEvent (which takes a lock) may not:
// it writes a byte to a pipe, and a relay thread turns each byte into our wake event.
static void RelayWakes() {
    for (;;) {
        char byte = 0;
        ssize_t n = read(WakePipe[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || byte == 0) return;
        SDL_Event wake = {};
        wake.type = WakeEventType;
        SDL_PushEvent(&wake);
    }
}

bool SdlEventsOpen() {
    WakeEventType = SDL_RegisterEvents(1);
    if (WakeEventType == Uint32(-1) || pipe2(WakePipe, O_CLOEXEC) != 0) return false;
    // A full pipe already holds a wake; the writer never blocks.
    fcntl(WakePipe[1], F_SETFL, O_NONBLOCK);
    Relay = new std::thread(RelayWakes);
    return true;
}

void SdlEventsClose() {
    if (WakePipe[1] < 0) return;
    char stop = 0;
    while (write(WakePipe[1], &stop, 1) < 0 && errno == EAGAIN)
        usleep(1000);
    Relay->join();
    delete Relay;
    Relay = nullptr;
    close(WakePipe[0]);
    close(WakePipe[1]);
    WakePipe[0] = WakePipe[1] = -1;
}

// SDL turns SIGTERM and SIGINT into a quit event when its events are pumped; the event stays queued.
bool SdlQuitRequested() {
    if (Ending) return true;
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0;
}

// The next step of an ordered end; a program that refuses every close is ended by its loop.
static bool ClosingEvent(BackendEvent* event) {
    if (ClosingNextStep(&Closing, event) != ClosingStep::Stuck) return true;
    Clear(event, BackendEventKind::Quit, 0);
    return true;
}

void SdlWake() {
    char byte = 1;
    if (WakePipe[1] >= 0) (void)!write(WakePipe[1], &byte, 1);
}

bool SdlWaitEvent(BackendEvent* event, int timeoutMs) {
    Uint64 deadline = SDL_GetTicks64() + Uint64(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        if (Ending) return ClosingEvent(event);
        SDL_Event e;
        int got;
        if (timeoutMs < 0) {
            got = SDL_WaitEvent(&e);
        } else {
            Uint64 now = SDL_GetTicks64();
            got = now >= deadline ? SDL_PollEvent(&e) : SDL_WaitEventTimeout(&e, int(deadline - now));
        }
        if (got == 0) return false;
        // A wake means the caller has something of its own to look at.
        if (e.type == WakeEventType) return false;
        if (Translate(e, event)) return true;
    }
}
