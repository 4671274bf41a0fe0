// IconFiles.cpp: the icon's files. PNGs are written with libpng as 8-bit RGBA, with no time or
// text chunks, so the same picture always gives the same bytes. The .ico holds one classic
// entry per size (a 32-bit bottom-up DIB with its AND mask), which every reader of the format
// and the resource compiler accept.
#include "IconArt.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

namespace {

constexpr int IcoHeaderSize = 6;
constexpr int IcoEntrySize = 16;
constexpr int DibHeaderSize = 40;
constexpr int SheetGap = 8;

void PutLe(std::vector<uint8_t>* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out->push_back(uint8_t(value >> (8 * i)));
}

// The DIB of one entry: header (height doubled for the mask), colour rows bottom-up in BGRA, then
// the AND mask (set where fully transparent), each mask row padded to 32 bits.
std::vector<uint8_t> IcoImage(const Canvas& c) {
    std::vector<uint8_t> dib;
    int maskStride = (c.Width + 31) / 32 * 4;
    PutLe(&dib, DibHeaderSize, 4);
    PutLe(&dib, uint32_t(c.Width), 4);
    PutLe(&dib, uint32_t(c.Height * 2), 4);
    PutLe(&dib, 1, 2);  // planes
    PutLe(&dib, 32, 2); // bits per pixel
    PutLe(&dib, 0, 4);  // BI_RGB
    PutLe(&dib, uint32_t(c.Width * c.Height * 4 + maskStride * c.Height), 4);
    for (int i = 0; i < 4; ++i)
        PutLe(&dib, 0, 4); // resolution and palette: unused
    for (int y = c.Height - 1; y >= 0; --y)
        for (int x = 0; x < c.Width; ++x) {
            const uint8_t* p = &c.Pixels[(size_t(y) * c.Width + x) * 4];
            dib.insert(dib.end(), {p[2], p[1], p[0], p[3]});
        }
    for (int y = c.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(size_t(maskStride), 0);
        for (int x = 0; x < c.Width; ++x)
            if (c.Pixels[(size_t(y) * c.Width + x) * 4 + 3] == 0)
                row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        dib.insert(dib.end(), row.begin(), row.end());
    }
    return dib;
}

} // namespace

bool WritePng(const Canvas& canvas, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(canvas.Width), png_uint_32(canvas.Height), 8, PNG_COLOR_TYPE_RGBA,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < canvas.Height; ++y)
            png_write_row(png, &canvas.Pixels[size_t(y) * canvas.Width * 4]);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

bool WriteIco(const std::vector<Canvas>& images, const std::string& path) {
    std::vector<uint8_t> out;
    PutLe(&out, 0, 2);
    PutLe(&out, 1, 2); // an icon, not a cursor
    PutLe(&out, uint32_t(images.size()), 2);
    std::vector<std::vector<uint8_t>> dibs;
    for (const Canvas& image : images)
        dibs.push_back(IcoImage(image));
    uint32_t offset = uint32_t(IcoHeaderSize + IcoEntrySize * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(images[i].Width & 0xFF)); // 256 is written as 0
        out.push_back(uint8_t(images[i].Height & 0xFF));
        out.push_back(0); // no palette
        out.push_back(0);
        PutLe(&out, 1, 2);
        PutLe(&out, 32, 2);
        PutLe(&out, uint32_t(dibs[i].size()), 4);
        PutLe(&out, offset, 4);
        offset += uint32_t(dibs[i].size());
    }
    for (const auto& dib : dibs)
        out.insert(out.end(), dib.begin(), dib.end());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool wrote = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && wrote;
}

Canvas ContactSheet(const std::vector<Canvas>& images, int scale) {
    Canvas sheet;
    for (const Canvas& image : images) {
        sheet.Width += image.Width * scale + SheetGap;
        sheet.Height = std::max(sheet.Height, image.Height * scale);
    }
    sheet.Pixels.assign(size_t(sheet.Width) * sheet.Height * 4, 0xFF);
    for (int y = 0; y < sheet.Height; ++y) // a chequered ground shows the transparent parts
        for (int x = 0; x < sheet.Width; ++x) {
            uint8_t* p = &sheet.Pixels[(size_t(y) * sheet.Width + x) * 4];
            p[0] = p[1] = p[2] = ((x / 8 + y / 8) % 2) ? 0xD0 : 0xA0;
        }
    int left = 0;
    for (const Canvas& image : images) {
        for (int y = 0; y < image.Height * scale; ++y)
            for (int x = 0; x < image.Width * scale; ++x) {
                const uint8_t* s = &image.Pixels[(size_t(y / scale) * image.Width + x / scale) * 4];
                uint8_t* d = &sheet.Pixels[(size_t(y) * sheet.Width + left + x) * 4];
                for (int c = 0; c < 3; ++c)
                    d[c] = uint8_t((s[c] * s[3] + d[c] * (255 - s[3])) / 255);
            }
        left += image.Width * scale + SheetGap;
    }
    return sheet;
}
