// reader_bench.cpp: the reader as a person meets it, each figure beside a baseline of the same run.
//
// Start-up: the program started headless as a child process, from just before the spawn to the
// first painted article, and its resident memory then; beside spawning /bin/true and
// `kestrova --version`. The script's first command runs only once the program's queue is idle (the
// window created, both texts laid out and painted), and `clipboard` on the fresh, empty clipboard
// prints "(empty)" at once, so that line is the sign of the first painted article.
//
// In the reader: this process runs the reader itself (ReaderMain, headless, 480 x 800) and measures
// from a script command of its own, with the reader's window and panes made: a key scroll of either
// pane (beside a repaint of the whole window, counting the paints of each pane), stepping to the
// next article through all of them (beside decoding the same two texts), and a resize (the panes'
// layout alone, and with the repaint). PaintPane is wrapped at link time to count the paints, and
// the pixels handed to the backend to show are counted too.
#include "ReaderProcess.h"

#include "platform/Win32.h"
#include "platform/backend/Backend.h"
#include "platform/user/ScriptHooks.h"
#include "shell/MainWindow.h"
#include "shell/Panes.h"
#include "shell/ReaderState.h"
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

long TopPanePaints = 0, BottomPanePaints = 0, LinesPainted = 0;
long PresentedPixels = 0; // of the parts of the window handed to the backend to show

void ResetPaintCounts() {
    TopPanePaints = BottomPanePaints = LinesPainted = PresentedPixels = 0;
}

} // namespace

extern "C" int __real__Z9PaintPaneP8TextPanei(TextPane* pane, int erase);
extern "C" int __wrap__Z9PaintPaneP8TextPanei(TextPane* pane, int erase) {
    int result = __real__Z9PaintPaneP8TextPanei(pane, erase);
    if (pane != nullptr && pane == ReaderState.TopPane) ++TopPanePaints;
    if (pane != nullptr && pane == PaneState.BottomPane) ++BottomPanePaints;
    if (pane != nullptr) LinesPainted += pane->PaintedLines;
    return result;
}

namespace {

std::string ChildSettings; // the children's settings file; this process's reader has another

// CPU time of this thread, so that time the shared machine gives to others is not counted.
double ThreadMilliseconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
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

// ---- In the reader, this process ----

HWND Main() {
    return ReaderState.MainWindow;
}

// The bytes of a text up to its ending Style.
size_t TextLength(const uint8_t* text) {
    size_t pos = 0;
    while (text && text[pos] != 0)
        pos += 2 + strlen(reinterpret_cast<const char*>(text + pos + 2)) + 1;
    return pos;
}

// The article whose two texts are the longest together: the worst case of the scrolls and resizes.
int LargestArticle() {
    static const int largest = [] {
        int best = FirstArticleNumber;
        size_t bestSize = 0;
        for (int n = FirstArticleNumber; n < LastArticleNumber; n += 2) {
            size_t size = 0;
            for (int k = n; k <= n + 1; ++k) {
                uint8_t* text = LoadArticleText(k);
                size += TextLength(text);
                free(text);
            }
            if (size > bestSize) bestSize = size, best = n;
        }
        return best;
    }();
    return largest;
}

void ShowArticle(int lesson) {
    if (ReaderState.Lesson != lesson) GoToArticle(Main(), uint32_t(lesson));
    UpdateWindow(Main());
}

// A key goes to the window as the message loop hands it on; the paints it leaves pending follow, as
// after every dispatched message.
void PressKey(WPARAM key) {
    SendMessageW(Main(), WM_KEYDOWN, key, 0);
    UpdateWindow(Main());
}

void PaintCounters(benchmark::State& state) {
    const double n = double(state.iterations());
    state.counters["top_paints"] = double(TopPanePaints) / n;
    state.counters["bottom_paints"] = double(BottomPanePaints) / n;
    state.counters["lines_painted"] = double(LinesPainted) / n;
    state.counters["presented_kpx"] = double(PresentedPixels) / n / 1000;
}

// The headless backend presents nothing; this copy of its table notes the size of each present, as
// the desktop backend would copy it to the screen.
void NotePresent(HWND, const Surface&, const RECT& changed) {
    PresentedPixels += long(changed.right - changed.left) * long(changed.bottom - changed.top);
}

void NotePresents() {
    static Backend noting = PlatformBackend();
    noting.Open = nullptr; // already open: opening again would start its script afresh
    noting.Present = NotePresent;
    PlatformUseBackend(&noting);
}

// Args: the pane (0 top, 1 bottom) and the key (VK_DOWN or VK_NEXT); the pane runs down to its end,
// then back up with the opposite key, so every press moves it.
void BM_KeyScroll(benchmark::State& state) {
    ShowArticle(LargestArticle());
    bool bottom = state.range(0) == 1;
    PaneState.ActivePane = bottom ? PaneState.BottomPane : nullptr;
    PaneState.CurrentScrollBar = bottom ? PaneState.BottomPaneScrollBar : PaneState.TopPaneScrollBar;
    TextPane* pane = ActingPane();
    if (pane == nullptr || pane->MaxTopLine == 0) return state.SkipWithError("the pane does not scroll");
    const WPARAM forward = WPARAM(state.range(1)), back = forward == VK_DOWN ? VK_UP : VK_PRIOR;
    bool down = true;
    long unmoved = 0; // presses that left the pane where it was: none is expected
    ResetPaintCounts();
    for (auto _ : state) {
        if (down && pane->TopLine >= pane->MaxTopLine) down = false;
        if (!down && pane->TopLine == 0) down = true;
        const uint16_t before = pane->TopLine;
        PressKey(down ? forward : back);
        unmoved += pane->TopLine == before;
    }
    PaintCounters(state);
    state.counters["unmoved"] = double(unmoved);
    PaneState.ActivePane = nullptr;
    PaneState.CurrentScrollBar = PaneState.TopPaneScrollBar;
}

// The baseline of a key scroll: both panes, the bottom area and the scroll bars repainted.
void BM_Baseline_RepaintWholeWindow(benchmark::State& state) {
    ShowArticle(LargestArticle());
    ResetPaintCounts();
    for (auto _ : state) {
        RedrawPanes(Main(), RedrawEverything);
        UpdateWindow(Main());
    }
    PaintCounters(state);
}

// Right through every article and round again; the slowest step's CPU time is kept.
void BM_StepArticle(benchmark::State& state) {
    ShowArticle(FirstArticleNumber);
    double slowest = 0;
    int slowestLesson = 0;
    ResetPaintCounts();
    for (auto _ : state) {
        double start = ThreadMilliseconds();
        PressKey(VK_RIGHT);
        double ms = ThreadMilliseconds() - start;
        if (ms > slowest) slowest = ms, slowestLesson = ReaderState.Lesson;
    }
    PaintCounters(state);
    state.counters["slowest_cpu_ms"] = slowest;
    state.counters["slowest_article"] = slowestLesson;
}

// The baseline of a step: decoding the same two texts, through every article in the same order.
void BM_Baseline_DecodeBothTexts(benchmark::State& state) {
    int lesson = FirstArticleNumber;
    for (auto _ : state) {
        lesson = lesson + 2 > LastArticleNumber ? FirstArticleNumber : lesson + 2;
        uint8_t* text = LoadArticleText(lesson);
        uint8_t* commentary = LoadArticleText(lesson + 1);
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(commentary);
        free(text);
        free(commentary);
    }
}

// Arg: the article. The client area changes between 480 x 800 and 400 x 640 (the menu bar's share
// stays), as a person drags the window's corner. Layout only: WM_SIZE, as the window sends it.
void BM_ResizeLayout(benchmark::State& state) {
    ShowArticle(int(state.range(0)));
    RECT client;
    GetClientRect(Main(), &client);
    bool small = true;
    ResetPaintCounts();
    for (auto _ : state) {
        int w = small ? 400 : client.right, h = small ? 640 : client.bottom;
        SendMessageW(Main(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(w, h));
        small = !small;
    }
    PaintCounters(state);
    state.counters["top_lines"] = ReaderState.TopPane ? ReaderState.TopPane->LineCount : 0;
    state.counters["bottom_lines"] = PaneState.BottomPane ? PaneState.BottomPane->LineCount : 0;
    SendMessageW(Main(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// The same through the window itself: MoveWindow (a new frame buffer, WM_SIZE) and the repaint.
void BM_ResizeWindowAndRepaint(benchmark::State& state) {
    ShowArticle(int(state.range(0)));
    RECT window;
    GetWindowRect(Main(), &window);
    const int w = window.right - window.left, h = window.bottom - window.top;
    bool small = true;
    ResetPaintCounts();
    for (auto _ : state) {
        MoveWindow(Main(), window.left, window.top, small ? w - 80 : w, small ? h - 160 : h, TRUE);
        UpdateWindow(Main());
        small = !small;
    }
    PaintCounters(state);
    MoveWindow(Main(), window.left, window.top, w, h, TRUE);
    UpdateWindow(Main());
}

void RegisterBenchmarks() {
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("BM_StartHeadlessToFirstPaint", BM_StartHeadlessToFirstPaint)
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("BM_Baseline_SpawnTrue", BM_Baseline_SpawnTrue)
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("BM_Baseline_SpawnVersion", BM_Baseline_SpawnVersion)
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    for (int pane : {0, 1})
        for (int key : {VK_DOWN, VK_NEXT})
            RegisterBenchmark("BM_KeyScroll", BM_KeyScroll)->Args({pane, key})->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("BM_Baseline_RepaintWholeWindow", BM_Baseline_RepaintWholeWindow)
        ->Unit(benchmark::kMicrosecond);
    // Whole rounds of the articles, so that every one counts the same.
    const int articles = (LastArticleNumber - FirstArticleNumber + 1) / 2;
    RegisterBenchmark("BM_StepArticle", BM_StepArticle)
        ->Iterations(2 * articles)
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("BM_Baseline_DecodeBothTexts", BM_Baseline_DecodeBothTexts)
        ->Iterations(2 * articles)
        ->Unit(benchmark::kMillisecond);
    for (int lesson : {FirstArticleNumber, LargestArticle()}) {
        RegisterBenchmark("BM_ResizeLayout", BM_ResizeLayout)->Arg(lesson)->Unit(benchmark::kMillisecond);
        RegisterBenchmark("BM_ResizeWindowAndRepaint", BM_ResizeWindowAndRepaint)
            ->Arg(lesson)
            ->Unit(benchmark::kMillisecond);
    }
}

// The script command that runs the benchmarks once the reader's window is up.
bool RunBenchmarks(const std::vector<std::string>&, std::string* error) {
    if (Main() == nullptr || ReaderState.TopPane == nullptr) {
        *error = "the reader has no window";
        return false;
    }
    NotePresents();
    RegisterBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ChildSettings = ReaderSettingsFile();
    const std::string settings = ReaderSettingsFile();
    setenv("KESTROVA_REGISTRY", settings.c_str(), 1);
    PlatformRegisterScriptCommand("bench", RunBenchmarks);
    char program[] = "kestrova", headless[] = "--headless", inline_[] = "-e", script[] = "wait; bench; quit";
    char* readerArgs[] = {program, headless, inline_, script, nullptr};
    int code = PlatformRunProgram(4, readerArgs, ReaderMain);
    RemoveSettingsFile(ChildSettings);
    RemoveSettingsFile(settings);
    return code;
}
