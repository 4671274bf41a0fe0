// UiTestSupport.h: what the control, dialog, menu and shell-bar tests share: a test backend (a
// virtual clock and a queue of input events and steps, served to the window layer's loops as a
// backend would), a parent window that logs the notifications its children send, and the input
// helpers (taps and keys in a window's client coordinates). The backend is installed once for the
// program; each test's windows are destroyed by the test.
#pragma once

#include "platform/Win32.h"
#include "platform/backend/Backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// One queued input: an event for the window layer, or a step the test runs when the program's
// loop next asks for input (to look at a modal dialog while it runs, or to queue more input).
struct UiStep {
    BackendEvent Event{};
    std::function<void()> Run;
};

struct UiBackendRecord {
    uint32_t Now = 0;
    std::deque<UiStep> Steps;
    int IdleWaits = 0; // waits in a row with nothing queued: a loop that never ends is stopped
};

inline UiBackendRecord& UiBackendState() {
    static UiBackendRecord record;
    return record;
}

// Serves queued steps; with none, the clock runs to the next timer, and a loop waiting for input
// that will never come gets Quit rather than hanging the test program.
inline bool UiWaitEvent(BackendEvent* event, int timeoutMs) {
    UiBackendRecord& b = UiBackendState();
    while (!b.Steps.empty()) {
        UiStep step = std::move(b.Steps.front());
        b.Steps.pop_front();
        b.IdleWaits = 0;
        if (!step.Run) {
            *event = step.Event;
            return true;
        }
        step.Run();
    }
    if (timeoutMs == 0) return false;
    if (timeoutMs > 0 && ++b.IdleWaits < 2000) {
        b.Now += uint32_t(timeoutMs);
        return false;
    }
    b.IdleWaits = 0;
    *event = BackendEvent{};
    event->Kind = BackendEventKind::Quit;
    return true;
}

inline void UiInstallBackend() {
    static const bool installed = [] {
        setenv("FONTCONFIG_FILE", KESTROVA_TEST_FONTS "/fonts.conf", 0);
        static Backend table{};
        table.Name = "headless"; // the test backend stands in for the headless one
        table.WaitEvent = UiWaitEvent;
        table.Ticks = [] { return UiBackendState().Now; };
        PlatformRegisterBackend(&table);
        return PlatformSelectBackend(true) != nullptr;
    }();
    EXPECT_TRUE(installed);
}

// Dispatches everything queued, without waiting and without moving the clock.
inline void UiPump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Moves the virtual clock by ms in 10 ms steps, dispatching the timers that fall due.
inline void UiAdvance(uint32_t ms) {
    for (uint32_t done = 0; done < ms; done += 10) {
        UiBackendState().Now += 10;
        UiPump();
    }
}

inline void UiQueue(const BackendEvent& e) {
    UiBackendState().Steps.push_back(UiStep{e, nullptr});
}
inline void UiQueueStep(std::function<void()> run) {
    UiBackendState().Steps.push_back(UiStep{BackendEvent{}, std::move(run)});
}

// A pointer event at (x, y) in window's client coordinates, sent to its top-level window. A backend
// gives the point within the whole top-level window (its surface holds the caption and frame too).
inline void UiQueuePointer(HWND window, BackendEventKind kind, int x, int y) {
    HWND top = window;
    while ((GetWindowLongW(top, GWL_STYLE) & WS_CHILD) && GetParent(top))
        top = GetParent(top);
    POINT p{x, y};
    ClientToScreen(window, &p);
    RECT frame;
    GetWindowRect(top, &frame);
    BackendEvent e{};
    e.Kind = kind;
    e.Window = top;
    e.X = p.x - frame.left;
    e.Y = p.y - frame.top;
    e.Button = 1;
    UiQueue(e);
}
inline void UiQueueTap(HWND window, int x, int y) {
    UiQueuePointer(window, BackendEventKind::PointerDown, x, y);
    UiQueuePointer(window, BackendEventKind::PointerUp, x, y);
}
inline void UiQueueKey(UINT vk, bool down = true) {
    BackendEvent e{};
    e.Kind = down ? BackendEventKind::KeyDown : BackendEventKind::KeyUp;
    e.Key = uint16_t(vk);
    UiQueue(e);
}
// A key pressed and released, with Shift (or another modifier key) held around it when given.
inline void UiQueuePress(UINT vk, UINT held = 0) {
    if (held) UiQueueKey(held, true);
    UiQueueKey(vk, true);
    UiQueueKey(vk, false);
    if (held) UiQueueKey(held, false);
}
inline void UiQueueText(const char* utf8) {
    BackendEvent e{};
    e.Kind = BackendEventKind::Text;
    std::snprintf(e.Text, sizeof(e.Text), "%s", utf8);
    UiQueue(e);
}
// Outside a modal loop: queue, then dispatch.
inline void UiTap(HWND window, int x, int y) {
    UiQueueTap(window, x, y);
    UiPump();
}
inline void UiPress(UINT vk, UINT held = 0) {
    UiQueuePress(vk, held);
    UiPump();
}

// What the logging parent received from its children.
struct UiLogged {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    DRAWITEMSTRUCT DrawItem; // for WM_DRAWITEM
};

inline std::vector<UiLogged>& UiLog() {
    static std::vector<UiLogged> log;
    return log;
}

// The codes (high words) of the WM_COMMAND messages logged from control id.
inline std::vector<WORD> UiCommandCodes(int id) {
    std::vector<WORD> codes;
    for (const UiLogged& l : UiLog())
        if (l.Message == WM_COMMAND && LOWORD(l.WParam) == id) codes.push_back(HIWORD(l.WParam));
    return codes;
}

inline LRESULT CALLBACK UiParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_SIZE:
        UiLog().push_back(UiLogged{message, wParam, lParam, {}});
        break;
    case WM_DRAWITEM:
        UiLog().push_back(
            UiLogged{message, wParam, lParam, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)});
        return TRUE;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

inline constexpr const WCHAR* UiParentClass = u"UiTestParent";

// A visible top-level window (client 320 x 400) whose proc logs its children's notifications.
inline HWND UiMakeParent(DWORD style = WS_POPUP | WS_VISIBLE) {
    UiInstallBackend();
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = UiParentProc;
        wc.lpszClassName = UiParentClass;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        return RegisterClassW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    HWND parent =
        CreateWindowExW(0, UiParentClass, u"Test", style, 0, 0, 320, 400, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(parent);
    UiPump();
    UiLog().clear();
    return parent;
}

inline HWND UiMakeChild(HWND parent, const WCHAR* cls, const WCHAR* text, DWORD style, int x, int y, int w,
                        int h, int id) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
}

// A fixture: a logging parent, destroyed after the test with everything it holds.
class UiTest : public ::testing::Test {
protected:
    HWND Parent = nullptr;
    void SetUp() override {
        UiBackendState().Steps.clear();
        Parent = UiMakeParent();
    }
    void TearDown() override {
        DestroyWindow(Parent);
        UiBackendState().Steps.clear();
        UiPump();
    }
};
