// HebrewGlyphs.h: the generator's pixel font of the 27 Hebrew letters, for pictures drawn at one
// bit per pixel where a rasterised face would blur. Static data; nothing is allocated.
#pragma once

// Each glyph is HebrewGlyphWidth x HebrewGlyphRows: rows 0-2 hold the ascender (lamed), rows 3-11
// the body, rows 12-15 the descenders of the final letters and qof.
constexpr int HebrewGlyphWidth = 8;
constexpr int HebrewGlyphRows = 16;
constexpr int HebrewGlyphBodyTop = 3;
constexpr int HebrewGlyphBodyRows = 9;

// Whether pixel (x, y) of the glyph of letter code code ('a' alef to '{' tav, in the order of
// U+05D0-U+05EA, final forms before their letters) is ink; false for any other byte.
bool HebrewGlyphInk(char code, int x, int y);
