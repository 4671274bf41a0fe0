// GdiBitmaps.cpp: bitmaps: CreateCompatibleBitmap, LoadBitmapW from the module's RT_BITMAP
// resources, the stock 1 x 1 bitmap of new memory DCs, and access to a bitmap's pixels.
// Every bitmap is a 32-bit surface owned by its record and freed by DeleteObject. A resource of
// any depth is converted on loading; 1-bit pictures keep their colour table's colours.
#include "platform/gdi/Gdi.h"
#include "platform/Win32Resources.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

HBITMAP RegisterBitmap(const Surface& pixels, WORD bitsPixel, bool stock) {
    auto* bitmap = new (std::nothrow) GdiBitmap{};
    if (bitmap == nullptr) return nullptr;
    *bitmap = GdiBitmap{{GdiKind::Bitmap, stock, 0}, pixels, bitsPixel, nullptr};
    HBITMAP handle = static_cast<HBITMAP>(GdiRegister(bitmap));
    if (handle == nullptr) delete bitmap;
    return handle;
}

HBITMAP NewBitmap(int width, int height, WORD bitsPixel, bool stock) {
    Surface pixels;
    if (!SurfaceCreate(&pixels, width, height)) return nullptr;
    HBITMAP handle = RegisterBitmap(pixels, bitsPixel, stock);
    if (handle == nullptr) SurfaceFree(&pixels);
    return handle;
}

} // namespace

HBITMAP GdiStockBitmap() {
    static HBITMAP stock = NewBitmap(1, 1, 1, true);
    return stock;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (dc != nullptr && GdiLookupDC(dc) == nullptr) return nullptr;
    if (width < 0 || height < 0) return nullptr;
    // Win32 gives a 1 x 1 bitmap for a zero side.
    if (width == 0 || height == 0) width = height = 1;
    return NewBitmap(width, height, 32, false);
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    if (name == nullptr) return nullptr;
    HMODULE module = instance ? instance : GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name, RT_BITMAP);
    if (resource == nullptr) return nullptr;
    const void* bytes = LockResource(LoadResource(module, resource));
    return GdiBitmapFromDib(static_cast<const BYTE*>(bytes), SizeofResource(module, resource));
}

HBITMAP GdiBitmapFromDib(const BYTE* bytes, size_t size) {
    DibImage image{};
    if (!GdiDecodeDib(bytes, size, &image)) return nullptr;
    Surface pixels{image.Pixels, image.Width, image.Height, image.Width, true, RECT{0, 0, 0, 0}};
    HBITMAP handle = RegisterBitmap(pixels, image.BitsPixel, false);
    if (handle == nullptr) SurfaceFree(&pixels);
    return handle;
}

BOOL PlatformGetBitmapPixels(HBITMAP handle, PlatformPixels* pixels) {
    GdiBitmap* bitmap = GdiLookupBitmap(handle);
    if (bitmap == nullptr || pixels == nullptr) return FALSE;
    const Surface& s = bitmap->Pixels;
    *pixels = PlatformPixels{s.Pixels, s.Width, s.Height, s.Stride};
    return TRUE;
}

BOOL PlatformGetDCPixels(HDC handle, PlatformPixels* pixels) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr || dc->Target == nullptr || pixels == nullptr) return FALSE;
    const Surface& s = *dc->Target;
    *pixels = PlatformPixels{s.Pixels, s.Width, s.Height, s.Stride};
    return TRUE;
}
