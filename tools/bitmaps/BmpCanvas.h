// BmpCanvas.h: a small palette canvas for the bitmap generator and the writer of its .bmp files.
// A canvas owns its pixel indices (a vector); nothing else is allocated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpCanvas {
    int Width;
    int Height;
    std::vector<uint8_t> Pixels; // palette indices, top row first
};

// A new canvas filled with index fill.
BmpCanvas MakeCanvas(int width, int height, uint8_t fill);
// Sets one pixel; points outside the canvas are ignored, so shapes may run over the edge.
void PutPixel(BmpCanvas* canvas, int x, int y, uint8_t index);
uint8_t PixelAt(const BmpCanvas& canvas, int x, int y);
// A filled rectangle, and the outline of one, both with inclusive corners.
void FillBox(BmpCanvas* canvas, int left, int top, int right, int bottom, uint8_t index);
void OutlineBox(BmpCanvas* canvas, int left, int top, int right, int bottom, uint8_t index);
void DrawLine(BmpCanvas* canvas, int x0, int y0, int x1, int y1, uint8_t index);
// Draws rows of text art at (x, y): each character is looked up in key, whose position in that
// string is the palette index it stands for; characters not in key (such as '.') are left alone.
void StampArt(BmpCanvas* canvas, int x, int y, const char* const* rows, int rowCount, const char* key);

// Writes the canvas as a bottom-up BI_RGB .bmp file with bitsPerPixel 1 or 4 and the given
// palette (0x00RRGGBB words, 2 or 16 of them). Returns false when the file cannot be written.
bool WriteBmp(const std::string& path, const BmpCanvas& canvas, int bitsPerPixel,
              const std::vector<uint32_t>& palette);
