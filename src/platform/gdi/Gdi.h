// Gdi.h: the records behind the GDI handles (device contexts, bitmaps, pens, brushes, fonts) and the
// process-wide handle table that maps handles to them. Internal to platform/.
// Handles are not pointers: each is a slot number and a generation, so a deleted or made-up handle
// is recognised and refused (FALSE / NULL as Win32) instead of being followed. The table owns every
// record; DeleteObject/DeleteDC free them. Stock objects live for the whole run.
#pragma once

#include "platform/font/Font.h"
#include "platform/gdi/Surface.h"
#include "platform/Win32Gdi.h"

enum class GdiKind : uint8_t { DC, Bitmap, Pen, Brush, Font };

struct GdiObject {
    GdiKind Kind;
    bool Stock;
    int Selections; // DCs it is selected into: DeleteObject refuses while any
};

struct GdiPen : GdiObject {
    int Style;
    int Width;
    COLORREF Colour;
};

struct GdiBrush : GdiObject {
    bool Hollow; // NULL_BRUSH: fills nothing
    COLORREF Colour;
};

struct GdiBitmap : GdiObject {
    Surface Pixels;
    WORD BitsPixel; // the depth it was loaded from (1 for the tree boxes); stored as 32-bit pixels
    HDC SelectedInto;
};

struct GdiFont : GdiObject {
    LOGFONTW Log;           // as created (GetObjectW returns it)
    FontInstance* Instance; // the realised face and size; shared, owned by the font cache
};

struct GdiDC : GdiObject {
    Surface* Target; // the selected bitmap's pixels, or a window's framebuffer
    POINT Origin;    // where logical (0, 0) lies on the surface: a child window's corner
    RECT Bounds;     // the part of the surface the DC may draw in (surface coordinates)
    HBITMAP Bitmap;  // memory DCs: the selected bitmap (a 1 x 1 stock bitmap at first)
    HPEN Pen;
    HBRUSH Brush;
    HFONT Font;
    COLORREF TextColour;
    COLORREF BkColour;
    int BkMode;
    POINT Position; // MoveToEx / LineTo
    BlendTable Blend;
};

// Handle table: registration and lookup. Lookups of a handle of another kind give null.
HGDIOBJ GdiRegister(GdiObject* object);
void GdiUnregister(HGDIOBJ handle);
GdiObject* GdiLookup(HGDIOBJ handle);
GdiDC* GdiLookupDC(HDC dc);
GdiBitmap* GdiLookupBitmap(HBITMAP bitmap);
GdiPen* GdiLookupPen(HPEN pen);
GdiBrush* GdiLookupBrush(HBRUSH brush);
GdiFont* GdiLookupFont(HFONT font);

// A DC drawing on a surface owned elsewhere: the window layer's GetDC/BeginPaint. origin is the
// window's client corner on the surface, bounds the visible part (clipped to the surface).
HDC GdiCreateSurfaceDC(Surface* target, POINT origin, RECT bounds);
// Moves such a DC to where its window now is (after a move, resize or show); other DCs are left alone.
void GdiPlaceSurfaceDC(HDC dc, Surface* target, POINT origin, RECT bounds);

// The DC's realised font (the selected font's instance, or the default font's); null only when no
// font at all can be found on the system.
FontInstance* GdiDCFontInstance(GdiDC* dc);

// Writes a surface to a PNG file (the headless screenshot); false on any failure.
bool GdiWriteSurfacePng(const Surface& surface, const char* path);

// The stock 1 x 1 bitmap a memory DC starts with.
HBITMAP GdiStockBitmap();

// A decoded device-independent bitmap (RT_BITMAP data: a BITMAPINFOHEADER, its colour table and the
// bits). GdiDecodeDib bounds every read by size; false on anything malformed or unsupported.
struct DibImage {
    int Width;
    int Height;
    WORD BitsPixel;
    uint32_t* Pixels; // Width * Height 0x00RRGGBB words, top row first; malloc'd, the caller frees
};
bool GdiDecodeDib(const BYTE* data, size_t size, DibImage* image);
// A bitmap decoded from a DIB (LoadBitmapW's and LoadIconW's work); null when it cannot be.
HBITMAP GdiBitmapFromDib(const BYTE* bytes, size_t size);
// A font's dialog base units, as GetDialogBaseUnits gives them: average width low, height high.
LONG GdiFontBaseUnits(HFONT font);
