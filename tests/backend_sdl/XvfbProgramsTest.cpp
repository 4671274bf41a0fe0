// XvfbProgramsTest.cpp: programs as real windows on the virtual display, driven with xdotool: the
// demo against the same program run headless with the same taps (the window's pixels are the
// same), and the reader through a day's use: a tap, a key, the Varni menu, the index by Ctrl+D,
// Ctrl+Q, the settings file, and a second start at the same place.
#include "XvfbSupport.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The taps, relative to the window: twice on the tiles, once on the notes; then the typed words.
const int Taps[][2] = {{60, 60}, {120, 90}, {60, -60}};
constexpr const char* Typed = "Baruch haba"; // no M or T, the keys of the demo's commands

int TapY(int y, int height) {
    return y < 0 ? height + y : y;
}

} // namespace

TEST(XvfbDemo, ARealWindowShowsWhatTheHeadlessRunShows) {
    XVFB_REQUIRE_BACKEND();
    Display* display = XvfbDisplay();
    int screenWidth = DisplayWidth(display, DefaultScreen(display));
    int screenHeight = DisplayHeight(display, DefaultScreen(display));
    pid_t demo = fork();
    if (demo == 0) {
        execl(KESTROVA_WINDEMO, KESTROVA_WINDEMO, static_cast<char*>(nullptr));
        _exit(127);
    }
    unsigned long window = 0;
    for (int i = 0; i < 100 && window == 0; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        window = XvfbFindWindow("Windows demo");
    ASSERT_NE(window, 0u) << "the demo's window did not appear";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    XvfbGeometry g = XvfbWindowGeometry(window);
    for (const auto& tap : Taps) {
        int x = tap[0], y = TapY(tap[1], g.Height);
        XvfbRun("xdotool mousemove --sync " + std::to_string(g.X + x) + " " + std::to_string(g.Y + y) +
                " click 1");
    }
    XvfbRun(std::string("xdotool type --delay 20 '") + Typed + "'");
    // The headless run places the same window on a screen of the same size. It names a settings file
    // of its own: with the same one it would be the running demo's second copy, and make no window.
    std::string shot = XvfbTempPath("headless.png");
    std::string headlessDemo = "KESTROVA_REGISTRY=" + XvfbTempPath("headless.reg") + " " + KESTROVA_WINDEMO;
    std::string state = XvfbOutput(headlessDemo + " --headless -e 'size " + std::to_string(screenWidth) +
                                   " " + std::to_string(screenHeight) + "; wait; state; quit'");
    const std::string needle = "\"Windows demo\",\"Id\":0,\"Rect\":[";
    size_t rect = state.find(needle);
    ASSERT_NE(rect, std::string::npos) << state;
    int left = 0, top = 0, right = 0, bottom = 0;
    std::sscanf(state.c_str() + rect + needle.size(), "%d,%d,%d,%d", &left, &top, &right, &bottom);
    ASSERT_EQ(right - left, g.Width);
    ASSERT_EQ(bottom - top, g.Height);
    std::string taps = "size " + std::to_string(screenWidth) + " " + std::to_string(screenHeight) + "; wait";
    for (const auto& tap : Taps)
        taps += "; tap " + std::to_string(left + tap[0]) + " " +
                std::to_string(top + TapY(tap[1], g.Height)) + "; wait";
    XvfbOutput(headlessDemo + " --headless -e '" + taps + "; type \"" + Typed + "\"; wait; screenshot " + shot +
               "; quit'");
    int width = 0, height = 0;
    std::vector<uint32_t> headless = XvfbReadPng(shot, &width, &height);
    ASSERT_EQ(width, screenWidth);
    // The real window may take a moment to show the last tap: compare until it matches or time is up.
    int differing = -1;
    for (int i = 0; i < 40 && differing != 0;
         ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        std::vector<uint32_t> real = XvfbGrab(g.X, g.Y, g.Width, g.Height);
        differing = 0;
        for (int y = 0; y < g.Height; ++y)
            for (int x = 0; x < g.Width; ++x)
                differing += real[size_t(y) * g.Width + x] != headless[size_t(top + y) * width + left + x];
    }
    kill(demo, SIGTERM);
    waitpid(demo, nullptr, 0);
    EXPECT_EQ(differing, 0) << "pixels of the real window that differ from the headless run";
}

TEST(XvfbReader, ADaysUseByTapKeysAndMenuIsKeptForTheNextStart) {
    XVFB_REQUIRE_BACKEND();
    std::string registry = XvfbTempPath("reader.reg");
    XvfbWriteFile(registry, XvfbReaderSettings());
    pid_t reader = XvfbStartProgram(KESTROVA_READER, registry);
    unsigned long window = XvfbWaitForShownWindow("Kestrova");
    ASSERT_NE(window, 0u) << "the reader's window did not appear";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    XvfbGeometry g = XvfbWindowGeometry(window);
    auto click = [&](int x, int y) {
        XvfbRun("xdotool mousemove --sync " + std::to_string(g.X + x) + " " + std::to_string(g.Y + y) +
                " click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    auto key = [&](const char* keys) {
        // As typed (XTEST), to the window that has the keyboard: sent to a named window, a key that
        // closes it (Ctrl+Q) loses its release, and the server holds it down for the next test.
        XvfbRun(std::string("xdotool key ") + keys);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    click(g.Width / 2, g.Height / 3); // the lower half of the top pane: a page forward
    key("Right");                     // the next article
    click(50, g.Height - 16);         // the Varni button of the bar at the bottom
    key("Down Down Return");          // 1/3 Screen, the popup's second item
    // The index opens by Ctrl+D, over the reader.
    key("ctrl+d");
    EXPECT_NE(XvfbFindWindow("Choose Section"), 0u);
    key("Escape");
    key("ctrl+q");
    EXPECT_TRUE(XvfbAwaitExit(reader, 5000)) << "Ctrl+Q ends the reader";
    std::string settings = XvfbReadFile(registry);
    EXPECT_NE(settings.find("\"Lesson\"=dword:00000003"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"BottomSection\"=dword:0000000d"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"LastPosition\"=dword:"), std::string::npos) << settings;
    // A second start, headless, from the settings the real run left: the same article and split.
    std::string state = XvfbOutput("KESTROVA_REGISTRY=" + registry + " " + KESTROVA_READER +
                                   " --headless -e 'wait; state; quit'");
    EXPECT_NE(state.find("\"Lesson\":3"), std::string::npos) << "a second start shows the same place";
    EXPECT_NE(state.find("\"BottomSection\":13"), std::string::npos);
}

// The desktop asks a reader to end (SIGTERM, as at the end of a session): a second start that
// waits for the first copy's index gives up at once, and the first copy closes its dialog and its
// window in order, so the settings file keeps its place.
TEST(XvfbReader, EndsInOrderWhenTheDesktopAsks) {
    XVFB_REQUIRE_BACKEND();
    std::string registry = XvfbTempPath("ending.reg");
    XvfbWriteFile(registry, XvfbReaderSettings("\"Lesson\"=dword:00000007\r\n"));
    pid_t first = XvfbStartProgram(KESTROVA_READER, registry);
    ASSERT_NE(XvfbWaitForShownWindow("Kestrova"), 0u) << "the reader's window did not appear";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // The first copy is in front: the second asks it to open its index and waits for the answer.
    pid_t second = XvfbStartProgram(KESTROVA_READER, registry);
    EXPECT_NE(XvfbWaitForShownWindow("Choose Section"), 0u) << "the second start opens the index";
    EXPECT_EQ(waitpid(second, nullptr, WNOHANG), 0) << "the second start waits while the index is open";
    kill(second, SIGTERM);
    EXPECT_TRUE(XvfbAwaitExit(second, 2000)) << "SIGTERM ends a second start that waits";
    kill(first, SIGTERM);
    EXPECT_TRUE(XvfbAwaitExit(first, 5000)) << "SIGTERM ends the reader with its index open";
    std::string settings = XvfbReadFile(registry);
    EXPECT_NE(settings.find("\"Lesson\"=dword:00000007"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"LastPosition\"=dword:"), std::string::npos)
        << "saved on the way out: " << settings;
}
