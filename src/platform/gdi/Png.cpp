// Png.cpp: pictures in and out: any bitmap (or the bitmap of a DC) written to a PNG file, and a
// PNG file read into a new bitmap (for the golden-image tests and tools). libpng does the format;
// its error path returns through setjmp, and every buffer here is freed on both paths.
// A picture replacing a regular file (or none) is written beside it and renamed into place, so a
// failed write leaves what was there; any other path (a link, a device) is written as it is and
// never removed. A write succeeds only when every byte reached the file.
#include "platform/gdi/Gdi.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Encodes s into file; false when libpng or any write of the stream failed.
bool EncodeSurfacePng(const Surface& s, FILE* file) {
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
    // libpng ignores the result of its flushes: a stream that failed keeps its error flag.
    return std::fflush(file) == 0 && !std::ferror(file) && ok;
}

// Writes s into the open descriptor fd and closes it; errno says why on failure.
bool WriteSurfaceTo(const Surface& s, int fd) {
    FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        int error = errno;
        if (fd >= 0) close(fd);
        errno = error;
        return false;
    }
    errno = 0;
    bool ok = EncodeSurfacePng(s, file);
    int error = errno;
    ok = std::fclose(file) == 0 && ok;
    if (error != 0) errno = error; // the first failure is the reason, not the close after it
    if (!ok && errno == 0) errno = EIO;
    return ok;
}

// A new file beside path that no one else has (O_EXCL: never a link planted there); its mode is
// the one any new file gets. *temporary receives its name.
int CreateBeside(const char* path, std::string* temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary =
            std::string(path) + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        int fd = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteSurfacePng(const Surface& s, const char* path) {
    if (path == nullptr || s.Pixels == nullptr) return false;
    struct stat st;
    bool exists = lstat(path, &st) == 0;
    bool replace = exists ? S_ISREG(st.st_mode) : errno == ENOENT;
    std::string temporary;
    int fd = replace ? CreateBeside(path, &temporary) : -1;
    // A file that may be written where no new file may be made is written in place.
    if (fd < 0 && (!replace || (exists && errno == EACCES)))
        return WriteSurfaceTo(s, open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd < 0) return false;
    if (exists) fchmod(fd, st.st_mode & 07777); // a replaced picture keeps its mode
    bool ok = WriteSurfaceTo(s, fd) && rename(temporary.c_str(), path) == 0;
    if (!ok) {
        int error = errno;
        unlink(temporary.c_str());
        errno = error;
    }
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
