// FontInternal.h: the FontInstance record and the process-wide font registry shared by the font
// files (FontFaces.cpp resolves and opens faces, FontGlyphs.cpp rasterises, FontFamilies.cpp
// enumerates). Only these files include FreeType and fontconfig.
#pragma once

#include "platform/font/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <string>

struct CachedGlyph {
    FontGlyph Glyph;
    bool Loaded;
};

constexpr int FontPageSize = 256;
constexpr int FontPageCount = 0x10000 / FontPageSize;

struct FontInstance {
    FT_Face Face;
    int Em;         // pixels per em, the size glyphs are rasterised at
    double Scale;   // pixels per font unit, for the metrics
    int EmboldenPx; // synthetic bold: extra width in pixels (0 when the face is bold itself)
    bool SymbolMap; // only a symbol character map: U+0020-U+00FF are found at U+F020-U+F0FF
    TEXTMETRICW Metrics;
    int UnderlineOffset;
    int UnderlineThickness;
    int StrikeOffset;
    int StrikeThickness;
    WCHAR Family[LF_FACESIZE];
    CachedGlyph* Pages[FontPageCount]; // allocated on first use
    CachedGlyph Missing;
};

// A face file chosen for a description.
struct FontFaceChoice {
    std::string File;
    int Index;
    std::u16string Family;
    int FcWeight; // fontconfig weight of the face found
};

// Process-wide: the FreeType library and the caches. Created on first use, kept until exit.
struct FontRegistry {
    FT_Library Library;
    bool Ready;
    std::map<std::string, FontFaceChoice> Choices;
    std::map<std::string, FontInstance*> Instances;
};
FontRegistry& Fonts();

// Resolves a face name (UTF-8, empty for the default), weight and slant to a face file, falling
// back to a Hebrew-capable face. False only when the system has no usable face at all.
bool FontChooseFace(const std::string& name, LONG weight, bool italic, FontFaceChoice* choice);
// FreeType glyph index for a code unit (0: missing).
FT_UInt FontCharIndex(const FontInstance* font, WCHAR unit);
bool FontCoversHebrew(FT_Face face);
