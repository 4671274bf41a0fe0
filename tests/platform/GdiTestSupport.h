// GdiTestSupport.h: helpers shared by the drawing and text tests: a memory DC on a fresh bitmap
// (released at the end of the test) and fonts by face name. The tests pin their fonts with
// fonts/fonts.conf: CTest sets FONTCONFIG_FILE, and PinTestFonts sets it when the program is run
// by hand, before the first font is made.
#pragma once

#include "platform/Win32.h"

#include <cstdlib>
#include <string>

inline bool PinTestFonts() {
    static const bool pinned = setenv("FONTCONFIG_FILE", KESTROVA_TEST_FONTS "/fonts.conf", 0) == 0;
    return pinned;
}

// A memory DC with a width x height bitmap selected, filled white.
struct TestCanvas {
    HDC Dc = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ OldBitmap = nullptr;

    TestCanvas(int width, int height) {
        PinTestFonts();
        Dc = CreateCompatibleDC(nullptr);
        Bitmap = CreateCompatibleBitmap(Dc, width, height);
        OldBitmap = SelectObject(Dc, Bitmap);
        RECT all{0, 0, width, height};
        FillRect(Dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~TestCanvas() {
        SelectObject(Dc, OldBitmap);
        DeleteObject(Bitmap);
        DeleteDC(Dc);
    }
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;
};

inline HFONT MakeTestFont(const char16_t* face, LONG height, LONG weight = FW_NORMAL, BYTE underline = 0) {
    PinTestFonts();
    LOGFONTW log{};
    log.lfHeight = height;
    log.lfWeight = weight;
    log.lfUnderline = underline;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; i++)
        log.lfFaceName[i] = face[i];
    return CreateFontIndirectW(&log);
}

// The first 27 letters from base: U+05D0-U+05EA at the Unicode base, 224-250 at the 8-bit base.
inline std::u16string LetterRun(WCHAR base) {
    std::u16string s;
    for (int i = 0; i < 27; i++)
        s.push_back(WCHAR(base + i));
    return s;
}
