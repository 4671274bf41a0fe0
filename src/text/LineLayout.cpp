// LineLayout.cpp: breaks a pane's ArticleText into display lines for the pane's width and fonts.
// The pane owns the line table it fills (grown here in steps of LineTableGrowth) and, with
// take-ownership set, the text; a reversed-storage record is worked on in a reversed copy, kept in
// one scratch block that grows to the longest such record and is freed when the layout ends.
//
// Each line is measured over the bytes that can fit on it rather than over the rest of its record:
// extents are sums of whole-pixel advances, so a table of each byte's advance in the current font
// (StyleAdvances) gives MeasureFit's fit and width while reading only up to the first byte that
// overflows. LayoutTextReference keeps the whole-remainder measure through MeasureFit.

#include "text/TextPane.h"

#include "store/ArticleText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The working state of one layout.
struct Layout {
    TextPane* Pane;
    uint8_t* Text;
    bool WholeRemainder; // measure each line over the rest of its record
    uint8_t Style;       // current style: the font selected
    int LineHeight;
    int MaxCharWidth;
    int AveCharWidth;
    const int32_t* Advances; // the current font's, when the measure uses them
    int Indent;              // running indentation, hanging column included
    uint8_t PreviousParam;
    int Index;        // next entry
    int Blanks;       // blank lines after paragraph ends
    uint8_t* Scratch; // the reversed copy of a record
    int ScratchCapacity;
};

enum RecordResult { RecordDone, RecordTableFull, RecordOutOfMemory };

void ReadFontMetrics(Layout* layout) {
    layout->Advances =
        layout->WholeRemainder ? nullptr : StyleAdvances(layout->Pane, layout->Style & StyleKeyMask);
    TEXTMETRICW metrics;
    std::memset(&metrics, 0, sizeof metrics);
    GetTextMetricsW(layout->Pane->DC, &metrics);
    layout->LineHeight = metrics.tmHeight;
    layout->MaxCharWidth = metrics.tmMaxCharWidth;
    layout->AveCharWidth = metrics.tmAveCharWidth;
}

// How many of count bytes fit in *width pixels, and their width. Without an advance table (a font
// that could not be made) MeasureFit runs over a prefix that doubles until the fit ends inside it.
void MeasureLine(const Layout* layout, const uint8_t* bytes, int* width, int* count) {
    if (layout->WholeRemainder) return MeasureFit(layout->Pane->DC, bytes, width, count);
    if (layout->Advances) return MeasureFitAdvances(layout->Advances, bytes, width, count);
    const int limit = *width;
    const int total = *count;
    int chunk = 2 * limit / std::max(1, layout->AveCharWidth) + 16;
    for (;;) {
        int n = std::min(chunk, total);
        int w = limit;
        MeasureFit(layout->Pane->DC, bytes, &w, &n);
        if (n < chunk || chunk >= total) {
            *width = w;
            *count = n;
            return;
        }
        chunk *= 2;
    }
}

int AlignedX(const Layout* layout, uint8_t style, int t, int width) {
    const TextPane* pane = layout->Pane;
    switch (style & StyleAlignMask) {
    case StyleAlignRight:
        return pane->Left + pane->Width - t - width;
    case StyleAlignCentre:
        return pane->Left + layout->Indent + (pane->Width - t - width) / 2;
    default:
        return pane->Left + t;
    }
}

bool OnlySpacesFrom(const uint8_t* p) {
    while (*p == WordSpace)
        ++p;
    return *p == 0;
}

RecordResult LayoutRule(Layout* layout, uint8_t style, uint8_t param, uint32_t stringOffset) {
    TextPane* pane = layout->Pane;
    if (param == 0) return RecordDone;
    if (layout->Index >= MaxLineEntries) return RecordTableFull;
    if (layout->Index >= pane->LineCapacity && GrowLines(pane, layout->Index) != 0) return RecordOutOfMemory;
    const int length = std::max(0, RuleLength(param, pane->Width));
    LineEntry* entry = &pane->Lines[layout->Index];
    entry->Offset = uint16_t(stringOffset);
    entry->Count = 0;
    entry->HangWidth = 0;
    entry->Width = uint16_t(length);
    entry->Height = uint16_t(layout->LineHeight);
    entry->Style = style;
    switch (style & StyleAlignMask) {
    case StyleAlignRight:
        entry->X = int16_t(pane->Left + pane->Width - length);
        break;
    case StyleAlignCentre:
        entry->X = int16_t(pane->Left + (pane->Width - length) / 2);
        break;
    default:
        entry->X = int16_t(pane->Left);
        break;
    }
    if (style & StyleParagraphEnd) ++layout->Blanks;
    ++layout->Index;
    return RecordDone;
}

// Where the line that starts at p breaks: fits *cnt bytes in *avail pixels, moves the break back to
// the last space or hyphen when the fit ends inside a word, and takes at least one byte when
// nothing fits and there is no hanging word, so that every line advances.
void BreakLine(const Layout* layout, const uint8_t* p, int* avail, int* cnt, bool hanging) {
    MeasureLine(layout, p, avail, cnt);
    if (p[*cnt] != 0 && p[*cnt] != WordSpace) {
        for (int m = *cnt - 1; m >= 1; --m) {
            if (p[m] != WordSpace && p[m] != WordHyphen) continue;
            const int kept = p[m] == WordHyphen ? m + 1 : m;
            if (layout->Advances) {
                // The width of the shorter run is the fit's width less the bytes given back.
                for (int k = kept; k < *cnt; ++k)
                    *avail -= layout->Advances[p[k]];
                *cnt = kept;
            } else {
                *cnt = kept;
                MeasureLine(layout, p, avail, cnt);
            }
            break;
        }
    }
    if (*cnt == 0 && !hanging) {
        // Not one byte fits (a pane narrower than a letter, or an indentation that leaves no room):
        // the line takes one byte anyway and reports that byte's own width.
        *cnt = 1;
        *avail = INT32_MAX;
        MeasureLine(layout, p, avail, cnt);
        *cnt = 1;
    }
}

RecordResult LayoutLines(Layout* layout, uint8_t style, const uint8_t* s, int length, const uint8_t* work,
                         int f) {
    TextPane* pane = layout->Pane;
    const uint8_t* p = work;
    int pos = length;
    while (*p != 0) {
        while (*p == WordSpace)
            ++p, --pos;
        if (*p == 0) break;
        if (layout->Index >= MaxLineEntries) return RecordTableFull;
        if (layout->Index >= pane->LineCapacity && GrowLines(pane, layout->Index) != 0)
            return RecordOutOfMemory;
        int avail = std::max(0, pane->Width - layout->Indent);
        int cnt = pos;
        const uint8_t* w = p;
        const uint8_t* q = p;
        if (f != 0) {
            while (*q != 0 && *q != WordSpace)
                ++q, --cnt;
            while (*q == WordSpace)
                ++q, --cnt;
            avail = std::max(0, avail - f);
            p = q;
        }
        BreakLine(layout, p, &avail, &cnt, f != 0);
        LineEntry* entry = &pane->Lines[layout->Index];
        if (style & StyleReversed) {
            entry->Offset = uint16_t((s - layout->Text) + length - ((p - work) + cnt));
            if (f != 0) p = w;
        } else {
            if (f != 0) p = w;
            entry->Offset = uint16_t(p - layout->Text);
        }
        entry->Count = uint16_t(cnt);
        entry->HangWidth = uint16_t(f);
        entry->Width = uint16_t(avail);
        entry->Height = uint16_t(layout->LineHeight);
        const int t = layout->Indent + f;
        entry->X = int16_t(AlignedX(layout, style, t, avail));
        layout->Indent = t;
        if (f != 0) cnt += int(q - w), f = 0;
        // Trailing spaces after the last fit still make this the record's last line.
        const bool last = cnt == pos || OnlySpacesFrom(p + cnt);
        entry->Style = last ? style : uint8_t(style & ~StyleParagraphEnd);
        if (last && (style & StyleParagraphEnd)) ++layout->Blanks;
        p += cnt;
        pos -= cnt;
        ++layout->Index;
        if (last) break;
    }
    return RecordDone;
}

// to[k] = from[length - 1 - k], eight bytes at a time.
void ReverseBytes(uint8_t* to, const uint8_t* from, int length) {
    int k = 0;
    for (; k + 8 <= length; k += 8) {
        uint64_t block;
        std::memcpy(&block, from + length - k - 8, 8);
        block = __builtin_bswap64(block);
        std::memcpy(to + k, &block, 8);
    }
    for (; k < length; ++k)
        to[k] = from[length - 1 - k];
}

RecordResult LayoutRecord(Layout* layout, const TextRecord& record) {
    TextPane* pane = layout->Pane;
    unsigned h = HangClassOf(record.Param);
    const uint8_t* s = layout->Text + record.StringOffset;
    if (h != 0 && s[0] == WordSpace && layout->Index > 0) {
        // A continuation: it carries on the previous paragraph's indentation, shifted by the change
        // of its own indentation bits.
        if (IndentOf(record.Param) != IndentOf(layout->PreviousParam)) {
            layout->Indent += int(IndentOf(record.Param)) - int(IndentOf(layout->PreviousParam));
        }
        h = 0;
    } else {
        layout->Indent = record.Param;
    }
    layout->PreviousParam = record.Param;
    if (IsSeparatorStyle(record.Style))
        return LayoutRule(layout, record.Style, record.Param, record.StringOffset);
    const bool newFont = (record.Style ^ layout->Style) & StyleKeyMask;
    layout->Style = record.Style;
    if (newFont) {
        SelectPaneFont(pane, record.Style);
        ReadFontMetrics(layout);
    }
    int f = 0;
    if (h != 0) {
        layout->Indent &= ParamIndentMask;
        f = int(h + 1) * layout->MaxCharWidth / 2;
    }
    const int length = int(record.StringLength);
    uint8_t* copy = nullptr;
    if (record.Style & StyleReversed) {
        if (length + 1 > layout->ScratchCapacity) {
            uint8_t* grown = static_cast<uint8_t*>(std::malloc(size_t(length) + 1));
            if (!grown) return RecordOutOfMemory;
            std::free(layout->Scratch);
            layout->Scratch = grown;
            layout->ScratchCapacity = length + 1;
        }
        copy = layout->Scratch;
        ReverseBytes(copy, s, length);
        copy[length] = 0;
    }
    if (layout->Indent >= pane->Width || layout->Indent < 0) layout->Indent = 0;
    return LayoutLines(layout, record.Style, s, length, copy ? copy : s, f);
}

// The bytes of text up to its ending Style: the walk trusts terminators as the padding allows, and
// stops before a record whose string would end beyond a 16-bit offset.
size_t TextExtent(const uint8_t* text) {
    size_t pos = 0;
    while (text[pos] != StyleEnd) {
        const size_t end = pos + 2 + std::strlen(reinterpret_cast<const char*>(text + pos + 2));
        if (end > size_t(MaxTextOffset)) break;
        pos = end + 1;
    }
    return pos;
}

int Finish(Layout* layout, RecordResult result, HFONT previousFont) {
    TextPane* pane = layout->Pane;
    SelectObject(pane->DC, previousFont);
    if (result == RecordOutOfMemory) {
        // The built entries refer to a text the pane does not hold: end the table before them.
        pane->Lines[0].Style = StyleEnd;
        pane->LineCount = 0;
        return LayoutOutOfMemory;
    }
    const int i = layout->Index;
    std::memset(&pane->Lines[i], 0, sizeof(LineEntry));
    pane->LineCount = uint16_t(i);
    int display = i + layout->Blanks;
    if (i > 0 && (pane->Lines[i - 1].Style & StyleParagraphEnd)) {
        pane->Lines[i - 1].Style &= uint8_t(~StyleParagraphEnd);
        --display;
    }
    pane->DisplayLines = uint16_t(display);
    return LayoutOk;
}

int LayoutRecords(TextPane* pane, uint8_t* text, bool wholeRemainder) {
    Layout layout = {};
    layout.Pane = pane;
    layout.Text = text;
    layout.WholeRemainder = wholeRemainder;
    layout.Style = StyleLayoutStart;
    HFONT previousFont = SelectPaneFont(pane, StyleLayoutStart);
    ReadFontMetrics(&layout);
    RecordCursor cursor = BeginRecords(text, TextExtent(text));
    TextRecord record;
    RecordResult result = RecordDone;
    while (result == RecordDone && NextTextRecord(&cursor, &record))
        result = LayoutRecord(&layout, record);
    std::free(layout.Scratch);
    return Finish(&layout, result, previousFont);
}

bool FirstRecordValid(const uint8_t* text) {
    if (text[0] == StyleEnd) return false;
    return IsSeparatorStyle(text[0]) || text[2] != 0;
}

// A text given with own set that the pane does not attach is released here.
int Refuse(uint8_t* text, int own, int result) {
    if (own) std::free(text);
    return result;
}

int LayoutTextWith(TextPane* pane, uint8_t* text, int own, bool wholeRemainder) {
    if (!pane) return PaneNoPane;
    pane->DisplayLines = 0;
    pane->MaxTopLine = 0;
    pane->HitStart = 0;
    pane->HitEnd = 0;
    if (!text) {
        if (own) std::free(pane->Text), pane->Text = nullptr;
        return LayoutNoText;
    }
    if (!FirstRecordValid(text))
        return text == pane->Text ? LayoutRejected : Refuse(text, own, LayoutRejected);
    if (own && pane->Text && pane->Text != text) std::free(pane->Text), pane->Text = nullptr;
    if (!pane->Lines || pane->LineCapacity == 0) {
        LineEntry* lines =
            static_cast<LineEntry*>(std::calloc(LineTableFirstCapacity + 1u, sizeof(LineEntry)));
        if (!lines) return text == pane->Text ? LayoutOutOfMemory : Refuse(text, own, LayoutOutOfMemory);
        std::free(pane->Lines);
        pane->Lines = lines;
        pane->LineCapacity = LineTableFirstCapacity;
    }
    const int result = LayoutRecords(pane, text, wholeRemainder);
    if (result != LayoutOk) {
        if (text == pane->Text) return result;
        if (own) pane->Text = nullptr;
        return Refuse(text, own, result);
    }
    pane->Text = text;
    ComputeMaxTopLine(pane);
    return LayoutOk;
}

} // namespace

int LayoutText(TextPane* pane, uint8_t* text, int own) {
    return LayoutTextWith(pane, text, own, false);
}

int LayoutTextReference(TextPane* pane, uint8_t* text, int own) {
    return LayoutTextWith(pane, text, own, true);
}

int GrowLines(TextPane* pane, int index) {
    const int capacity = pane->LineCapacity + LineTableGrowth;
    LineEntry* lines = nullptr;
    if (capacity <= 0xFFFF)
        lines = static_cast<LineEntry*>(std::malloc((size_t(capacity) + 1) * sizeof(LineEntry)));
    if (!lines) {
        std::memset(&pane->Lines[index], 0, sizeof(LineEntry));
        return GrowLinesFailed;
    }
    std::memcpy(lines, pane->Lines, size_t(pane->LineCapacity) * sizeof(LineEntry));
    std::free(pane->Lines);
    pane->Lines = lines;
    pane->LineCapacity = uint16_t(capacity);
    return 0;
}
