// Surface.h: 32-bit pixel surfaces, the memory every bitmap and window draws into, and the pixel
// operations the GDI layer builds on (fills, copies, coverage blending in linear light).
// A surface either owns its pixels (bitmaps: SurfaceCreate allocates, SurfaceFree releases) or
// borrows them (a window's framebuffer, owned by the window layer, wrapped by SurfaceWrap).
// Pixels are 0x00RRGGBB words, top row first; COLORREF values (0x00BBGGRR) are converted at the
// GDI boundary with PixelFromColorRef / ColorRefFromPixel.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>

struct Surface {
    uint32_t* Pixels;
    int Width;
    int Height;
    int Stride; // in pixels
    bool OwnsPixels;
    // The part drawn since the window layer last presented the surface (empty: nothing).
    RECT Changed;
};

// The largest surface side we allocate; larger requests fail as an out-of-memory would.
constexpr int SurfaceMaxSide = 16384;

// Allocates a zero-filled (black) surface; false when a side is not positive or too large.
bool SurfaceCreate(Surface* surface, int width, int height);
// Wraps pixels owned elsewhere (a window's framebuffer); SurfaceFree then leaves them alone.
void SurfaceWrap(Surface* surface, uint32_t* pixels, int width, int height, int stride);
void SurfaceFree(Surface* surface);

constexpr uint32_t PixelFromColorRef(COLORREF c) {
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | uint32_t(GetBValue(c));
}
constexpr COLORREF ColorRefFromPixel(uint32_t p) {
    return RGB(BYTE(p >> 16), BYTE(p >> 8), BYTE(p));
}

// Grows the changed part by rect (surface coordinates, already clipped).
void SurfaceMarkChanged(Surface* surface, const RECT& rect);
// Gives the changed part and forgets it: for the backend, after presenting.
RECT SurfaceTakeChanged(Surface* surface);

// Intersection of two rectangles (right and bottom exclusive); false when it is empty.
bool RectIntersect(const RECT& a, const RECT& b, RECT* out);

// Fills rect, already clipped to the surface, with one pixel value.
void SurfaceFill(Surface* surface, const RECT& rect, uint32_t pixel);

// A blend table: the pixels that coverage 0..255 of Foreground gives over Background, blended in
// linear light. Text over a plain background (the usual case) costs one lookup per pixel.
struct BlendTable {
    uint32_t Foreground;
    uint32_t Background;
    bool Valid;
    uint32_t Pixels[256];
};
void BlendTablePrepare(BlendTable* table, uint32_t foreground, uint32_t background);
// One pixel of foreground at coverage over dest, in linear light.
uint32_t BlendPixel(uint32_t dest, uint32_t foreground, uint8_t coverage);

// Blends a coverage map (width x height bytes, row pitch `pitch`) whose top-left lands at (x, y)
// in the surface, clipped to clip (already inside the surface).
void SurfaceBlendCoverage(Surface* surface, const RECT& clip, int x, int y, const uint8_t* coverage,
                          int width, int height, int pitch, uint32_t foreground, BlendTable* table);
