// XvfbWaylandTest.cpp: the demo in a pure Wayland session: a Wayland compositor (Debian's weston,
// drawing into a window of the test's X server) and the demo started with WAYLAND_DISPLAY and no
// DISPLAY, so that SDL's Wayland driver shows it. A tap on its tiles, given through the X server to
// the compositor and from there to the demo, changes their colour on the screen (the screen is
// written as real_wayland.png in the run's folder). Skipped where weston is not installed.
#include "XvfbSupport.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* SocketName = "kestrova-test";
// The demo's tiles before the first tap and after it (its TileColours), as the screen holds them.
constexpr uint32_t TilesUntapped = 0xC83C3C;
constexpr uint32_t TilesTappedOnce = 0x3CA050;

bool HaveWeston() {
    return XvfbRun("command -v weston >/dev/null 2>&1") == 0;
}

// The compositor as a window of the X server, with its Wayland socket in runtime.
pid_t StartCompositor(const std::string& runtime) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        std::string socket = std::string("--socket=") + SocketName;
        std::string log = "--log=" + runtime + "/weston.log";
        // The kiosk shell: no panel whose launcher a stray click could start.
        execlp("weston", "weston", "--backend=x11-backend.so", "--shell=kiosk-shell.so", "--use-pixman",
               "--width=480", "--height=800", "--no-config", "--idle-time=0", socket.c_str(), log.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

pid_t StartDemoOnWayland(const std::string& runtime) {
    pid_t pid = fork();
    if (pid == 0) {
        unsetenv("DISPLAY");
        setenv("WAYLAND_DISPLAY", SocketName, 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("KESTROVA_REGISTRY", (runtime + "/demo.reg").c_str(), 1);
        execl(KESTROVA_WINDEMO, KESTROVA_WINDEMO, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

struct Spot {
    int X = -1, Y = -1;
};

// The middle of the screen's pixels of one colour, waiting up to 10 s for them; X -1 when none came.
Spot CentreOf(uint32_t colour) {
    Display* display = XvfbDisplay();
    int width = DisplayWidth(display, DefaultScreen(display)),
        height = DisplayHeight(display, DefaultScreen(display));
    for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        std::vector<uint32_t> screen = XvfbGrab(0, 0, width, height);
        int left = width, top = height, right = -1, bottom = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (screen[size_t(y) * width + x] == colour) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        if (right >= 0) return {(left + right) / 2, (top + bottom) / 2};
    }
    return {};
}

// The whole screen as it is, to be looked at (the run's folder).
void WriteScreen(const std::string& path) {
    Display* display = XvfbDisplay();
    int width = DisplayWidth(display, DefaultScreen(display)),
        height = DisplayHeight(display, DefaultScreen(display));
    XvfbWritePng(path, XvfbGrab(0, 0, width, height), width, height);
}

void Stop(pid_t child) {
    if (child <= 0) return;
    kill(child, SIGTERM);
    XvfbAwaitExit(child, 5000);
}

} // namespace

TEST(XvfbWayland, TheDemoShowsAndTakesATapWithoutAnXDisplay) {
    XVFB_REQUIRE_BACKEND();
    if (!HaveWeston()) GTEST_SKIP() << "weston is not installed (scripts/setup.sh --with-tests installs it)";
    std::string runtime = XvfbTempPath("wayland");
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    pid_t compositor = StartCompositor(runtime);
    std::string socket = runtime + "/" + SocketName;
    struct stat st;
    for (int i = 0; i < 100 && stat(socket.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(stat(socket.c_str(), &st), 0) << "weston made no Wayland socket";
    pid_t demo = StartDemoOnWayland(runtime);
    Spot tiles = CentreOf(TilesUntapped);
    EXPECT_GE(tiles.X, 0) << "the demo's tiles never showed";
    if (tiles.X >= 0) {
        // The compositor takes the move before the press, or it presses where the pointer was.
        XvfbRun("xdotool mousemove --sync " + std::to_string(tiles.X) + " " + std::to_string(tiles.Y));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        XvfbRun("xdotool click 1");
        Spot tapped = CentreOf(TilesTappedOnce);
        EXPECT_GE(tapped.X, 0) << "the tap did not reach the demo";
    }
    WriteScreen(XvfbTempPath("real_wayland.png"));
    int status = 0;
    EXPECT_EQ(waitpid(demo, &status, WNOHANG), 0) << "the demo ended by itself";
    Stop(demo);
    Stop(compositor);
}
