// SectionLayout.cpp: the section tree's life and layout: creation, the rows laid out from a sealed
// stream (right-aligned, indented by level, word-wrapped from the reading start of each text), the
// row table's growth, the largest scroll position, the style fonts and release. The tree owns its
// stream, rows and style fonts (tree, rows and fonts' entries from AllocOrQuit).
#include "navigation/Navigation.h"
#include "shell/Settings.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int MaxViewSide = 0x7FFF; // the view's sides as the 16-bit signed values the walks use

int ClampSide(int v) {
    return v < 0 ? 0 : (v > MaxViewSide ? MaxViewSide : v);
}

uint16_t ClampU16(int v) {
    return uint16_t(v < 0 ? 0 : (v > 0xFFFF ? 0xFFFF : v));
}

HFONT SelectedFont(HDC dc) {
    HGDIOBJ current = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SelectObject(dc, current);
    return static_cast<HFONT>(current);
}

int CurrentRowHeight(HDC dc) {
    TEXTMETRICW metrics;
    std::memset(&metrics, 0, sizeof metrics);
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

// The row of `reversed` (the record's text, reading start first) from k on, at most `remaining`
// bytes, that fits in `available` pixels: its length and width. A row on which not even one byte
// fits takes one byte all the same, as wide as the space, so that layout always advances.
void FitRow(HDC dc, const uint8_t* reversed, int k, int remaining, int available, int* length, int* width) {
    int count = remaining, fitWidth = available;
    MeasureFit(dc, reversed + k, &fitWidth, &count);
    if (count <= 0) {
        *length = 1;
        *width = available > 0 ? available : 0; // drawn clipped to the space, at the record's indent
        return;
    }
    const uint8_t next = reversed[k + count];
    if (next != 0 && next != WordSpace) {
        int j = count - 1;
        while (j >= 1 && reversed[k + j] != WordSpace)
            --j;
        if (j >= 1) {
            count = j;
            fitWidth = available;
            MeasureFit(dc, reversed + k, &fitWidth, &count);
        }
    }
    *length = count;
    *width = fitWidth;
}

// Lays out one record into rows from *row on. False when the table cannot grow or no copy is had.
bool LayoutRecord(SectionTree* tree, const SectionRecord& record, int height, int* row) {
    int indent = int(record.Level) * int(SectionIndentPerLevel);
    if (indent >= tree->Width) indent = 0;
    const int n = int(record.TextLength);
    uint8_t* reversed = static_cast<uint8_t*>(AllocOrQuit(size_t(n) + 1));
    if (!reversed) return false;
    const uint8_t* text = tree->SectionIndex + record.TextOffset;
    for (int i = 0; i < n; ++i)
        reversed[i] = text[n - 1 - i];
    reversed[n] = 0;
    int k = 0;
    for (;;) {
        while (reversed[k] == WordSpace)
            ++k;
        if (reversed[k] == 0) break;
        if (*row >= tree->RowCapacity && GrowRows(tree, *row) != 0) {
            std::free(reversed);
            return false;
        }
        int length = 0, width = 0;
        FitRow(tree->DC, reversed, k, n - k, tree->Width - indent, &length, &width);
        SectionRow& r = tree->Rows[*row];
        r.TextOffset = uint16_t(int(record.TextOffset) + n - k - length);
        r.Length = uint16_t(length);
        r.TextWidth = ClampU16(width);
        r.X = ClampU16(tree->Left + tree->Width - indent - width);
        r.Height = ClampU16(height);
        r.Id = record.Id;
        r.Attributes = uint8_t(record.Attributes | SectionRowPresent);
        if (r.Attributes & SectionShown) ++tree->VisibleRows;
        ++*row;
        k += length;
    }
    std::free(reversed);
    return true;
}

// The records of the tree's stream into rows; the current font is the style's. The row count
// reached, or -1 when memory ran out (the table is then left empty).
int LayoutRecords(SectionTree* tree) {
    SectionCursor cursor = BeginSectionRecords(tree->SectionIndex, SectionStreamLength(tree->SectionIndex));
    SectionRecord record;
    uint8_t style = TreeStartStyle;
    int height = CurrentRowHeight(tree->DC);
    int row = 0;
    while (NextSectionRecord(&cursor, &record)) {
        if ((record.Attributes ^ style) & SectionStyleMask) {
            SelectStyleFont(tree, record.Attributes, 0);
            height = CurrentRowHeight(tree->DC);
            style = record.Attributes;
        }
        if (!LayoutRecord(tree, record, height, &row)) {
            // Rows made so far may point into a stream the tree will not keep: none stay.
            std::memset(&tree->Rows[0], 0, sizeof(SectionRow));
            return -1;
        }
    }
    std::memset(&tree->Rows[row], 0, sizeof(SectionRow));
    return row;
}

} // namespace

SectionTree* CreateSectionTree(HDC dc, const RECT* rect, const FontSpec* font, uint16_t capacity) {
    if (!dc) return nullptr;
    SectionTree* tree = static_cast<SectionTree*>(AllocOrQuit(sizeof(SectionTree)));
    if (!tree) return nullptr;
    std::memset(tree, 0, sizeof *tree);
    tree->DC = dc;
    if (font) tree->Font = *font;
    tree->Font.FontFace[FontFaceCapacity - 1] = 0;
    tree->Left = rect->left;
    tree->Top = rect->top;
    tree->Width = ClampSide(rect->right - rect->left);
    tree->Height = ClampSide(rect->bottom - rect->top);
    if (capacity != 0) {
        tree->Rows = static_cast<SectionRow*>(AllocOrQuit((size_t(capacity) + 1) * sizeof(SectionRow)));
        if (tree->Rows) {
            std::memset(tree->Rows, 0, sizeof(SectionRow));
            tree->RowCapacity = capacity;
        }
    }
    return tree;
}

int LayoutSectionTree(SectionTree* tree, uint8_t* stream, int freeOld) {
    if (!tree) return TreeNoStream;
    tree->VisibleRows = 0;
    tree->MaxTopRow = 0;
    if (!stream) {
        if (freeOld) {
            std::free(tree->SectionIndex);
            tree->SectionIndex = nullptr;
        }
        return TreeNoStream;
    }
    if (stream[2] == 0 || stream[SectionRecordHeaderSize] == 0) return TreeRejected;
    if (freeOld && tree->SectionIndex != stream) {
        std::free(tree->SectionIndex);
        tree->SectionIndex = nullptr;
    }
    if (!tree->Rows || tree->RowCapacity == 0) {
        std::free(tree->Rows);
        tree->RowCapacity = 0;
        tree->Rows = static_cast<SectionRow*>(
            AllocOrQuit((size_t(SectionRowsFirstCapacity) + 1) * sizeof(SectionRow)));
        if (!tree->Rows) return TreeOutOfMemory;
        tree->RowCapacity = SectionRowsFirstCapacity;
    }
    HFONT old = SelectStyleFont(tree, TreeStartStyle, 0);
    // The rows are laid out from the stream they will point into.
    uint8_t* previous = tree->SectionIndex;
    tree->SectionIndex = stream;
    const int rows = LayoutRecords(tree);
    if (old) SelectObject(tree->DC, old);
    if (rows < 0) {
        tree->SectionIndex = previous;
        tree->RowCount = tree->VisibleRows = 0;
        return TreeOutOfMemory;
    }
    if (previous != stream && !freeOld) std::free(previous); // the tree owns one stream at a time
    tree->RowCount = uint16_t(rows);
    ComputeMaxTopRow(tree);
    return TreeLayoutOk;
}

int ResizeSectionTree(SectionTree* tree, int width, int height) {
    if (!tree) return TreeNoStream;
    tree->Width = ClampSide(width);
    tree->Height = ClampSide(height);
    return LayoutSectionTree(tree, tree->SectionIndex, 0);
}

int GrowRows(SectionTree* tree, int row) {
    SectionRow* rows = nullptr;
    if (tree->RowCapacity <= 0xFFFF - SectionRowsGrowth)
        rows = static_cast<SectionRow*>(
            AllocOrQuit((size_t(tree->RowCapacity) + SectionRowsGrowth + 1) * sizeof(SectionRow)));
    if (!rows) {
        if (tree->Rows) std::memset(&tree->Rows[row], 0, sizeof(SectionRow));
        return TreeOutOfMemory;
    }
    if (tree->Rows) std::memcpy(rows, tree->Rows, size_t(tree->RowCapacity) * sizeof(SectionRow));
    std::free(tree->Rows);
    tree->Rows = rows;
    tree->RowCapacity = uint16_t(tree->RowCapacity + SectionRowsGrowth);
    return 0;
}

uint16_t ComputeMaxTopRow(SectionTree* tree) {
    if (!tree->Rows || tree->VisibleRows == 0 || tree->RowCount == 0) return tree->MaxTopRow;
    int space = int16_t(tree->Height);
    int count = 0;
    for (int i = tree->RowCount - 1; i >= 0; --i) {
        const SectionRow& r = tree->Rows[i];
        if (r.Height > space) break;
        if (r.Attributes & SectionShown) {
            space -= r.Height;
            ++count;
        }
    }
    tree->MaxTopRow = uint16_t(tree->VisibleRows - count);
    return tree->MaxTopRow;
}

HFONT SelectStyleFont(SectionTree* tree, uint8_t style, int colour) {
    style &= SectionStyleMask;
    StyleFont* entry = tree->StyleFonts;
    while (entry && entry->Style != style)
        entry = entry->Next;
    if (!entry) {
        entry = static_cast<StyleFont*>(AllocOrQuit(sizeof(StyleFont)));
        if (!entry) return SelectedFont(tree->DC);
        entry->Style = style;
        entry->Font = nullptr;
        entry->Next = tree->StyleFonts;
        tree->StyleFonts = entry;
    }
    if (!entry->Font) { // made on first use; a failed creation is tried again on the next
        LOGFONTW logFont;
        std::memset(&logFont, 0, sizeof logFont);
        std::memcpy(logFont.lfFaceName, tree->Font.FontFace, sizeof logFont.lfFaceName);
        logFont.lfFaceName[LF_FACESIZE - 1] = 0;
        logFont.lfHeight = StyleFontHeight(tree->Font.FontSize, style);
        logFont.lfWeight = StyleFontWeight(style);
        entry->Font = CreateFontIndirectW(&logFont);
    }
    if (colour) {
        const bool largeBold = (style & (StyleLarge | StyleBold)) == (StyleLarge | StyleBold);
        SetTextColor(tree->DC, largeBold ? TreeColourLargeBold : TreeColourPlain);
    }
    if (entry->Font) return static_cast<HFONT>(SelectObject(tree->DC, entry->Font));
    return SelectedFont(tree->DC); // no font: the one selected stays, and is what the caller puts back
}

void ReleaseSectionTree(SectionTree* tree, int freeTree) {
    if (!tree) return;
    std::free(tree->SectionIndex);
    tree->SectionIndex = nullptr;
    std::free(tree->Rows);
    tree->Rows = nullptr;
    tree->RowCount = tree->RowCapacity = tree->VisibleRows = tree->MaxTopRow = tree->TopRow = 0;
    while (tree->StyleFonts) {
        StyleFont* next = tree->StyleFonts->Next;
        DeleteObject(tree->StyleFonts->Font);
        std::free(tree->StyleFonts);
        tree->StyleFonts = next;
    }
    if (freeTree) std::free(tree);
}
