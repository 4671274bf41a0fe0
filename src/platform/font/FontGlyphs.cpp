// FontGlyphs.cpp: the glyph cache of a FontInstance: one rasterised, hinted glyph per UTF-16 code
// unit, kept in pages of 256 units allocated on first use, so a warm lookup is two array indexes.
// Coverage bitmaps are malloc'd once and kept with the instance for the whole run.
// A unit the face lacks shows the face's missing glyph; when that glyph is blank (some Type 1
// faces) a box is drawn in its place, so a missing letter is never invisible.
#include "platform/font/FontInternal.h"

#include FT_OUTLINE_H

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Hinting: light (vertical only), which keeps the design's proportions and gives whole-pixel
// advances; stems are snapped to the pixel grid on the y axis so horizontal strokes stay crisp.
constexpr FT_Int32 GlyphLoadFlags = FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP;

uint8_t* CopyCoverage(const FT_Bitmap& bitmap) {
    if (bitmap.width == 0 || bitmap.rows == 0) return nullptr;
    auto* out = static_cast<uint8_t*>(std::malloc(size_t(bitmap.width) * bitmap.rows));
    if (out == nullptr) return nullptr;
    for (unsigned y = 0; y < bitmap.rows; y++) {
        const unsigned char* src = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
        uint8_t* dst = out + size_t(y) * bitmap.width;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (unsigned x = 0; x < bitmap.width; x++)
                dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else {
            std::memcpy(dst, src, bitmap.width);
        }
    }
    return out;
}

// A one-pixel box in the cell: the missing-glyph sign for faces whose own one is blank.
FontGlyph BoxGlyph(const FontInstance* font) {
    int width = std::max(3, font->Em / 2);
    int height = std::max(3, int(font->Metrics.tmAscent) * 7 / 10);
    FontGlyph g{width + 2, 1, height, width, height, nullptr};
    auto* pixels = static_cast<uint8_t*>(std::calloc(size_t(width) * size_t(height), 1));
    if (pixels == nullptr) return g;
    for (int x = 0; x < width; x++)
        pixels[x] = pixels[size_t(height - 1) * width + x] = 255;
    for (int y = 0; y < height; y++)
        pixels[size_t(y) * width] = pixels[size_t(y) * width + width - 1] = 255;
    g.Coverage = pixels;
    return g;
}

bool RenderGlyph(FontInstance* font, FT_UInt index, FontGlyph* out) {
    FT_Face face = font->Face;
    if (FT_Load_Glyph(face, index, GlyphLoadFlags) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    int embolden = font->EmboldenPx;
    if (embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_EmboldenXY(&slot->outline, embolden * 64, 0);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points == 0) {
        *out = FontGlyph{int((slot->advance.x + 32) >> 6) + embolden, 0, 0, 0, 0, nullptr};
        return true;
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    *out = FontGlyph{int((slot->advance.x + 32) >> 6) + embolden,
                     slot->bitmap_left,
                     slot->bitmap_top,
                     int(slot->bitmap.width),
                     int(slot->bitmap.rows),
                     CopyCoverage(slot->bitmap)};
    if (out->Coverage == nullptr) out->Width = out->Height = 0;
    return true;
}

const FontGlyph& MissingGlyph(FontInstance* font) {
    if (!font->Missing.Loaded) {
        FontGlyph g{};
        bool drawn = RenderGlyph(font, 0, &g) && g.Coverage != nullptr;
        if (!drawn) g = BoxGlyph(font);
        font->Missing = CachedGlyph{g, true};
    }
    return font->Missing.Glyph;
}

} // namespace

const FontGlyph& FontGlyphFor(FontInstance* font, WCHAR unit) {
    CachedGlyph*& page = font->Pages[unit / FontPageSize];
    if (page == nullptr) {
        page = static_cast<CachedGlyph*>(std::calloc(FontPageSize, sizeof(CachedGlyph)));
        if (page == nullptr) return MissingGlyph(font);
    }
    CachedGlyph& cached = page[unit % FontPageSize];
    if (cached.Loaded) return cached.Glyph;
    FT_UInt index = FontCharIndex(font, unit);
    FontGlyph g{};
    if (index == 0 || !RenderGlyph(font, index, &g)) g = MissingGlyph(font);
    cached = CachedGlyph{g, true};
    return cached.Glyph;
}
