// X11SelectionRead.cpp: reads another program's CLIPBOARD in one of our formats. The calling
// thread asks the owner for each target the format is known by, best first, on a connection of its
// own (opened on first use, closed with the backend), each request in a property of its own so that
// a late answer is never taken for a later one. An owner that does not answer costs at most
// X11SelectionStepMs in all; an INCR transfer may take that long for each of its pieces. The block
// returned is malloc'd; the caller frees it.
#include "platform/backend/sdl/ClipboardFormats.h"
#include "platform/backend/sdl/SdlInternal.h"

// Xlib after our headers: its macros (None, Bool) would rename their identifiers.
#include "platform/backend/sdl/X11Selection.h"

#include <string>

namespace {

// Each request names a property of its own, in turn: an owner that answers after we gave up on it
// writes to a property the next request does not read, and its SelectionNotify names that property.
constexpr int ReplyProperties = 16; // several reads of three targets each

struct SelectionReader {
    Display* Connection;
    Window Hidden;
    Atom Clipboard, Incr;
    Atom Replies[ReplyProperties];
    int NextReply;
    Atom Property; // the current request's
};

SelectionReader* Reader = nullptr;

bool OpenReader() {
    Display* connection = XOpenDisplay(nullptr);
    if (connection == nullptr) return false;
    X11SelectionQuietErrors(connection);
    Reader = new SelectionReader;
    Reader->Connection = connection;
    Reader->Hidden = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(connection, Reader->Hidden, PropertyChangeMask);
    Reader->Clipboard = XInternAtom(connection, "CLIPBOARD", False);
    for (int i = 0; i < ReplyProperties; ++i)
        Reader->Replies[i] =
            XInternAtom(connection, ("KESTROVA_SELECTION_" + std::to_string(i)).c_str(), False);
    Reader->NextReply = 0;
    Reader->Property = Reader->Replies[0];
    Reader->Incr = XInternAtom(connection, "INCR", False);
    return true;
}

// Waits for the SelectionNotify answering target in the current property (or refusing it), or
// (target None) for a new value of that property; events before it are late answers to earlier
// requests or our own deletions and are dropped.
bool WaitFor(SelectionReader* r, Atom target, XEvent* event, uint64_t deadline) {
    for (;;) {
        while (XPending(r->Connection) > 0) {
            XNextEvent(r->Connection, event);
            if (target != None && event->type == SelectionNotify && event->xselection.target == target &&
                (event->xselection.property == r->Property || event->xselection.property == None))
                return true;
            if (target == None && event->type == PropertyNotify && event->xproperty.atom == r->Property &&
                event->xproperty.state == PropertyNewValue)
                return true;
        }
        uint64_t now = X11SelectionNowMs();
        if (now >= deadline) return false;
        X11SelectionWait(r->Connection, -1, int(deadline - now));
    }
}

// Reads our property whole and deletes it (which, in an INCR transfer, asks for the next piece).
bool TakeProperty(SelectionReader* r, std::string* bytes, Atom* type) {
    bytes->clear();
    long offset = 0;
    for (;;) {
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(r->Connection, r->Hidden, r->Property, offset, 1 << 20, False, AnyPropertyType,
                               type, &format, &count, &after, &data) != Success)
            return false;
        size_t unit = format == 8 ? 1 : (format == 16 ? sizeof(short) : sizeof(long));
        size_t length = format == 0 ? 0 : size_t(count) * unit;
        if (bytes->size() + length > X11SelectionReadLimit) {
            XFree(data);
            return false;
        }
        bytes->append(reinterpret_cast<const char*>(data), length);
        offset += long(count) * format / 32;
        XFree(data);
        if (after == 0 || count == 0) break;
    }
    XDeleteProperty(r->Connection, r->Hidden, r->Property);
    XFlush(r->Connection);
    return true;
}

// The pieces of an INCR transfer; their type is the data's type.
bool ReadIncr(SelectionReader* r, std::string* bytes, Atom* type) {
    bytes->clear();
    std::string piece;
    XEvent event;
    for (;;) {
        if (!WaitFor(r, None, &event, X11SelectionNowMs() + X11SelectionStepMs)) return false;
        Atom pieceType = None;
        if (!TakeProperty(r, &piece, &pieceType)) return false;
        if (piece.empty()) return true;
        *type = pieceType;
        if (bytes->size() + piece.size() > X11SelectionReadLimit) return false;
        bytes->append(piece);
    }
}

// Asks the owner for target; the bytes and the name of the type it answered with.
bool ReadTarget(SelectionReader* r, Atom target, std::string* bytes, std::string* typeName,
                uint64_t deadline) {
    r->Property = r->Replies[r->NextReply];
    r->NextReply = (r->NextReply + 1) % ReplyProperties;
    XDeleteProperty(r->Connection, r->Hidden, r->Property);
    XConvertSelection(r->Connection, r->Clipboard, target, r->Property, r->Hidden, CurrentTime);
    XEvent event;
    if (!WaitFor(r, target, &event, deadline)) return false;
    if (event.xselection.property == None) return false;
    Atom type = None;
    if (!TakeProperty(r, bytes, &type)) return false;
    if (type == r->Incr && !ReadIncr(r, bytes, &type)) return false;
    if (type == None || type == r->Incr) return false;
    char* name = XGetAtomName(r->Connection, type);
    if (name == nullptr) return false;
    *typeName = name;
    XFree(name);
    return true;
}

} // namespace

void* X11ClipboardRead(UINT format, const WCHAR* name, size_t* size) {
    if (Reader == nullptr && !OpenReader()) return nullptr;
    if (XGetSelectionOwner(Reader->Connection, Reader->Clipboard) == None) return nullptr;
    // One budget for the owner's answers over every target we try; a transfer in pieces then has
    // that long for each piece.
    uint64_t deadline = X11SelectionNowMs() + X11SelectionStepMs;
    for (const std::string& target : ClipboardTargetsToRead(format, name)) {
        std::string bytes, type;
        Atom atom = XInternAtom(Reader->Connection, target.c_str(), False);
        if (ReadTarget(Reader, atom, &bytes, &type, deadline) && ClipboardTypeFits(format, name, type))
            return ClipboardBlockFromTarget(format, type, bytes, size);
    }
    return nullptr;
}

Window X11SelectionCurrentOwner() {
    if (Reader == nullptr && !OpenReader()) return None;
    return XGetSelectionOwner(Reader->Connection, Reader->Clipboard);
}

void X11SelectionReaderClose() {
    if (Reader == nullptr) return;
    X11SelectionLoudErrors(Reader->Connection);
    XDestroyWindow(Reader->Connection, Reader->Hidden);
    XCloseDisplay(Reader->Connection);
    delete Reader;
    Reader = nullptr;
}
