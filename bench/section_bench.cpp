// section_bench.cpp: the section tree's speed on the index built into the program, each figure
// beside a baseline of the same run. Opening: what the Choose Section dialog does before it is
// shown (decode and seal the index, put the group of ten bookmarks in front, create and lay out the
// tree, reveal the current lesson, paint the view) beside decoding the index alone and a memcpy of
// its stream. Re-layout: what a size change does (save the open state, lay out at the new width,
// restore) beside the same memcpy. Fonts are pinned when the test fonts' folder is known.
#include "navigation/Navigation.h"
#include "store/ArticleStore.h"
#include "text/TextPane.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int CanvasWidth = 480, CanvasHeight = 800;
const RECT DialogView = {0, 0, 227, 294}; // a 240 x 320 screen's dialog, less its scroll bar
constexpr uint16_t CurrentLesson = 23;    // under a heading the index keeps closed
const uint16_t TenBookmarks[] = {21, 9, 131, 57, 201, 3, 77, 149, 233, 111, 0};

struct BenchCanvas {
    HDC DC = nullptr;
    BenchCanvas() {
#ifdef KESTROVA_TEST_FONTS
        setenv("FONTCONFIG_FILE", KESTROVA_TEST_FONTS "/fonts.conf", 0);
#endif
        DC = CreateCompatibleDC(nullptr);
        SelectObject(DC, CreateCompatibleBitmap(DC, CanvasWidth, CanvasHeight));
        ResetReaderState();
        const char16_t face[] = u"Frank Ruehl CLM";
        std::memcpy(ReaderState.FontSpec.FontFace, face, sizeof face);
        ReaderState.FontSpec.FontSize = 18;
        ReaderState.FontSpec.FontAsciiBase = AsciiBaseUnicode;
        ReaderState.Bookmarks = const_cast<uint16_t*>(TenBookmarks);
        ReaderState.BookmarkCount = 10;
    }
};

BenchCanvas& Canvas() {
    static BenchCanvas canvas;
    return canvas;
}

SectionTree* OpenTree() {
    uint8_t* index = AddBookmarkBlock(LoadSectionIndexStream());
    SectionTree* tree =
        CreateSectionTree(Canvas().DC, &DialogView, &ReaderState.FontSpec, SectionTreeCapacity);
    if (LayoutSectionTree(tree, index, 0) != TreeLayoutOk) std::free(index);
    RevealLesson(tree, CurrentLesson);
    PaintSectionTree(tree, 1);
    return tree;
}

void BM_OpenTree(benchmark::State& state) {
    ReleaseSectionTree(OpenTree(), 1); // fonts realised and glyphs cached, as after the first opening
    int rows = 0;
    for (auto _ : state) {
        SectionTree* tree = OpenTree();
        rows = tree->RowCount;
        ReleaseSectionTree(tree, 1);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OpenTree)->Unit(benchmark::kMicrosecond);

void BM_OpenTree_DecodeOnly(benchmark::State& state) {
    Canvas();
    for (auto _ : state) {
        uint8_t* index = LoadArticleText(SectionIndexNumber);
        benchmark::DoNotOptimize(index);
        std::free(index);
    }
}
BENCHMARK(BM_OpenTree_DecodeOnly)->Unit(benchmark::kMicrosecond);

void BM_StreamMemcpy(benchmark::State& state) {
    Canvas();
    uint8_t* index = AddBookmarkBlock(LoadSectionIndexStream());
    const size_t length = SectionStreamLength(index);
    std::vector<uint8_t> copy(length);
    for (auto _ : state) {
        std::memcpy(copy.data(), index, length);
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = double(length);
    std::free(index);
}
BENCHMARK(BM_StreamMemcpy)->Unit(benchmark::kMicrosecond);

// A size change between the portrait and landscape widths of the dialog, keeping what is open.
void BM_Relayout(benchmark::State& state) {
    SectionTree* tree = OpenTree();
    ToggleSection(tree, 40); // something opened or closed by hand, to be kept
    const int widths[2] = {int(state.range(0)), 227};
    int turn = 0;
    for (auto _ : state) {
        uint16_t* saved = SaveOpenState(tree);
        ResizeSectionTree(tree, widths[turn], 294);
        RestoreOpenState(tree, saved);
        std::free(saved);
        turn ^= 1;
    }
    state.counters["rows"] = tree->RowCount;
    ReleaseSectionTree(tree, 1);
}
BENCHMARK(BM_Relayout)->Arg(467)->Arg(150)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
