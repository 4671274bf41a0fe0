// XvfbClipboardTest.cpp: the system clipboard between the backend and xclip under Xvfb: our text
// (Hebrew included) and RTF under every target name, xclip's text and RTF read back, 2 MB both
// ways through INCR, ownership lost to another program, a bounded wait on a silent owner and no
// mix-up with its late answers, and the hand-over to a clipboard manager at close.
// The Win32 names first: Xlib's macros (None, Bool, Status) come with XvfbSupport.h.
#include "platform/Win32Clipboard.h"
#include "platform/backend/ServiceBackend.h"

#include "XvfbSupport.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr UINT RtfFormat = 0xC001; // as the clipboard layer would number "Rich Text Format"
const std::string HebrewUtf8 = "Shalom \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D!";
const std::u16string HebrewUtf16 = u"Shalom \u05E9\u05DC\u05D5\u05DD!";
const std::string Rtf = "{\\rtf1\\ansi\\deff0 {\\b Bold} text\\par}";

bool Publish(const std::u16string& text, const std::string& rtf) {
    std::u16string zeroEnded = text + u'\0';
    UINT formats[] = {13, RtfFormat};
    const WCHAR* names[] = {nullptr, u"Rich Text Format"};
    const void* blocks[] = {zeroEnded.data(), rtf.c_str()};
    size_t sizes[] = {zeroEnded.size() * 2, rtf.size() + 1};
    return XvfbBackend()->ClipboardPublish(formats, names, blocks, sizes, rtf.empty() ? 1 : 2);
}

std::string Xclip(const std::string& target) {
    return XvfbOutput("xclip -selection clipboard -o -t '" + target + "' 2>/dev/null");
}

// xclip takes the selection with the file's contents under target and serves it in the background.
// It forks before it takes the selection: wait until the owner has changed.
void XclipSet(const std::string& target, const std::string& bytes) {
    std::string path = XvfbTempPath("xclip-in");
    XvfbWriteFile(path, bytes);
    Display* display = XvfbDisplay();
    Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    Window before = XGetSelectionOwner(display, clipboard);
    ASSERT_EQ(XvfbRun("xclip -selection clipboard -t '" + target + "' -i " + path + " >/dev/null 2>&1"), 0);
    for (int i = 0; i < 200 && XGetSelectionOwner(display, clipboard) == before; ++i)
        usleep(5000);
    ASSERT_NE(XGetSelectionOwner(display, clipboard), before);
}

std::u16string ReadText() {
    size_t size = 0;
    auto* block = static_cast<char16_t*>(XvfbBackend()->ClipboardRead(13, nullptr, &size));
    if (block == nullptr) return u"<none>";
    std::u16string text(block);
    EXPECT_EQ(size, text.size() * 2);
    free(block);
    return text;
}

std::string ReadRtf() {
    size_t size = 0;
    auto* block = static_cast<char*>(XvfbBackend()->ClipboardRead(RtfFormat, u"Rich Text Format", &size));
    if (block == nullptr) return "<none>";
    std::string bytes(block, size);
    free(block);
    return bytes;
}

bool WaitNotOwned() {
    for (int i = 0; i < 100 && XvfbBackend()->ClipboardOwned(); ++i)
        XvfbCollect(10);
    return !XvfbBackend()->ClipboardOwned();
}

TEST(XvfbClipboard, OtherProgramsReadOurTextAndRtfUnderEveryName) {
    XVFB_REQUIRE_BACKEND();
    ASSERT_TRUE(Publish(HebrewUtf16, Rtf));
    EXPECT_TRUE(XvfbBackend()->ClipboardOwned());
    EXPECT_EQ(Xclip("UTF8_STRING"), HebrewUtf8);
    EXPECT_EQ(Xclip("text/plain;charset=utf-8"), HebrewUtf8);
    EXPECT_EQ(Xclip("TEXT"), HebrewUtf8);
    EXPECT_EQ(Xclip("STRING"), "Shalom ?\?\?\?!");
    EXPECT_EQ(Xclip("text/rtf"), Rtf);
    EXPECT_EQ(Xclip("text/richtext"), Rtf);
    EXPECT_EQ(Xclip("Rich Text Format"), Rtf);
    std::string targets = Xclip("TARGETS");
    for (const char* name :
         {"TARGETS\n", "TIMESTAMP\n", "MULTIPLE\n", "UTF8_STRING\n", "text/plain;charset=utf-8\n", "TEXT\n",
          "STRING\n", "text/rtf\n", "text/richtext\n", "Rich Text Format\n"})
        EXPECT_NE(("\n" + targets).find("\n" + std::string(name)), std::string::npos)
            << name << " in " << targets;
    // The time we took the selection, not the time of asking.
    long stamp = std::atol(Xclip("TIMESTAMP").c_str());
    EXPECT_GT(stamp, 0);
    usleep(20000);
    EXPECT_EQ(std::atol(Xclip("TIMESTAMP").c_str()), stamp);
    EXPECT_EQ(Xclip("image/png"), "");
    // We read our own selection through the server too.
    EXPECT_EQ(ReadText(), HebrewUtf16);
    EXPECT_EQ(ReadRtf(), Rtf);
}

TEST(XvfbClipboard, WeReadWhatAnotherProgramSetAndLoseOwnership) {
    XVFB_REQUIRE_BACKEND();
    ASSERT_TRUE(Publish(u"ours", ""));
    XclipSet("UTF8_STRING", HebrewUtf8);
    EXPECT_TRUE(WaitNotOwned());
    EXPECT_EQ(ReadText(), HebrewUtf16);
    EXPECT_EQ(ReadRtf(), "<none>");
    XclipSet("text/rtf", Rtf);
    EXPECT_EQ(ReadRtf(), Rtf);
    XclipSet("STRING", "caf\xE9");
    EXPECT_EQ(ReadText(), u"caf\u00E9");
    // Publishing again takes the selection back (and ends xclip).
    ASSERT_TRUE(Publish(u"again", ""));
    EXPECT_TRUE(XvfbBackend()->ClipboardOwned());
    EXPECT_EQ(Xclip("UTF8_STRING"), "again");
}

std::string LargeText() {
    std::string text;
    for (int i = 0; text.size() < (size_t(2) << 20); ++i)
        text += "line " + std::to_string(i) + " \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abcdefghij\n";
    return text;
}

// The type the owner first answers a request for target with ("INCR" for data sent in pieces).
// The test's connection then deletes the property and leaves, so the owner's transfer ends.
std::string FirstReplyType(const char* target) {
    Display* display = XvfbDisplay();
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    Atom property = XInternAtom(display, "KESTROVA_TEST", False);
    XConvertSelection(display, XInternAtom(display, "CLIPBOARD", False), XInternAtom(display, target, False),
                      property, window, CurrentTime);
    XFlush(display);
    std::string type = "<no answer>";
    XEvent event;
    for (int i = 0; i < 200; ++i) {
        if (XCheckTypedWindowEvent(display, window, SelectionNotify, &event)) {
            Atom actual = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty(display, window, property, 0, 0, True, AnyPropertyType, &actual, &format,
                               &count, &after, &data);
            XFree(data);
            char* name = actual != None ? XGetAtomName(display, actual) : nullptr;
            type = name != nullptr ? name : "<none>";
            XFree(name);
            break;
        }
        usleep(5000);
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    return type;
}

TEST(XvfbClipboard, TwoMegabytesGoThroughIncrBothWays) {
    XVFB_REQUIRE_BACKEND();
    std::string text = LargeText();
    std::u16string wide;
    for (size_t i = 0; i < text.size();) {
        // The text is ASCII and two-byte Hebrew letters only.
        auto c = uint8_t(text[i]);
        if (c < 0x80) {
            wide.push_back(c);
            ++i;
        } else {
            wide.push_back(char16_t(((c & 0x1F) << 6) | (uint8_t(text[i + 1]) & 0x3F)));
            i += 2;
        }
    }
    ASSERT_TRUE(Publish(wide, ""));
    EXPECT_EQ(FirstReplyType("UTF8_STRING"), "INCR");
    EXPECT_EQ(FirstReplyType("text/plain;charset=utf-8"), "INCR");
    std::string got = Xclip("UTF8_STRING");
    EXPECT_EQ(got.size(), text.size());
    EXPECT_TRUE(got == text);

    XclipSet("UTF8_STRING", text);
    auto start = std::chrono::steady_clock::now();
    std::u16string back = ReadText();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::u16string crlf; // as our text ends its lines
    for (char16_t c : wide)
        crlf += c == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, c);
    EXPECT_EQ(back.size(), crlf.size());
    EXPECT_TRUE(back == crlf);
    RecordProperty("IncrReadMs", int(ms.count()));
    // xclip did send it in pieces (probed last: xclip serves one request at a time, and the probe
    // leaves its transfer unfinished).
    EXPECT_EQ(FirstReplyType("UTF8_STRING"), "INCR");
}

TEST(XvfbClipboard, ASilentOwnerCostsAtMostABoundedWait) {
    XVFB_REQUIRE_BACKEND();
    // The test's own connection takes the selection and never answers.
    Display* display = XvfbDisplay();
    Window silent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    ASSERT_TRUE(Publish(u"ours", ""));
    XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), silent, CurrentTime);
    XSync(display, False);
    // At once, before the serving thread may have read its SelectionClear: a paste right after a
    // copy in another program reads that program's clipboard, not our old one.
    EXPECT_FALSE(XvfbBackend()->ClipboardOwned());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadText(), u"<none>");
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(ms.count(), 1500);
    XDestroyWindow(display, silent);
    XSync(display, False);
}

// An owner on its own connection and thread that holds back its answers to the requests of a first
// read until that read has given up, then answers them ("stale"), and answers any later request at
// once ("fresh").
struct LateOwner {
    std::atomic<bool> Ready{false}, AnswerHeld{false}, Done{false};
};

// Tells the requestor that its request is answered in the property it named.
void NotifyRequestor(Display* d, const XSelectionRequestEvent& request) {
    XSelectionEvent notify = {};
    notify.type = SelectionNotify;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = request.property;
    notify.time = request.time;
    XSendEvent(d, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&notify));
    XFlush(d);
}

void Answer(Display* d, const XSelectionRequestEvent& request, const std::string& text) {
    XChangeProperty(d, request.requestor, request.property, XInternAtom(d, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    NotifyRequestor(d, request);
}

void RunLateOwner(LateOwner* o) {
    Display* d = XOpenDisplay(nullptr);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False), w, CurrentTime);
    XSync(d, False);
    o->Ready = true;
    std::vector<XSelectionRequestEvent> held;
    while (!o->Done) {
        if (o->AnswerHeld && !held.empty()) {
            for (const XSelectionRequestEvent& request : held)
                Answer(d, request, "stale");
            held.clear();
        }
        XEvent event;
        if (!XCheckTypedEvent(d, SelectionRequest, &event)) {
            usleep(2000);
            continue;
        }
        if (o->AnswerHeld)
            Answer(d, event.xselectionrequest, "fresh");
        else
            held.push_back(event.xselectionrequest);
    }
    XDestroyWindow(d, w);
    XCloseDisplay(d);
}

TEST(XvfbClipboard, ALateAnswerToAnEarlierReadIsNotTakenForTheNext) {
    XVFB_REQUIRE_BACKEND();
    LateOwner owner;
    std::thread thread(RunLateOwner, &owner);
    while (!owner.Ready)
        usleep(1000);
    EXPECT_EQ(ReadText(), u"<none>"); // gives up on the held answers
    owner.AnswerHeld = true;
    usleep(100000); // the late answers reach our connection before the next read asks
    EXPECT_EQ(ReadText(), u"fresh");
    owner.Done = true;
    thread.join();
}

TEST(XvfbClipboard, EmptyPublishGivesUpTheSelection) {
    XVFB_REQUIRE_BACKEND();
    ASSERT_TRUE(Publish(u"short-lived", ""));
    EXPECT_TRUE(XvfbBackend()->ClipboardPublish(nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_FALSE(XvfbBackend()->ClipboardOwned());
    EXPECT_EQ(ReadText(), u"<none>");
}

// A stand-in clipboard manager on its own connection and thread: it owns CLIPBOARD_MANAGER, and
// when asked to SAVE_TARGETS it copies the clipboard with one MULTIPLE request, as managers do.
struct StandInManager {
    std::atomic<bool> Ready{false};
    std::string Text, Rtf, Unknown = "<unset>";
    bool Asked = false;
};

std::string TakeProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count,
                       &after, &data);
    std::string bytes =
        data != nullptr && format == 8 ? std::string(reinterpret_cast<char*>(data), count) : "";
    XFree(data);
    return bytes;
}

bool NextEvent(Display* display, int type, XEvent* event) {
    for (int i = 0; i < 600; ++i) {
        if (XCheckTypedEvent(display, type, event)) return true;
        usleep(5000);
    }
    return false;
}

void RunManager(StandInManager* m) {
    Display* d = XOpenDisplay(nullptr);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, XInternAtom(d, "CLIPBOARD_MANAGER", False), w, CurrentTime);
    XSync(d, False);
    m->Ready = true;
    XEvent request;
    if (NextEvent(d, SelectionRequest, &request) &&
        request.xselectionrequest.target == XInternAtom(d, "SAVE_TARGETS", False)) {
        m->Asked = true;
        Atom p1 = XInternAtom(d, "P1", False), p2 = XInternAtom(d, "P2", False),
             p3 = XInternAtom(d, "P3", False);
        Atom pairs[] = {XInternAtom(d, "UTF8_STRING", False), p1, XInternAtom(d, "text/rtf", False), p2,
                        XInternAtom(d, "image/png", False),   p3};
        Atom list = XInternAtom(d, "PAIRS", False);
        XChangeProperty(d, w, list, XInternAtom(d, "ATOM_PAIR", False), 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(pairs), 6);
        XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, "MULTIPLE", False), list, w,
                          CurrentTime);
        XEvent notify;
        if (NextEvent(d, SelectionNotify, &notify) && notify.xselection.property == list) {
            m->Text = TakeProperty(d, w, p1);
            m->Rtf = TakeProperty(d, w, p2);
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty(d, w, list, 0, 6, False, AnyPropertyType, &type, &format, &count, &after,
                               &data);
            if (count == 6) m->Unknown = reinterpret_cast<Atom*>(data)[5] == None ? "None" : "converted";
            XFree(data);
        }
        NotifyRequestor(d, request.xselectionrequest);
    }
    XDestroyWindow(d, w);
    XCloseDisplay(d);
}

TEST(XvfbClipboard, AtCloseTheClipboardManagerKeepsACopyThroughMultiple) {
    XVFB_REQUIRE_BACKEND();
    StandInManager manager;
    std::thread thread(RunManager, &manager);
    while (!manager.Ready)
        usleep(1000);
    ASSERT_TRUE(Publish(HebrewUtf16, Rtf));
    auto start = std::chrono::steady_clock::now();
    XvfbBackend()->Close();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    thread.join();
    ASSERT_TRUE(XvfbBackend()->Open());
    EXPECT_TRUE(manager.Asked);
    EXPECT_EQ(manager.Text, HebrewUtf8);
    EXPECT_EQ(manager.Rtf, Rtf);
    EXPECT_EQ(manager.Unknown, "None");
    EXPECT_LT(ms.count(), 1000);
}

// The whole way, as the reader's own code does it: SetClipboardData and CloseClipboard reach xclip,
// and GetClipboardData reads what xclip holds.
HANDLE BlockOf(const void* bytes, size_t size) {
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, size);
    if (block != nullptr) memcpy(block, bytes, size);
    return block;
}

TEST(XvfbClipboard, TheWin32CallsGoThroughTheDesktopClipboard) {
    XVFB_REQUIRE_BACKEND();
    ServiceUseBackend(SdlBackend());
    UINT rtfFormat = RegisterClipboardFormatW(u"Rich Text Format");
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    std::u16string text = HebrewUtf16 + u'\0';
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, BlockOf(text.data(), text.size() * 2)), nullptr);
    ASSERT_NE(SetClipboardData(rtfFormat, BlockOf(Rtf.c_str(), Rtf.size() + 1)), nullptr);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(Xclip("UTF8_STRING"), HebrewUtf8);
    EXPECT_EQ(Xclip("Rich Text Format"), Rtf);

    XclipSet("UTF8_STRING", "from xclip \xD7\x90");
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* got = static_cast<const WCHAR*>(GetClipboardData(CF_UNICODETEXT));
    EXPECT_EQ(std::u16string(got != nullptr ? got : u"<none>"), u"from xclip \u05D0");
    ASSERT_TRUE(CloseClipboard());
    XclipSet("text/rtf", Rtf);
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* rtf = static_cast<const char*>(GetClipboardData(rtfFormat));
    EXPECT_EQ(std::string(rtf != nullptr ? rtf : "<none>"), Rtf);
    ASSERT_TRUE(CloseClipboard());

    // Emptying empties the desktop's clipboard too, even while another program holds it.
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(CloseClipboard());
    Display* display = XvfbDisplay();
    EXPECT_EQ(XGetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False)), Window(None));
    EXPECT_EQ(Xclip("text/rtf"), "");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(rtfFormat), nullptr);
    EXPECT_EQ(CountClipboardFormats(), 0);
    ASSERT_TRUE(CloseClipboard());
    ServiceUseBackend(nullptr);
}

} // namespace
