// RunDrawing.cpp: the small drawing helpers shared by the panes and the section tree: a converted
// run in its rectangle, the same in colours, a stock-brush fill and nested frames. Each puts back
// every setting and object it changes; DrawFrame deletes the pen it made.
#include "text/TextPane.h"

void DrawRun(HDC dc, const uint8_t* run, int n, int x, int y, int width, int height) {
    int length = 0;
    const WCHAR* chars = ToDisplayTextCounted(run, n, &length);
    if (!chars || length == 0) return;
    RECT rect = {x, y, x + width, y + height};
    DrawTextW(dc, chars, length, &rect, DT_RUN_FORMAT);
}

void DrawRunColored(HDC dc, const uint8_t* run, int n, int x, int y, int width, int height, COLORREF text,
                    COLORREF back) {
    const int previousMode = SetBkMode(dc, OPAQUE);
    const COLORREF previousText = SetTextColor(dc, text);
    const COLORREF previousBack = SetBkColor(dc, back);
    DrawRun(dc, run, n, x, y, width, height);
    SetBkColor(dc, previousBack);
    SetTextColor(dc, previousText);
    SetBkMode(dc, previousMode);
}

void FillPaneRect(HDC dc, int left, int top, int width, int height, int stockObject) {
    RECT rect = {left, top, left + width, top + height};
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(stockObject)));
}

void DrawFrame(HDC dc, RECT* rect, COLORREF colour, int count) {
    HPEN pen = CreatePen(PS_SOLID, 0, colour);
    HGDIOBJ previous = pen ? SelectObject(dc, pen) : nullptr;
    for (int i = 0; i < count; ++i) {
        if (pen) Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
        ++rect->left;
        ++rect->top;
        --rect->right;
        --rect->bottom;
    }
    if (pen) {
        if (previous) SelectObject(dc, previous);
        DeleteObject(pen);
    }
}
