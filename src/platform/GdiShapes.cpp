// GdiShapes.cpp: Rectangle, FillRect, lines, pixel access and the copies BitBlt and StretchBlt.
// Coordinates are the DC's logical ones (its origin added), every write is clipped to the DC's
// bounds, and right and bottom edges are exclusive as in Win32. Pens are solid; a pen wider than
// one pixel draws its width inside the rectangle's outline and centred on a line.
#include "Gdi.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Win32 keeps coordinates within 27 bits; clamping there keeps every sum below free of overflow.
constexpr int CoordLimit = 1 << 27;
int Clamp(int v) {
    return v < -CoordLimit ? -CoordLimit : (v > CoordLimit ? CoordLimit : v);
}

// Fills a logical rectangle (already ordered) in a DC, clipped to its bounds.
void FillLogical(GdiDC* dc, LONG left, LONG top, LONG right, LONG bottom, COLORREF colour) {
    RECT r{left + dc->Origin.x, top + dc->Origin.y, right + dc->Origin.x, bottom + dc->Origin.y};
    RECT clipped;
    if (RectIntersect(r, dc->Bounds, &clipped)) SurfaceFill(dc->Target, clipped, PixelFromColorRef(colour));
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

// Bresenham from the current position to (x, y), the end point excluded as in Win32.
BOOL LineTo(HDC handle, int x, int y) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return FALSE;
    GdiPen* pen = GdiLookupPen(dc->Pen);
    int x0 = dc->Position.x, y0 = dc->Position.y;
    x = Clamp(x), y = Clamp(y);
    dc->Position = POINT{x, y};
    if (pen == nullptr || pen->Style == PS_NULL) return TRUE;
    int w = pen->Width > 1 ? pen->Width : 1;
    int64_t dx = int64_t(x) - x0, dy = int64_t(y) - y0;
    int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int64_t err = adx - ady;
    int64_t cx = x0, cy = y0;
    for (int64_t steps = std::max(adx, ady); steps > 0; steps--) {
        FillLogical(dc, LONG(cx - w / 2), LONG(cy - w / 2), LONG(cx - w / 2 + w), LONG(cy - w / 2 + w),
                    pen->Colour);
        int64_t e2 = 2 * err;
        if (e2 > -ady) err -= ady, cx += sx;
        if (e2 < adx) err += adx, cy += sy;
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
