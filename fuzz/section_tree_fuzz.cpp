// section_tree_fuzz.cpp: the section tree over arbitrary index bytes: sealing, the bookmark group,
// layout, reveal, the open state kept over a resize, taps (which open and close headings), scrolling
// and painting. The first eight input bytes choose the view, the font size, two bookmarks, the
// lesson revealed and the Reverse flag; the rest is the index as the store would hand it over.
// Every row must lie inside its stream and VisibleRows must count the shown rows.
#include "navigation/Navigation.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t HeaderBytes = 8;

struct FuzzSurface {
    HDC DC = nullptr;
    FuzzSurface() {
        DC = CreateCompatibleDC(nullptr);
        SelectObject(DC, CreateCompatibleBitmap(DC, 320, 400));
    }
};

void CheckRows(const SectionTree* tree) {
    if (!tree->SectionIndex || !tree->Rows) return;
    const size_t length = SectionStreamLength(tree->SectionIndex);
    int shown = 0;
    for (int i = 0; i < tree->RowCount; ++i) {
        const SectionRow& r = tree->Rows[i];
        if (r.Attributes == 0 || size_t(r.TextOffset) + r.Length > length) std::abort();
        shown += (r.Attributes & SectionShown) ? 1 : 0;
    }
    if (tree->Rows[tree->RowCount].Attributes != 0 || shown != tree->VisibleRows) std::abort();
    if (tree->MaxTopRow > tree->VisibleRows) std::abort();
}

void Exercise(SectionTree* tree, const uint8_t* data) {
    RevealLesson(tree, uint16_t(data[6] | (data[7] & 0x3F) << 8));
    CheckRows(tree);
    uint16_t* saved = SaveOpenState(tree);
    ResizeSectionTree(tree, 1 + data[0] / 2, 1 + data[1] * 2);
    RestoreOpenState(tree, saved);
    std::free(saved);
    CheckRows(tree);
    for (int k = 0; k < 4; ++k) {
        HitTestSectionTree(tree, data[k] + data[k + 2] % 16, data[k + 1] * 2 + k * 7);
        CheckRows(tree);
    }
    ScrollSectionTree(tree, int(int8_t(data[5])), 1, 1);
    tree->TopRow = uint16_t(data[4] * 3); // anywhere: painting and taps must cope
    PaintSectionTree(tree, 1);
    HitTestSectionTree(tree, data[2], data[3]);
    CheckRows(tree);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSurface surface;
    static uint16_t bookmarks[3];
    if (size < HeaderBytes || size - HeaderBytes > 2 * MaxSectionIndexLength) return 0;
    ResetReaderState();
    const char16_t face[] = u"DejaVu Sans";
    std::memcpy(ReaderState.FontSpec.FontFace, face, sizeof face);
    ReaderState.FontSpec.FontSize = data[4] % 40;
    ReaderState.FontSpec.FontAsciiBase = AsciiBaseUnicode;
    ReaderState.Flags = (data[7] & 0x80) ? FlagReverse : 0;
    bookmarks[0] = uint16_t(data[5] % 251);
    bookmarks[1] = uint16_t(data[6] % 251);
    bookmarks[2] = 0;
    ReaderState.Bookmarks = bookmarks; // borrowed: never freed here
    ReaderState.BookmarkCount = bookmarks[0] == 0 ? 0 : (bookmarks[1] == 0 ? 1 : 2);
    RECT view = {data[0] % 16, data[1] % 16, data[0] % 16 + data[2] + 1, data[1] % 16 + data[3] * 2};
    const size_t length = size - HeaderBytes;
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(length ? length : 1));
    if (length) std::memcpy(bytes, data + HeaderBytes, length);
    uint8_t* index = AddBookmarkBlock(SealSectionIndex(bytes, length));
    SectionTree* tree = CreateSectionTree(surface.DC, &view, &ReaderState.FontSpec, SectionTreeCapacity);
    if (LayoutSectionTree(tree, index, 0) != TreeLayoutOk)
        std::free(index);
    else
        Exercise(tree, data);
    ReleaseSectionTree(tree, 1);
    ReaderState.Bookmarks = nullptr;
    return 0;
}
