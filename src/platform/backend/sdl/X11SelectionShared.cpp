// X11SelectionShared.cpp: the small pieces both clipboard connections use: the chunk size, quiet
// protocol errors for our own connections, deadlines and waiting on a connection. The list of
// quiet connections is process-wide, guarded by a mutex, and never owns the connections.
#include "platform/backend/sdl/X11Selection.h"

#include <X11/Xproto.h>

#include <mutex>
#include <poll.h>
#include <time.h>

namespace {

std::mutex QuietLock;
Display* QuietConnections[2] = {nullptr, nullptr};
XErrorHandler PreviousHandler = nullptr;
bool HandlerInstalled = false;

// Xlib's default handler ends the process; on our connections an error only means a requestor
// window went away mid-transfer, which the transfer's expiry takes care of. On any connection, an
// event sent to a window that has just gone is harmless: SDL wakes its waiting thread by sending
// one to a window of ours from a connection of its own, and the window may be destroyed on the
// main connection first (a dialog that closes as another program calls), which ended the reader
// without saving its place.
int QuietHandler(Display* display, XErrorEvent* error) {
    if (error->request_code == X_SendEvent && error->error_code == BadWindow) return 0;
    {
        std::lock_guard<std::mutex> hold(QuietLock);
        for (Display* quiet : QuietConnections)
            if (quiet == display) return 0;
    }
    return PreviousHandler != nullptr ? PreviousHandler(display, error) : 0;
}

// Called with QuietLock held.
void InstallQuietHandler() {
    if (!HandlerInstalled) {
        PreviousHandler = XSetErrorHandler(QuietHandler);
        HandlerInstalled = true;
    }
}

} // namespace

size_t X11SelectionChunkSize(Display* display) {
    long units = XMaxRequestSize(display);
    size_t bytes = units > 1024 ? size_t(units) * 4 - 1024 : 4096;
    return bytes;
}

void X11SelectionQuietErrors(Display* display) {
    std::lock_guard<std::mutex> hold(QuietLock);
    for (Display*& quiet : QuietConnections) {
        if (quiet == nullptr) {
            quiet = display;
            break;
        }
    }
    InstallQuietHandler();
}

void X11QuietVanishedWindowErrors() {
    std::lock_guard<std::mutex> hold(QuietLock);
    InstallQuietHandler();
}

void X11SelectionLoudErrors(Display* display) {
    std::lock_guard<std::mutex> hold(QuietLock);
    for (Display*& quiet : QuietConnections)
        if (quiet == display) quiet = nullptr;
}

uint64_t X11SelectionNowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000 + uint64_t(now.tv_nsec) / 1000000;
}

bool X11SelectionWait(Display* display, int wakeFd, int timeoutMs) {
    XFlush(display);
    if (XPending(display) > 0) return true;
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    poll(fds, wakeFd >= 0 ? 2 : 1, timeoutMs);
    return XPending(display) > 0;
}
