// Surface.cpp: allocation of pixel surfaces and the pixel loops beneath the GDI layer: fills and
// coverage blending. Blending happens in linear light (sRGB decoded, mixed, encoded again) so that
// anti-aliased edges keep the weight of the stem they belong to on any background.
#include "platform/gdi/Surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// sRGB byte to linear light in 0..65535, and linear light (in 4096 steps) back to an sRGB byte.
constexpr int LinearSteps = 4096;
struct GammaTables {
    uint16_t ToLinear[256];
    uint8_t ToSrgb[LinearSteps];
};

double SrgbToLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double LinearToSrgb(double l) {
    return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1.0 / 2.4) - 0.055;
}

const GammaTables& Gamma() {
    static const GammaTables tables = [] {
        GammaTables t{};
        for (int i = 0; i < 256; i++)
            t.ToLinear[i] = uint16_t(std::lround(SrgbToLinear(i / 255.0) * 65535.0));
        for (int i = 0; i < LinearSteps; i++)
            t.ToSrgb[i] = uint8_t(std::lround(LinearToSrgb((i + 0.5) / LinearSteps) * 255.0));
        t.ToSrgb[0] = 0;
        t.ToSrgb[LinearSteps - 1] = 255;
        return t;
    }();
    return tables;
}

uint32_t BlendChannel(const GammaTables& g, uint32_t dest, uint32_t fore, uint32_t coverage) {
    int32_t d = g.ToLinear[dest];
    int32_t f = g.ToLinear[fore];
    int32_t mixed = d + (f - d) * int32_t(coverage) / 255;
    return g.ToSrgb[uint32_t(mixed) * LinearSteps / 65536];
}

} // namespace

bool SurfaceCreate(Surface* surface, int width, int height) {
    *surface = Surface{};
    if (width <= 0 || height <= 0 || width > SurfaceMaxSide || height > SurfaceMaxSide) return false;
    auto* pixels = static_cast<uint32_t*>(std::calloc(size_t(width) * size_t(height), sizeof(uint32_t)));
    if (pixels == nullptr) return false;
    *surface = Surface{pixels, width, height, width, true, RECT{0, 0, 0, 0}};
    return true;
}

void SurfaceWrap(Surface* surface, uint32_t* pixels, int width, int height, int stride) {
    *surface = Surface{pixels, width, height, stride, false, RECT{0, 0, 0, 0}};
}

void SurfaceFree(Surface* surface) {
    if (surface->OwnsPixels) std::free(surface->Pixels);
    *surface = Surface{};
}

bool RectIntersect(const RECT& a, const RECT& b, RECT* out) {
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.left >= r.right || r.top >= r.bottom) {
        *out = RECT{0, 0, 0, 0};
        return false;
    }
    *out = r;
    return true;
}

void SurfaceMarkChanged(Surface* surface, const RECT& rect) {
    RECT& c = surface->Changed;
    if (rect.left >= rect.right || rect.top >= rect.bottom) return;
    if (c.left >= c.right || c.top >= c.bottom) {
        c = rect;
        return;
    }
    c = RECT{std::min(c.left, rect.left), std::min(c.top, rect.top), std::max(c.right, rect.right),
             std::max(c.bottom, rect.bottom)};
}

RECT SurfaceTakeChanged(Surface* surface) {
    RECT changed = surface->Changed;
    surface->Changed = RECT{0, 0, 0, 0};
    return changed;
}

void SurfaceFill(Surface* surface, const RECT& rect, uint32_t pixel) {
    SurfaceMarkChanged(surface, rect);
    for (LONG y = rect.top; y < rect.bottom; y++) {
        uint32_t* row = surface->Pixels + size_t(y) * size_t(surface->Stride);
        for (LONG x = rect.left; x < rect.right; x++)
            row[x] = pixel;
    }
}

uint32_t BlendPixel(uint32_t dest, uint32_t foreground, uint8_t coverage) {
    if (coverage == 0) return dest;
    if (coverage == 255) return foreground;
    const GammaTables& g = Gamma();
    uint32_t r = BlendChannel(g, (dest >> 16) & 0xFF, (foreground >> 16) & 0xFF, coverage);
    uint32_t gr = BlendChannel(g, (dest >> 8) & 0xFF, (foreground >> 8) & 0xFF, coverage);
    uint32_t b = BlendChannel(g, dest & 0xFF, foreground & 0xFF, coverage);
    return (r << 16) | (gr << 8) | b;
}

void BlendTablePrepare(BlendTable* table, uint32_t foreground, uint32_t background) {
    if (table->Valid && table->Foreground == foreground && table->Background == background) return;
    for (int c = 0; c < 256; c++)
        table->Pixels[c] = BlendPixel(background, foreground, uint8_t(c));
    table->Foreground = foreground;
    table->Background = background;
    table->Valid = true;
}

void SurfaceBlendCoverage(Surface* surface, const RECT& clip, int x, int y, const uint8_t* coverage,
                          int width, int height, int pitch, uint32_t foreground, BlendTable* table) {
    RECT glyph{x, y, x + width, y + height};
    RECT area;
    if (!RectIntersect(glyph, clip, &area)) return;
    SurfaceMarkChanged(surface, area);
    const uint32_t background = table->Background;
    for (LONG row = area.top; row < area.bottom; row++) {
        const uint8_t* src = coverage + size_t(row - y) * size_t(pitch) + (area.left - x);
        uint32_t* dst = surface->Pixels + size_t(row) * size_t(surface->Stride);
        for (LONG col = area.left; col < area.right; col++, src++) {
            // Over the plain background (nearly every pixel of a glyph's box) one lookup serves
            // every coverage, 0 and 255 included; elsewhere blend with what is there.
            uint32_t d = dst[col];
            uint8_t c = *src;
            if (d == background)
                dst[col] = table->Pixels[c];
            else if (c != 0)
                dst[col] = c == 255 ? foreground : BlendPixel(d, foreground, c);
        }
    }
}
