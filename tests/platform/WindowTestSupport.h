// WindowTestSupport.h: what the window tests share: a message log that window procedures write to
// and tests compare with an expected sequence (message and window, in order), a logging window
// class, and a fixture that starts each test without a backend (an idle queue then ends a loop with
// WM_QUIT) and leaves no window, posted message or quit flag behind.
#pragma once

#include "platform/Win32.h"
#include "platform/backend/Backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

struct LoggedMessage {
    HWND Window;
    UINT Message;
    WPARAM WParam = 0;
    bool operator==(const LoggedMessage& o) const { return Window == o.Window && Message == o.Message; }
};

struct MessageLog {
    std::vector<LoggedMessage> Entries;
    std::vector<UINT> Ignored; // messages not worth recording in a test
    bool Wants(UINT m) const { return std::find(Ignored.begin(), Ignored.end(), m) == Ignored.end(); }
};

inline MessageLog& Log() {
    static MessageLog log;
    return log;
}

// A readable name for the failure messages.
inline std::string MessageName(UINT m) {
    static const std::pair<UINT, const char*> names[] = {{WM_CREATE, "WM_CREATE"},
                                                         {WM_DESTROY, "WM_DESTROY"},
                                                         {WM_MOVE, "WM_MOVE"},
                                                         {WM_SIZE, "WM_SIZE"},
                                                         {WM_ACTIVATE, "WM_ACTIVATE"},
                                                         {WM_SETFOCUS, "WM_SETFOCUS"},
                                                         {WM_KILLFOCUS, "WM_KILLFOCUS"},
                                                         {WM_PAINT, "WM_PAINT"},
                                                         {WM_ERASEBKGND, "WM_ERASEBKGND"},
                                                         {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
                                                         {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
                                                         {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
                                                         {WM_NCCREATE, "WM_NCCREATE"},
                                                         {WM_NCDESTROY, "WM_NCDESTROY"},
                                                         {WM_CLOSE, "WM_CLOSE"},
                                                         {WM_KEYDOWN, "WM_KEYDOWN"},
                                                         {WM_KEYUP, "WM_KEYUP"},
                                                         {WM_CHAR, "WM_CHAR"},
                                                         {WM_TIMER, "WM_TIMER"},
                                                         {WM_COMMAND, "WM_COMMAND"},
                                                         {WM_ENABLE, "WM_ENABLE"},
                                                         {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}};
    for (auto& [id, name] : names)
        if (id == m) return name;
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%04X", m);
    return buffer;
}

// Compares the log with the expected sequence, then clears it.
inline void ExpectSequence(const std::vector<LoggedMessage>& expected, const char* what) {
    auto describe = [](const std::vector<LoggedMessage>& list) {
        std::string s;
        for (const LoggedMessage& m : list)
            s += MessageName(m.Message) + "@" +
                 std::to_string(reinterpret_cast<uintptr_t>(m.Window) & 0xFFFFFF) + " ";
        return s;
    };
    EXPECT_EQ(Log().Entries, expected)
        << what << "\n  got:      " << describe(Log().Entries) << "\n  expected: " << describe(expected);
    Log().Entries.clear();
}

// The logging class's procedure: records, then hands the message to an optional per-test hook
// (GWLP_USERDATA), else to DefWindowProcW.
typedef bool (*TestHook)(HWND, UINT, WPARAM, LPARAM, LRESULT*);
inline LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Log().Wants(message)) Log().Entries.push_back(LoggedMessage{window, message, wParam});
    auto hook = reinterpret_cast<TestHook>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (hook && hook(window, message, wParam, lParam, &result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

constexpr const WCHAR* LoggingClass = u"TestLogging";

struct WindowTest : ::testing::Test {
    void SetUp() override {
        PlatformUseBackend(nullptr);
        static bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = LoggingProc;
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            wc.cbWndExtra = 16;
            wc.lpszClassName = LoggingClass;
            return RegisterClassW(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        Log() = MessageLog{};
        PlatformSetMessageBoxAnswer(0);
        PlatformSetMessageBoxEcho(FALSE);
    }
    void TearDown() override {
        Log().Ignored.assign({WM_DESTROY, WM_NCDESTROY});
        for (int i = 0; i < 100; ++i)
            if (HWND top = FindWindowW(nullptr, nullptr)) DestroyWindow(top);
        PlatformUseBackend(nullptr);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
        PlatformSetMessageBoxEcho(TRUE);
        Log() = MessageLog{};
    }
    HWND Make(const WCHAR* name, DWORD style, HWND parent = nullptr, int id = 0, RECT r = {0, 0, 100, 80}) {
        return CreateWindowExW(0, LoggingClass, name, style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                               nullptr, nullptr);
    }
    static void Hook(HWND window, TestHook hook) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hook));
    }
    // Runs the queue until it is idle (no backend: the idle queue answers WM_QUIT).
    static void Pump() {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Starts the headless backend with a script.
    static void Headless(const char* script) {
        const Backend* headless = PlatformFindBackend("headless");
        ASSERT_NE(headless, nullptr);
        PlatformUseBackend(headless);
        std::string error;
        ASSERT_TRUE(headless->LoadScript("test", script, &error)) << error;
    }
};
