// UiDraw.cpp: filled rectangles, frames and smoothed discs in one colour.
#include "platform/user/UiDraw.h"

#include "platform/Win32.h"

#include <cstdint>

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

namespace {

// Each pixel at the disc's edge is sampled on a grid of this many points a side.
constexpr int DiscSamples = 4;

int Blend(int over, int under, int coverage, int total) {
    return (over * coverage + under * (total - coverage) + total / 2) / total;
}

// How many of the pixel's sample points lie inside the ellipse of centre (cx, cy) and radii (rx, ry),
// all in sample units.
int Coverage(int x, int y, int64_t cx, int64_t cy, int64_t rx, int64_t ry) {
    int inside = 0;
    for (int j = 0; j < DiscSamples; ++j) {
        for (int i = 0; i < DiscSamples; ++i) {
            int64_t dx = int64_t(x) * DiscSamples * 2 + i * 2 + 1 - cx,
                    dy = int64_t(y) * DiscSamples * 2 + j * 2 + 1 - cy;
            // Inside when (dx / rx)^2 + (dy / ry)^2 <= 1, kept in integers.
            if (dx * dx * ry * ry + dy * dy * rx * rx <= rx * rx * ry * ry) ++inside;
        }
    }
    return inside;
}

} // namespace

void UiFillDisc(HDC dc, const RECT& r, COLORREF colour) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    // Centre and radii in units of half a sample, so that every sample point is a whole number.
    int64_t cx = int64_t(r.left + r.right) * DiscSamples, cy = int64_t(r.top + r.bottom) * DiscSamples;
    int64_t rx = int64_t(r.right - r.left) * DiscSamples, ry = int64_t(r.bottom - r.top) * DiscSamples;
    const int total = DiscSamples * DiscSamples;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            int covered = Coverage(x, y, cx, cy, rx, ry);
            if (covered == 0) continue;
            COLORREF under = covered == total ? colour : GetPixel(dc, x, y);
            if (under == CLR_INVALID) continue;
            SetPixel(dc, x, y,
                     RGB(Blend(GetRValue(colour), GetRValue(under), covered, total),
                         Blend(GetGValue(colour), GetGValue(under), covered, total),
                         Blend(GetBValue(colour), GetBValue(under), covered, total)));
        }
    }
}
