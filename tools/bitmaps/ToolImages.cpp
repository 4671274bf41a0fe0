// ToolImages.cpp: the six tool images of the menu bar, drawn as text art over the sixteen standard
// colours. Previous and next are one arrow and its mirror image.
#include "tools/bitmaps/Pictures.h"

// The sixteen standard colours in their usual order; index 7 (silver) is the button face.
const std::vector<uint32_t> ToolPalette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                           0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

namespace {

// Each character's position in this key is its palette index; '.' is the silver background.
constexpr const char* ToolKey = "kmgonpt.Grlybfaw";
constexpr uint8_t Silver = 7;
constexpr int ToolSize = 16;

const char* const ArrowLeft[ToolSize] = {
    "................", "................", "......k.........", ".....kk.........",
    "....kak.........", "...kabkkkkkkkk..", "..kabbbbbbbbbbk.", ".kabbbbbbbbbbbk.",
    ".knnnnnnnnnnnnk.", "..knnnnnnnnnnnk.", "...knnkkkkkkkk..", "....knk.........",
    ".....kk.........", "......k.........", "................", "................"};

const char* const Index[ToolSize] = {
    "................", "..kkkkkkkkkkkk..", "..kwwwwwwwwwwk..", "..kwkkkkkwnnwk..",
    "..kwwwwwwwnnwk..", "..kwwwwwwwwwwk..", "..kwwkkkkwbbwk..", "..kwwwwwwwbbwk..",
    "..kwwwwwwwwwwk..", "..kwwkkkkwbbwk..", "..kwwwwwwwbbwk..", "..kwwwwwwwwwwk..",
    "..kwkkkkkwnnwk..", "..kwwwwwwwnnwk..", "..kkkkkkkkkkkk..", "................"};

const char* const Font[ToolSize] = {
    "................", "......kk........", "......kk........", ".....kkkk.......",
    ".....k.kk.......", "....kk.kkk......", "....k...kk......", "...kk...kkk.....",
    "...kkkkkkkk.....", "..kk.....kkk....", "..k.......kk....", ".kk.......kkk...",
    "kkkk.....kkkkk..", "................", "................", "................"};

const char* const Search[ToolSize] = {
    "................", "....kkkkk.......", "...kwwwwwk......", "..kwwaawwwk.....",
    ".kwwawwwwwwk....", ".kwwawwwwwwk....", ".kwwwwwwwwwk....", ".kwwwwwwwwwk....",
    ".kwwwwwwwwwk....", "..kwwwwwwwk.....", "...kwwwwwkkk....", "....kkkkkkmmk...",
    "..........kmmmk.", "...........kmmmk", "............kmmk", ".............kk."};

const char* const SearchAgain[ToolSize] = {
    "................", "......kkkkk.....", ".....kwwwwwk....", "....kwaawwwwk...",
    "....kwawwwwwk...", "....kwwwwwwwk...", "....kwwwwwwwk...", ".....kwwwwwkk...",
    "......kkkkkmmk..", "...........kmmk.", ".b...b......kmmk", ".bb..bb......kk.",
    ".bbb.bbb........", ".bb..bb.........", ".b...b..........", "................"};

void StampTool(BmpCanvas* strip, int slot, const char* const* rows, bool mirror) {
    for (int y = 0; y < ToolSize; y++)
        for (int x = 0; x < ToolSize; x++) {
            char c = rows[y][mirror ? ToolSize - 1 - x : x];
            for (int i = 0; ToolKey[i] != 0; i++)
                if (ToolKey[i] == c) PutPixel(strip, slot * ToolSize + x, y, uint8_t(i));
        }
}

} // namespace

BmpCanvas DrawToolStrip() {
    BmpCanvas strip = MakeCanvas(6 * ToolSize, ToolSize, Silver);
    StampTool(&strip, 0, ArrowLeft, false);
    StampTool(&strip, 1, Index, false);
    StampTool(&strip, 2, ArrowLeft, true);
    StampTool(&strip, 3, Font, false);
    StampTool(&strip, 4, Search, false);
    StampTool(&strip, 5, SearchAgain, false);
    return strip;
}
