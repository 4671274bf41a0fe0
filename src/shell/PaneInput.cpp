// PaneInput.cpp: what keys, scroll bars, taps and the wheel do to the panes. Every scroll goes
// through ScrollPane with clamping, repaints only the pane that moved, then brings the acting
// pane's scroll bar up to date.
#include "shell/Panes.h"

#include "search/SearchDialog.h"
#include "shell/ReaderState.h"
#include "text/TextPane.h"

#include <cstdlib>

namespace {

// A page of a pane by a 3-bit amount from Flags: half the visible lines for 2 and 4, else all
// visible lines but one; never less than one line, so a page key in a pane showing one line or
// none (a tiny window, or the last line of an article) still moves, and the right way.
int PageAmount(const TextPane* pane, uint32_t mask, unsigned shift) {
    unsigned v = (ReaderState.Flags & mask) >> shift;
    int lines = pane->PaintedLines;
    int page = (v == ScrollAmountHalfA || v == ScrollAmountHalfB) ? lines / 2 : lines - 1;
    return page < 1 ? 1 : page;
}

int KeyPage(const TextPane* pane) {
    return PageAmount(pane, FlagPageAmountMask, FlagPageAmountShift);
}

// Scrolls the acting pane by delta lines for a key and repaints it when it moved.
void KeyScroll(HWND window, TextPane* pane, int delta) {
    if (ScrollPane(pane, delta, 0, 1) != ScrollUnchanged)
        RedrawPanes(window, pane == ReaderState.TopPane ? RedrawTop : RedrawBottom);
    UpdateScrollBar(PaneState.CurrentScrollBar);
}

// A scroll bar's page: the visible lines but one, at least one line.
int FullPage(const TextPane* pane) {
    return pane->PaintedLines > 1 ? pane->PaintedLines - 1 : 1;
}

// The line delta a scroll-bar code asks for.
int ScrollBarDelta(const TextPane* pane, WORD code, int16_t thumb) {
    switch (code) {
    case SB_LINEUP:
        return -1;
    case SB_LINEDOWN:
        return 1;
    case SB_PAGEUP:
        return -FullPage(pane);
    case SB_PAGEDOWN:
        return FullPage(pane);
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        return thumb - pane->TopLine;
    case SB_TOP:
        return -int16_t(pane->TopLine);
    case SB_BOTTOM:
        return 1;
    default:
        return 0;
    }
}

} // namespace

LRESULT OnPaneKey(HWND window, WPARAM key) {
    TextPane* pane = ActingPane();
    switch (key) {
    case VK_RETURN:
        if (ReaderState.SearchString[0] != 0) SearchNext(window);
        return 0;
    case VK_LEFT:
        StepArticle(window, -2);
        return 0;
    case VK_RIGHT:
        StepArticle(window, 2);
        return 0;
    default:
        break;
    }
    if (pane == nullptr) return key >= VK_PRIOR && key <= VK_DOWN ? 0 : 1;
    switch (key) {
    case VK_PRIOR:
        KeyScroll(window, pane, -KeyPage(pane));
        return 0;
    case VK_NEXT:
        KeyScroll(window, pane, KeyPage(pane));
        return 0;
    case VK_END:
        KeyScroll(window, pane, pane->MaxTopLine ? pane->MaxTopLine : KeyPage(pane));
        return 0;
    case VK_HOME:
        KeyScroll(window, pane, pane->TopLine ? -int(pane->TopLine) : -KeyPage(pane));
        return 0;
    case VK_UP:
        KeyScroll(window, pane, -1);
        return 0;
    case VK_DOWN:
        KeyScroll(window, pane, 1);
        return 0;
    default:
        return 1;
    }
}

LRESULT OnPaneScroll(HWND window, WPARAM code, LPARAM bar) {
    TextPane* pane;
    int bits;
    if (reinterpret_cast<HWND>(bar) == PaneState.BottomPaneScrollBar && bar != 0) {
        PaneState.CurrentScrollBar = PaneState.BottomPaneScrollBar;
        pane = PaneState.BottomPane;
        bits = RedrawTopPane | RedrawBottomArea;
    } else {
        PaneState.CurrentScrollBar = PaneState.TopPaneScrollBar;
        pane = ReaderState.TopPane;
        bits = RedrawTop;
    }
    PaneState.ActivePane = pane;
    int delta = pane ? ScrollBarDelta(pane, LOWORD(code), int16_t(HIWORD(code))) : 0;
    if (delta != 0 && ScrollPane(pane, delta, 0, 1) != ScrollUnchanged) RedrawPanes(window, bits);
    DefWindowProcW(window, WM_VSCROLL, code, bar);
    if (delta != 0) UpdateScrollBar(PaneState.CurrentScrollBar);
    return 1;
}

int HitPane(const TextPane* pane, int x, int y) {
    if (pane == nullptr) return 0;
    int g = ReaderState.SurroundingGutter;
    return pane->Left - g <= x && x <= pane->Left + pane->Width + g && pane->Top - g <= y &&
           y <= pane->Top + pane->Height;
}

int TapScroll(HWND, TextPane* pane, int x, int y, int redraw) {
    if (!HitPane(pane, x, y)) return 0;
    PaneState.ActivePane = pane;
    PaneState.CurrentScrollBar =
        pane == PaneState.BottomPane ? PaneState.BottomPaneScrollBar : PaneState.TopPaneScrollBar;
    if ((ReaderState.Flags & FlagTapScrolls) == 0) return 0;
    bool byY = (ReaderState.Flags & FlagTapZonesVertical) != 0;
    int c = byY ? y : x;
    int mid = byY ? pane->Top + pane->Height / 2 : pane->Left + pane->Width / 2;
    int m = std::abs(PageAmount(pane, FlagTapAmountMask, FlagTapAmountShift));
    ScrollPane(pane, c < mid ? -m : m, redraw, 1);
    UpdateScrollBar(PaneState.CurrentScrollBar);
    return 1;
}

void OnTap(HWND window, LPARAM point) {
    if (ReaderState.TopPane == nullptr) return;
    int x = int16_t(LOWORD(point)), y = int16_t(HIWORD(point));
    if (TapScroll(window, ReaderState.TopPane, x, y, 1) == 0 &&
        TapScroll(window, PaneState.BottomPane, x, y, 0) == 1)
        RedrawPanes(window, RedrawBottomArea);
}

void OnPaneWheel(HWND window, WPARAM wParam, LPARAM point) {
    static int remainder; // part of a notch left over from fine-grained wheels
    POINT p{int16_t(LOWORD(point)), int16_t(HIWORD(point))};
    ScreenToClient(window, &p);
    TextPane* pane = nullptr;
    if (HitPane(ReaderState.TopPane, p.x, p.y))
        pane = ReaderState.TopPane;
    else if (HitPane(PaneState.BottomPane, p.x, p.y))
        pane = PaneState.BottomPane;
    if (pane == nullptr) return;
    PaneState.ActivePane = pane;
    PaneState.CurrentScrollBar =
        pane == PaneState.BottomPane ? PaneState.BottomPaneScrollBar : PaneState.TopPaneScrollBar;
    remainder += int16_t(HIWORD(wParam)) * WheelLinesPerNotch;
    int lines = remainder / WHEEL_DELTA;
    remainder -= lines * WHEEL_DELTA;
    if (lines != 0) KeyScroll(window, pane, -lines);
}
