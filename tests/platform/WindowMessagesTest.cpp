// The order of the messages windows receive as they are created, sized, painted, activated and
// destroyed, compared with what Win32 sends; SendMessageW reentrancy, the quit code, and windows
// destroyed from inside their own procedure.
#include "WindowTestSupport.h"

namespace {

using W = LoggedMessage;

TEST_F(WindowTest, CreatingAVisibleTopLevelWindowSendsCreationShowAndActivation) {
    HWND w = Make(u"Main", WS_VISIBLE);
    ASSERT_NE(w, nullptr);
    ExpectSequence({{w, WM_NCCREATE},
                    {w, WM_CREATE},
                    {w, WM_SIZE},
                    {w, WM_MOVE},
                    {w, WM_SHOWWINDOW},
                    {w, WM_WINDOWPOSCHANGING},
                    {w, WM_ACTIVATE},
                    {w, WM_SETFOCUS},
                    {w, WM_WINDOWPOSCHANGED}},
                   "visible top-level creation");
    EXPECT_EQ(GetActiveWindow(), w);
    EXPECT_EQ(GetFocus(), w);

    HWND child = Make(u"Child", WS_CHILD | WS_VISIBLE, w, 7, {10, 20, 50, 60});
    ExpectSequence({{child, WM_NCCREATE},
                    {child, WM_CREATE},
                    {child, WM_SIZE},
                    {child, WM_MOVE},
                    {child, WM_SHOWWINDOW},
                    {child, WM_WINDOWPOSCHANGING},
                    {child, WM_WINDOWPOSCHANGED}},
                   "visible child creation (no activation)");
    EXPECT_EQ(GetParent(child), w);
    EXPECT_EQ(GetDlgItem(w, 7), child);
    EXPECT_EQ(GetWindow(w, GW_CHILD), child);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 60);
}

TEST_F(WindowTest, CreateStructCarriesTheArgumentsAndMinusOneFailsTheCreation) {
    // The class procedure takes its hook from the creation parameter, as programs pass their records.
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND window, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_NCCREATE)
            SetWindowLongPtrW(
                window, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
        return LoggingProc(window, m, w, l);
    };
    wc.lpszClassName = u"TestCreateStruct";
    ASSERT_NE(RegisterClassW(&wc), 0);
    EXPECT_EQ(RegisterClassW(&wc), 0) << "a class name is registered once";
    wc.lpszClassName = u"TESTCREATESTRUCT";
    EXPECT_EQ(RegisterClassW(&wc), 0) << "class names compare without case";

    HWND w = CreateWindowExW(0, u"testcreatestruct", u"Named", 0, 5, 6, 70, 80, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(FindWindowW(u"TESTCREATESTRUCT", u"named"), w);
    EXPECT_EQ(FindWindowW(u"TestCreateStruct", u"Other"), nullptr);
    EXPECT_EQ(FindWindowW(u"NoSuchClass", nullptr), nullptr);

    static CREATESTRUCTW seen;
    TestHook failing = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT* result) {
        if (m != WM_CREATE) return false;
        seen = *reinterpret_cast<CREATESTRUCTW*>(l);
        *result = -1;
        return true;
    };
    Log().Entries.clear();
    HWND failed = CreateWindowExW(0, u"TestCreateStruct", u"Fails", 0, 1, 2, 3, 4, nullptr, nullptr, nullptr,
                                  reinterpret_cast<LPVOID>(failing));
    EXPECT_EQ(failed, nullptr);
    EXPECT_EQ(seen.x, 1);
    EXPECT_EQ(seen.cy, 4);
    EXPECT_EQ(std::u16string(seen.lpszName), u"Fails");
    ASSERT_GE(Log().Entries.size(), 4u);
    HWND gone = Log().Entries[0].Window;
    EXPECT_FALSE(IsWindow(gone));
    ExpectSequence({{gone, WM_NCCREATE}, {gone, WM_CREATE}, {gone, WM_DESTROY}, {gone, WM_NCDESTROY}},
                   "WM_CREATE answering -1");
    EXPECT_EQ(
        CreateWindowExW(0, LoggingClass, u"Orphan", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr)
        << "a child needs a parent";
}

TEST_F(WindowTest, SetWindowPosSendsChangingChangedThenMoveAndSizeAndADcFollowsTheWindow) {
    HWND w = Make(u"Main", 0, nullptr, 0, {0, 0, 100, 80});
    HDC held = GetDC(w);
    Log().Entries.clear();

    SetWindowPos(w, nullptr, 10, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectSequence({{w, WM_WINDOWPOSCHANGING}, {w, WM_WINDOWPOSCHANGED}, {w, WM_MOVE}, {w, WM_SIZE}},
                   "move and size");
    MoveWindow(w, 30, 40, 300, 200, TRUE);
    ExpectSequence({{w, WM_WINDOWPOSCHANGING}, {w, WM_WINDOWPOSCHANGED}, {w, WM_MOVE}}, "a move alone");
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    ExpectSequence({{w, WM_WINDOWPOSCHANGING}, {w, WM_WINDOWPOSCHANGED}}, "nothing changes");

    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    // The DC taken at 100 x 80 draws anywhere in the window's new size.
    EXPECT_NE(SetPixel(held, 250, 150, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(GetPixel(held, 250, 150), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(held, 300, 150), CLR_INVALID);
    EXPECT_EQ(WindowFromDC(held), w);
    EXPECT_EQ(ReleaseDC(w, held), 1);
}

TEST_F(WindowTest, PaintingErasesWithTheClassBrushParentFirstAndChildrenAreClipped) {
    HWND w = Make(u"Main", WS_VISIBLE, nullptr, 0, {0, 0, 100, 100});
    HWND child = Make(u"Child", WS_CHILD | WS_VISIBLE, w, 1, {20, 20, 60, 60});
    Log().Ignored = {WM_MOVE, WM_SIZE};
    // The child paints everything black; the DC keeps it inside the child.
    Hook(child, [](HWND window, UINT m, WPARAM, LPARAM, LRESULT* result) {
        if (m != WM_PAINT) return false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT huge{-1000, -1000, 1000, 1000};
        FillRect(dc, &huge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(window, &ps);
        *result = 0;
        return true;
    });
    Log().Entries.clear();
    Pump();
    ExpectSequence({{w, WM_PAINT}, {w, WM_ERASEBKGND}, {child, WM_PAINT}, {child, WM_ERASEBKGND}},
                   "first paint: parent, then child");
    HDC dc = GetDC(w);
    EXPECT_EQ(GetPixel(dc, 30, 30), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 10, 10), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 60, 60), RGB(255, 255, 255));
    ReleaseDC(w, dc);

    // Invalidating the child alone repaints only it; without erase, no WM_ERASEBKGND.
    InvalidateRect(child, nullptr, FALSE);
    Pump();
    ExpectSequence({{child, WM_PAINT}}, "child invalidated without erase");
    ValidateRect(w, nullptr);
    Pump();
    ExpectSequence({}, "nothing left to paint");
}

TEST_F(WindowTest, ActivationMovesFromOneTopLevelWindowToAnother) {
    HWND a = Make(u"A", WS_VISIBLE);
    HWND b = Make(u"B", WS_VISIBLE);
    Log().Ignored = {WM_PAINT, WM_ERASEBKGND};
    Log().Entries.clear();
    SetForegroundWindow(a);
    ExpectSequence({{b, WM_ACTIVATE}, {a, WM_ACTIVATE}, {b, WM_KILLFOCUS}, {a, WM_SETFOCUS}}, "activate a");
    EXPECT_EQ(GetForegroundWindow(), a);
    EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a) << "the active window is raised";

    HWND child = Make(u"Child", WS_CHILD | WS_VISIBLE, a, 3);
    Log().Entries.clear();
    EXPECT_EQ(SetFocus(child), a);
    ExpectSequence({{a, WM_KILLFOCUS}, {child, WM_SETFOCUS}}, "focus to a child");
    EnableWindow(child, FALSE);
    ExpectSequence({{child, WM_KILLFOCUS}, {child, WM_ENABLE}}, "a disabled window loses the focus");
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(EnableWindow(child, TRUE));

    // Destroying the active window activates the one left.
    Log().Ignored = {WM_PAINT,   WM_ERASEBKGND, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
                     WM_DESTROY, WM_NCDESTROY};
    Log().Entries.clear();
    DestroyWindow(a);
    EXPECT_EQ(GetActiveWindow(), b);
    EXPECT_EQ(GetFocus(), b);
}

TEST_F(WindowTest, DestroyingAParentSendsDestroyDownAndNcDestroyUp) {
    HWND w = Make(u"Parent", WS_VISIBLE);
    HWND c1 = Make(u"C1", WS_CHILD | WS_VISIBLE, w, 1);
    HWND c2 = Make(u"C2", WS_CHILD, w, 2);
    HWND grand = Make(u"G", WS_CHILD, c1, 3);
    SetTimer(c2, 9, 100, nullptr);
    PostMessageW(c1, WM_USER, 0, 0);
    Log().Ignored = {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATE, WM_KILLFOCUS, WM_SHOWWINDOW};
    Log().Entries.clear();
    EXPECT_TRUE(DestroyWindow(w));
    ExpectSequence({{w, WM_DESTROY},
                    {c1, WM_DESTROY},
                    {grand, WM_DESTROY},
                    {c2, WM_DESTROY},
                    {grand, WM_NCDESTROY},
                    {c1, WM_NCDESTROY},
                    {c2, WM_NCDESTROY},
                    {w, WM_NCDESTROY}},
                   "parent with children");
    for (HWND h : {w, c1, c2, grand})
        EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    // The dead windows' posted messages and timers went with them.
    Pump();
    ExpectSequence({}, "nothing is delivered to destroyed windows");
}

TEST_F(WindowTest, AProcedureMayDestroyItsOwnWindowAndOwnedWindowsGoFirst) {
    HWND owner = Make(u"Owner", 0);
    HWND w =
        CreateWindowExW(0, LoggingClass, u"Self", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetParent(w), owner);
    EXPECT_EQ(GetWindow(w, GW_OWNER), owner);
    Hook(w, [](HWND window, UINT m, WPARAM, LPARAM, LRESULT* result) {
        if (m != WM_USER) return false;
        DestroyWindow(window);
        // The record outlives the call; the handle is already refused.
        *result = IsWindow(window) ? 1 : 2 + LRESULT(GetWindowLongPtrW(window, GWLP_USERDATA));
        return true;
    });
    Log().Entries.clear();
    EXPECT_EQ(SendMessageW(w, WM_USER, 0, 0), 2);
    ExpectSequence({{w, WM_USER}, {w, WM_DESTROY}, {w, WM_NCDESTROY}}, "self-destruction");
    EXPECT_EQ(SendMessageW(w, WM_USER, 0, 0), 0);

    HWND popup =
        CreateWindowExW(0, LoggingClass, u"Owned", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    Log().Entries.clear();
    DestroyWindow(owner);
    ExpectSequence({{popup, WM_DESTROY}, {popup, WM_NCDESTROY}, {owner, WM_DESTROY}, {owner, WM_NCDESTROY}},
                   "owned windows are destroyed before their owner");
}

TEST_F(WindowTest, DestroyingFromInsideWmDestroyIsRefusedNotRepeated) {
    HWND w = Make(u"Parent", WS_VISIBLE);
    HWND child = Make(u"Child", WS_CHILD | WS_VISIBLE, w, 1);
    SetFocus(child);
    // The child destroys itself and its parent again while they are being destroyed.
    Hook(child, [](HWND window, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m == WM_DESTROY) {
            EXPECT_FALSE(DestroyWindow(window));
            EXPECT_FALSE(DestroyWindow(GetParent(window)));
        }
        return false;
    });
    Log().Ignored = {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATE, WM_SHOWWINDOW, WM_PAINT,
                     WM_ERASEBKGND};
    Log().Entries.clear();
    DestroyWindow(w);
    ExpectSequence({{child, WM_KILLFOCUS},
                    {w, WM_DESTROY},
                    {child, WM_DESTROY},
                    {child, WM_NCDESTROY},
                    {w, WM_NCDESTROY}},
                   "each window is destroyed once");
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowTest, DefaultPlacementIsAPortraitWindowThatFitsTheScreen) {
    PlatformSetScreenSize(1920, 1080);
    HWND wide = CreateWindowExW(0, LoggingClass, u"Wide", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    PlatformSetScreenSize(480, 800);
    HWND tall = CreateWindowExW(0, LoggingClass, u"Tall", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, LoggingClass, u"Bar", WS_CHILD, 5, 5, CW_USEDEFAULT, CW_USEDEFAULT, tall,
                                 nullptr, nullptr, nullptr);
    PlatformSetScreenSize(PlatformDefaultScreenWidth, PlatformDefaultScreenHeight);
    RECT r;
    GetWindowRect(wide, &r);
    EXPECT_EQ(r.bottom - r.top, 972);
    EXPECT_EQ(r.right - r.left, 583);
    EXPECT_EQ(r.left, (1920 - 583) / 2);
    GetWindowRect(tall, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 480);
    EXPECT_EQ(r.bottom, 800);
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 0) << "a child's default size is 0";
    POINT p{10, 10};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 15);
    ScreenToClient(tall, &p);
    EXPECT_EQ(p.y, 15);
}

TEST_F(WindowTest, SendMessageIsADirectReentrantCall) {
    HWND w = Make(u"Main", 0);
    // WM_USER with n answers n + the answer for n - 1, sending itself the smaller question first.
    Hook(w, [](HWND window, UINT m, WPARAM n, LPARAM, LRESULT* result) {
        if (m != WM_USER) return false;
        *result = LRESULT(n) + (n > 0 ? SendMessageW(window, WM_USER, n - 1, 0) : 0);
        return true;
    });
    Log().Entries.clear();
    EXPECT_EQ(SendMessageW(w, WM_USER, 4, 0), 10);
    ASSERT_EQ(Log().Entries.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(Log().Entries[i].WParam, 4 - i) << "entered in order, each before the last returned";
    Log().Entries.clear();
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(0x1234), WM_USER, 1, 0), 0) << "a made-up handle";
}

TEST_F(WindowTest, TheQuitMessageComesAfterWhatWasPostedAndCarriesItsCode) {
    HWND w = Make(u"Main", 0);
    Log().Entries.clear();
    PostMessageW(w, WM_USER, 1, 0);
    PostQuitMessage(42);
    PostMessageW(w, WM_USER, 2, 0);
    MSG msg;
    std::vector<WPARAM> seen;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        seen.push_back(msg.wParam);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2}));
    EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(0x99), 0, 0), -1) << "a bad window filter";
}

TEST_F(WindowTest, PeekingLeavesMessagesAndFiltersByWindowAndRange) {
    HWND a = Make(u"A", 0);
    HWND b = Make(u"B", 0);
    PostMessageW(a, WM_USER + 1, 1, 0);
    PostMessageW(b, WM_USER + 2, 2, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u) << "b's message first when asking for b";
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 9, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x77), WM_USER, 0, 0));
}

TEST_F(WindowTest, ModalLoopsNestAndEachEndsOnItsOwnSignal) {
    HWND w = Make(u"Main", 0);
    static std::vector<int> order;
    order.clear();
    // WM_USER + n runs a loop of its own until WM_USER + 10 + n arrives; inside, loop 1 starts loop 2.
    Hook(w, [](HWND window, UINT m, WPARAM, LPARAM, LRESULT* result) {
        if (m != WM_USER + 1 && m != WM_USER + 2) return false;
        int level = int(m - WM_USER);
        order.push_back(level);
        if (level == 1) PostMessageW(window, WM_USER + 2, 0, 0);
        PostMessageW(window, WM_USER + 10 + UINT(level), 0, 0);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_USER + 10 + UINT(level))
            DispatchMessageW(&msg);
        order.push_back(-level);
        *result = 0;
        return true;
    });
    SendMessageW(w, WM_USER + 1, 0, 0);
    // Loop 2 started inside loop 1 and ended first; loop 1's end signal waited behind it.
    EXPECT_EQ(order, (std::vector<int>{1, 2, -2, -1}));
}

TEST_F(WindowTest, WindowLongsTextAndExtraBytesAreBounded) {
    HWND w = Make(u"Title", 0, nullptr, 0);
    EXPECT_EQ(GetWindowTextLengthW(w), 5);
    WCHAR buffer[4];
    EXPECT_EQ(GetWindowTextW(w, buffer, 4), 3);
    EXPECT_EQ(std::u16string(buffer), u"Tit");
    EXPECT_TRUE(SetWindowTextW(w, u"Other"));
    EXPECT_EQ(FindWindowW(LoggingClass, u"OTHER"), w);
    EXPECT_EQ(SetWindowLongW(w, DWL_MSGRESULT, 77), 0);
    EXPECT_EQ(GetWindowLongW(w, DWL_MSGRESULT), 77);
    EXPECT_EQ(SetWindowLongPtrW(w, 8, 5), 0);
    EXPECT_EQ(GetWindowLongPtrW(w, 8), 5);
    EXPECT_EQ(SetWindowLongPtrW(w, 9, 5), 0) << "past the 16 extra bytes";
    EXPECT_EQ(GetWindowLongW(w, GWL_WNDPROC), 0) << "a procedure does not fit 32 bits";
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(LoggingProc));
    EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & LONG(WS_VISIBLE), 0);
}

} // namespace
