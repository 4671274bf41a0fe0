// XvfbSupport.h: what the Xvfb tests share: the backend opened once for the run, a pump that
// waits for a kind of event, the outside tools (xdotool, xclip) run as commands, programs started as
// real windows, files and PNGs read back, and the screen read back through Xlib. The test's own X
// connection is separate from the backend's.
#pragma once

#include "platform/backend/sdl/SdlBackend.h"

// GoogleTest first: Xlib's macros (None, Bool) would rename its identifiers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
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
// A whole file's bytes (empty when it cannot be read).
std::string XvfbReadFile(const std::string& path);
// A PNG's pixels as 0x00RRGGBB, row by row; empty when it cannot be read.
std::vector<uint32_t> XvfbReadPng(const std::string& path, int* width, int* height);

// The screen's pixels in a rectangle, as 0x00RRGGBB.
std::vector<uint32_t> XvfbGrab(int x, int y, int width, int height);

// The X window id of the top-level window titled title (xdotool search), 0 when none.
unsigned long XvfbFindWindow(const char* title);
// The same for a shown window (one not yet shown, or gone, is not taken), waiting up to 5 s.
unsigned long XvfbWaitForShownWindow(const char* title);
// Starts a program as a real window with a settings file of its own (KESTROVA_REGISTRY); its pid.
pid_t XvfbStartWindowed(const char* program, const std::string& registry);

inline HWND XvfbHandle(uintptr_t n) {
    return reinterpret_cast<HWND>(n);
}

#define XVFB_REQUIRE_BACKEND()                                                                               \
    if (XvfbBackend() == nullptr) GTEST_SKIP() << "no X display"
