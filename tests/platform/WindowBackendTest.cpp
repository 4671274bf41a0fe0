// What the window layer asks of a backend and does with its events, seen through a recording
// backend: native windows created, shown, moved and destroyed with their top-level windows; a
// framebuffer presented after a message that drew, only the part drawn, and never when nothing
// drew; resizes, pointer presses and close requests turned into the messages Win32 sends.
#include "WindowTestSupport.h"

#include <deque>

namespace {

struct Recording {
    std::vector<std::string> Calls;
    std::vector<RECT> Presented;
    std::deque<BackendEvent> Events;
};

Recording& Recorded() {
    static Recording recording;
    return recording;
}

Backend RecordingBackend() {
    Backend b{};
    b.Name = "recording";
    b.CreateTopLevel = [](HWND, const RECT& r, const WCHAR*) {
        Recorded().Calls.push_back("create " + std::to_string(r.right - r.left));
        return true;
    };
    b.DestroyTopLevel = [](HWND) { Recorded().Calls.push_back("destroy"); };
    b.ShowTopLevel = [](HWND, bool on) { Recorded().Calls.push_back(on ? "show" : "hide"); };
    b.MoveTopLevel = [](HWND, const RECT& r) {
        Recorded().Calls.push_back("move " + std::to_string(r.right - r.left));
    };
    b.SetTitle = [](HWND, const WCHAR*) { Recorded().Calls.push_back("title"); };
    b.Present = [](HWND, const Surface&, const RECT& changed) { Recorded().Presented.push_back(changed); };
    // The queued events one by one; then the display "goes away", which ends the loop.
    b.WaitEvent = [](BackendEvent* e, int) {
        *e = BackendEvent{};
        e->Kind = BackendEventKind::Quit;
        if (!Recorded().Events.empty()) {
            *e = Recorded().Events.front();
            Recorded().Events.pop_front();
        }
        return true;
    };
    return b;
}

BackendEvent Event(BackendEventKind kind, HWND window, int x = 0, int y = 0) {
    BackendEvent e{};
    e.Kind = kind;
    e.Window = window;
    e.X = e.Width = x;
    e.Y = e.Height = y;
    e.Button = 1;
    return e;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(WindowTest, TheBackendPresentsWhatWasDrawnAndItsEventsBecomeMessages) {
    static const Backend table = RecordingBackend();
    Recorded() = Recording{};
    PlatformUseBackend(&table);
    HWND w = Make(u"Main", WS_VISIBLE, nullptr, 0, {0, 0, 100, 80});
    // A press draws one pixel through a DC of its own.
    Hook(w, [](HWND window, UINT m, WPARAM, LPARAM l, LRESULT*) {
        if (m != WM_LBUTTONDOWN) return false;
        HDC dc = GetDC(window);
        SetPixel(dc, GET_X_LPARAM(l), GET_Y_LPARAM(l), RGB(255, 0, 0));
        ReleaseDC(window, dc);
        return true;
    });
    Recorded().Events = {Event(BackendEventKind::Exposed, w), Event(BackendEventKind::PointerDown, w, 5, 6),
                         Event(BackendEventKind::FocusGained, w),
                         Event(BackendEventKind::Resized, w, 200, 90)};
    Pump();
    std::vector<RECT>& shown = Recorded().Presented;
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_TRUE(SameRect(shown[0], RECT{0, 0, 100, 80})) << "the first paint";
    EXPECT_TRUE(SameRect(shown[1], RECT{0, 0, 100, 80})) << "exposed: all of it again";
    EXPECT_TRUE(SameRect(shown[2], RECT{5, 6, 6, 7})) << "one pixel drawn, one pixel presented";
    EXPECT_TRUE(SameRect(shown[3], RECT{0, 0, 200, 90})) << "the new size, repainted";
    EXPECT_EQ((std::vector<std::string>{"create 100", "show", "move 200"}), Recorded().Calls);

    Log().Entries.clear();
    Recorded().Events = {Event(BackendEventKind::CloseRequest, w)};
    Pump();
    EXPECT_FALSE(IsWindow(w)) << "a close request is WM_CLOSE, which DefWindowProcW answers";
    ASSERT_FALSE(Log().Entries.empty());
    EXPECT_EQ(Log().Entries.front().Message, UINT(WM_CLOSE));
    EXPECT_EQ(Recorded().Calls.back(), "destroy");
    EXPECT_EQ(Recorded().Presented.size(), 4u) << "a window going away is not presented";
}

} // namespace
