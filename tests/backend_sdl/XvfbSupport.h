// XvfbSupport.h: what the Xvfb tests share: the backend opened once for the run, a pump that
// waits for a kind of event, the outside tools (xdotool, xclip) run as commands, the screen read
// back through Xlib, pictures as PNG files, and programs started as real windows. The test's own
// X connection is separate from the backend's.
#pragma once

#include "platform/backend/sdl/SdlBackend.h"

// GoogleTest first: Xlib's macros (None, Bool) would rename its identifiers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

// The backend, opened on first use; null (and the test skips) without a display.
const Backend* XvfbBackend();
// A forked child calls this so that its exit leaves the parent's backend alone.
void XvfbSkipCloseAtExit();
// The test's own connection to the display.
Display* XvfbDisplay();

// Waits up to ms for an event of kind (others are dropped); false when none came.
bool XvfbWaitFor(BackendEventKind kind, BackendEvent* event, int ms = 2000);
// Every event that arrives within ms, or until enough (when given) says the events suffice: a
// loaded machine gets the whole time, an idle one does not wait it out.
using XvfbEnough = std::function<bool(const std::vector<BackendEvent>&)>;
std::vector<BackendEvent> XvfbCollect(int ms, const XvfbEnough& enough = nullptr);

// Runs a command through the shell; its exit status / its standard output.
int XvfbRun(const std::string& command);
std::string XvfbOutput(const std::string& command);
// A file in a fresh folder for this run.
std::string XvfbTempPath(const char* name);
void XvfbWriteFile(const std::string& path, const std::string& bytes);

// The screen's pixels in a rectangle, as 0x00RRGGBB.
std::vector<uint32_t> XvfbGrab(int x, int y, int width, int height);

// The X window id of the top-level window titled title (xdotool search), 0 when none.
unsigned long XvfbFindWindow(const char* title);

// A window's place and size on the screen, frame included (xdotool getwindowgeometry).
struct XvfbGeometry {
    int X, Y, Width, Height;
};
XvfbGeometry XvfbWindowGeometry(unsigned long window);
// The ids of the top-level windows shown now (xdotool search --onlyvisible).
std::set<unsigned long> XvfbShownWindows();
// The program's shown window of that title, waiting up to 5 s for it; 0 when none came.
unsigned long XvfbWaitForShownWindow(const char* title);

// A PNG's pixels as 0x00RRGGBB, row by row (empty when it cannot be read); and the other way.
std::vector<uint32_t> XvfbReadPng(const std::string& path, int* width, int* height);
bool XvfbWritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

// Starts a program as a real window with its own settings file (KESTROVA_REGISTRY); its pid.
pid_t XvfbStartProgram(const char* program, const std::string& registry);
// Waits up to ms for the child to end; kills it when it does not. True when it ended by itself.
bool XvfbAwaitExit(pid_t child, int ms);
std::string XvfbReadFile(const std::string& path);
// The reader's settings file for a run: the face pinned (so no first-run font dialog opens), then
// `values` (lines such as "\"Lesson\"=dword:00000007\r\n").
std::string XvfbReaderSettings(const std::string& values = "");

inline HWND XvfbHandle(uintptr_t n) {
    return reinterpret_cast<HWND>(n);
}

#define XVFB_REQUIRE_BACKEND()                                                                               \
    if (XvfbBackend() == nullptr) GTEST_SKIP() << "no X display"
