// X11Selection.h: what the clipboard's two X connections share. The serving side
// (X11Selection.cpp) owns the CLIPBOARD selection from a thread with a connection of its own, so
// other programs are answered even while the program is busy or inside a modal loop; the reading
// side (X11SelectionRead.cpp) asks the owner from the calling thread on a second connection, which
// also lets us read our own selection without waiting on ourselves. Each Display is used by one
// thread only.
#pragma once

#include <X11/Xlib.h>

#include <cstddef>
#include <cstdint>

// The largest property we write or expect in one piece: the server's basic maximum request,
// less room for the request's header. Larger data goes through INCR.
size_t X11SelectionChunkSize(Display* display);

// Lets Xlib report protocol errors on our clipboard connections quietly (a requestor window that
// went away is normal); errors on any other connection go to the handler that was there before.
void X11SelectionQuietErrors(Display* display);
void X11SelectionLoudErrors(Display* display);

// Milliseconds on a monotonic clock, for deadlines.
uint64_t X11SelectionNowMs();

// Waits until display has an event or timeoutMs passes (or a byte is readable on wakeFd when it
// is not -1); true when display has events queued.
bool X11SelectionWait(Display* display, int wakeFd, int timeoutMs);

// The CLIPBOARD selection's owner now, asked on the reading connection (None when it cannot open).
Window X11SelectionCurrentOwner();
// Closes the reading connection, if one was opened.
void X11SelectionReaderClose();

// The largest clipboard content we accept from another program (larger transfers are dropped).
constexpr size_t X11SelectionReadLimit = size_t(256) << 20;
// How long a step of a transfer may take without progress before it is given up.
constexpr int X11SelectionStepMs = 1000;
