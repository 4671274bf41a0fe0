// Drawing text: DrawTextW's placement, clipping and results, DT_CALCRECT, prefixes, background
// modes, ExtTextOutW with ETO_OPAQUE, colours and blending in linear light, and the golden images
// of Hebrew text (KESTROVA_UPDATE_GOLDEN=1 rewrites them; a mismatch leaves <name>.actual.png in
// the working folder to look at).
#include "GdiTestSupport.h"
#include "platform/gdi/Surface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The smallest rectangle holding every pixel that is not the background colour.
RECT InkBounds(HDC dc, int width, int height, COLORREF background = RGB(255, 255, 255)) {
    RECT r{width, height, 0, 0};
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (GetPixel(dc, x, y) != background) {
                r.left = std::min<LONG>(r.left, x), r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1), r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

bool HasColour(HDC dc, int width, int height, COLORREF colour) {
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (GetPixel(dc, x, y) == colour) return true;
    return false;
}

// Text in the letter code's display order at a base: "בראשית ברא אלהים" stored reversed.
std::u16string Verse(WCHAR base) {
    // Letter code: 'a' is the first of the 27 letters in code order (finals included), '{' the last.
    const char* code = "njema ayb {jzayb";
    std::u16string s;
    for (const char* p = code; *p; p++)
        s.push_back(*p == ' ' ? u' ' : WCHAR(base + (*p - 'a')));
    return s;
}

} // namespace

TEST(GdiText, RunFormatCentresTheRunInItsRectangle) {
    TestCanvas canvas(200, 40);
    HFONT font = MakeTestFont(u"David CLM", 20);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    const std::u16string run = LetterRun(0x05D0).substr(0, 6);
    SIZE size{};
    GetTextExtentPoint32W(canvas.Dc, run.data(), int(run.size()), &size);
    // A rectangle exactly as wide as the run, as the pane draws: the ink stays inside it.
    RECT r{50, 10, 50 + size.cx, 10 + size.cy};
    EXPECT_EQ(DrawTextW(canvas.Dc, run.data(), int(run.size()), &r, DT_RUN_FORMAT), size.cy);
    RECT ink = InkBounds(canvas.Dc, 200, 40);
    EXPECT_GE(ink.left, r.left);
    EXPECT_LE(ink.right, r.right);
    EXPECT_GE(ink.top, r.top);
    EXPECT_LE(ink.bottom, r.bottom);
    EXPECT_LT(ink.left, r.left + 4);
    EXPECT_GT(ink.right, r.right - 4);
    // In a wider rectangle the run moves to the middle.
    TestCanvas wide(200, 40);
    SelectObject(wide.Dc, font);
    RECT w{0, 0, 200, 40};
    EXPECT_EQ(DrawTextW(wide.Dc, run.data(), int(run.size()), &w, DT_RUN_FORMAT),
              (40 - size.cy) / 2 + size.cy);
    RECT moved = InkBounds(wide.Dc, 200, 40);
    EXPECT_EQ(moved.left - (200 - size.cx) / 2, ink.left - r.left);
    EXPECT_EQ(moved.top - (40 - size.cy) / 2, ink.top - r.top);
    SelectObject(wide.Dc, GetStockObject(SYSTEM_FONT));
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(GdiText, DrawTextClipsToItsRectangleUnlessAskedNot) {
    TestCanvas canvas(200, 40);
    HFONT font = MakeTestFont(u"David CLM", 20);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    const std::u16string run = LetterRun(0x05D0);
    RECT narrow{60, 5, 90, 35};
    DrawTextW(canvas.Dc, run.data(), int(run.size()), &narrow, DT_RUN_FORMAT);
    RECT ink = InkBounds(canvas.Dc, 200, 40);
    EXPECT_GE(ink.left, 60);
    EXPECT_LE(ink.right, 90);
    DrawTextW(canvas.Dc, run.data(), int(run.size()), &narrow, DT_RUN_FORMAT | DT_NOCLIP);
    ink = InkBounds(canvas.Dc, 200, 40);
    EXPECT_LT(ink.left, 40);
    EXPECT_GT(ink.right, 110);
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(GdiText, CalcRectMeasuresWithoutDrawing) {
    TestCanvas canvas(100, 40);
    HFONT font = MakeTestFont(u"Frank Ruehl CLM", 18);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    SIZE size{};
    GetTextExtentPoint32W(canvas.Dc, u"\u05D0\u05D1\u05D2", 3, &size);
    RECT r{5, 7, 6, 8};
    EXPECT_EQ(DrawTextW(canvas.Dc, u"\u05D0\u05D1\u05D2", 3, &r, DT_RUN_FORMAT | DT_CALCRECT), 18);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 7);
    EXPECT_EQ(r.right, 5 + size.cx);
    EXPECT_EQ(r.bottom, 7 + 18);
    EXPECT_EQ(InkBounds(canvas.Dc, 100, 40).right, 0); // nothing drawn
    // Prefixes: "&&" is one '&', a single '&' underlines the next character and takes no room.
    RECT a{0, 0, 0, 0}, b{0, 0, 0, 0};
    DrawTextW(canvas.Dc, u"&File", -1, &a, DT_SINGLELINE | DT_CALCRECT);
    DrawTextW(canvas.Dc, u"File", -1, &b, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(a.right, b.right);
    RECT c{0, 0, 0, 0}, d{0, 0, 0, 0};
    DrawTextW(canvas.Dc, u"A&&B", -1, &c, DT_SINGLELINE | DT_CALCRECT);
    DrawTextW(canvas.Dc, u"A&B", -1, &d, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(c.right, d.right);
    // Lines: each line end starts a line; word breaks keep lines within the width.
    RECT lines{0, 0, 1000, 0};
    EXPECT_EQ(DrawTextW(canvas.Dc, u"a\nb\r\nc", -1, &lines, DT_CALCRECT), 3 * 18);
    RECT wrapped{0, 0, size.cx + 2, 0};
    EXPECT_EQ(DrawTextW(canvas.Dc, u"\u05D0\u05D1\u05D2 \u05D0\u05D1\u05D2 \u05D0\u05D1\u05D2", -1, &wrapped,
                        DT_WORDBREAK | DT_CALCRECT),
              3 * 18);
    EXPECT_EQ(wrapped.right, size.cx);
    // Empty text: no width; a single line is still one line high.
    RECT empty{3, 3, 50, 50};
    EXPECT_EQ(DrawTextW(canvas.Dc, u"", 0, &empty, DT_RUN_FORMAT | DT_CALCRECT), 18);
    EXPECT_EQ(empty.right, 3);
    EXPECT_EQ(DrawTextW(canvas.Dc, nullptr, 3, &empty, DT_RUN_FORMAT), 0);
    EXPECT_EQ(DrawTextW(canvas.Dc, u"x", 1, nullptr, DT_RUN_FORMAT), 0);
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(GdiText, BackgroundModesAndColours) {
    TestCanvas canvas(120, 30);
    HFONT font = MakeTestFont(u"DejaVu Sans", 20);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    const std::u16string run = u"\u05D0\u05D1 ab";
    RECT all{0, 0, 120, 30};
    FillRect(canvas.Dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    // The search hit's colours: blue on yellow, opaque; then the previous settings come back.
    int oldMode = SetBkMode(canvas.Dc, OPAQUE);
    COLORREF oldText = SetTextColor(canvas.Dc, RGB(0, 0, 255));
    COLORREF oldBk = SetBkColor(canvas.Dc, RGB(255, 255, 0));
    SIZE size{};
    GetTextExtentPoint32W(canvas.Dc, run.data(), int(run.size()), &size);
    RECT r{10, 5, 10 + size.cx, 5 + size.cy};
    DrawTextW(canvas.Dc, run.data(), int(run.size()), &r, DT_RUN_FORMAT);
    EXPECT_EQ(GetPixel(canvas.Dc, 10, 5), RGB(255, 255, 0));    // the cell is filled
    EXPECT_EQ(GetPixel(canvas.Dc, 9, 5), RGB(128, 128, 128));   // and nothing beyond it
    EXPECT_TRUE(HasColour(canvas.Dc, 120, 30, RGB(0, 0, 255))); // COLORREF order kept
    EXPECT_EQ(SetBkMode(canvas.Dc, oldMode), OPAQUE);
    EXPECT_EQ(SetTextColor(canvas.Dc, oldText), RGB(0, 0, 255));
    EXPECT_EQ(SetBkColor(canvas.Dc, oldBk), RGB(255, 255, 0));
    // Transparent: the gray stays around the glyphs.
    TestCanvas clear(120, 30);
    SelectObject(clear.Dc, font);
    FillRect(clear.Dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetBkMode(clear.Dc, TRANSPARENT);
    DrawTextW(clear.Dc, run.data(), int(run.size()), &r, DT_RUN_FORMAT);
    EXPECT_EQ(GetPixel(clear.Dc, 10, 5), RGB(128, 128, 128));
    EXPECT_TRUE(HasColour(clear.Dc, 120, 30, RGB(0, 0, 0)));
    SelectObject(clear.Dc, GetStockObject(SYSTEM_FONT));
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(GdiText, ExtTextOutOpaqueFillsTheRectangle) {
    // The About box's link button: transparent mode, white background, option 2 fills the item.
    TestCanvas canvas(100, 30);
    RECT all{0, 0, 100, 30};
    FillRect(canvas.Dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HFONT font = MakeTestFont(u"DejaVu Sans", -13, FW_EXTRABOLD, 1);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    SetTextColor(canvas.Dc, RGB(0, 0, 255));
    SetBkMode(canvas.Dc, TRANSPARENT);
    SetBkColor(canvas.Dc, RGB(255, 255, 255));
    RECT item{0, 0, 80, 20};
    EXPECT_TRUE(ExtTextOutW(canvas.Dc, 1, 0, ETO_OPAQUE, &item, u"Home", 4, nullptr));
    EXPECT_EQ(GetPixel(canvas.Dc, 79, 19), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(canvas.Dc, 80, 19), RGB(0, 0, 0));
    // The underline is a solid band in the text colour under the baseline.
    TEXTMETRICW tm{};
    GetTextMetricsW(canvas.Dc, &tm);
    SIZE size{};
    GetTextExtentPoint32W(canvas.Dc, u"Home", 4, &size);
    bool band = false;
    for (int y = tm.tmAscent; y < tm.tmHeight; y++) {
        bool full = true;
        for (int x = 1; x < 1 + size.cx; x++)
            full = full && GetPixel(canvas.Dc, x, y) == RGB(0, 0, 255);
        band = band || full;
    }
    EXPECT_TRUE(band);
    EXPECT_FALSE(ExtTextOutW(canvas.Dc, 0, 0, 0, nullptr, nullptr, 3, nullptr));
    EXPECT_TRUE(ExtTextOutW(canvas.Dc, 0, 0, ETO_OPAQUE, nullptr, u"", 0, nullptr));
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(GdiText, EdgesAreBlendedInLinearLight) {
    // Half coverage of black over white is half the light: sRGB 188, not 128.
    uint32_t half = BlendPixel(0xFFFFFF, 0x000000, 128);
    EXPECT_NEAR(int(half & 0xFF), 188, 1);
    EXPECT_EQ(BlendPixel(0x123456, 0xABCDEF, 0), 0x123456u);
    EXPECT_EQ(BlendPixel(0x123456, 0xABCDEF, 255), 0xABCDEFu);
    // A table made for a background agrees with blending pixel by pixel.
    BlendTable table{};
    BlendTablePrepare(&table, 0x000080, 0xFFFF00);
    for (int c = 0; c < 256; c += 15)
        EXPECT_EQ(table.Pixels[c], BlendPixel(0xFFFF00, 0x000080, uint8_t(c)));
}

TEST(GdiText, DrawingOnADeletedOrEmptyDCIsRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    RECT r{0, 0, 10, 10};
    // The stock 1 x 1 bitmap: drawing works and stays inside it.
    EXPECT_GT(DrawTextW(dc, u"\u05D0", 1, &r, DT_RUN_FORMAT), 0);
    DeleteDC(dc);
    EXPECT_EQ(DrawTextW(dc, u"\u05D0", 1, &r, DT_RUN_FORMAT), 0);
    EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"a", 1, nullptr));
    TEXTMETRICW tm{};
    EXPECT_FALSE(GetTextMetricsW(dc, &tm));
}

// Golden images: the verse at the Unicode base and at the 8-bit base (which a Unicode face shows
// as Latin-1 letters, or missing boxes where it has none), regular, at three sizes.
class GdiGolden : public ::testing::TestWithParam<const char*> {};

TEST_P(GdiGolden, HebrewTextMatchesTheCommittedImage) {
    const std::string name = GetParam();
    std::u16string face(name.begin(), name.end());
    const LONG sizes[] = {12, 16, 24};
    const int width = 280, height = 2 * (12 + 16 + 24) + 12;
    TestCanvas canvas(width, height);
    int y = 2;
    for (LONG size : sizes) {
        HFONT font = MakeTestFont(face.c_str(), size);
        HGDIOBJ old = SelectObject(canvas.Dc, font);
        for (WCHAR base : {WCHAR(0x05D0), WCHAR(224)}) {
            std::u16string text = Verse(base);
            RECT r{4, y, width - 4, y + size};
            DrawTextW(canvas.Dc, text.data(), int(text.size()), &r, DT_RUN_FORMAT);
            y += size + 2;
        }
        SelectObject(canvas.Dc, old);
        DeleteObject(font);
    }
    std::string file = name;
    for (char& c : file)
        c = c == ' ' ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
    const std::string golden = std::string(KESTROVA_GOLDEN_DIR) + "/" + file + ".png";
    if (std::getenv("KESTROVA_UPDATE_GOLDEN") && std::string(std::getenv("KESTROVA_UPDATE_GOLDEN")) == "1") {
        ASSERT_TRUE(PlatformWritePng(canvas.Dc, golden.c_str()));
        return;
    }
    HBITMAP expected = PlatformLoadPng(golden.c_str());
    ASSERT_NE(expected, nullptr) << "missing " << golden << " (KESTROVA_UPDATE_GOLDEN=1 writes it)";
    PlatformPixels want{}, got{};
    PlatformGetBitmapPixels(expected, &want);
    PlatformGetDCPixels(canvas.Dc, &got);
    ASSERT_EQ(want.Width, got.Width);
    ASSERT_EQ(want.Height, got.Height);
    // A tolerance of 2 per channel absorbs rounding in another build of the rasteriser, no more.
    int differing = 0;
    for (int row = 0; row < got.Height; row++)
        for (int col = 0; col < got.Width; col++) {
            uint32_t a = want.Pixels[row * want.Stride + col], b = got.Pixels[row * got.Stride + col];
            for (int shift : {0, 8, 16})
                if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) {
                    differing++;
                    break;
                }
        }
    if (differing) PlatformWritePng(canvas.Dc, (file + ".actual.png").c_str());
    EXPECT_EQ(differing, 0) << "see " << file << ".actual.png";
    DeleteObject(expected);
}

INSTANTIATE_TEST_SUITE_P(Faces, GdiGolden, ::testing::Values("David CLM", "Frank Ruehl CLM", "DejaVu Sans"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string n;
                             for (const char* p = info.param; *p; p++)
                                 if (*p != ' ') n += *p;
                             return n;
                         });
