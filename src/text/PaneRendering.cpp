// PaneRendering.cpp: draws a laid-out pane from TopLine down (PaintPane) and its search hit over
// it (PaintHit). Runs are converted into the shared ConversionBuffer, so a warm paint allocates
// nothing; every font and brush selected here is put back before returning.
//
// Reverse mode mirrors each drawn run inside its own rectangle. The highlight follows the letters:
// a hit's bytes are drawn where the mirrored run shows them, that is after the bytes of the run
// that follow the hit, and a reversed hanging word is highlighted only where its own bytes are hit.
#include "text/TextPane.h"

#include "store/ArticleText.h"

#include <algorithm>

namespace {

struct VisibleStart {
    const LineEntry* Entry;
    int Y;
    int Remaining;
};

VisibleStart FindFirstVisible(TextPane* pane) {
    if (pane->TopLine > pane->DisplayLines) pane->TopLine = pane->MaxTopLine;
    VisibleStart start = {pane->Lines, pane->Top, pane->Height};
    int k = 0;
    while (start.Entry->Style != StyleEnd && k < pane->TopLine) {
        k += (start.Entry->Style & StyleParagraphEnd) ? 2 : 1;
        ++start.Entry;
    }
    if (k > pane->TopLine) {
        // TopLine is the blank line after the previous entry.
        start.Y += start.Entry[-1].Height;
        start.Remaining -= start.Entry[-1].Height;
    }
    return start;
}

uint8_t StartStyle(const LineEntry* entry) {
    if (entry->Style == StyleEnd || IsSeparatorStyle(entry->Style)) return StyleLayoutStart;
    return entry->Style;
}

void DrawRule(HDC dc, const LineEntry& entry, int y) {
    HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    const int m = y + entry.Height / 2;
    Rectangle(dc, entry.X, m, entry.X + entry.Width, m + 1);
    if (previous) SelectObject(dc, previous);
}

// The bytes of a hanging word that fit its column, and their width.
void FitHangingWord(HDC dc, const LineEntry& entry, const uint8_t* word, int length, int* n, int* width) {
    *n = length;
    *width = entry.HangWidth;
    MeasureFit(dc, word, width, n);
}

void DrawEntryText(TextPane* pane, const LineEntry& entry, int y) {
    const uint8_t* run = pane->Text + entry.Offset;
    if (entry.HangWidth != 0) {
        int length, n, ww;
        if (entry.Style & StyleReversed) {
            // The record's first word stands right-aligned in a column right of the run.
            const uint8_t* word = ReversedHangingWord(pane, &entry, &length);
            FitHangingWord(pane->DC, entry, word, length, &n, &ww);
            DrawRun(pane->DC, word, n, entry.X + entry.Width + entry.HangWidth - ww, y, ww, entry.Height);
        } else {
            const uint8_t* word = NormalHangingWord(pane, &entry, &length, &run);
            FitHangingWord(pane->DC, entry, word, length, &n, &ww);
            DrawRun(pane->DC, word, n, entry.X - entry.HangWidth, y, ww, entry.Height);
        }
    }
    DrawRun(pane->DC, run, entry.Count, entry.X, y, entry.Width, entry.Height);
}

void DrawEntryHit(TextPane* pane, const LineEntry& entry, int y) {
    const uint8_t* run = pane->Text + entry.Offset;
    if (entry.HangWidth != 0) {
        int length, n, ww;
        if (entry.Style & StyleReversed) {
            const uint8_t* word = ReversedHangingWord(pane, &entry, &length);
            FitHangingWord(pane->DC, entry, word, length, &n, &ww);
            DrawHitRun(pane, word, n, entry.X + entry.Width + entry.HangWidth - ww, y);
        } else {
            const uint8_t* word = NormalHangingWord(pane, &entry, &length, &run);
            FitHangingWord(pane->DC, entry, word, length, &n, &ww);
            DrawHitRun(pane, word, n, entry.X - entry.HangWidth, y);
        }
    }
    DrawHitRun(pane, run, entry.Count, entry.X, y);
}

// The width of n bytes as drawn.
int RunWidth(HDC dc, const uint8_t* bytes, int n, int* height) {
    SIZE size = {0, 0};
    int length = 0;
    const WCHAR* chars = n > 0 ? ToDisplayTextCounted(bytes, n, &length) : nullptr;
    if (chars && length > 0) GetTextExtentPoint32W(dc, chars, length, &size);
    if (height) *height = size.cy;
    return size.cx;
}

} // namespace

int PaintPane(TextPane* pane, int erase) {
    if (!pane || !pane->Text || !pane->Lines) return PaneNoPane;
    pane->PaintedLines = 0;
    VisibleStart start = FindFirstVisible(pane);
    HDC dc = pane->DC;
    uint8_t style = StartStyle(start.Entry);
    const COLORREF savedColour = GetTextColor(dc);
    HFONT previousFont = SelectPaneFont(pane, style | SelectWithColour);
    if (erase) FillPaneRect(dc, pane->Left, pane->Top, pane->Width, pane->Height, WHITE_BRUSH);
    int y = start.Y, remaining = start.Remaining;
    for (const LineEntry* entry = start.Entry; entry->Style != StyleEnd; ++entry) {
        if (remaining < entry->Height) break;
        if (IsSeparatorStyle(entry->Style)) {
            DrawRule(dc, *entry, y);
        } else {
            if ((entry->Style ^ style) & StyleKeyMask) SelectPaneFont(pane, entry->Style | SelectWithColour);
            style = entry->Style;
            DrawEntryText(pane, *entry, y);
        }
        const int lines = (entry->Style & StyleParagraphEnd) ? 2 : 1;
        y += lines * entry->Height;
        remaining -= lines * entry->Height;
        pane->PaintedLines += lines;
    }
    SelectObject(dc, previousFont);
    SetTextColor(dc, savedColour);
    if (pane->HitStart != 0 || pane->HitEnd != 0) return PaintHit(pane);
    return 0;
}

int PaintHit(TextPane* pane) {
    if (!pane || !pane->Text || !pane->Lines) return PaneNoPane;
    VisibleStart start = FindFirstVisible(pane);
    uint8_t style = StartStyle(start.Entry);
    HFONT previousFont = SelectPaneFont(pane, style);
    int y = start.Y, remaining = start.Remaining;
    for (const LineEntry* entry = start.Entry; entry->Style != StyleEnd; ++entry) {
        if (remaining < entry->Height) break;
        int first, end;
        EntrySpan(pane, entry, &first, &end);
        // The whole span counts, the hanging word included, so a hit on the word alone is shown.
        if (!IsSeparatorStyle(entry->Style) && pane->HitEnd > first && pane->HitStart < end) {
            if ((entry->Style ^ style) & StyleKeyMask) SelectPaneFont(pane, entry->Style);
            style = entry->Style;
            DrawEntryHit(pane, *entry, y);
        }
        const int lines = (entry->Style & StyleParagraphEnd) ? 2 : 1;
        y += lines * entry->Height;
        remaining -= lines * entry->Height;
    }
    SelectObject(pane->DC, previousFont);
    return 0;
}

void DrawHitRun(TextPane* pane, const uint8_t* run, int n, int x, int y) {
    const int runOffset = int(run - pane->Text);
    int k = pane->HitStart - runOffset; // bytes of the run before the hit
    if (k < 0) k = 0;                   // the hit began in an earlier run
    const int after = n - k;            // bytes from the hit's start to the run's end
    if (after < 0) return;
    const uint8_t* hit = run + k;
    const int m = std::min(after, pane->HitEnd - (runOffset + k));
    if (m < 1) return;
    int cy = 0;
    const int cx = RunWidth(pane->DC, hit, m, &cy);
    // Mirrored runs show the bytes after the hit to its left; otherwise those before it are there.
    const int px = DisplayIsReversed() ? RunWidth(pane->DC, hit + m, after - m, nullptr)
                                       : RunWidth(pane->DC, run, k, nullptr);
    DrawRunColored(pane->DC, hit, m, x + px, y, cx, cy, ColourHitText, ColourHitBack);
}
