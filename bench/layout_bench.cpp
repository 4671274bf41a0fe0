// layout_bench.cpp: the text pane's speed, each figure beside a baseline of the same run.
// Layout: the largest text built into the program (or, in a build without content, a generated
// 60 KB text of records like the demo's) laid out at 240 and 480 pixels by LayoutText and by
// LayoutTextReference, the whole-remainder measure; the *_Compare benchmark alternates both in every
// iteration and reports the ratio. Painting: a full 480 x 800 pane, warm, beside a memset of the
// same surface, with the allocations made per paint (counted by the malloc wrappers below).
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
bool CountAllocations = false;
long Allocations = 0;
} // namespace

// Every allocation of the process passes here; counted only while a paint is measured.
extern "C" void* malloc(size_t n) {
    if (CountAllocations) ++Allocations;
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
    if (CountAllocations) ++Allocations;
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
    if (CountAllocations) ++Allocations;
    return __libc_realloc(p, n);
}

namespace {

// The bytes of a text up to its ending Style, with the padding after them.
size_t TextLength(const uint8_t* text) {
    size_t pos = 0;
    while (text[pos] != 0)
        pos += 2 + std::strlen(reinterpret_cast<const char*>(text + pos + 2)) + 1;
    return pos;
}

// Numbered paragraphs of Hebrew-like words with hanging numbers, as in the demo commentary.
std::vector<uint8_t> GeneratedText(size_t size) {
    std::vector<uint8_t> t;
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    while (t.size() < size) {
        t.push_back(0x91);
        t.push_back(0x40);
        for (int words = 0; words < 60; ++words) {
            int letters = 2 + next() % 6;
            for (int k = 0; k < letters; ++k)
                t.push_back(uint8_t('a' + next() % 27));
            t.push_back(' ');
        }
        t.back() = 0;
    }
    return t;
}

struct BenchText {
    std::vector<uint8_t> Bytes; // padded
    int Number = 0;
};

const BenchText& LargestText() {
    static const BenchText largest = [] {
        BenchText best;
        for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
            // Asked first, so that a build without content shows no "Resource not found".
            if (!FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ArticleResourceBase + n),
                               RT_RCDATA))
                continue;
            uint8_t* text = LoadArticleText(n);
            if (!text) continue;
            const size_t length = TextLength(text);
            if (length + ArticleTextPadding > best.Bytes.size()) {
                best.Bytes.assign(text, text + length + ArticleTextPadding);
                best.Number = n;
            }
            std::free(text);
        }
        if (best.Bytes.empty()) {
            best.Bytes = GeneratedText(60000);
            best.Bytes.insert(best.Bytes.end(), ArticleTextPadding, 0);
        }
        return best;
    }();
    return largest;
}

struct BenchPane {
    HDC DC;
    HBITMAP Bitmap;
    HGDIOBJ Previous;
    TextPane* Pane;
    std::vector<uint8_t> Text;

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
        Text = LargestText().Bytes;
    }
    ~BenchPane() {
        Pane->Text = nullptr; // the vector's
        DestroyPane(Pane, 1);
        SelectObject(DC, Previous);
        DeleteObject(Bitmap);
        DeleteDC(DC);
    }
    int Layout(bool reference) {
        return reference ? LayoutTextReference(Pane, Text.data(), 0) : LayoutText(Pane, Text.data(), 0);
    }
};

void Label(benchmark::State& state, const BenchPane& bench) {
    state.SetLabel("text " + std::to_string(LargestText().Number) + ", " +
                   std::to_string(LargestText().Bytes.size() - ArticleTextPadding) + " bytes, " +
                   std::to_string(bench.Pane->LineCount) + " lines");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bench.Text.size()));
}

void BM_Layout(benchmark::State& state) {
    BenchPane bench(int(state.range(0)), 800);
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.Layout(false));
    Label(state, bench);
}

void BM_LayoutReference(benchmark::State& state) {
    BenchPane bench(int(state.range(0)), 800);
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.Layout(true));
    Label(state, bench);
}

// Both layouts in every iteration: the ratio is measured under the same machine load.
void BM_Layout_Compare(benchmark::State& state) {
    BenchPane bench(int(state.range(0)), 800);
    double fast = 0, reference = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bench.Layout(false));
        auto t1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bench.Layout(true));
        auto t2 = std::chrono::steady_clock::now();
        fast += std::chrono::duration<double, std::milli>(t1 - t0).count();
        reference += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
    state.counters["fast_ms"] = fast / double(state.iterations());
    state.counters["reference_ms"] = reference / double(state.iterations());
    state.counters["speedup"] = reference / fast;
    Label(state, bench);
}

void BM_PaintFullPane(benchmark::State& state) {
    BenchPane bench(480, 800);
    bench.Layout(false);
    bench.Pane->TopLine = 40;
    PaintPane(bench.Pane, 1); // warm: fonts, glyphs and the conversion buffer
    Allocations = 0;
    CountAllocations = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(PaintPane(bench.Pane, 1));
    CountAllocations = false;
    state.counters["allocations_per_paint"] = double(Allocations) / double(state.iterations());
    state.counters["lines"] = bench.Pane->PaintedLines;
}

// The baseline: clearing the same 480 x 800 surface.
void BM_PaintBaselineMemset(benchmark::State& state) {
    BenchPane bench(480, 800);
    PlatformPixels pixels;
    if (!PlatformGetDCPixels(bench.DC, &pixels)) return state.SkipWithError("no pixels");
    for (auto _ : state) {
        std::memset(pixels.Pixels, 0xFF, size_t(pixels.Stride) * size_t(pixels.Height) * 4);
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_Layout)->Arg(240)->Arg(480)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutReference)->Arg(240)->Arg(480)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Layout_Compare)->Arg(240)->Arg(480)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintFullPane)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintBaselineMemset)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
