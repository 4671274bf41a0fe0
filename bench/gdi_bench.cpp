// gdi_bench.cpp: the drawing and text layer's costs once the glyph cache is warm: one 40-character
// line through DrawTextW with the run format, a fit query over a 400-character run with a
// 240-pixel limit, and a whole 480 x 800 pane of text. Each is quoted beside a memset of the same
// 480 x 800 surface in the same run, the cheapest way to touch every pixel once.
#include "platform/Win32.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int PaneWidth = 480;
constexpr int PaneHeight = 800;
constexpr LONG FontHeight = 16;

struct Pane {
    HDC Dc;
    HBITMAP Bitmap;
    HFONT Font;
    PlatformPixels Pixels;
};

// A pane-sized memory DC with a reading face selected.
Pane MakePane() {
    Pane pane{CreateCompatibleDC(nullptr), nullptr, nullptr, {}};
    pane.Bitmap = CreateCompatibleBitmap(pane.Dc, PaneWidth, PaneHeight);
    SelectObject(pane.Dc, pane.Bitmap);
    LOGFONTW log{};
    log.lfHeight = FontHeight;
    const char16_t* face = u"David CLM";
    for (int i = 0; face[i]; i++)
        log.lfFaceName[i] = face[i];
    pane.Font = CreateFontIndirectW(&log);
    SelectObject(pane.Dc, pane.Font);
    SetBkMode(pane.Dc, TRANSPARENT);
    PlatformGetDCPixels(pane.Dc, &pane.Pixels);
    return pane;
}

void FreePane(Pane& pane) {
    SelectObject(pane.Dc, GetStockObject(SYSTEM_FONT));
    DeleteDC(pane.Dc);
    DeleteObject(pane.Bitmap);
    DeleteObject(pane.Font);
}

// Hebrew words of two to six letters with spaces, as a page of the reader holds.
std::u16string HebrewText(int length) {
    std::u16string s;
    unsigned seed = 12345;
    while (int(s.size()) < length) {
        seed = seed * 1103515245 + 12345;
        int word = 2 + int((seed >> 16) % 5);
        for (int i = 0; i < word && int(s.size()) < length; i++) {
            seed = seed * 1103515245 + 12345;
            s.push_back(WCHAR(0x05D0 + (seed >> 16) % 27));
        }
        if (int(s.size()) < length) s.push_back(u' ');
    }
    return s;
}

void ClearPane(const Pane& pane) {
    std::memset(pane.Pixels.Pixels, 0xFF, size_t(pane.Pixels.Stride) * pane.Pixels.Height * sizeof(uint32_t));
}

void BM_MemsetPane(benchmark::State& state) {
    Pane pane = MakePane();
    for (auto _ : state) {
        ClearPane(pane);
        benchmark::ClobberMemory();
    }
    FreePane(pane);
}
BENCHMARK(BM_MemsetPane);

void BM_DrawTextLine40(benchmark::State& state) {
    Pane pane = MakePane();
    const std::u16string line = HebrewText(40);
    SIZE size{};
    GetTextExtentPoint32W(pane.Dc, line.data(), int(line.size()), &size);
    RECT r{10, 100, 10 + size.cx, 100 + size.cy};
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawTextW(pane.Dc, line.data(), int(line.size()), &r, DT_RUN_FORMAT));
    FreePane(pane);
}
BENCHMARK(BM_DrawTextLine40);

void BM_ExtentFit400(benchmark::State& state) {
    Pane pane = MakePane();
    const std::u16string run = HebrewText(400);
    std::vector<INT> dx(run.size());
    INT fit = 0;
    SIZE size{};
    for (auto _ : state) {
        GetTextExtentExPointW(pane.Dc, run.data(), int(run.size()), 240, &fit, dx.data(), &size);
        benchmark::DoNotOptimize(fit);
    }
    FreePane(pane);
}
BENCHMARK(BM_ExtentFit400);

// A full pane: white background, then every line of text, each a run in a rectangle as wide as
// its measured width (the pane's own drawing), right-aligned as the reader sets Hebrew.
void BM_FullPaneText(benchmark::State& state) {
    Pane pane = MakePane();
    struct Line {
        std::u16string Text;
        RECT Rect;
    };
    std::vector<Line> lines;
    const std::u16string source = HebrewText(20000);
    size_t at = 0;
    for (int y = 0; y + FontHeight <= PaneHeight; y += FontHeight) {
        INT fit = 0;
        SIZE size{};
        GetTextExtentExPointW(pane.Dc, source.data() + at, 200, PaneWidth - 8, &fit, nullptr, &size);
        std::u16string text = source.substr(at, size_t(fit));
        at += size_t(fit);
        GetTextExtentPoint32W(pane.Dc, text.data(), int(text.size()), &size);
        lines.push_back(Line{text, RECT{PaneWidth - 4 - size.cx, y, PaneWidth - 4, y + FontHeight}});
    }
    size_t units = 0;
    for (const Line& line : lines)
        units += line.Text.size();
    for (auto _ : state) {
        ClearPane(pane);
        for (Line& line : lines)
            DrawTextW(pane.Dc, line.Text.data(), int(line.Text.size()), &line.Rect, DT_RUN_FORMAT);
        benchmark::ClobberMemory();
    }
    state.counters["lines"] = double(lines.size());
    state.counters["glyphs"] = double(units);
    FreePane(pane);
}
BENCHMARK(BM_FullPaneText)->Unit(benchmark::kMicrosecond);

// The first draw of a face at a size (cold cache): realising the font and rasterising the 28
// glyphs of a Hebrew line. Each iteration takes a size not used before in the run, so this runs
// once, not repeated: heights 10 to 109.
void BM_ColdFontFirstLine(benchmark::State& state) {
    Pane pane = MakePane();
    const std::u16string line = HebrewText(400);
    LONG height = 10;
    for (auto _ : state) {
        LOGFONTW log{};
        log.lfHeight = height++;
        const char16_t* face = u"David CLM";
        for (int i = 0; face[i]; i++)
            log.lfFaceName[i] = face[i];
        HFONT font = CreateFontIndirectW(&log);
        HGDIOBJ old = SelectObject(pane.Dc, font);
        RECT r{0, 0, PaneWidth, PaneHeight};
        DrawTextW(pane.Dc, line.data(), int(line.size()), &r, DT_RUN_FORMAT);
        SelectObject(pane.Dc, old);
        DeleteObject(font);
    }
    FreePane(pane);
}
BENCHMARK(BM_ColdFontFirstLine)->Unit(benchmark::kMicrosecond)->Iterations(100)->Repetitions(1);

} // namespace

BENCHMARK_MAIN();
