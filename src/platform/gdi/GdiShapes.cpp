// GdiShapes.cpp: Rectangle, FillRect, lines, pixel access and the copies BitBlt and StretchBlt.
// Coordinates are the DC's logical ones (its origin added), every write is clipped to the DC's
// bounds, and right and bottom edges are exclusive as in Win32. Pens are solid or, one pixel wide,
// dashed; a wider pen draws its width inside the rectangle's outline and centred on a line.
#include "platform/gdi/Gdi.h"

#include "platform/base/Clamp.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

LONG Clamp(int64_t v) {
    return ClampCoord(v);
}

// Fills a logical rectangle (already ordered) in a DC, clipped to its bounds.
void FillLogical(GdiDC* dc, LONG left, LONG top, LONG right, LONG bottom, COLORREF colour) {
    RECT r{left + dc->Origin.x, top + dc->Origin.y, right + dc->Origin.x, bottom + dc->Origin.y};
    RECT clipped;
    if (RectIntersect(r, dc->Bounds, &clipped)) SurfaceFill(dc->Target, clipped, PixelFromColorRef(colour));
}

// A dashed one-pixel pen: 18 pixels drawn, 6 left out, counted along the line. Win32 dashes only
// pens of width 0 or 1; wider ones draw solid.
constexpr int DashOn = 18;
constexpr int DashPeriod = 24;

bool Dashed(const GdiPen* pen) {
    return pen->Style == PS_DASH && pen->Width <= 1;
}

void PlotLogical(GdiDC* dc, int64_t x, int64_t y, COLORREF colour) {
    int64_t sx = x + dc->Origin.x, sy = y + dc->Origin.y;
    if (sx < dc->Bounds.left || sx >= dc->Bounds.right || sy < dc->Bounds.top || sy >= dc->Bounds.bottom)
        return;
    RECT pixel{LONG(sx), LONG(sy), LONG(sx + 1), LONG(sy + 1)};
    SurfaceFill(dc->Target, pixel, PixelFromColorRef(colour));
}

// The outline of a rectangle with a dashed pen, clockwise from the top-left corner.
void DashedOutline(GdiDC* dc, const GdiPen* pen, int left, int top, int right, int bottom) {
    int64_t step = 0;
    auto plot = [&](int64_t x, int64_t y) {
        if (step++ % DashPeriod < DashOn) PlotLogical(dc, x, y, pen->Colour);
    };
    for (int64_t x = left; x < right - 1; x++)
        plot(x, top);
    for (int64_t y = top; y < bottom - 1; y++)
        plot(right - 1, y);
    for (int64_t x = right - 1; x > left; x--)
        plot(x, bottom - 1);
    for (int64_t y = bottom - 1; y > top; y--)
        plot(left, y);
}

void Order(int* a, int* b) {
    if (*a > *b) std::swap(*a, *b);
}

// Clips a span [start, start + length) to [0, limit), moving the other span along with it.
bool ClipSpan(int* start, int* length, int limit, int* other) {
    if (*start < 0) {
        *other -= *start;
        *length += *start;
        *start = 0;
    }
    if (*start + *length > limit) *length = limit - *start;
    return *length > 0;
}

// Same-size copy, rows moved with memmove in the order that keeps an overlapping copy intact.
void CopyRect(GdiDC* dest, int x, int y, int width, int height, GdiDC* src, int srcX, int srcY) {
    x += dest->Origin.x, y += dest->Origin.y, srcX += src->Origin.x, srcY += src->Origin.y;
    // Clip the destination to its bounds and the source to its own, each moving the other.
    int dx0 = x - dest->Bounds.left, dy0 = y - dest->Bounds.top;
    int sx0 = srcX - src->Bounds.left, sy0 = srcY - src->Bounds.top;
    int w = width, h = height;
    if (!ClipSpan(&dx0, &w, dest->Bounds.right - dest->Bounds.left, &sx0)) return;
    if (!ClipSpan(&sx0, &w, src->Bounds.right - src->Bounds.left, &dx0)) return;
    if (!ClipSpan(&dy0, &h, dest->Bounds.bottom - dest->Bounds.top, &sy0)) return;
    if (!ClipSpan(&sy0, &h, src->Bounds.bottom - src->Bounds.top, &dy0)) return;
    int dX = dx0 + dest->Bounds.left, dY = dy0 + dest->Bounds.top;
    int sX = sx0 + src->Bounds.left, sY = sy0 + src->Bounds.top;
    Surface* d = dest->Target;
    const Surface* s = src->Target;
    SurfaceMarkChanged(d, RECT{dX, dY, dX + w, dY + h});
    bool upward = d == s && dY > sY;
    for (int i = 0; i < h; i++) {
        int row = upward ? h - 1 - i : i;
        std::memmove(d->Pixels + size_t(dY + row) * d->Stride + dX,
                     s->Pixels + size_t(sY + row) * s->Stride + sX, size_t(w) * sizeof(uint32_t));
    }
}

// Nearest-neighbour scaling; a negative width or height on either side mirrors, as in Win32. Only
// the destination pixels inside the DC's bounds are visited.
void StretchRect(GdiDC* dest, int x, int y, int w, int h, GdiDC* src, int sx, int sy, int sw, int sh) {
    bool mirrorX = false, mirrorY = false;
    // A negative extent runs back from the given corner, which it includes: (x + w, x].
    if (w < 0) x += w + 1, w = -w, mirrorX = !mirrorX;
    if (h < 0) y += h + 1, h = -h, mirrorY = !mirrorY;
    if (sw < 0) sx += sw + 1, sw = -sw, mirrorX = !mirrorX;
    if (sh < 0) sy += sh + 1, sh = -sh, mirrorY = !mirrorY;
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
    RECT area{x + dest->Origin.x, y + dest->Origin.y, x + dest->Origin.x + w, y + dest->Origin.y + h};
    if (!RectIntersect(area, dest->Bounds, &area)) return;
    const Surface* s = src->Target;
    Surface* d = dest->Target;
    SurfaceMarkChanged(d, area);
    // A copy within one surface reads from a snapshot, so that it never reads what it just wrote.
    std::vector<uint32_t> snapshot;
    const uint32_t* from = s->Pixels;
    if (s == d) {
        snapshot.assign(s->Pixels, s->Pixels + size_t(s->Stride) * s->Height);
        from = snapshot.data();
    }
    for (LONG row = area.top; row < area.bottom; row++) {
        int64_t j = row - (y + dest->Origin.y);
        int64_t srcRow =
            sy + (int64_t(mirrorY ? h - 1 - j : j) * 2 + 1) * sh / (2 * int64_t(h)) + src->Origin.y;
        if (srcRow < src->Bounds.top || srcRow >= src->Bounds.bottom) continue;
        for (LONG col = area.left; col < area.right; col++) {
            int64_t i = col - (x + dest->Origin.x);
            int64_t srcCol =
                sx + (int64_t(mirrorX ? w - 1 - i : i) * 2 + 1) * sw / (2 * int64_t(w)) + src->Origin.x;
            if (srcCol < src->Bounds.left || srcCol >= src->Bounds.right) continue;
            d->Pixels[size_t(row) * d->Stride + size_t(col)] =
                from[size_t(srcRow) * s->Stride + size_t(srcCol)];
        }
    }
}

} // namespace

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return FALSE;
    left = Clamp(left), top = Clamp(top), right = Clamp(right), bottom = Clamp(bottom);
    Order(&left, &right);
    Order(&top, &bottom);
    GdiPen* pen = GdiLookupPen(dc->Pen);
    GdiBrush* brush = GdiLookupBrush(dc->Brush);
    bool outline = pen != nullptr && pen->Style != PS_NULL;
    if (!outline) {
        // Without a pen Win32 fills one pixel less on the right and at the bottom.
        if (brush && !brush->Hollow) FillLogical(dc, left, top, right - 1, bottom - 1, brush->Colour);
        return TRUE;
    }
    int w = pen->Width > 1 ? pen->Width : 1;
    if (brush && !brush->Hollow) FillLogical(dc, left + w, top + w, right - w, bottom - w, brush->Colour);
    if (Dashed(pen)) {
        DashedOutline(dc, pen, left, top, right, bottom);
        return TRUE;
    }
    FillLogical(dc, left, top, right, std::min(top + w, bottom), pen->Colour);
    FillLogical(dc, left, std::max(bottom - w, top), right, bottom, pen->Colour);
    FillLogical(dc, left, top, std::min(left + w, right), bottom, pen->Colour);
    FillLogical(dc, std::max(right - w, left), top, right, bottom, pen->Colour);
    return TRUE;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
    GdiDC* dc = GdiLookupDC(handle);
    GdiBrush* brush = GdiLookupBrush(brushHandle);
    if (dc == nullptr || rect == nullptr || brush == nullptr) return 0;
    if (!brush->Hollow)
        FillLogical(dc, Clamp(rect->left), Clamp(rect->top), Clamp(rect->right), Clamp(rect->bottom),
                    brush->Colour);
    return 1;
}

BOOL MoveToEx(HDC handle, int x, int y, POINT* previous) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return FALSE;
    if (previous) *previous = dc->Position;
    dc->Position = POINT{Clamp(x), Clamp(y)};
    return TRUE;
}

// A line from the current position to (x, y), the end point left out as in Win32. Each pixel
// along the major axis takes the nearest pixel on the other; only the steps whose major
// coordinate lies within the DC's bounds are visited, so a line of any length costs at most the
// surface's size.
BOOL LineTo(HDC handle, int x, int y) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return FALSE;
    GdiPen* pen = GdiLookupPen(dc->Pen);
    const int64_t x0 = dc->Position.x, y0 = dc->Position.y;
    x = Clamp(x), y = Clamp(y);
    dc->Position = POINT{x, y};
    if (pen == nullptr || pen->Style == PS_NULL) return TRUE;
    const int w = pen->Width > 1 ? pen->Width : 1;
    const int64_t dx = x - x0, dy = y - y0;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const int64_t major = xMajor ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
    const int64_t minorDelta = xMajor ? dy : dx;
    const int64_t majorStart = xMajor ? x0 : y0, minorStart = xMajor ? y0 : x0;
    const int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    // The steps whose major coordinate (pen width included) can touch the bounds.
    const int64_t lo = (xMajor ? dc->Bounds.left - dc->Origin.x : dc->Bounds.top - dc->Origin.y) - w;
    const int64_t hi = (xMajor ? dc->Bounds.right - dc->Origin.x : dc->Bounds.bottom - dc->Origin.y) + w;
    int64_t first = majorSign > 0 ? lo - majorStart : majorStart - hi;
    int64_t last = majorSign > 0 ? hi - majorStart : majorStart - lo;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, major);
    const bool dashed = Dashed(pen);
    for (int64_t i = first; i < last; i++) {
        if (dashed && i % DashPeriod >= DashOn) continue;
        // Nearest pixel on the minor axis: round(i * minorDelta / major), halves away from zero.
        int64_t num = 2 * i * minorDelta, den = 2 * major;
        int64_t minor = minorStart + (num >= 0 ? (num + major) / den : -((-num + major) / den));
        int64_t px = xMajor ? majorStart + majorSign * i : minor;
        int64_t py = xMajor ? minor : majorStart + majorSign * i;
        FillLogical(dc, LONG(px - w / 2), LONG(py - w / 2), LONG(px - w / 2 + w), LONG(py - w / 2 + w),
                    pen->Colour);
    }
    return TRUE;
}

COLORREF GetPixel(HDC handle, int x, int y) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return CLR_INVALID;
    int64_t sx = int64_t(x) + dc->Origin.x, sy = int64_t(y) + dc->Origin.y;
    if (sx < dc->Bounds.left || sx >= dc->Bounds.right || sy < dc->Bounds.top || sy >= dc->Bounds.bottom)
        return CLR_INVALID;
    return ColorRefFromPixel(dc->Target->Pixels[size_t(sy) * dc->Target->Stride + size_t(sx)]);
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF colour) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return CLR_INVALID;
    int64_t sx = int64_t(x) + dc->Origin.x, sy = int64_t(y) + dc->Origin.y;
    if (sx < dc->Bounds.left || sx >= dc->Bounds.right || sy < dc->Bounds.top || sy >= dc->Bounds.bottom)
        return CLR_INVALID;
    dc->Target->Pixels[size_t(sy) * dc->Target->Stride + size_t(sx)] = PixelFromColorRef(colour);
    SurfaceMarkChanged(dc->Target, RECT{LONG(sx), LONG(sy), LONG(sx + 1), LONG(sy + 1)});
    return colour & 0x00FFFFFF;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    GdiDC* d = GdiLookupDC(dest);
    GdiDC* s = GdiLookupDC(src);
    if (d == nullptr || s == nullptr || rop != SRCCOPY) return FALSE;
    x = Clamp(x), y = Clamp(y), width = Clamp(width), height = Clamp(height), srcX = Clamp(srcX),
    srcY = Clamp(srcY);
    if (width > 0 && height > 0)
        CopyRect(d, x, y, width, height, s, srcX, srcY);
    else
        StretchRect(d, x, y, width, height, s, srcX, srcY, width, height);
    return TRUE;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
    GdiDC* d = GdiLookupDC(dest);
    GdiDC* s = GdiLookupDC(src);
    if (d == nullptr || s == nullptr || rop != SRCCOPY) return FALSE;
    x = Clamp(x), y = Clamp(y), width = Clamp(width), height = Clamp(height);
    srcX = Clamp(srcX), srcY = Clamp(srcY), srcWidth = Clamp(srcWidth), srcHeight = Clamp(srcHeight);
    if (width == srcWidth && height == srcHeight && width > 0 && height > 0)
        CopyRect(d, x, y, width, height, s, srcX, srcY);
    else
        StretchRect(d, x, y, width, height, s, srcX, srcY, srcWidth, srcHeight);
    return TRUE;
}
