// export_bench.cpp: the clipboard export's speed on the longest text built into the program, beside
// decoding that text in the same iteration: the wide text alone (the Unicode text), and the wide
// text, the RTF body's two passes and the document around it (the RTF a Copy places).
#include "export/ClipboardExport.h"
#include "shell/ReaderState.h"
#include "store/ArticleStore.h"
#include "store/ArticleText.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int LongestText = 249;

double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The document a Copy places, built as the command builds it; returns its length (0 on failure).
size_t CopyAsRtf(const uint8_t* text) {
    int n = 0;
    WCHAR* wide = ArticleWideText(text, &n);
    if (!wide) return 0;
    size_t bodyLength = 0;
    char* body = RtfBody(wide, &bodyLength);
    std::free(wide);
    if (!body) return 0;
    char* block = static_cast<char*>(std::malloc(RtfBlockSize(nullptr, 0, bodyLength)));
    size_t length = block ? WriteRtfDocument(block, nullptr, 0, body, bodyLength) : 0;
    benchmark::DoNotOptimize(block);
    std::free(block);
    std::free(body);
    return length;
}

size_t CopyAsUnicode(const uint8_t* text) {
    int n = 0;
    WCHAR* wide = ArticleWideText(text, &n);
    if (!wide) return 0;
    uint8_t* block = static_cast<uint8_t*>(std::malloc(UnicodeBlockSize(0, size_t(n))));
    if (block) WriteUnicodeDocument(block, nullptr, 0, wide, size_t(n));
    benchmark::DoNotOptimize(block);
    std::free(block);
    std::free(wide);
    return size_t(n);
}

void Compare(benchmark::State& state, int base, size_t (*copy)(const uint8_t*)) {
    ResetReaderState();
    ReaderState.FontSpec.FontAsciiBase = base;
    ReaderState.Flags = DefaultFlags;
    uint8_t* text = LoadArticleText(LongestText);
    if (!text) return state.SkipWithError("no built-in text");
    double exportTime = 0, decodeTime = 0;
    size_t out = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        out = copy(text);
        const double t1 = ThreadSeconds();
        uint8_t* again = LoadArticleText(LongestText);
        benchmark::DoNotOptimize(again);
        std::free(again);
        const double t2 = ThreadSeconds();
        if (out == 0) return state.SkipWithError("the export failed");
        exportTime += t1 - t0;
        decodeTime += t2 - t1;
    }
    const double n = double(state.iterations());
    state.counters["export_ms"] = 1e3 * exportTime / n;
    state.counters["decode_ms"] = 1e3 * decodeTime / n;
    state.counters["export_over_decode"] = exportTime / decodeTime;
    state.counters["output_units"] = double(out);
    size_t bytes = 0;
    while (text[bytes] != StyleEnd)
        bytes += 2 + std::strlen(reinterpret_cast<const char*>(text + bytes + 2)) + 1;
    state.counters["text_bytes"] = double(bytes);
    std::free(text);
    ResetReaderState();
}

void BM_CopyRtf_Compare(benchmark::State& state) {
    Compare(state, AsciiBaseUnicode, CopyAsRtf);
}
void BM_CopyUnicode_Compare(benchmark::State& state) {
    Compare(state, AsciiBaseCodePage, CopyAsUnicode);
}

} // namespace

BENCHMARK(BM_CopyRtf_Compare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyUnicode_Compare)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
