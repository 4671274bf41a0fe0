// UiDraw.cpp: filled rectangles and frames in one colour.
#include "platform/user/UiDraw.h"

#include "platform/Win32.h"

void UiFill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void UiFrame(HDC dc, const RECT& r, COLORREF colour, int width) {
    for (int i = 0; i < width; ++i) {
        UiFill(dc, RECT{r.left + i, r.top + i, r.right - i, r.top + i + 1}, colour);
        UiFill(dc, RECT{r.left + i, r.bottom - i - 1, r.right - i, r.bottom - i}, colour);
        UiFill(dc, RECT{r.left + i, r.top + i, r.left + i + 1, r.bottom - i}, colour);
        UiFill(dc, RECT{r.right - i - 1, r.top + i, r.right - i, r.bottom - i}, colour);
    }
}
