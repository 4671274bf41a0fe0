// Win32Gdi.h: the GDI subset: device contexts, objects, text, shapes and bitmaps, with Win32's
// names, signatures, constants and results. Implemented over FreeType and fontconfig on 32-bit
// pixel surfaces (see Gdi*.cpp). Differences from Win32 are noted on the line.
#pragma once

#include "platform/Win32Types.h"

// Logical font and text metrics.
constexpr int LF_FACESIZE = 32;
struct LOGFONTW {
    LONG lfHeight; // > 0 cell height, < 0 em height, 0 the platform default
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTW* LPLOGFONTW;

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
typedef TEXTMETRICW* LPTEXTMETRICW;

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_EXTRABOLD = 800;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE HEBREW_CHARSET = 177;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW* logFont, const TEXTMETRICW* metrics, DWORD fontType,
                                     LPARAM lParam);

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Pens.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_NULL = 5;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// DrawTextW formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;
// The run format the reader draws with: centred, vertically centred, single line, no prefix.
constexpr UINT DT_RUN_FORMAT = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX; // 0x825

// ExtTextOutW options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// The colour Win32 returns for "no colour": an invalid DC, or a pixel outside the surface.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

// Device contexts: memory DCs here; a window's DC (GetDC, BeginPaint) is in Win32Windows.h.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Always 32-bit and zero-filled (black), even for a memory DC holding its first 1 x 1 bitmap
// (where Win32 would make a monochrome one); a zero side gives 1 x 1, a negative one null.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// RT_BITMAP of the module (null instance: the program's), any depth, stored as 32-bit pixels; a
// 1-bit picture keeps its colour table's colours (not the DC's text and background colours).
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
int GetDeviceCaps(HDC dc, int index);

// Objects.
HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object); // returns what it replaced; null on failure
BOOL DeleteObject(HGDIOBJ object);            // stock objects and selected objects: no-op TRUE/FALSE as Win32
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer); // LOGFONTW for fonts, BITMAP for bitmaps
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
// lfHeight 0 is a 16-pixel cell; heights beyond 2048 pixels are clamped. A face that does not exist
// gives a Hebrew-capable one (DejaVu Sans first); a family without a bold face is emboldened.
HFONT CreateFontIndirectW(const LOGFONTW* logFont);
int EnumFontFamiliesW(HDC dc, LPCWSTR family, FONTENUMPROCW proc, LPARAM lParam);

// State.
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);

// Shapes and copies. Right and bottom edges are exclusive as in Win32.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);

// Text: one glyph per UTF-16 unit, left to right, in the order given; no bidi, no shaping.
int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format); // count -1: to the terminator
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx); // dx must be null here
BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, INT* fit, INT* dx, SIZE* size);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// The family of the face the selected font was realised with (the fallback's when the face asked
// for does not exist); count includes the terminator. Returns the units copied with it, or the
// units needed when name is null; 0 on failure.
int GetTextFaceW(HDC dc, int count, LPWSTR name);

// Not Win32: surfaces and pictures, for tests, tools and the backends.
// The pixels of the bitmap selected into a DC (or of a bitmap): 0x00RRGGBB words, top row first.
struct PlatformPixels {
    uint32_t* Pixels;
    int Width;
    int Height;
    int Stride; // in pixels
};
BOOL PlatformGetBitmapPixels(HBITMAP bitmap, PlatformPixels* pixels);
BOOL PlatformGetDCPixels(HDC dc, PlatformPixels* pixels);
// Writes the bitmap selected into the DC (or the bitmap) to a PNG file. FALSE on any failure.
BOOL PlatformWritePng(HDC dc, const char* path);
BOOL PlatformWriteBitmapPng(HBITMAP bitmap, const char* path);
// A new 32-bit bitmap holding a PNG file's pixels (alpha dropped); null on any failure. The caller
// deletes it with DeleteObject.
HBITMAP PlatformLoadPng(const char* path);
// The screen this platform reports (HORZRES, VERTRES, SM_CXSCREEN, SM_CYSCREEN) until the backend
// gives the real one, and its pixels per inch (LOGPIXELSX, LOGPIXELSY).
constexpr int PlatformDefaultScreenWidth = 480;
constexpr int PlatformDefaultScreenHeight = 800;
constexpr int PlatformPixelsPerInch = 96;
void PlatformSetScreenSize(int width, int height);
// Not Win32: the dialogs' font. Templates name "System" 8, the handheld's dialog font; here it is
// DejaVu Sans at 8 points: every Debian install has it (fonts-dejavu-core) and it covers Latin and
// Hebrew. Its base units are 7 x 13; the reader's dialogs wider than a 240-pixel screen at those
// units are made full screen by the shell. Its texts are wider for their units than the device's,
// so a template's static text that wraps onto a line its box lacks grows into free room below
// (DialogFit.cpp). The condensed face would not help: its units shrink with its letters (6 x 13,
// and the About box's title still takes two lines), and it needs another package.
// GetDialogBaseUnits gives its base units; the font is made once and kept for the run.
inline constexpr const WCHAR* PlatformDialogFace = u"DejaVu Sans";
constexpr int PlatformDialogPoints = 8;
HFONT PlatformDialogFont();
