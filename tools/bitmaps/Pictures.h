// Pictures.h: the generator's drawings. Each returns a new canvas (owned by the caller) whose
// pixel values index the palette its comment names.
#pragma once

#include "tools/bitmaps/BmpCanvas.h"

// One-bit pictures: index 0 is ink (black), 1 is paper (white).
constexpr uint8_t Ink = 0;
constexpr uint8_t Paper = 1;
BmpCanvas DrawKeyboard();
BmpCanvas DrawLogo();
// The tree boxes beside the entries of the section list: closed heading, open heading, entry.
BmpCanvas DrawTreeBox(int which);

// The six 16 x 16 tool images side by side (previous, index, next, font, search, search again),
// four bits per pixel over ToolPalette; the background is the button face's silver.
BmpCanvas DrawToolStrip();
extern const std::vector<uint32_t> ToolPalette;
