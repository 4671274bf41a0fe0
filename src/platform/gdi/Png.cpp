// Png.cpp: pictures in and out: any bitmap (or the bitmap of a DC) written to a PNG file, and a
// PNG file read into a new bitmap (for the golden-image tests and tools). libpng does the format;
// its error path returns through setjmp, and every buffer here is freed on both paths.
#include "platform/gdi/Gdi.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool WriteSurfacePng(const Surface& s, const char* path) {
    if (path == nullptr || s.Pixels == nullptr) return false;
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(size_t(s.Width) * 3);
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(s.Width), png_uint_32(s.Height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < s.Height; y++) {
            const uint32_t* p = s.Pixels + size_t(y) * s.Stride;
            for (int x = 0; x < s.Width; x++) {
                row[size_t(x) * 3] = png_byte(p[x] >> 16);
                row[size_t(x) * 3 + 1] = png_byte(p[x] >> 8);
                row[size_t(x) * 3 + 2] = png_byte(p[x]);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) std::remove(path);
    return ok;
}

} // namespace

bool GdiWriteSurfacePng(const Surface& surface, const char* path) {
    return WriteSurfacePng(surface, path);
}

BOOL PlatformWriteBitmapPng(HBITMAP handle, const char* path) {
    GdiBitmap* bitmap = GdiLookupBitmap(handle);
    return bitmap && WriteSurfacePng(bitmap->Pixels, path) ? TRUE : FALSE;
}

BOOL PlatformWritePng(HDC handle, const char* path) {
    GdiDC* dc = GdiLookupDC(handle);
    return dc && dc->Target && WriteSurfacePng(*dc->Target, path) ? TRUE : FALSE;
}

HBITMAP PlatformLoadPng(const char* path) {
    if (path == nullptr) return nullptr;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return nullptr;
    image.format = PNG_FORMAT_BGRA; // little-endian words 0xAARRGGBB
    if (image.width == 0 || image.height == 0 || image.width > SurfaceMaxSide ||
        image.height > SurfaceMaxSide) {
        png_image_free(&image);
        return nullptr;
    }
    HBITMAP bitmap = CreateCompatibleBitmap(nullptr, int(image.width), int(image.height));
    GdiBitmap* record = GdiLookupBitmap(bitmap);
    if (record == nullptr) {
        png_image_free(&image);
        return nullptr;
    }
    Surface& s = record->Pixels;
    if (!png_image_finish_read(&image, nullptr, s.Pixels, png_int_32(s.Stride * 4), nullptr)) {
        png_image_free(&image);
        DeleteObject(bitmap);
        return nullptr;
    }
    for (size_t i = 0; i < size_t(s.Stride) * s.Height; i++)
        s.Pixels[i] &= 0x00FFFFFF;
    return bitmap;
}
