// Input, timers, accelerators, message boxes and the headless script driver: keys and typed text
// as messages, the virtual clock, modal boxes inside modal boxes, the script's errors, and the demo
// program's screenshot against its golden picture.
#include "GdiTestSupport.h"
#include "WindowTestSupport.h"
#include "platform/backend/headless/Headless.h"
#include "platform/user/ScriptHooks.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::vector<MSG> Drain(bool translate) {
    std::vector<MSG> seen;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        seen.push_back(msg);
        if (translate) TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return seen;
}

TEST_F(WindowTest, KeysAndTypedTextBecomeKeyAndCharacterMessages) {
    HWND w = Make(u"Main", WS_VISIBLE);
    Headless("key A ctrl; type \"a\xF0\x9F\x98\x80\"; key Return; key F4 alt; quit");
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const MSG& m : Drain(true))
        if (m.hwnd == w && m.message != WM_PAINT && m.message != WM_KEYUP && m.message != WM_SYSKEYUP)
            got.emplace_back(m.message, m.wParam);
    std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'A'},       {WM_CHAR, 1},            // Ctrl+A
        {WM_KEYDOWN, VK_PACKET},  {WM_CHAR, 'a'},          {WM_KEYDOWN, VK_PACKET}, // typed text
        {WM_CHAR, 0xD83D},        {WM_KEYDOWN, VK_PACKET}, {WM_CHAR, 0xDE00},       // one unit each
        {WM_KEYDOWN, VK_RETURN},  {WM_CHAR, '\r'},                                  //
        {WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, VK_F4},  {WM_CLOSE, 0}};          // Alt+F4
    EXPECT_EQ(got, expected);
    EXPECT_FALSE(IsWindow(w)) << "Alt+F4 went to DefWindowProcW, which closed the window";
    EXPECT_GE(GetKeyState(VK_CONTROL), 0) << "Ctrl is up again";
}

TEST_F(WindowTest, TapsGoToTheChildUnderThePointerAndTheWheelToTheFocus) {
    HWND w = Make(u"Main", WS_VISIBLE, nullptr, 0, {100, 100, 300, 300});
    HWND child = Make(u"Child", WS_CHILD | WS_VISIBLE, w, 1, {50, 60, 150, 160});
    Headless("tap 160 170; wheel 120 120 -240; down 110 110; move 400 400; up 400 400; quit");
    SetCapture(nullptr);
    Hook(w, [](HWND window, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m == WM_LBUTTONDOWN) SetCapture(window);
        if (m == WM_LBUTTONUP) ReleaseCapture();
        return false;
    });
    std::vector<MSG> pointer;
    for (const MSG& m : Drain(false))
        if (m.message >= WM_MOUSEMOVE && m.message <= WM_MOUSEWHEEL) pointer.push_back(m);
    ASSERT_EQ(pointer.size(), 6u);
    EXPECT_EQ(pointer[0].hwnd, child);
    EXPECT_EQ(pointer[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(pointer[0].lParam, MAKELPARAM(10, 10)) << "client coordinates of the child";
    EXPECT_EQ(pointer[2].message, WM_MOUSEWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(pointer[2].wParam), -240);
    EXPECT_EQ(pointer[2].lParam, MAKELPARAM(120, 120)) << "screen coordinates";
    // With the capture, the move and the release outside the window still reach it.
    EXPECT_EQ(pointer[4].hwnd, w);
    EXPECT_EQ(pointer[4].message, WM_MOUSEMOVE);
    EXPECT_EQ(pointer[4].lParam, MAKELPARAM(300, 300));
    EXPECT_EQ(pointer[5].message, WM_LBUTTONUP);
}

TEST_F(WindowTest, TimersFireOnTheVirtualClockInOrder) {
    HWND w = Make(u"Main", 0);
    DWORD start = 0;
    Headless("wait 350; quit");
    start = GetTickCount();
    SetTimer(w, 1, 100, nullptr);
    SetTimer(w, 2, 150, nullptr);
    std::vector<std::pair<WPARAM, DWORD>> fired;
    for (const MSG& m : Drain(false))
        if (m.message == WM_TIMER) fired.emplace_back(m.wParam, m.time - start);
    std::vector<std::pair<WPARAM, DWORD>> expected = {{1, 100}, {2, 150}, {1, 200}, {1, 300}, {2, 300}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(GetTickCount() - start, 350u);
    EXPECT_FALSE(KillTimer(w, 3));
}

TEST_F(WindowTest, AcceleratorsFromResourcesSendCommandsWithHighWordOne) {
    HWND w = Make(u"Main", WS_VISIBLE);
    EXPECT_EQ(LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(3)), nullptr) << "no table 3";
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(5));
    ASSERT_NE(table, nullptr);
    Headless("key F3; key D ctrl; key D; type q; quit");
    std::vector<WPARAM> commands;
    Hook(w, [](HWND, UINT m, WPARAM, LPARAM, LRESULT*) { return m == WM_COMMAND; });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(w, table, &msg)) continue;
        EXPECT_EQ(TranslateAcceleratorW(w, nullptr, &msg), 0);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (const LoggedMessage& m : Log().Entries)
        if (m.Message == WM_COMMAND) commands.push_back(m.WParam);
    EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(117, 1), MAKEWPARAM(119, 1), MAKEWPARAM(40005, 1)}));
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
}

TEST_F(WindowTest, AMessageBoxInsideAMessageBoxAnswersEachInTurnAndEnablesTheOwnerAfter) {
    HWND w = Make(u"Main", WS_VISIBLE);
    static int inner;
    inner = 0;
    // The owner's timer fires inside the outer box's loop and opens the inner box.
    Hook(w, [](HWND window, UINT m, WPARAM, LPARAM, LRESULT* result) {
        if (m != WM_TIMER) return false;
        KillTimer(window, 1);
        EXPECT_FALSE(IsWindowEnabled(window)) << "the outer box disabled its owner";
        inner = MessageBoxW(window, u"Inner", nullptr, MB_OK | MB_ICONSTOP);
        *result = 0;
        return true;
    });
    SetTimer(w, 1, 50, nullptr);
    Headless("wait 100; key Return; answer Yes; key Escape; quit");
    PlatformClearMessageBoxLog();
    int outer = MessageBoxW(w, u"Outer", u"Question", MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(inner, IDOK);
    EXPECT_EQ(outer, IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(w));
    EXPECT_EQ(GetActiveWindow(), w) << "the owner is active again";
    EXPECT_EQ(MessageBoxW(w, u"Pre-answered", u"Q", MB_YESNO), IDYES);
    const auto& log = PlatformMessageBoxLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].Text, u"Outer");
    EXPECT_EQ(log[1].Caption, u"Error");
    EXPECT_EQ(log[1].Answer, IDOK);
    EXPECT_EQ(log[2].Answer, IDYES);
}

TEST_F(WindowTest, MessageBoxButtonsAnswerToArrowsTabsAndUnderlinedLetters) {
    HWND w = Make(u"Main", WS_VISIBLE);
    Headless("key Right; key Return; key C; key Y alt; key Tab; key Tab; key Return; key Escape; quit");
    EXPECT_EQ(MessageBoxW(w, u"One", u"Q", MB_YESNOCANCEL), IDNO) << "Right moves to No";
    EXPECT_EQ(MessageBoxW(w, u"Two", u"Q", MB_YESNOCANCEL), IDYES) << "Cancel has no letter; Alt+Y is Yes";
    EXPECT_EQ(MessageBoxW(w, u"Three", u"Q", MB_YESNOCANCEL), IDCANCEL) << "two tabs reach Cancel";
    EXPECT_EQ(MessageBoxW(nullptr, u"Four", u"Q", MB_OK | MB_ICONEXCLAMATION), IDOK) << "Escape in an OK box";
    // After the script, the run closes the box it finds: a Yes/No box answers No.
    EXPECT_EQ(MessageBoxW(w, u"Five", u"Q", MB_YESNO), IDNO);
}

TEST_F(WindowTest, WhenTheScriptEndsTheTopmostWindowIsClosedFirstThenTheLoopQuits) {
    HWND below = Make(u"Below", WS_VISIBLE);
    HWND above = Make(u"Above", WS_VISIBLE);
    static UINT_PTR windowless;
    windowless = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) { KillTimer(nullptr, id); });
    EXPECT_NE(windowless, 0u);
    Headless("wait 20");
    Log().Ignored = {WM_PAINT,    WM_ERASEBKGND, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
                     WM_ACTIVATE, WM_SETFOCUS,   WM_KILLFOCUS,         WM_NCDESTROY};
    Log().Entries.clear();
    Pump();
    ExpectSequence({{above, WM_CLOSE}, {above, WM_DESTROY}, {below, WM_CLOSE}, {below, WM_DESTROY}},
                   "closed from the top");
    EXPECT_FALSE(KillTimer(nullptr, windowless)) << "the timer procedure killed it";
}

TEST_F(WindowTest, ScriptMistakesAreFoundBeforeAnythingRunsWithTheirLine) {
    const Backend* headless = PlatformFindBackend("headless");
    ASSERT_NE(headless, nullptr);
    struct Case {
        const char* Script;
        const char* Error;
    };
    const Case cases[] = {
        {"tap 1 2\nfly 3", "t:2: unknown command 'fly'"},
        {"# a comment\n\nkey Nope", "t:3: key NAME: unknown key 'Nope'"},
        {"key A ctrl meta", "t:1: key: 'meta' is not ctrl, alt or shift"},
        {"tap 1 1; tap x 2", "t:2: tap X Y: two screen coordinates"},
        {"size 0 10", "t:1: size W H: two sizes from 1 to 16384"},
        {"wait 600001", "t:1: wait [MS]: milliseconds from 0 to 600000"},
        {"answer Maybe", "t:1: answer BUTTON: OK, Cancel, Yes, No, Abort, Retry or Ignore"},
        {"type \"open", "t:1: a quote is not closed"},
        {"state now", "t:1: state takes no arguments"},
        {"command 70000", "t:1: command ID: a number from 0 to 65535"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(headless->LoadScript("t", c.Script, &error)) << c.Script;
        EXPECT_EQ(error, c.Error);
    }
    std::string error;
    EXPECT_TRUE(
        headless->LoadScript("t", "key PageDown shift; key f12; type a b; wheel 1 2 -120; tap -5 5", &error))
        << error;
}

TEST_F(WindowTest, ScreenshotsStackTheTopLevelWindowsAndStateListsThem) {
    HWND below = Make(u"Below", WS_VISIBLE, nullptr, 0, {10, 10, 110, 110});
    HWND above = Make(u"Above", WS_VISIBLE, nullptr, 0, {60, 60, 160, 160});
    Hook(above, [](HWND window, UINT m, WPARAM w, LPARAM, LRESULT* result) {
        if (m != WM_ERASEBKGND) return false;
        RECT all;
        GetClientRect(window, &all);
        FillRect(reinterpret_cast<HDC>(w), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        *result = 1;
        return true;
    });
    InvalidateRect(above, nullptr, TRUE);
    static std::vector<std::string> probed;
    probed.clear();
    PlatformRegisterScriptCommand("probe", [](const std::vector<std::string>& args, std::string*) {
        probed = args;
        return true;
    });
    std::string shot = testing::TempDir() + "stack-" + std::to_string(getpid()) + ".png";
    Headless(("probe a \"b; c\"; screenshot " + shot + "; quit").c_str());
    Pump();
    EXPECT_EQ(probed, (std::vector<std::string>{"a", "b; c"}));
    HBITMAP picture = PlatformLoadPng(shot.c_str());
    ASSERT_NE(picture, nullptr);
    PlatformPixels p;
    PlatformGetBitmapPixels(picture, &p);
    EXPECT_EQ(p.Width, PlatformDefaultScreenWidth);
    EXPECT_EQ(p.Pixels[20 * p.Stride + 20], 0xFFFFFFu) << "the lower window";
    EXPECT_EQ(p.Pixels[100 * p.Stride + 100], 0u) << "the upper window covers it";
    EXPECT_EQ(p.Pixels[5 * p.Stride + 5], 0x303030u) << "the desktop";
    DeleteObject(picture);
    std::remove(shot.c_str());
    (void)below;
}

TEST(WindowScript, ClipboardTakesTheRestOfItsLineAsWritten) {
    ScriptProgram program;
    std::string error;
    ASSERT_TRUE(ScriptParse("t", "tap 1 1; clipboard set \"Rich Text Format\" {\\rtf1;}  x\r\nstate",
                            &program, &error))
        << error;
    ASSERT_EQ(program.Commands.size(), 3u);
    EXPECT_EQ(program.Commands[1].Name, "clipboard");
    EXPECT_EQ(program.Commands[1].Raw, " set \"Rich Text Format\" {\\rtf1;}  x");
    EXPECT_EQ(program.Commands[2].Name, "state");
    EXPECT_EQ(program.Commands[2].Line, 2);
}

TEST(WindowScript, ClipboardEndsAtASemicolonOutsideItsText) {
    ScriptProgram program;
    std::string error;
    // As typed after -e: printing ends at a ';', a text ends at one too unless it is quoted or inside
    // an RTF document's braces (where a backslash keeps a brace from counting).
    ASSERT_TRUE(
        ScriptParse("-e",
                    "clipboard set 13 \xD7\xA9 x; clipboard; clipboard hex ;state;clipboard set 13 \"a;b\" ; "
                    "clipboard add \"Rich Text Format\" {\\rtf1{\\f0 D;}\\} ;x}; clipboard empty;quit",
                    &program, &error))
        << error;
    std::vector<std::string> names, raws;
    for (const ScriptCommand& c : program.Commands) {
        names.push_back(c.Name);
        raws.push_back(c.Raw);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"clipboard", "clipboard", "clipboard", "state", "clipboard",
                                               "clipboard", "clipboard", "quit"}));
    EXPECT_EQ(raws,
              (std::vector<std::string>{" set 13 \xD7\xA9 x", "", " hex ", "", " set 13 \"a;b\"",
                                        " add \"Rich Text Format\" {\\rtf1{\\f0 D;}\\} ;x}", " empty", ""}));
    EXPECT_EQ(program.Commands[7].Line, 8); // each command of a one-line script counts as a line
}

std::string RunDemo(const std::string& arguments, int* status) {
    PinTestFonts();
    // Tests run in parallel processes: each run writes a file of its own, and has a settings file of
    // its own. Copies with one settings file are one program: of two running at once, the second
    // could make no window, and its script would fail.
    static int runs = 0;
    std::string run =
        testing::TempDir() + "windemo-" + std::to_string(getpid()) + "-" + std::to_string(++runs);
    std::string out = run + ".txt";
    std::string command = "KESTROVA_REGISTRY='" + run + ".reg' " + std::string(KESTROVA_WINDEMO) + " " +
                          arguments + " > " + out + " 2>&1";
    *status = std::system(command.c_str());
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(out.c_str());
    std::remove((run + ".reg").c_str());
    return text.str();
}

TEST(WindowDemo, AScriptedRunMatchesTheGoldenScreenshot) {
    std::string shot = testing::TempDir() + "windemo-" + std::to_string(getpid()) + ".png";
    int status = 0;
    std::string output = RunDemo("--headless -e 'tap 240 200; tap 240 600; type \"Shalom, world\"; key T; "
                                 "wait 1000; key M; screenshot " +
                                     shot + "; type n; state'",
                                 &status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("\"Demo\":{\"Taps\":1,\"Answer\":7,\"Ticks\":5,\"Typed\":\"Shalom, world\"}"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("{\"Class\":\"WinDemoPanel\",\"Text\":\"Tiles\",\"Id\":1,\"Rect\":[8,8,472,396],"
                          "\"Visible\":true,\"Focus\":false}"),
              std::string::npos)
        << output;
    HBITMAP got = PlatformLoadPng(shot.c_str());
    HBITMAP golden = PlatformLoadPng(KESTROVA_GOLDEN_DIR "/windemo.png");
    ASSERT_NE(got, nullptr);
    ASSERT_NE(golden, nullptr)
        << "write it with: kestrova-windemo --headless -e '...; screenshot windemo.png'";
    PlatformPixels a, b;
    PlatformGetBitmapPixels(got, &a);
    PlatformGetBitmapPixels(golden, &b);
    ASSERT_EQ(a.Width, b.Width);
    ASSERT_EQ(a.Height, b.Height);
    int different = 0;
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x)
            different += a.Pixels[y * a.Stride + x] != b.Pixels[y * b.Stride + x];
    EXPECT_EQ(different, 0);
    DeleteObject(got);
    DeleteObject(golden);
    std::remove(shot.c_str());
}

TEST(WindowDemo, AScriptErrorStopsTheRunWithItsLine) {
    int status = 0;
    std::string output = RunDemo("-e 'tap 1 1; screenshot /nonexistent/dir/x.png; state'", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("-e:2: screenshot: cannot write /nonexistent/dir/x.png"), std::string::npos)
        << output;
    EXPECT_EQ(output.find("\"Windows\""), std::string::npos) << "nothing after the failing line ran";
    output = RunDemo("--headless -e 'jump'", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("-e:1: unknown command 'jump'"), std::string::npos) << output;
}

} // namespace
