// HeadlessBackend.cpp: the headless backend's table: no display, a screen of a chosen size (the
// platform's default until a script's `size`), a virtual clock that moves only when the script
// waits, and the script runner as the source of events. Presenting is nothing: the framebuffers are
// read when a script takes a screenshot.
#include "platform/backend/headless/Headless.h"
#include "platform/user/ClipboardScript.h"
#include "platform/user/ScriptHooks.h"

#include "platform/Win32Gdi.h"

#include <cstdio>

namespace {

struct HeadlessRecord {
    uint32_t Now = 0;
    int Width = PlatformDefaultScreenWidth;
    int Height = PlatformDefaultScreenHeight;
};

HeadlessRecord& Headless() {
    static HeadlessRecord record;
    return record;
}

bool Open() {
    ScriptStart(ScriptProgram{"", {}});
    return true;
}

void ScreenSize(int* width, int* height) {
    HeadlessScreenSize(width, height);
}

bool WaitEvent(BackendEvent* event, int timeoutMs) {
    return ScriptNextEvent(event, timeoutMs);
}

uint32_t Ticks() {
    return Headless().Now;
}

bool ClipboardCommand(const std::vector<std::string>& args, std::string* error) {
    std::string output;
    if (!ClipboardScriptCommand(args, &output, error)) return false;
    std::fputs(output.c_str(), stdout);
    std::fflush(stdout);
    return true;
}

bool LoadScript(const char* name, const char* text, std::string* error) {
    // The clipboard command prints what it reads, as `state` does; registered before the parse,
    // which accepts only known commands.
    PlatformRegisterScriptCommand("clipboard", ClipboardCommand);
    ScriptProgram program;
    if (!ScriptParse(name ? name : "", text ? text : "", &program, error)) return false;
    ScriptStart(std::move(program));
    return true;
}

Backend MakeTable() {
    Backend b{};
    b.Name = "headless";
    b.Open = Open;
    b.ScreenSize = ScreenSize;
    b.WaitEvent = WaitEvent;
    b.Ticks = Ticks;
    b.LoadScript = LoadScript;
    b.QuitRequested = ScriptEndRequested;
    b.CatchEndSignals = ScriptCatchEndSignals;
    return b;
}

const Backend HeadlessTable = MakeTable();
// Kept by whole-archive linking; registers the table before main.
[[maybe_unused]] const bool Registered = (PlatformRegisterBackend(&HeadlessTable), true);

} // namespace

uint32_t HeadlessNow() {
    return Headless().Now;
}

void HeadlessAdvance(uint32_t ms) {
    Headless().Now += ms;
}

void HeadlessScreenSize(int* width, int* height) {
    *width = Headless().Width;
    *height = Headless().Height;
}

void HeadlessSetScreenSize(int width, int height) {
    Headless().Width = width;
    Headless().Height = height;
    PlatformSetScreenSize(width, height);
}
