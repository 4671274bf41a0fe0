// GdiDevice.cpp: the values of the display device: GetDeviceCaps, GetSystemMetrics and
// GetDialogBaseUnits. The screen's size is a process-wide record the window layer sets from the
// backend (PlatformSetScreenSize); the other values are this platform's constants below.
#include "platform/gdi/Gdi.h"
#include "platform/Win32Windows.h"

namespace {

struct ScreenRecord {
    int Width;
    int Height;
};

ScreenRecord& Screen() {
    static ScreenRecord screen{PlatformDefaultScreenWidth, PlatformDefaultScreenHeight};
    return screen;
}

// System metrics of this platform, in pixels at 96 pixels per inch.
// SM_CXVSCROLL, SM_CYHSCROLL, and the arrows' SM_CYVSCROLL, SM_CXHSCROLL: the handheld's 13 pixels,
// which the reader's pane layout is computed around.
constexpr int ScrollBarSize = 13;
constexpr int CaptionHeight = 24; // SM_CYCAPTION
constexpr int BorderSize = 1;     // SM_CXBORDER, SM_CYBORDER
constexpr int EdgeSize = 2;       // SM_CXEDGE, SM_CYEDGE: a 3-D edge
constexpr int ScreenBitsPerPixel = 32;

} // namespace

void PlatformSetScreenSize(int width, int height) {
    if (width > 0 && height > 0) Screen() = ScreenRecord{width, height};
}

int GetDeviceCaps(HDC dc, int index) {
    if (GdiLookupDC(dc) == nullptr) return 0;
    switch (index) {
    case HORZRES:
        return Screen().Width;
    case VERTRES:
        return Screen().Height;
    case BITSPIXEL:
        return ScreenBitsPerPixel;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return PlatformPixelsPerInch;
    default:
        return 0;
    }
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
        return Screen().Width;
    case SM_CYSCREEN:
        return Screen().Height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
        return ScrollBarSize;
    case SM_CYCAPTION:
        return CaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return BorderSize;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return EdgeSize;
    default:
        return 0;
    }
}

// Win32's rule: the average width of the font's 52 Latin letters (rounded) and its height.
LONG GdiFontBaseUnits(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    LONG result = (16 << 16) | 8;
    SIZE size{};
    TEXTMETRICW tm{};
    const WCHAR* letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HGDIOBJ old = SelectObject(dc, font ? HGDIOBJ(font) : GetStockObject(SYSTEM_FONT));
    if (dc && GetTextExtentPoint32W(dc, letters, 52, &size) && GetTextMetricsW(dc, &tm))
        result = (tm.tmHeight << 16) | ((size.cx / 26 + 1) / 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    return result;
}

HFONT PlatformDialogFont() {
    static HFONT font = [] {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(PlatformDialogPoints, PlatformPixelsPerInch, 72);
        lf.lfWeight = FW_NORMAL;
        for (int i = 0; PlatformDialogFace[i] != 0 && i < LF_FACESIZE - 1; ++i)
            lf.lfFaceName[i] = PlatformDialogFace[i];
        return CreateFontIndirectW(&lf);
    }();
    return font;
}

// The system's dialog font is the dialogs' font, so these are the base units of "System" 8.
LONG GetDialogBaseUnits() {
    static LONG units = GdiFontBaseUnits(PlatformDialogFont());
    return units;
}
