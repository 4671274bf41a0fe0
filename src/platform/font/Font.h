// Font.h: realised fonts (a face file at a pixel size, with synthetic bold when the family has no
// bold face), their Windows-style metrics and their glyph cache. Internal to platform/.
// FontRealize resolves a LOGFONTW through fontconfig and FreeType; instances are shared by every
// HFONT with the same face, size and emboldening and live in a process-wide cache until exit.
// Glyphs are cached per instance and UTF-16 code unit; the pointers stay valid for the whole run.
#pragma once

#include "platform/Win32Gdi.h"

struct FontInstance;

// The height lfHeight 0 stands for: a cell 16 pixels high, the size the reader's panes use when no
// size is chosen (its large style is 16 x 5 / 4 = 20 and its small one about 14).
constexpr LONG FontDefaultCellHeight = 16;
// Heights beyond this (in pixels, either sign) are clamped: a larger glyph cannot be shown on any
// screen the reader runs on and would cost a cache of huge bitmaps.
constexpr LONG FontMaxHeight = 2048;
// Faces tried, in order, when the asked face does not exist or cannot be opened; each must cover
// the Hebrew letters. Without any of them, any face with the Hebrew letters, then any face at all.
constexpr const char* FontFallbackFamily = "DejaVu Sans";
// The Hebrew letters a face must have to count as Hebrew (character set 177).
constexpr WCHAR FontHebrewFirst = 0x05D0;
constexpr WCHAR FontHebrewLast = 0x05EA;

struct FontGlyph {
    int Advance; // hinted, whole pixels
    int Left;    // bitmap's left edge from the pen position
    int Top;     // bitmap's top edge above the baseline
    int Width;
    int Height;
    const uint8_t* Coverage; // Width x Height bytes, or null when blank
};

// Null only when the system has no usable font at all.
FontInstance* FontRealize(const LOGFONTW& log);
const TEXTMETRICW& FontMetrics(const FontInstance* font);
// The glyph for one code unit: the face's own glyph, else its missing-glyph box.
const FontGlyph& FontGlyphFor(FontInstance* font, WCHAR unit);
// Underline and strike-out bands: top edge relative to the baseline (positive is below) and height.
void FontUnderline(const FontInstance* font, int* offset, int* thickness);
void FontStrikeOut(const FontInstance* font, int* offset, int* thickness);
// The family name of the face that was realised (UTF-16, at most LF_FACESIZE - 1 units).
const WCHAR* FontFamilyName(const FontInstance* font);

int FontEnumFamilies(LPCWSTR family, FONTENUMPROCW proc, LPARAM lParam);
