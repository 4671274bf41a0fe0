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
constexpr int ScrollBarSize = 16; // SM_CXVSCROLL, SM_CYHSCROLL, and the arrows' SM_CYVSCROLL, SM_CXHSCROLL
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

// Win32's rule: the average width of the system font's 52 Latin letters (rounded) and its height.
LONG GetDialogBaseUnits() {
    static LONG units = [] {
        HDC dc = CreateCompatibleDC(nullptr);
        LONG result = (16 << 16) | 8;
        SIZE size{};
        TEXTMETRICW tm{};
        const WCHAR* letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (dc && GetTextExtentPoint32W(dc, letters, 52, &size) && GetTextMetricsW(dc, &tm))
            result = (tm.tmHeight << 16) | ((size.cx / 26 + 1) / 2);
        DeleteDC(dc);
        return result;
    }();
    return units;
}
