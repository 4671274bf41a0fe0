// reader_window_bench.cpp: the reader's start with a real window, from just before the spawn to the
// first painted article on the X server, and its resident memory with the window open; beside the
// headless start, spawning /bin/true and `kestrova --version` in the same run. Needs a display (run
// it under scripts/xvfb-run-tests.sh); without one the windowed figures are skipped.
//
// How the paint is seen from outside the program: this process watches the root window for the
// reader's window to be mapped, then reads one column of the window's pixels back from the server
// every half millisecond until the bottom area's red rule is there. The rule is drawn by the same
// paint as both panes and reaches the server in the same present, so its arrival is the article's;
// once seen, the whole window is read once (untimed) to check that the top pane holds text.
#include "ReaderProcess.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace {

std::string ChildSettings;

int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0; // the reader's window may be gone by the time a request about it arrives
}

Display* Connection() {
    static Display* display = [] {
        Display* d = XOpenDisplay(nullptr);
        if (d == nullptr) return d;
        XSetErrorHandler(IgnoreXErrors);
        XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
        return d;
    }();
    return display;
}

bool IsReaderWindow(Display* d, Window w) {
    char* name = nullptr;
    bool reader = XFetchName(d, w, &name) && name && std::string(name) == "Kestrova";
    if (name) XFree(name);
    return reader;
}

// The reader's window mapped last among the events that have arrived, or 0.
Window LastMappedReader(Display* d) {
    Window found = 0;
    while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == MapNotify && IsReaderWindow(d, e.xmap.window)) found = e.xmap.window;
    }
    return found;
}

// XDestroyImage is a macro of Xutil.h, so the deleter calls it from a function of its own.
struct ImageFree {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using ImagePointer = std::unique_ptr<XImage, ImageFree>;

ImagePointer Grab(Display* d, Window w, int x, int y, int width, int height) {
    return ImagePointer(XGetImage(d, w, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap));
}

bool IsRuleRed(unsigned long p) {
    return ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60;
}

// The row of the red rule in the window's middle column, or -1 while it is not there.
int RuleRow(Display* d, Window w, int width, int height) {
    ImagePointer column = Grab(d, w, width / 2, 0, 1, height);
    if (!column) return -1;
    for (int y = 0; y < height; ++y)
        if (IsRuleRed(XGetPixel(column.get(), 0, y))) return y;
    return -1;
}

// Dark pixels above the rule: the top pane's letters.
long TextPixels(Display* d, Window w, int width, int rule) {
    ImagePointer above = Grab(d, w, 0, 0, width, rule);
    long dark = 0;
    for (int y = 0; above && y < rule; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned long p = XGetPixel(above.get(), x, y);
            dark += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 96;
        }
    return dark;
}

void BM_StartWindowToFirstPaint(benchmark::State& state) {
    Display* d = Connection();
    if (d == nullptr) return state.SkipWithError("no display");
    const std::vector<std::string> args = {KESTROVA_PROGRAM, "--registry", ChildSettings};
    double mapped = 0, rssPainted = 0, rssOpen = 0, hwmOpen = 0, text = 0;
    int width = 0, height = 0;
    for (auto _ : state) {
        XSync(d, True); // forget the windows of earlier runs
        ChildProcess child;
        if (!SpawnChild(args, false, &child)) return state.SkipWithError("cannot start the reader");
        // SDL makes the window again when it wraps it in an OpenGL texture (the earlier path, still
        // measured by setting SDL_FRAMEBUFFER_ACCELERATION=1): the last one mapped is read.
        Window w = 0;
        XWindowAttributes a{};
        int rule = -1;
        while (MillisecondsSince(child.Started) < 10000) {
            if (Window again = LastMappedReader(d)) {
                if (w == 0) mapped += MillisecondsSince(child.Started);
                w = again;
            }
            if (w != 0 && XGetWindowAttributes(d, w, &a)) rule = RuleRow(d, w, a.width, a.height);
            if (rule >= 0) break;
            if (w == 0) {
                pollfd p{ConnectionNumber(d), POLLIN, 0};
                poll(&p, 1, 1); // until the server tells of the map
            } else {
                usleep(500);
            }
        }
        double ms = MillisecondsSince(child.Started);
        width = a.width, height = a.height;
        rssPainted += double(ProcessStatusKb(child.Pid, "VmRSS"));
        const long letters = rule >= 0 ? TextPixels(d, w, width, rule) : 0;
        text += double(letters);
        usleep(200000); // the window stays open, idle
        rssOpen += double(ProcessStatusKb(child.Pid, "VmRSS"));
        hwmOpen += double(ProcessStatusKb(child.Pid, "VmHWM"));
        FinishChild(&child, 0); // SIGTERM: the reader closes as when the session ends
        if (w == 0) return state.SkipWithError("no window of the reader was mapped");
        if (rule < 0 || letters == 0) return state.SkipWithError("the article was not painted");
        state.SetIterationTime(ms / 1e3);
    }
    const double n = double(state.iterations());
    state.counters["mapped_ms"] = mapped / n;
    state.counters["rss_painted_MB"] = rssPainted / 1024 / n;
    state.counters["rss_open_MB"] = rssOpen / 1024 / n;
    state.counters["hwm_open_MB"] = hwmOpen / 1024 / n;
    state.counters["text_pixels"] = text / n;
    state.counters["width"] = width;
    state.counters["height"] = height;
}

void BM_StartHeadlessToFirstPaint(benchmark::State& state) {
    MeasureHeadlessStart(state, KESTROVA_PROGRAM, ChildSettings);
}

void BM_Baseline_SpawnTrue(benchmark::State& state) {
    MeasureSpawn(state, {"/bin/true"});
}

void BM_Baseline_SpawnVersion(benchmark::State& state) {
    MeasureSpawn(state, {KESTROVA_PROGRAM, "--version"});
    MemoryBaselineCounters(state, KESTROVA_PROGRAM);
}

BENCHMARK(BM_StartWindowToFirstPaint)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartHeadlessToFirstPaint)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_SpawnTrue)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_SpawnVersion)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ChildSettings = ReaderSettingsFile();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveSettingsFile(ChildSettings);
    return 0;
}
