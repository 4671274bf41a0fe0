// PaneScrolling.cpp: a pane's scroll position in display lines (TopLine, MaxTopLine) and the moves
// the shell and the search make. Nothing here allocates.
#include "text/TextPane.h"

#include "store/ArticleText.h"

#include <cstdint>

int ComputeMaxTopLine(TextPane* pane) {
    if (!pane) return PaneNoPane;
    if (!pane->Lines || pane->DisplayLines == 0 || pane->LineCount == 0) {
        pane->MaxTopLine = 0;
        return PaneNoPane;
    }
    int remaining = pane->Height;
    int n = 0;
    for (int i = pane->LineCount - 1; i >= 0; --i) {
        const LineEntry& entry = pane->Lines[i];
        if (remaining < entry.Height) break;
        remaining -= entry.Height;
        ++n;
        if (entry.Style & StyleParagraphEnd) {
            remaining -= entry.Height;
            ++n;
        }
    }
    if (remaining < 0) --n; // the blank line did not fit after all
    const int top = pane->DisplayLines - n;
    pane->MaxTopLine = uint16_t(top > 0 ? top : 0);
    return pane->MaxTopLine;
}

int ScrollToOffset(TextPane* pane, int offset) {
    if (!pane) return PaneNoPane;
    if (!pane->Lines) return 0;
    int k = 0;
    for (const LineEntry* entry = pane->Lines; entry->Style != StyleEnd; ++entry) {
        // A hanging line holds its word as well as its run, so a hit in either finds the line.
        int start, end;
        EntrySpan(pane, entry, &start, &end);
        if (start <= offset && offset <= end) {
            pane->TopLine = uint16_t(k <= pane->MaxTopLine ? k : pane->MaxTopLine);
            return 1;
        }
        k += (entry->Style & StyleParagraphEnd) ? 2 : 1;
    }
    return 0;
}

int ScrollPane(TextPane* pane, int delta, int redraw, int clamp) {
    if (!pane) return PaneNoPane;
    int64_t next = int64_t(pane->TopLine) + delta;
    if (next < 0) {
        next = 0;
    } else if (clamp || next > pane->DisplayLines) {
        if (next >= pane->TopLine && pane->TopLine >= pane->MaxTopLine) return ScrollUnchanged;
        if (next > pane->DisplayLines) next = pane->MaxTopLine;
    }
    if (redraw == 1 && next == pane->TopLine) return ScrollUnchanged;
    const bool changed = next != pane->TopLine;
    pane->TopLine = uint16_t(next);
    if (redraw != 0) return PaintPane(pane, 1);
    return changed ? ScrollChanged : ScrollUnchanged;
}
