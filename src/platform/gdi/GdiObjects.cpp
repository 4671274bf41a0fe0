// GdiObjects.cpp: the handle table, the stock objects, creating, selecting and deleting pens,
// brushes, fonts and device contexts, and the DC's colour and mode state.
// The table owns every record: a record is freed by DeleteObject/DeleteDC (stock objects never).
// An object selected into a DC is not deleted (FALSE, as Win32 documents); deleting a DC puts its
// selections back first, so the bitmap it held can then be deleted.
#include "platform/gdi/Gdi.h"

#include "platform/base/HandleTable.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Stock objects, indexed by GetStockObject's index; created on first use and kept for the run.
constexpr int StockCount = DEFAULT_GUI_FONT + 1;
constexpr COLORREF StockBrushColours[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                          RGB(64, 64, 64), RGB(0, 0, 0)};
// The default font's em height for DEFAULT_GUI_FONT: 10 points at the screen's 96 pixels per inch
// (rounded down), the size dialogs use when they give none.
constexpr LONG DefaultGuiFontHeight = -13;

HGDIOBJ NewStockPen(int style, COLORREF colour) {
    auto* pen = new (std::nothrow) GdiPen{};
    if (pen == nullptr) return nullptr;
    *pen = GdiPen{{GdiKind::Pen, true, 0}, style, 0, colour};
    return GdiRegister(pen);
}

HGDIOBJ NewStockBrush(bool hollow, COLORREF colour) {
    auto* brush = new (std::nothrow) GdiBrush{};
    if (brush == nullptr) return nullptr;
    *brush = GdiBrush{{GdiKind::Brush, true, 0}, hollow, colour};
    return GdiRegister(brush);
}

HGDIOBJ NewStockFont(LONG height) {
    LOGFONTW log{};
    log.lfHeight = height;
    log.lfWeight = FW_NORMAL;
    HFONT font = CreateFontIndirectW(&log);
    GdiFont* record = GdiLookupFont(font);
    if (record == nullptr) return nullptr;
    record->Stock = true;
    if (record->Instance) {
        // Reported under the face it stands for, as Win32 names its stock fonts' faces.
        std::memcpy(record->Log.lfFaceName, FontFamilyName(record->Instance), sizeof(record->Log.lfFaceName));
    }
    return font;
}

HGDIOBJ MakeStock(int index) {
    if (index >= WHITE_BRUSH && index <= BLACK_BRUSH) return NewStockBrush(false, StockBrushColours[index]);
    switch (index) {
    case NULL_BRUSH:
        return NewStockBrush(true, 0);
    case WHITE_PEN:
        return NewStockPen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN:
        return NewStockPen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN:
        return NewStockPen(PS_NULL, 0);
    case SYSTEM_FONT:
        return NewStockFont(0);
    case DEFAULT_GUI_FONT:
        return NewStockFont(DefaultGuiFontHeight);
    default:
        return nullptr;
    }
}

// Wider pens are drawn this wide: no screen is wider.
constexpr int MaxPenWidth = 4096;

// Counts a selection made or ended, for DeleteObject's refusal of selected objects.
void CountSelection(HGDIOBJ handle, int change) {
    GdiObject* o = GdiLookup(handle);
    if (o != nullptr) o->Selections += change;
}

// Puts obj into slot *slot of the DC and returns what was there.
template <typename H>
HGDIOBJ Swap(H* slot, HGDIOBJ obj) {
    HGDIOBJ previous = *slot;
    *slot = static_cast<H>(obj);
    CountSelection(previous, -1);
    CountSelection(obj, +1);
    return previous;
}

HGDIOBJ SelectBitmap(GdiDC* dc, HDC handle, HGDIOBJ object, GdiBitmap* bitmap) {
    if (dc->Bitmap == nullptr) return nullptr; // a window's DC has no bitmap to swap
    if (bitmap->SelectedInto != nullptr && bitmap->SelectedInto != handle && !bitmap->Stock) return nullptr;
    GdiBitmap* old = GdiLookupBitmap(dc->Bitmap);
    if (old && !old->Stock) old->SelectedInto = nullptr;
    if (!bitmap->Stock) bitmap->SelectedInto = handle;
    dc->Target = &bitmap->Pixels;
    dc->Bounds = RECT{0, 0, bitmap->Pixels.Width, bitmap->Pixels.Height};
    return Swap(&dc->Bitmap, object);
}

GdiDC* NewDC(Surface* target, POINT origin, RECT bounds, HBITMAP bitmap) {
    auto* dc = new (std::nothrow) GdiDC{};
    if (dc == nullptr) return nullptr;
    dc->Kind = GdiKind::DC;
    dc->Target = target;
    dc->Origin = origin;
    dc->Bounds = bounds;
    dc->Bitmap = bitmap;
    dc->Pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    dc->Brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    dc->Font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    for (HGDIOBJ selected : {HGDIOBJ(dc->Pen), HGDIOBJ(dc->Brush), HGDIOBJ(dc->Font), HGDIOBJ(bitmap)})
        CountSelection(selected, +1);
    dc->TextColour = RGB(0, 0, 0);
    dc->BkColour = RGB(255, 255, 255);
    dc->BkMode = OPAQUE;
    return dc;
}

} // namespace

HGDIOBJ GdiRegister(GdiObject* object) {
    return HandleAdd(HandleKind::Gdi, object);
}

GdiObject* GdiLookup(HGDIOBJ handle) {
    return static_cast<GdiObject*>(HandleLookup(HandleKind::Gdi, handle));
}

void GdiUnregister(HGDIOBJ handle) {
    HandleRemove(HandleKind::Gdi, handle);
}

template <typename T>
T* LookupAs(HGDIOBJ handle, GdiKind kind) {
    GdiObject* o = GdiLookup(handle);
    return o && o->Kind == kind ? static_cast<T*>(o) : nullptr;
}
GdiDC* GdiLookupDC(HDC dc) {
    return LookupAs<GdiDC>(dc, GdiKind::DC);
}
GdiBitmap* GdiLookupBitmap(HBITMAP bitmap) {
    return LookupAs<GdiBitmap>(bitmap, GdiKind::Bitmap);
}
GdiPen* GdiLookupPen(HPEN pen) {
    return LookupAs<GdiPen>(pen, GdiKind::Pen);
}
GdiBrush* GdiLookupBrush(HBRUSH brush) {
    return LookupAs<GdiBrush>(brush, GdiKind::Brush);
}
GdiFont* GdiLookupFont(HFONT font) {
    return LookupAs<GdiFont>(font, GdiKind::Font);
}

HGDIOBJ GetStockObject(int index) {
    static HGDIOBJ stock[StockCount] = {};
    if (index < 0 || index >= StockCount) return nullptr;
    if (stock[index] == nullptr) stock[index] = MakeStock(index);
    return stock[index];
}

FontInstance* GdiDCFontInstance(GdiDC* dc) {
    GdiFont* font = GdiLookupFont(dc->Font);
    if (font == nullptr) font = GdiLookupFont(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    return font ? font->Instance : nullptr;
}

HDC GdiCreateSurfaceDC(Surface* target, POINT origin, RECT bounds) {
    RECT whole{0, 0, target->Width, target->Height};
    RectIntersect(bounds, whole, &bounds);
    GdiDC* dc = NewDC(target, origin, bounds, nullptr);
    if (dc == nullptr) return nullptr;
    HDC handle = static_cast<HDC>(GdiRegister(dc));
    if (handle == nullptr) delete dc;
    return handle;
}

void GdiPlaceSurfaceDC(HDC handle, Surface* target, POINT origin, RECT bounds) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr || dc->Bitmap != nullptr) return;
    RECT whole{0, 0, target->Width, target->Height};
    RectIntersect(bounds, whole, &bounds);
    dc->Target = target;
    dc->Origin = origin;
    dc->Bounds = bounds;
}

HDC CreateCompatibleDC(HDC other) {
    if (other != nullptr && GdiLookupDC(other) == nullptr) return nullptr;
    HBITMAP stockBitmap = GdiStockBitmap();
    GdiBitmap* bitmap = GdiLookupBitmap(stockBitmap);
    if (bitmap == nullptr) return nullptr;
    GdiDC* dc = NewDC(&bitmap->Pixels, POINT{0, 0}, RECT{0, 0, 1, 1}, stockBitmap);
    if (dc == nullptr) return nullptr;
    HDC handle = static_cast<HDC>(GdiRegister(dc));
    if (handle == nullptr) delete dc;
    return handle;
}

BOOL DeleteDC(HDC handle) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return FALSE;
    GdiBitmap* bitmap = GdiLookupBitmap(dc->Bitmap);
    if (bitmap && !bitmap->Stock) bitmap->SelectedInto = nullptr;
    for (HGDIOBJ selected : {HGDIOBJ(dc->Pen), HGDIOBJ(dc->Brush), HGDIOBJ(dc->Font), HGDIOBJ(dc->Bitmap)})
        CountSelection(selected, -1);
    GdiUnregister(handle);
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    GdiDC* dc = GdiLookupDC(handle);
    GdiObject* o = GdiLookup(object);
    if (dc == nullptr || o == nullptr) return nullptr;
    switch (o->Kind) {
    case GdiKind::Pen:
        return Swap(&dc->Pen, object);
    case GdiKind::Brush:
        return Swap(&dc->Brush, object);
    case GdiKind::Font:
        return Swap(&dc->Font, object);
    case GdiKind::Bitmap:
        return SelectBitmap(dc, handle, object, static_cast<GdiBitmap*>(o));
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ handle) {
    GdiObject* o = GdiLookup(handle);
    if (o == nullptr || o->Kind == GdiKind::DC) return FALSE;
    if (o->Stock) return TRUE;
    if (o->Selections > 0) return FALSE;
    GdiUnregister(handle);
    switch (o->Kind) {
    case GdiKind::Bitmap: {
        auto* bitmap = static_cast<GdiBitmap*>(o);
        SurfaceFree(&bitmap->Pixels);
        delete bitmap;
        break;
    }
    case GdiKind::Pen:
        delete static_cast<GdiPen*>(o);
        break;
    case GdiKind::Brush:
        delete static_cast<GdiBrush*>(o);
        break;
    case GdiKind::Font:
        delete static_cast<GdiFont*>(o);
        break;
    default:
        break;
    }
    return TRUE;
}

int GetObjectW(HGDIOBJ handle, int size, LPVOID buffer) {
    GdiObject* o = GdiLookup(handle);
    if (o == nullptr) return 0;
    if (o->Kind == GdiKind::Font) {
        if (buffer == nullptr) return int(sizeof(LOGFONTW));
        if (size < int(sizeof(LOGFONTW))) return 0;
        std::memcpy(buffer, &static_cast<GdiFont*>(o)->Log, sizeof(LOGFONTW));
        return int(sizeof(LOGFONTW));
    }
    if (o->Kind == GdiKind::Bitmap) {
        if (buffer == nullptr) return int(sizeof(BITMAP));
        if (size < int(sizeof(BITMAP))) return 0;
        auto* bitmap = static_cast<GdiBitmap*>(o);
        BITMAP info{0, bitmap->Pixels.Width, bitmap->Pixels.Height, bitmap->Pixels.Width * 4, 1, 32, nullptr};
        std::memcpy(buffer, &info, sizeof(BITMAP));
        return int(sizeof(BITMAP));
    }
    return 0;
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (style < PS_SOLID || style > PS_NULL) return nullptr;
    auto* pen = new (std::nothrow) GdiPen{};
    if (pen == nullptr) return nullptr;
    *pen = GdiPen{{GdiKind::Pen, false, 0},
                  style,
                  width < 0 ? 0 : (width > MaxPenWidth ? MaxPenWidth : width),
                  colour & 0x00FFFFFF};
    HPEN handle = static_cast<HPEN>(GdiRegister(pen));
    if (handle == nullptr) delete pen;
    return handle;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    auto* brush = new (std::nothrow) GdiBrush{};
    if (brush == nullptr) return nullptr;
    *brush = GdiBrush{{GdiKind::Brush, false, 0}, false, colour & 0x00FFFFFF};
    HBRUSH handle = static_cast<HBRUSH>(GdiRegister(brush));
    if (handle == nullptr) delete brush;
    return handle;
}

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
    if (logFont == nullptr) return nullptr;
    FontInstance* instance = FontRealize(*logFont);
    if (instance == nullptr) return nullptr;
    auto* font = new (std::nothrow) GdiFont{};
    if (font == nullptr) return nullptr;
    *font = GdiFont{{GdiKind::Font, false, 0}, *logFont, instance};
    font->Log.lfFaceName[LF_FACESIZE - 1] = 0;
    HFONT handle = static_cast<HFONT>(GdiRegister(font));
    if (handle == nullptr) delete font;
    return handle;
}

int EnumFontFamiliesW(HDC dc, LPCWSTR family, FONTENUMPROCW proc, LPARAM lParam) {
    if (dc != nullptr && GdiLookupDC(dc) == nullptr) return 0;
    return FontEnumFamilies(family, proc, lParam);
}

// Colours and modes: each setter returns the previous value; an invalid DC gives CLR_INVALID / 0.

COLORREF SetTextColor(HDC handle, COLORREF colour) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return CLR_INVALID;
    COLORREF previous = dc->TextColour;
    dc->TextColour = colour & 0x00FFFFFF;
    return previous;
}

COLORREF GetTextColor(HDC handle) {
    GdiDC* dc = GdiLookupDC(handle);
    return dc ? dc->TextColour : CLR_INVALID;
}

COLORREF SetBkColor(HDC handle, COLORREF colour) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr) return CLR_INVALID;
    COLORREF previous = dc->BkColour;
    dc->BkColour = colour & 0x00FFFFFF;
    return previous;
}

COLORREF GetBkColor(HDC handle) {
    GdiDC* dc = GdiLookupDC(handle);
    return dc ? dc->BkColour : CLR_INVALID;
}

int SetBkMode(HDC handle, int mode) {
    GdiDC* dc = GdiLookupDC(handle);
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = dc->BkMode;
    dc->BkMode = mode;
    return previous;
}

int GetBkMode(HDC handle) {
    GdiDC* dc = GdiLookupDC(handle);
    return dc ? dc->BkMode : 0;
}
