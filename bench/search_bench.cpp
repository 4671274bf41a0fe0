// search_bench.cpp: the search's speed on the texts built into the program, each figure beside a
// baseline of the same run, and the texts alive while it scans.
// Nowhere: a word found in no text (every text decoded and searched) against decoding all 250 texts
// in the same iteration; the live texts are counted by wrapping LoadArticleText and free (the two
// panes' texts are loaded the same way and stay alive). Common word: from the call to the hit being
// known for a word on the current article's first screen, with the pane laid out, beside decoding
// that article once.
#include "search/SearchEngine.h"
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

// The texts the store handed out and that are not freed yet (plain storage: free is wrapped for
// the whole program).
namespace {
constexpr size_t LiveSlots = 16;
void* LiveText[LiveSlots];
size_t LiveCount = 0;
size_t PeakLive = 0;
} // namespace

extern "C" uint8_t* __real__Z15LoadArticleTexti(int);
extern "C" void __real_free(void*);
extern "C" uint8_t* __wrap__Z15LoadArticleTexti(int n) {
    uint8_t* text = __real__Z15LoadArticleTexti(n);
    if (text && LiveCount < LiveSlots) LiveText[LiveCount++] = text;
    PeakLive = std::max(PeakLive, LiveCount);
    return text;
}
extern "C" void __wrap_free(void* p) {
    for (size_t k = 0; p && k < LiveCount; ++k)
        if (LiveText[k] == p) {
            LiveText[k] = LiveText[--LiveCount];
            break;
        }
    __real_free(p);
}

namespace {

// CPU time of this thread, so that time the shared machine gives to others is not counted.
double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A word in no text whose last letter (he) is among the commonest: every he is a candidate.
const uint8_t NowherePattern[] = "xzqe";
// The longest text built in (many screens), for the word on the current article.
constexpr int CommonWordArticle = 249;

size_t DecodeAll() {
    size_t bytes = 0;
    for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
        uint8_t* text = LoadArticleText(n);
        if (!text) continue;
        bytes += std::strlen(reinterpret_cast<const char*>(text));
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
    return bytes;
}

void BM_SearchNowhere_Compare(benchmark::State& state) {
    // The panes hold article 1 and its commentary, as on screen.
    uint8_t* top = LoadArticleText(1);
    uint8_t* bottom = LoadArticleText(2);
    if (!top || !bottom) return state.SkipWithError("no built-in texts");
    SearchStart start{NowherePattern, 1, top, 0, SplitHalf};
    double search = 0, decode = 0;
    size_t peak = 0;
    for (auto _ : state) {
        double t0 = ThreadSeconds();
        DecodeAll();
        double t1 = ThreadSeconds();
        PeakLive = LiveCount;
        SearchHit hit{};
        if (FindNextHit(&start, &hit)) return state.SkipWithError("the word was found");
        double t2 = ThreadSeconds();
        peak = std::max(peak, PeakLive);
        decode += t1 - t0;
        search += t2 - t1;
    }
    const double n = double(state.iterations());
    state.counters["search_ms"] = 1e3 * search / n;
    state.counters["decode_all_ms"] = 1e3 * decode / n;
    state.counters["search_over_decode"] = search / decode;
    state.counters["live_texts_max"] = double(peak);
    state.counters["beyond_panes"] = double(peak) - 2;
    std::free(top);
    std::free(bottom);
}

struct BenchPane {
    HDC DC;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
    TextPane* Pane;

    BenchPane(int width, int height) {
        ResetReaderState();
        const char16_t face[] = u"Frank Ruehl CLM";
        std::memcpy(ReaderState.FontSpec.FontFace, face, sizeof face);
        ReaderState.FontSpec.FontSize = 18;
        ReaderState.FontSpec.FontAsciiBase = AsciiBaseUnicode;
        ReaderState.Flags = DefaultFlags;
        DC = CreateCompatibleDC(nullptr);
        Bitmap = CreateCompatibleBitmap(DC, width, height);
        Previous = SelectObject(DC, Bitmap);
        RECT rect = {0, 0, width, height};
        Pane = CreatePane(DC, &rect, &ReaderState.FontSpec, PaneInitialCapacity);
        ReaderState.TopPane = Pane;
        ReaderState.Lesson = CommonWordArticle;
    }
    ~BenchPane() {
        DestroyPane(Pane, 1);
        SelectObject(DC, Previous);
        DeleteObject(Bitmap);
        DeleteDC(DC);
        ResetReaderState();
    }
};

// "shel" (shin lamed) as stored in a right-to-left paragraph: lamed first.
const char CommonWord[] = "mz";

void BM_SearchCommonWordInCurrentArticle(benchmark::State& state) {
    BenchPane bench(480, 800);
    if (!bench.Pane || LayoutText(bench.Pane, LoadArticleText(CommonWordArticle), 1) != LayoutOk)
        return state.SkipWithError("no pane or no text");
    std::strcpy(ReaderState.SearchString, CommonWord);
    double search = 0, decode = 0;
    for (auto _ : state) {
        bench.Pane->TopLine = 0;
        bench.Pane->HitStart = bench.Pane->HitEnd = 0;
        double t0 = ThreadSeconds();
        SearchStart start = CurrentSearchStart();
        SearchHit hit{};
        if (!FindNextHit(&start, &hit) || !hit.InStart)
            return state.SkipWithError("not in the current article");
        double t1 = ThreadSeconds();
        uint8_t* text = LoadArticleText(CommonWordArticle);
        benchmark::DoNotOptimize(text);
        std::free(text);
        double t2 = ThreadSeconds();
        search += t1 - t0;
        decode += t2 - t1;
    }
    const double n = double(state.iterations());
    state.counters["search_us"] = 1e6 * search / n;
    state.counters["decode_article_us"] = 1e6 * decode / n;
}

} // namespace

BENCHMARK(BM_SearchNowhere_Compare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchCommonWordInCurrentArticle)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
