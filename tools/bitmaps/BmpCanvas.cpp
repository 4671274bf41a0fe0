// BmpCanvas.cpp: the generator's canvas, its few shapes, and the .bmp writer (file header,
// BITMAPINFOHEADER, palette, rows bottom-up padded to four bytes).
#include "tools/bitmaps/BmpCanvas.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

BmpCanvas MakeCanvas(int width, int height, uint8_t fill) {
    return BmpCanvas{width, height, std::vector<uint8_t>(size_t(width) * size_t(height), fill)};
}

void PutPixel(BmpCanvas* canvas, int x, int y, uint8_t index) {
    if (x < 0 || y < 0 || x >= canvas->Width || y >= canvas->Height) return;
    canvas->Pixels[size_t(y) * size_t(canvas->Width) + size_t(x)] = index;
}

uint8_t PixelAt(const BmpCanvas& canvas, int x, int y) {
    return canvas.Pixels[size_t(y) * size_t(canvas.Width) + size_t(x)];
}

void FillBox(BmpCanvas* canvas, int left, int top, int right, int bottom, uint8_t index) {
    for (int y = top; y <= bottom; y++)
        for (int x = left; x <= right; x++)
            PutPixel(canvas, x, y, index);
}

void OutlineBox(BmpCanvas* canvas, int left, int top, int right, int bottom, uint8_t index) {
    DrawLine(canvas, left, top, right, top, index);
    DrawLine(canvas, left, bottom, right, bottom, index);
    DrawLine(canvas, left, top, left, bottom, index);
    DrawLine(canvas, right, top, right, bottom, index);
}

void DrawLine(BmpCanvas* canvas, int x0, int y0, int x1, int y1, uint8_t index) {
    // Bresenham: every pixel of the line once, both ends included.
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        PutPixel(canvas, x0, y0, index);
        if (x0 == x1 && y0 == y1) return;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

void StampArt(BmpCanvas* canvas, int x, int y, const char* const* rows, int rowCount, const char* key) {
    for (int r = 0; r < rowCount; r++)
        for (int c = 0; rows[r][c] != 0; c++) {
            const char* hit = std::strchr(key, rows[r][c]);
            if (hit != nullptr) PutPixel(canvas, x + c, y + r, uint8_t(hit - key));
        }
}

namespace {

void PutU16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(uint8_t(v));
    out->push_back(uint8_t(v >> 8));
}
void PutU32(std::vector<uint8_t>* out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

} // namespace

bool WriteBmp(const std::string& path, const BmpCanvas& canvas, int bitsPerPixel,
              const std::vector<uint32_t>& palette) {
    const uint32_t stride = uint32_t((canvas.Width * bitsPerPixel + 31) / 32) * 4;
    const uint32_t bitsOffset = 14 + 40 + uint32_t(palette.size()) * 4;
    const uint32_t fileSize = bitsOffset + stride * uint32_t(canvas.Height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutU32(&out, fileSize);
    PutU32(&out, 0);
    PutU32(&out, bitsOffset);
    PutU32(&out, 40); // BITMAPINFOHEADER
    PutU32(&out, uint32_t(canvas.Width));
    PutU32(&out, uint32_t(canvas.Height)); // positive: bottom-up, as resource compilers expect
    PutU16(&out, 1);
    PutU16(&out, uint32_t(bitsPerPixel));
    PutU32(&out, 0); // BI_RGB
    PutU32(&out, stride * uint32_t(canvas.Height));
    PutU32(&out, 3780); // 96 dots per inch, in dots per metre
    PutU32(&out, 3780);
    PutU32(&out, uint32_t(palette.size()));
    PutU32(&out, 0);
    for (uint32_t colour : palette)
        PutU32(&out, colour); // RGBQUAD: blue, green, red, 0 is 0x00RRGGBB read little-endian
    const int perByte = 8 / bitsPerPixel;
    for (int y = canvas.Height - 1; y >= 0; y--) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < canvas.Width; x++) {
            int shift = 8 - bitsPerPixel * (x % perByte + 1);
            row[size_t(x / perByte)] |= uint8_t(PixelAt(canvas, x, y) << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}
