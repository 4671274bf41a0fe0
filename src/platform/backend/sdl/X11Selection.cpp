// X11Selection.cpp: we own the X11 CLIPBOARD selection and serve it to other programs. A thread
// with its own connection and a hidden 1x1 window answers SelectionRequest events (TARGETS,
// TIMESTAMP, our offers; INCR for offers larger than the server's request size) until another
// program takes the selection (SelectionClear), and at close hands it to the session's clipboard
// manager when there is one. Publishing copies the blocks into offers and waits,
// boundedly, for the thread to take ownership. The thread owns the connection, the window and the
// transfers in progress; offers are shared with transfers, so a new publish never cuts a transfer.
#include "platform/backend/sdl/ClipboardFormats.h"
#include "platform/backend/sdl/SdlInternal.h"

// Xlib after our headers: its macros (None, Bool) would rename their identifiers.
#include "platform/backend/sdl/X11Selection.h"

#include <X11/Xatom.h>

#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct OfferAtom {
    Atom Target;
    std::shared_ptr<const std::string> Bytes;
};

// An INCR transfer: the requestor deletes the property, we write the next chunk.
struct IncrTransfer {
    Window Requestor;
    Atom Property;
    Atom Type;
    std::shared_ptr<const std::string> Bytes;
    size_t Offset;
    bool Ended; // the closing zero-length piece is written
    uint64_t LastStepMs;
};

struct SelectionOwner {
    Display* Connection = nullptr;
    Window Hidden = 0;
    Atom Clipboard, Targets, Timestamp, Multiple, Incr, Utf8String, Text, Stamp;
    Atom Manager, SaveTargets;
    int WakePipe[2] = {-1, -1};
    std::thread Thread;
    size_t ChunkSize = 0;

    // Between the caller and the thread, under Lock.
    std::mutex Lock;
    std::condition_variable Done;
    std::vector<ClipboardOffer> Requested; // the offers of the newest publish
    uint64_t RequestSerial = 0;
    uint64_t DoneSerial = 0;
    bool DoneResult = false;
    bool Stop = false;
    std::atomic<bool> Owned{false};

    // The thread's own.
    std::vector<OfferAtom> Offers;
    Time OwnedSince = CurrentTime;
    uint64_t PendingSerial = 0; // a publish waiting for its timestamp
    bool PendingRelease = false;
    std::vector<IncrTransfer> Transfers;
    bool HandingOver = false; // asked the clipboard manager to keep our contents
    bool HandedOver = false;  // and it answered
    uint64_t HandoverDeadline = 0;
};

SelectionOwner* Owner = nullptr;

void FinishPublish(SelectionOwner* owner, uint64_t serial, bool result) {
    std::lock_guard<std::mutex> hold(owner->Lock);
    owner->DoneSerial = serial;
    owner->DoneResult = result;
    owner->Done.notify_all();
}

// A new publish: intern its targets, then ask the server for a timestamp by touching a property
// of our window; ownership is taken when its PropertyNotify arrives (TakeOwnership).
void BeginPublish(SelectionOwner* owner, std::vector<ClipboardOffer> offers, uint64_t serial) {
    owner->Offers.clear();
    for (ClipboardOffer& offer : offers) {
        Atom target = XInternAtom(owner->Connection, offer.Target.c_str(), False);
        // A format's names share one copy of its bytes (text is offered under three of them).
        if (!owner->Offers.empty() && *owner->Offers.back().Bytes == offer.Bytes)
            owner->Offers.push_back({target, owner->Offers.back().Bytes});
        else
            owner->Offers.push_back({target, std::make_shared<const std::string>(std::move(offer.Bytes))});
    }
    owner->PendingSerial = serial;
    owner->PendingRelease = owner->Offers.empty();
    XChangeProperty(owner->Connection, owner->Hidden, owner->Stamp, XA_INTEGER, 32, PropModeAppend, nullptr,
                    0);
    XFlush(owner->Connection);
}

void TakeOwnership(SelectionOwner* owner, Time time) {
    uint64_t serial = owner->PendingSerial;
    owner->PendingSerial = 0;
    if (owner->PendingRelease) {
        // An emptied clipboard is empty for everyone, as on Windows, whoever held it: the server
        // clears any owner that took it before this time (one that took it later keeps it).
        XSetSelectionOwner(owner->Connection, owner->Clipboard, None, time);
        XSync(owner->Connection, False); // done before CloseClipboard returns, as taking it is
        owner->Owned = false;
        FinishPublish(owner, serial, true);
        return;
    }
    XSetSelectionOwner(owner->Connection, owner->Clipboard, owner->Hidden, time);
    bool owned = XGetSelectionOwner(owner->Connection, owner->Clipboard) == owner->Hidden;
    owner->OwnedSince = time;
    owner->Owned = owned;
    FinishPublish(owner, serial, owned);
}

const OfferAtom* FindOffer(SelectionOwner* owner, Atom target) {
    for (const OfferAtom& offer : owner->Offers)
        if (offer.Target == target) return &offer;
    return nullptr;
}

// Writes one offer for a request: whole, or the start of an INCR transfer when it is too large.
void WriteOffer(SelectionOwner* owner, Window requestor, Atom property, Atom target, const OfferAtom& offer) {
    Atom type = target == owner->Text ? owner->Utf8String : target;
    const std::string& bytes = *offer.Bytes;
    if (bytes.size() <= owner->ChunkSize) {
        XChangeProperty(owner->Connection, requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()), int(bytes.size()));
        return;
    }
    XSelectInput(owner->Connection, requestor, PropertyChangeMask);
    long length = long(bytes.size());
    XChangeProperty(owner->Connection, requestor, property, owner->Incr, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&length), 1);
    owner->Transfers.push_back({requestor, property, type, offer.Bytes, 0, false, X11SelectionNowMs()});
}

// Converts our selection to target into requestor's property; false when we do not have it.
bool Convert(SelectionOwner* owner, Window requestor, Atom property, Atom target) {
    if (target == owner->Targets) {
        std::vector<Atom> targets = {owner->Targets, owner->Timestamp, owner->Multiple};
        for (const OfferAtom& o : owner->Offers)
            targets.push_back(o.Target);
        XChangeProperty(owner->Connection, requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets.data()), int(targets.size()));
        return true;
    }
    if (target == owner->Timestamp) {
        long stamp = long(owner->OwnedSince);
        XChangeProperty(owner->Connection, requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&stamp), 1);
        return true;
    }
    const OfferAtom* offer = FindOffer(owner, target);
    if (offer == nullptr) return false;
    WriteOffer(owner, requestor, property, target, *offer);
    return true;
}

// MULTIPLE: the property holds (target, property) pairs; each is converted, and a pair we cannot
// convert gets None as its property, as clipboard managers expect.
bool ConvertMultiple(SelectionOwner* owner, Window requestor, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(owner->Connection, requestor, property, 0, 4096, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success)
        return false;
    if (format != 32 || data == nullptr) {
        XFree(data);
        return false;
    }
    std::vector<Atom> pairs(reinterpret_cast<const Atom*>(data), reinterpret_cast<const Atom*>(data) + count);
    XFree(data);
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        bool nested = pairs[i] == owner->Multiple || pairs[i + 1] == None;
        if (nested || !Convert(owner, requestor, pairs[i + 1], pairs[i])) pairs[i + 1] = None;
    }
    XChangeProperty(owner->Connection, requestor, property, type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(pairs.data()), int(pairs.size()));
    return true;
}

void AnswerRequest(SelectionOwner* owner, const XSelectionRequestEvent& request) {
    XSelectionEvent reply = {};
    reply.type = SelectionNotify;
    reply.display = owner->Connection;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    // Obsolete requestors name no property: the target's name is used instead.
    Atom property = request.property != None ? request.property : request.target;
    bool ours = request.selection == owner->Clipboard && request.owner == owner->Hidden && owner->Owned &&
                (request.time == CurrentTime || request.time >= owner->OwnedSince);
    if (ours && request.target == owner->Multiple) {
        if (request.property != None && ConvertMultiple(owner, request.requestor, property))
            reply.property = property;
    } else if (ours && Convert(owner, request.requestor, property, request.target)) {
        reply.property = property;
    }
    XSendEvent(owner->Connection, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

// The requestor deleted the property of an INCR transfer: the next piece, or the end.
void ContinueTransfer(SelectionOwner* owner, const XPropertyEvent& event) {
    for (size_t i = 0; i < owner->Transfers.size(); ++i) {
        IncrTransfer& t = owner->Transfers[i];
        if (t.Requestor != event.window || t.Property != event.atom) continue;
        if (t.Ended) {
            owner->Transfers.erase(owner->Transfers.begin() + long(i));
            return;
        }
        size_t n = std::min(owner->ChunkSize, t.Bytes->size() - t.Offset);
        XChangeProperty(owner->Connection, t.Requestor, t.Property, t.Type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(t.Bytes->data() + t.Offset), int(n));
        t.Offset += n;
        t.Ended = n == 0;
        t.LastStepMs = X11SelectionNowMs();
        return;
    }
}

// Transfers whose requestor stopped reading (it quit, or gave up) are dropped.
void ExpireTransfers(SelectionOwner* owner) {
    uint64_t now = X11SelectionNowMs();
    for (size_t i = owner->Transfers.size(); i-- > 0;)
        if (now - owner->Transfers[i].LastStepMs > uint64_t(5 * X11SelectionStepMs))
            owner->Transfers.erase(owner->Transfers.begin() + long(i));
}

void HandleEvent(SelectionOwner* owner, XEvent& event) {
    switch (event.type) {
    case SelectionRequest:
        AnswerRequest(owner, event.xselectionrequest);
        break;
    case SelectionNotify:
        if (event.xselection.selection == owner->Manager) owner->HandedOver = true;
        break;
    case SelectionClear:
        if (event.xselectionclear.selection == owner->Clipboard) {
            owner->Owned = false;
            // A publish under way keeps its new offers: it takes the selection back.
            if (owner->PendingSerial == 0) owner->Offers.clear();
        }
        break;
    case PropertyNotify:
        if (event.xproperty.window == owner->Hidden && event.xproperty.atom == owner->Stamp &&
            owner->PendingSerial != 0) {
            TakeOwnership(owner, event.xproperty.time);
        } else if (event.xproperty.state == PropertyDelete) {
            ContinueTransfer(owner, event.xproperty);
        }
        break;
    default:
        break;
    }
}

// At close, as on Windows, what we published outlives us: a clipboard manager, when the session
// has one, is asked to take a copy (SAVE_TARGETS) and converts our targets while we keep serving.
// False when there is nothing to hand over or nobody to take it.
bool HandOver(SelectionOwner* owner) {
    if (owner->HandingOver) return true;
    if (!owner->Owned || owner->Offers.empty() ||
        XGetSelectionOwner(owner->Connection, owner->Manager) == None)
        return false;
    std::vector<Atom> targets;
    for (const OfferAtom& offer : owner->Offers)
        targets.push_back(offer.Target);
    Atom property = XInternAtom(owner->Connection, "KESTROVA_SAVE_TARGETS", False);
    XChangeProperty(owner->Connection, owner->Hidden, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(targets.data()), int(targets.size()));
    XConvertSelection(owner->Connection, owner->Manager, owner->SaveTargets, property, owner->Hidden,
                      owner->OwnedSince);
    owner->HandingOver = true;
    owner->HandoverDeadline = X11SelectionNowMs() + X11SelectionStepMs;
    return true;
}

// Between events: a publish asked for, or the end (after a hand-over). False: stop serving.
bool AfterEvents(SelectionOwner* owner) {
    std::unique_lock<std::mutex> hold(owner->Lock);
    if (owner->Stop) {
        hold.unlock();
        return HandOver(owner) && !owner->HandedOver && X11SelectionNowMs() < owner->HandoverDeadline;
    }
    if (owner->RequestSerial != owner->DoneSerial && owner->RequestSerial != owner->PendingSerial) {
        std::vector<ClipboardOffer> offers = std::move(owner->Requested);
        uint64_t serial = owner->RequestSerial;
        hold.unlock();
        BeginPublish(owner, std::move(offers), serial);
    }
    return true;
}

void ServeSelection(SelectionOwner* owner) {
    for (;;) {
        while (XPending(owner->Connection) > 0) {
            XEvent event;
            XNextEvent(owner->Connection, &event);
            HandleEvent(owner, event);
        }
        if (!AfterEvents(owner)) break;
        ExpireTransfers(owner);
        XFlush(owner->Connection);
        // While handing over, look at the clock often: the deadline bounds the program's exit.
        X11SelectionWait(owner->Connection, owner->WakePipe[0], owner->HandingOver ? 20 : X11SelectionStepMs);
        char drain[64];
        while (read(owner->WakePipe[0], drain, sizeof(drain)) > 0) {}
    }
}

void WakeOwner(SelectionOwner* owner) {
    char byte = 1;
    (void)!write(owner->WakePipe[1], &byte, 1);
}

} // namespace

bool X11ClipboardOpen() {
    if (Owner != nullptr) return true;
    Display* connection = XOpenDisplay(nullptr);
    if (connection == nullptr) return false;
    auto* owner = new SelectionOwner;
    owner->Connection = connection;
    if (pipe2(owner->WakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        XCloseDisplay(connection);
        delete owner;
        return false;
    }
    X11SelectionQuietErrors(connection);
    owner->Hidden = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(connection, owner->Hidden, PropertyChangeMask);
    owner->Clipboard = XInternAtom(connection, "CLIPBOARD", False);
    owner->Targets = XInternAtom(connection, "TARGETS", False);
    owner->Timestamp = XInternAtom(connection, "TIMESTAMP", False);
    owner->Multiple = XInternAtom(connection, "MULTIPLE", False);
    owner->Manager = XInternAtom(connection, "CLIPBOARD_MANAGER", False);
    owner->SaveTargets = XInternAtom(connection, "SAVE_TARGETS", False);
    owner->Incr = XInternAtom(connection, "INCR", False);
    owner->Utf8String = XInternAtom(connection, "UTF8_STRING", False);
    owner->Text = XInternAtom(connection, "TEXT", False);
    owner->Stamp = XInternAtom(connection, "KESTROVA_OWNER_STAMP", False);
    owner->ChunkSize = X11SelectionChunkSize(connection);
    XFlush(connection);
    owner->Thread = std::thread(ServeSelection, owner);
    Owner = owner;
    return true;
}

// Stops serving, after handing our contents to the session's clipboard manager if it has one
// (at most X11SelectionStepMs); without one, what we published goes with us.
void X11ClipboardClose() {
    X11SelectionReaderClose();
    if (Owner == nullptr) return;
    {
        std::lock_guard<std::mutex> hold(Owner->Lock);
        Owner->Stop = true;
    }
    WakeOwner(Owner);
    Owner->Thread.join();
    X11SelectionLoudErrors(Owner->Connection);
    XDestroyWindow(Owner->Connection, Owner->Hidden);
    XCloseDisplay(Owner->Connection);
    close(Owner->WakePipe[0]);
    close(Owner->WakePipe[1]);
    delete Owner;
    Owner = nullptr;
}

bool X11ClipboardPublish(const UINT* formats, const WCHAR* const* names, const void* const* blocks,
                         const size_t* sizes, size_t count) {
    if (Owner == nullptr) return false;
    std::vector<ClipboardOffer> offers;
    for (size_t i = 0; i < count; ++i)
        ClipboardOffersFor(formats[i], names != nullptr ? names[i] : nullptr, blocks[i], sizes[i], &offers);
    std::unique_lock<std::mutex> hold(Owner->Lock);
    Owner->Requested = std::move(offers);
    uint64_t serial = ++Owner->RequestSerial;
    WakeOwner(Owner);
    // The server answers a timestamp request within a round trip; a second is far beyond that.
    bool done = Owner->Done.wait_for(hold, std::chrono::milliseconds(X11SelectionStepMs),
                                     [serial] { return Owner->DoneSerial >= serial; });
    return done && Owner->DoneSerial == serial && Owner->DoneResult;
}

// The flag follows SelectionClear, which the serving thread may not have read yet when another
// program has only just taken the selection: the server is asked as well.
bool X11ClipboardOwned() {
    return Owner != nullptr && Owner->Owned && X11SelectionCurrentOwner() == Owner->Hidden;
}
