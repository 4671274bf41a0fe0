// ScriptRunner.cpp: runs a parsed script as the headless backend's source of events. The program's
// queue asks for an event only when it is idle (nothing posted, nothing to paint, no timer due);
// each time, the next command runs: input commands become backend events, the others act at once.
// When the script is done (or says `quit`, or SIGTERM or SIGINT comes) the program is asked to
// close, one top-level window at a time, and finally to quit, so a run always ends. A failing command stops the run with its line.
#include "platform/backend/headless/Headless.h"

#include "platform/Win32Dialogs.h"
#include "platform/Win32Text.h"
#include "platform/base/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/ClipboardScript.h"
#include "platform/user/ClosingSteps.h"
#include "platform/user/ScriptHooks.h"
#include "platform/user/Window.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>

namespace {

// Exit codes: a command that fails, and a program that keeps running after the script has ended
// and it was asked to close this many times.
constexpr int ScriptFailedExitCode = 2;
constexpr int ProgramStuckExitCode = 3;
constexpr uint32_t DesktopPixel = 0x00303030;

struct Runner {
    ScriptProgram Program;
    size_t Next = 0;
    std::deque<BackendEvent> Pending;
    bool Waiting = false;
    uint32_t WaitUntil = 0;
    HWND PointerWindow = nullptr; // the top-level window a `down` landed on
    ClosingSteps Closing;         // after the script
};

Runner& Run() {
    static Runner* runner = new Runner();
    return *runner;
}

// Set by the signal handler; read between commands and while a `sleep` runs.
volatile sig_atomic_t EndSignal = 0;
constexpr int SleepSliceMs = 10;

void OnEndSignal(int number) {
    EndSignal = number;
}

// Real time, with the program's windows as they are (for tests of copies), cut short by a signal.
void SleepUnlessEnded(long ms) {
    for (long slept = 0; slept < ms && EndSignal == 0; slept += SleepSliceMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long>(SleepSliceMs, ms - slept)));
}

// The rest of the script is dropped once; the closing steps then run as after its last command.
void StopForSignal(Runner& r) {
    if (r.Next >= r.Program.Commands.size() && !r.Waiting) return;
    std::fprintf(stderr, "%s: %s: the script stops here and the program closes\n", r.Program.Source.c_str(),
                 EndSignal == SIGINT ? "SIGINT" : "SIGTERM");
    r.Next = r.Program.Commands.size();
    r.Waiting = false;
}

[[noreturn]] void Fail(const ScriptCommand& c, const std::string& message) {
    std::fprintf(stderr, "%s:%d: %s: %s\n", Run().Program.Source.c_str(), c.Line, c.Name.c_str(),
                 message.c_str());
    std::exit(ScriptFailedExitCode);
}

HWND TopLevelAt(POINT screen) {
    for (HWND top : WindowTopLevels()) {
        WindowRecord* w = WindowFind(top);
        if (w == nullptr || !(w->Style & WS_VISIBLE)) continue;
        const RECT& r = w->Rect;
        if (screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom) return top;
    }
    return nullptr;
}

void QueueEvent(BackendEventKind kind, HWND window, int x, int y) {
    BackendEvent e{};
    e.Kind = kind;
    e.Window = window;
    if (WindowRecord* w = WindowFind(window)) {
        e.X = x - w->Rect.left;
        e.Y = y - w->Rect.top;
    }
    e.Button = 1;
    Run().Pending.push_back(e);
}

void Pointer(const ScriptCommand& c) {
    int x = std::atoi(c.Args[0].c_str()), y = std::atoi(c.Args[1].c_str());
    Runner& r = Run();
    HWND under = TopLevelAt(POINT{x, y});
    if (c.Name == "tap" || c.Name == "down") r.PointerWindow = under;
    HWND window = IsWindow(r.PointerWindow) ? r.PointerWindow : under;
    if (window == nullptr) return; // on the bare screen: nothing gets it
    if (c.Name == "tap" || c.Name == "down") QueueEvent(BackendEventKind::PointerDown, window, x, y);
    if (c.Name == "move") QueueEvent(BackendEventKind::PointerMove, window, x, y);
    if (c.Name == "tap" || c.Name == "up") QueueEvent(BackendEventKind::PointerUp, window, x, y);
    if (c.Name == "tap" || c.Name == "up") r.PointerWindow = nullptr;
}

void Wheel(const ScriptCommand& c) {
    int x = std::atoi(c.Args[0].c_str()), y = std::atoi(c.Args[1].c_str());
    HWND window = TopLevelAt(POINT{x, y});
    if (window == nullptr) return;
    QueueEvent(BackendEventKind::Wheel, window, x, y);
    Run().Pending.back().Delta = std::atoi(c.Args[2].c_str());
}

// The active window's new size, frame included, as the desktop reports a window resized by the
// user or by the system.
void Resize(const ScriptCommand& c) {
    BackendEvent e{};
    e.Kind = BackendEventKind::Resized;
    e.Width = std::atoi(c.Args[0].c_str());
    e.Height = std::atoi(c.Args[1].c_str());
    Run().Pending.push_back(e);
}

void PushKey(BackendEventKind kind, UINT code, uint8_t modifiers) {
    BackendEvent e{};
    e.Kind = kind;
    e.Key = uint16_t(code);
    e.Modifiers = modifiers;
    Run().Pending.push_back(e);
}

// The modifiers go down first and up last, as a person presses them.
void Key(const ScriptCommand& c) {
    const std::pair<const char*, std::pair<UINT, uint8_t>> modifiers[] = {
        {"ctrl", {VK_CONTROL, BackendModCtrl}},
        {"alt", {VK_MENU, BackendModAlt}},
        {"shift", {VK_SHIFT, BackendModShift}}};
    uint8_t held = 0;
    std::vector<UINT> pressed;
    for (const auto& [word, key] : modifiers)
        if (std::find(c.Args.begin() + 1, c.Args.end(), word) != c.Args.end()) {
            held |= key.second;
            pressed.push_back(key.first);
            PushKey(BackendEventKind::KeyDown, key.first, held);
        }
    UINT code = ScriptKeyCode(c.Args[0]);
    PushKey(BackendEventKind::KeyDown, code, held);
    PushKey(BackendEventKind::KeyUp, code, held);
    for (auto it = pressed.rbegin(); it != pressed.rend(); ++it)
        PushKey(BackendEventKind::KeyUp, *it, held);
}

// Typed text goes as Text events of whole characters, each within the event's buffer.
void Type(const ScriptCommand& c) {
    std::string text;
    for (const std::string& word : c.Args)
        text += (text.empty() ? "" : " ") + word;
    std::u16string units = PlatformUtf8ToUtf16(text);
    std::string chunk;
    for (size_t i = 0; i < units.size(); ++i) {
        std::u16string one(1, units[i]);
        if (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size()) one += units[++i];
        std::string bytes = PlatformUtf16ToUtf8(one);
        if (chunk.size() + bytes.size() >= sizeof(BackendEvent::Text)) {
            BackendEvent e{};
            e.Kind = BackendEventKind::Text;
            std::memcpy(e.Text, chunk.data(), chunk.size());
            Run().Pending.push_back(e);
            chunk.clear();
        }
        chunk += bytes;
    }
    BackendEvent e{};
    e.Kind = BackendEventKind::Text;
    std::memcpy(e.Text, chunk.data(), chunk.size());
    if (!chunk.empty()) Run().Pending.push_back(e);
}

bool Screenshot(const char* path) {
    int width, height;
    HeadlessScreenSize(&width, &height);
    Surface screen;
    if (!SurfaceCreate(&screen, width, height)) return false;
    SurfaceFill(&screen, RECT{0, 0, width, height}, DesktopPixel);
    const std::vector<HWND>& tops = WindowTopLevels();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        WindowRecord* w = WindowFind(*it);
        if (w == nullptr || !(w->Style & WS_VISIBLE) || w->Framebuffer == nullptr) continue;
        const Surface& s = *w->Framebuffer;
        RECT area;
        RECT placed{w->Rect.left, w->Rect.top, w->Rect.left + s.Width, w->Rect.top + s.Height};
        if (!RectIntersect(placed, RECT{0, 0, width, height}, &area)) continue;
        for (LONG y = area.top; y < area.bottom; ++y)
            std::memcpy(screen.Pixels + size_t(y) * size_t(width) + area.left,
                        s.Pixels + size_t(y - placed.top) * size_t(s.Stride) + (area.left - placed.left),
                        size_t(area.right - area.left) * sizeof(uint32_t));
    }
    bool ok = GdiWriteSurfacePng(screen, path);
    SurfaceFree(&screen);
    return ok;
}

void RunOther(const ScriptCommand& c) {
    if (c.Name == "size") {
        HeadlessSetScreenSize(std::atoi(c.Args[0].c_str()), std::atoi(c.Args[1].c_str()));
    } else if (c.Name == "command") {
        HWND main = PlatformMainWindow();
        if (main == nullptr) Fail(c, "there is no main window");
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(WORD(std::atoi(c.Args[0].c_str())), 0), 0);
    } else if (c.Name == "answer") {
        PlatformAnswerNextMessageBox(ScriptButtonAnswer(c.Args[0]));
    } else if (c.Name == "screenshot") {
        if (!Screenshot(c.Args[0].c_str())) Fail(c, "cannot write " + c.Args[0]);
    } else if (c.Name == "state") {
        std::printf("%s\n", ScriptStateJson().c_str());
        std::fflush(stdout);
    } else if (c.Name == "quit") {
        Run().Next = Run().Program.Commands.size();
    } else if (c.Name == "clipboard") {
        std::string output, error;
        if (!ClipboardScriptLine(c.Raw, &output, &error)) Fail(c, error);
        std::fwrite(output.data(), 1, output.size(), stdout);
        std::fflush(stdout);
    } else if (PlatformScriptCommand command = ScriptFindCommand(c.Name)) {
        std::string error;
        if (!command(c.Args, &error)) Fail(c, error.empty() ? "failed" : error);
    }
}

void RunCommand(const ScriptCommand& c) {
    if (c.Name == "tap" || c.Name == "down" || c.Name == "move" || c.Name == "up")
        Pointer(c);
    else if (c.Name == "wheel")
        Wheel(c);
    else if (c.Name == "key")
        Key(c);
    else if (c.Name == "type")
        Type(c);
    else if (c.Name == "resize")
        Resize(c);
    else if (c.Name == "sleep")
        SleepUnlessEnded(std::atol(c.Args[0].c_str()));
    else if (c.Name == "wait") {
        Run().Waiting = true;
        Run().WaitUntil = HeadlessNow() + uint32_t(c.Args.empty() ? 0 : std::atol(c.Args[0].c_str()));
    } else
        RunOther(c);
}

// After the script: the program is ended in order (ClosingSteps.h); one that keeps refusing ends
// with ProgramStuckExitCode.
bool EndEvent(BackendEvent* event) {
    Runner& r = Run();
    if (ClosingNextStep(&r.Closing, event) != ClosingStep::Stuck) return true;
    std::fprintf(stderr, "%s: the script has ended but the program keeps running\n",
                 r.Program.Source.c_str());
    std::exit(ProgramStuckExitCode);
}

} // namespace

void ScriptStart(ScriptProgram program) {
    Run() = Runner{};
    Run().Program = std::move(program);
    // Leading `size` commands set the screen the program starts on: they run now, before its first
    // window exists, so that a window made to fit the screen fits that size.
    Runner& r = Run();
    while (r.Next < r.Program.Commands.size() && r.Program.Commands[r.Next].Name == "size")
        RunOther(r.Program.Commands[r.Next++]);
}

void ScriptCatchEndSignals() {
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool ScriptEndRequested() {
    return EndSignal != 0;
}

bool ScriptNextEvent(BackendEvent* event, int timeoutMs) {
    Runner& r = Run();
    for (;;) {
        if (EndSignal != 0) StopForSignal(r);
        if (!r.Pending.empty()) {
            *event = r.Pending.front();
            r.Pending.pop_front();
            return true;
        }
        if (r.Waiting) {
            // The clock runs to the next timer within the wait, or to the wait's end.
            // A loop that only peeks (timeout 0) moves it a millisecond at a time, so it ends too.
            uint32_t now = HeadlessNow();
            int step = timeoutMs == 0 ? 1 : timeoutMs;
            if (timeoutMs >= 0 && int64_t(step) <= int64_t(int32_t(r.WaitUntil - now))) {
                HeadlessAdvance(uint32_t(step));
                return false;
            }
            HeadlessAdvance(r.WaitUntil - now);
            r.Waiting = false;
            return false;
        }
        if (r.Next >= r.Program.Commands.size()) return EndEvent(event);
        RunCommand(r.Program.Commands[r.Next++]);
        if (r.Pending.empty() && !r.Waiting) return false; // let the program act on what it did
    }
}
