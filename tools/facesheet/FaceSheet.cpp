// FaceSheet.cpp: writes a sample sheet of one installed face to a PNG, drawn through the
// platform's own GDI layer exactly as the reader draws: for every size of the font dialog's size
// table, regular and bold, the 27 letter codes at the Unicode base (U+05D0-U+05EA, in code order,
// left to right) and at the 8-bit base (224-250, which a Unicode face shows as Latin-1), then a
// line of text in display order. Usage: kestrova-facesheet "Face Name" out.png [size,size,... [zoom]]
// A zoom of 2 to 8 enlarges the sheet pixel for pixel (StretchBlt), to inspect edges and hinting.
// Run with FONTCONFIG_FILE=tests/platform/fonts/fonts.conf to see the faces the tests pin.
#include "platform/Win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The sizes the font dialog offers, in its order.
constexpr int SizeTable[] = {10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 52, 72};
constexpr WCHAR UnicodeBase = 0x05D0;
constexpr WCHAR EightBitBase = 224;
constexpr int LetterCount = 27;
constexpr int LabelWidth = 170;
constexpr int Margin = 8;
constexpr LONG LabelHeight = -12;

struct Sheet {
    HDC Dc;
    std::u16string Face;
    std::vector<int> Sizes;
};

HFONT MakeFont(const std::u16string& face, LONG height, LONG weight) {
    LOGFONTW log{};
    log.lfHeight = height;
    log.lfWeight = weight;
    for (size_t i = 0; i < face.size() && i + 1 < size_t(LF_FACESIZE); i++)
        log.lfFaceName[i] = face[i];
    return CreateFontIndirectW(&log);
}

std::u16string Letters(WCHAR base) {
    std::u16string s;
    for (int i = 0; i < LetterCount; i++)
        s.push_back(WCHAR(base + i));
    return s;
}

// The height of a font's cell.
LONG CellHeight(HDC dc, HFONT font) {
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    return tm.tmHeight;
}

void DrawLabel(const Sheet& sheet, int y, int height, const char* text) {
    HFONT label = MakeFont(u"DejaVu Sans", LabelHeight, FW_NORMAL);
    HGDIOBJ old = SelectObject(sheet.Dc, label);
    std::u16string s;
    for (const char* p = text; *p; p++)
        s.push_back(WCHAR(*p));
    RECT r{Margin, y, LabelWidth, y + height};
    DrawTextW(sheet.Dc, s.data(), int(s.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(sheet.Dc, old);
    DeleteObject(label);
}

// One row: a label on the left, the text in the face at the size; returns the row's height.
int DrawRow(const Sheet& sheet, int y, int size, LONG weight, const std::u16string& text, const char* what,
            bool draw, int* width) {
    HFONT label = MakeFont(u"DejaVu Sans", LabelHeight, FW_NORMAL);
    LONG labelHeight = CellHeight(sheet.Dc, label);
    DeleteObject(label);
    HFONT font = MakeFont(sheet.Face, size, weight);
    HGDIOBJ old = SelectObject(sheet.Dc, font);
    TEXTMETRICW tm{};
    SIZE extent{};
    GetTextMetricsW(sheet.Dc, &tm);
    GetTextExtentPoint32W(sheet.Dc, text.data(), int(text.size()), &extent);
    int height = std::max<int>(tm.tmHeight, labelHeight);
    if (draw) {
        RECT r{LabelWidth, y, LabelWidth + extent.cx, y + height};
        DrawTextW(sheet.Dc, text.data(), int(text.size()), &r, DT_RUN_FORMAT);
    }
    SelectObject(sheet.Dc, old);
    DeleteObject(font);
    if (draw) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%d %s %s", size, weight >= FW_BOLD ? "bold" : "regular", what);
        DrawLabel(sheet, y, height, buffer);
    }
    if (width && LabelWidth + extent.cx + Margin > *width) *width = LabelWidth + extent.cx + Margin;
    return height;
}

// Lays the sheet out (draw false: only measures) and returns its height.
int Layout(const Sheet& sheet, bool draw, int* width) {
    // "In the beginning God created" stored in display order, as the reader stores its text.
    const std::u16string mixed =
        u"\u05DD\u05D9\u05D4\u05DC\u05D0 \u05D0\u05E8\u05D1 \u05EA\u05D9\u05E9\u05D0\u05E8\u05D1 (1:1)";
    int y = Margin;
    for (int size : sheet.Sizes) {
        for (LONG weight : {FW_NORMAL, FW_BOLD}) {
            y += DrawRow(sheet, y, size, weight, Letters(UnicodeBase), "U+05D0", draw, width);
            y += DrawRow(sheet, y, size, weight, Letters(EightBitBase), "224", draw, width);
        }
        y += DrawRow(sheet, y, size, FW_NORMAL, mixed, "text", draw, width) + Margin;
    }
    return y;
}

std::vector<int> ParseSizes(const char* list) {
    std::vector<int> sizes;
    for (const char* p = list; *p;) {
        char* end = nullptr;
        long v = std::strtol(p, &end, 10);
        if (end == p) break;
        if (v > 0 && v <= 200) sizes.push_back(int(v));
        p = (*end == ',') ? end + 1 : end;
    }
    return sizes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kestrova-facesheet \"Face Name\" out.png [size,size,...]\n");
        return 2;
    }
    Sheet sheet{CreateCompatibleDC(nullptr), PlatformUtf8ToUtf16(argv[1]), {}};
    sheet.Sizes =
        argc > 3 ? ParseSizes(argv[3]) : std::vector<int>(std::begin(SizeTable), std::end(SizeTable));
    int width = 0;
    int height = Layout(sheet, false, &width);
    HBITMAP bitmap = CreateCompatibleBitmap(sheet.Dc, width, height);
    HGDIOBJ old = SelectObject(sheet.Dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(sheet.Dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(sheet.Dc, TRANSPARENT);
    Layout(sheet, true, nullptr);
    int zoom = argc > 4 ? std::atoi(argv[4]) : 1;
    BOOL ok = FALSE;
    if (zoom >= 2 && zoom <= 8) {
        HDC big = CreateCompatibleDC(sheet.Dc);
        HBITMAP bigBitmap = CreateCompatibleBitmap(big, width * zoom, height * zoom);
        HGDIOBJ oldBig = SelectObject(big, bigBitmap);
        StretchBlt(big, 0, 0, width * zoom, height * zoom, sheet.Dc, 0, 0, width, height, SRCCOPY);
        ok = PlatformWritePng(big, argv[2]);
        SelectObject(big, oldBig);
        DeleteObject(bigBitmap);
        DeleteDC(big);
    } else {
        ok = PlatformWritePng(sheet.Dc, argv[2]);
    }
    SelectObject(sheet.Dc, old);
    DeleteObject(bitmap);
    DeleteDC(sheet.Dc);
    if (!ok) std::fprintf(stderr, "kestrova-facesheet: cannot write %s\n", argv[2]);
    return ok ? 0 : 1;
}
