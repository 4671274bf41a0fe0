// Font realisation and measuring: heights as Windows computes them, bold (real and synthetic),
// fallback faces, faces without OS/2, Latin or Hebrew, enumeration with character sets, and the
// exact rules of GetTextExtentExPointW.
#include "GdiTestSupport.h"
#include "platform/font/Font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The metrics of a face at a height, through a memory DC.
TEXTMETRICW MetricsOf(const char16_t* face, LONG height, LONG weight = FW_NORMAL) {
    TestCanvas canvas(1, 1);
    HFONT font = MakeTestFont(face, height, weight);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    TEXTMETRICW tm{};
    EXPECT_TRUE(GetTextMetricsW(canvas.Dc, &tm));
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
    return tm;
}

std::u16string FaceOf(HFONT font) {
    TestCanvas canvas(1, 1);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    LOGFONTW log{};
    GetObjectW(font, sizeof log, &log);
    SelectObject(canvas.Dc, old);
    return log.lfFaceName;
}

LONG Extent(HDC dc, const std::u16string& s) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, s.data(), int(s.size()), &size));
    return size.cx;
}

struct Family {
    std::u16string Name;
    BYTE CharSet;
    LONG Height;
    LOGFONTW Log;
};

int CALLBACK Collect(const LOGFONTW* log, const TEXTMETRICW* tm, DWORD, LPARAM lParam) {
    auto* families = reinterpret_cast<std::vector<Family>*>(lParam);
    families->push_back(Family{log->lfFaceName, tm->tmCharSet, tm->tmHeight, *log});
    return 1;
}

int CALLBACK StopAtOnce(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    return 0;
}

const char16_t* const ReaderFaces[] = {u"David CLM", u"Frank Ruehl CLM", u"DejaVu Sans"};

} // namespace

TEST(FontMetrics, PositiveHeightIsTheCellAndNegativeTheEm) {
    for (const char16_t* face : ReaderFaces) {
        for (LONG h : {10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 52, 72}) {
            TEXTMETRICW cell = MetricsOf(face, h);
            EXPECT_EQ(cell.tmHeight, h) << h;
            EXPECT_EQ(cell.tmAscent + cell.tmDescent, cell.tmHeight);
            TEXTMETRICW em = MetricsOf(face, -h);
            EXPECT_EQ(em.tmHeight - em.tmInternalLeading, h) << h;
            EXPECT_GT(em.tmHeight, cell.tmHeight); // the winAscent/winDescent cell is taller than the em
        }
    }
    // DejaVu Sans: usWinAscent 1901, usWinDescent 483, 2048 units per em.
    TEXTMETRICW em16 = MetricsOf(u"DejaVu Sans", -16); // scale 16/2048
    EXPECT_EQ(em16.tmAscent, 15);                      // 14.85
    EXPECT_EQ(em16.tmDescent, 4);                      // 3.77
    EXPECT_EQ(em16.tmInternalLeading, 3);
    TEXTMETRICW cell16 = MetricsOf(u"DejaVu Sans", 16); // scale 16/2384
    EXPECT_EQ(cell16.tmAscent, 13);                     // 12.76
    EXPECT_EQ(cell16.tmDescent, 3);
    EXPECT_EQ(cell16.tmInternalLeading, 2); // em 13.74 rounds to 14
    EXPECT_EQ(cell16.tmCharSet, HEBREW_CHARSET);
    EXPECT_GT(cell16.tmMaxCharWidth, cell16.tmAveCharWidth);
}

TEST(FontMetrics, ZeroHeightIsThePlatformDefaultAndExtremesAreSafe) {
    TEXTMETRICW zero = MetricsOf(u"David CLM", 0);
    EXPECT_EQ(zero.tmHeight, FontDefaultCellHeight);
    EXPECT_EQ(MetricsOf(u"David CLM", INT32_MAX).tmHeight, FontMaxHeight);
    EXPECT_GT(MetricsOf(u"David CLM", INT32_MIN).tmHeight, FontMaxHeight); // an em of the largest size
    TEXTMETRICW tiny = MetricsOf(u"David CLM", 1);
    EXPECT_EQ(tiny.tmHeight, 1);
    TestCanvas canvas(40, 10);
    HFONT font = MakeTestFont(u"David CLM", 1);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    RECT r{0, 0, 40, 10};
    EXPECT_GT(DrawTextW(canvas.Dc, u"\u05D0\u05D1", -1, &r, DT_RUN_FORMAT), 0);
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(FontMetrics, BoldFacesAndSyntheticBold) {
    TEXTMETRICW regular = MetricsOf(u"David CLM", 20);
    TEXTMETRICW bold = MetricsOf(u"David CLM", 20, FW_BOLD);
    EXPECT_LT(regular.tmWeight, FW_BOLD);
    EXPECT_EQ(bold.tmWeight, FW_BOLD); // the family's own bold face
    EXPECT_EQ(MetricsOf(u"David CLM", 20, FW_EXTRABOLD).tmWeight, FW_BOLD);
    // Stam Ashkenaz CLM has no bold face: it is emboldened and reports the weight asked for.
    TEXTMETRICW stam = MetricsOf(u"Stam Ashkenaz CLM", 20);
    TEXTMETRICW stamBold = MetricsOf(u"Stam Ashkenaz CLM", 20, FW_EXTRABOLD);
    EXPECT_EQ(stamBold.tmWeight, FW_EXTRABOLD);
    EXPECT_GT(stamBold.tmMaxCharWidth, stam.tmMaxCharWidth);
    EXPECT_EQ(stamBold.tmHeight, stam.tmHeight);

    TestCanvas canvas(200, 30);
    const std::u16string letters = LetterRun(0x05D0);
    HFONT thin = MakeTestFont(u"Stam Ashkenaz CLM", 20);
    HFONT thick = MakeTestFont(u"Stam Ashkenaz CLM", 20, FW_BOLD);
    HGDIOBJ old = SelectObject(canvas.Dc, thin);
    LONG thinWidth = Extent(canvas.Dc, letters);
    SelectObject(canvas.Dc, thick);
    LONG thickWidth = Extent(canvas.Dc, letters);
    EXPECT_EQ(thickWidth, thinWidth + 27); // one pixel more per glyph at this size
    SelectObject(canvas.Dc, old);
    DeleteObject(thin);
    DeleteObject(thick);
}

TEST(FontMetrics, UnderlineAndStrikeOutAreReported) {
    TestCanvas canvas(4, 4);
    HFONT font = MakeTestFont(u"David CLM", 16, FW_NORMAL, 1);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(canvas.Dc, &tm);
    EXPECT_EQ(tm.tmUnderlined, 1);
    EXPECT_EQ(tm.tmStruckOut, 0);
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(FontMetrics, MissingFacesFallBackToAHebrewFace) {
    for (const char16_t* face : {u"No Such Face", u"", u"Tahoma"}) {
        HFONT font = MakeTestFont(face, 16);
        ASSERT_NE(font, nullptr);
        TestCanvas canvas(1, 1);
        HGDIOBJ old = SelectObject(canvas.Dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(canvas.Dc, &tm);
        EXPECT_EQ(tm.tmCharSet, HEBREW_CHARSET);
        WCHAR realised[LF_FACESIZE] = {};
        EXPECT_EQ(GetTextFaceW(canvas.Dc, LF_FACESIZE, realised), 12); // "DejaVu Sans" and its terminator
        EXPECT_EQ(std::u16string(realised), u"DejaVu Sans");
        WCHAR cut[4] = {u'x', u'x', u'x', u'x'};
        EXPECT_EQ(GetTextFaceW(canvas.Dc, 4, cut), 4); // cut to the buffer, always terminated
        EXPECT_EQ(std::u16string(cut), u"Dej");
        EXPECT_EQ(GetTextFaceW(canvas.Dc, 0, nullptr), 12);
        EXPECT_EQ(tm.tmHeight, 16);
        SelectObject(canvas.Dc, old);
        DeleteObject(font);
    }
    // A name of 32 units, with no terminator in the record, is read to its end only.
    LOGFONTW log{};
    for (WCHAR& c : log.lfFaceName)
        c = u'x';
    HFONT font = CreateFontIndirectW(&log);
    EXPECT_NE(font, nullptr);
    EXPECT_EQ(FaceOf(font).size(), size_t(LF_FACESIZE - 1));
    DeleteObject(font);
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
}

TEST(FontMetrics, FacesWithoutOs2LatinOrHebrew) {
    // Aharoni CLM is a Type 1 face: no OS/2 table, metrics from its own ascender and descender.
    TEXTMETRICW type1 = MetricsOf(u"Aharoni CLM", 20);
    EXPECT_EQ(type1.tmHeight, 20);
    EXPECT_GT(type1.tmAscent, type1.tmDescent);
    EXPECT_GT(type1.tmAveCharWidth, 0);
    EXPECT_EQ(type1.tmCharSet, HEBREW_CHARSET);
    // Caladings CLM has no Hebrew; Stam Ashkenaz CLM no Latin letters. Both draw missing boxes.
    EXPECT_EQ(MetricsOf(u"Caladings CLM", 20).tmCharSet, ANSI_CHARSET);
    EXPECT_EQ(MetricsOf(u"Stam Ashkenaz CLM", 20).tmCharSet, HEBREW_CHARSET);
    for (const char16_t* face : {u"Caladings CLM", u"Stam Ashkenaz CLM", u"Aharoni CLM"}) {
        TestCanvas canvas(300, 30);
        HFONT font = MakeTestFont(face, 20);
        HGDIOBJ old = SelectObject(canvas.Dc, font);
        std::u16string text = LetterRun(0x05D0) + u"Abc" + LetterRun(224);
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32W(canvas.Dc, text.data(), int(text.size()), &size));
        EXPECT_GT(size.cx, 0);
        RECT r{0, 0, 300, 30};
        EXPECT_EQ(
            DrawTextW(canvas.Dc, text.data(), int(text.size()), &r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX),
            20);
        int ink = 0;
        for (int x = 0; x < 300; x++)
            for (int y = 0; y < 30; y++)
                ink += GetPixel(canvas.Dc, x, y) != RGB(255, 255, 255);
        EXPECT_GT(ink, 50);
        SelectObject(canvas.Dc, old);
        DeleteObject(font);
    }
}

TEST(FontMetrics, MissingGlyphsAndUnpairedSurrogatesAreOneBoxPerUnit) {
    TestCanvas canvas(100, 30);
    HFONT font = MakeTestFont(u"David CLM", 20);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    LONG box = Extent(canvas.Dc, u"\u00E0"); // David CLM has no Latin-1 letters
    EXPECT_GT(box, 0);
    EXPECT_EQ(Extent(canvas.Dc, u"\xD800"), box);
    EXPECT_EQ(Extent(canvas.Dc, u"\xDC00\xD800"), 2 * box);
    // A whole pair is still two units, each shown as missing.
    EXPECT_EQ(Extent(canvas.Dc, u"\U0001F600"), 2 * box);
    const WCHAR lone[] = {0xD800, 0};
    RECT r{0, 0, 100, 30};
    // Vertically centred: the result is the offset from the top to the text's bottom, 5 + 20.
    EXPECT_EQ(DrawTextW(canvas.Dc, lone, -1, &r, DT_RUN_FORMAT), 25);
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(FontMetrics, EnumerationReportsHebrewFamilies) {
    TestCanvas canvas(1, 1);
    std::vector<Family> families;
    EXPECT_EQ(EnumFontFamiliesW(canvas.Dc, nullptr, Collect, reinterpret_cast<LPARAM>(&families)), 1);
    auto find = [&families](const std::u16string& name) -> const Family* {
        for (const Family& f : families)
            if (f.Name == name) return &f;
        return nullptr;
    };
    for (const char16_t* face : {u"David CLM", u"Frank Ruehl CLM", u"DejaVu Sans", u"Aharoni CLM"}) {
        const Family* f = find(face);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->CharSet, HEBREW_CHARSET);
        EXPECT_GT(f->Height, 0);
    }
    ASSERT_NE(find(u"Caladings CLM"), nullptr);
    EXPECT_EQ(find(u"Caladings CLM")->CharSet, ANSI_CHARSET);
    ASSERT_NE(find(u"DejaVu Serif"), nullptr);
    EXPECT_EQ(find(u"DejaVu Serif")->CharSet, ANSI_CHARSET);
    for (size_t i = 1; i < families.size(); i++)
        EXPECT_NE(families[i].Name, families[i - 1].Name); // once each
    // The font dialog makes fonts from what it was given: each description gives its family back.
    for (const Family& f : families) {
        HFONT font = CreateFontIndirectW(&f.Log);
        HGDIOBJ old = SelectObject(canvas.Dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(canvas.Dc, &tm);
        EXPECT_EQ(tm.tmCharSet, f.CharSet);
        EXPECT_EQ(tm.tmHeight, f.Height);
        WCHAR face[LF_FACESIZE] = {};
        EXPECT_GT(GetTextFaceW(canvas.Dc, LF_FACESIZE, face), 0);
        EXPECT_EQ(std::u16string(face), f.Name);
        SelectObject(canvas.Dc, old);
        DeleteObject(font);
    }

    // A callback that returns 0 ends the enumeration, whose result is that 0.
    int calls = 0;
    EXPECT_EQ(EnumFontFamiliesW(canvas.Dc, nullptr, StopAtOnce, reinterpret_cast<LPARAM>(&calls)), 0);
    EXPECT_EQ(calls, 1);
    // A named family gives its styles; an unknown one gives nothing.
    std::vector<Family> david;
    EnumFontFamiliesW(canvas.Dc, u"David CLM", Collect, reinterpret_cast<LPARAM>(&david));
    EXPECT_EQ(david.size(), 4u); // Medium, Bold and their italics
    std::vector<Family> none;
    EXPECT_EQ(EnumFontFamiliesW(canvas.Dc, u"No Such Face", Collect, reinterpret_cast<LPARAM>(&none)), 1);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(EnumFontFamiliesW(canvas.Dc, nullptr, nullptr, 0), 0);
}

TEST(FontMetrics, ExtentsAndFitCountsAtExactBoundaries) {
    TestCanvas canvas(10, 10);
    HFONT font = MakeTestFont(u"Frank Ruehl CLM", 16);
    HGDIOBJ old = SelectObject(canvas.Dc, font);
    const std::u16string text = u"\u05D0\u05D1\u05D2 \u05D3";
    const int n = int(text.size());
    INT dx[5] = {};
    INT fit = -1;
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(canvas.Dc, text.data(), n, 1000, &fit, dx, &size));
    EXPECT_EQ(fit, n);
    EXPECT_EQ(size.cx, dx[n - 1]);
    EXPECT_EQ(size.cy, MetricsOf(u"Frank Ruehl CLM", 16).tmHeight);
    for (int i = 1; i < n; i++)
        EXPECT_GT(dx[i], dx[i - 1]);
    EXPECT_EQ(dx[0], Extent(canvas.Dc, text.substr(0, 1)));
    // A limit exactly at a partial extent takes that character; one pixel less does not.
    for (int k = 0; k < n; k++) {
        INT partial[5] = {};
        ASSERT_TRUE(GetTextExtentExPointW(canvas.Dc, text.data(), n, dx[k], &fit, partial, &size));
        EXPECT_EQ(fit, k + 1);
        EXPECT_EQ(size.cx, dx[n - 1]); // the size is always that of the whole string asked
        EXPECT_EQ(partial[n - 1], dx[n - 1]);
        ASSERT_TRUE(GetTextExtentExPointW(canvas.Dc, text.data(), n, dx[k] - 1, &fit, nullptr, &size));
        EXPECT_EQ(fit, k);
    }
    // A zero limit, and one narrower than the first character, fit nothing.
    ASSERT_TRUE(GetTextExtentExPointW(canvas.Dc, text.data(), n, 0, &fit, nullptr, &size));
    EXPECT_EQ(fit, 0);
    ASSERT_TRUE(GetTextExtentExPointW(canvas.Dc, text.data(), n, -5, &fit, nullptr, &size));
    EXPECT_EQ(fit, 0);
    // An empty string: no width, the font's height, nothing fits.
    ASSERT_TRUE(GetTextExtentExPointW(canvas.Dc, text.data(), 0, 100, &fit, nullptr, &size));
    EXPECT_EQ(fit, 0);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, MetricsOf(u"Frank Ruehl CLM", 16).tmHeight);
    // Bad arguments.
    EXPECT_FALSE(GetTextExtentExPointW(canvas.Dc, text.data(), -1, 100, &fit, nullptr, &size));
    EXPECT_FALSE(GetTextExtentExPointW(canvas.Dc, nullptr, 3, 100, &fit, nullptr, &size));
    EXPECT_FALSE(GetTextExtentExPointW(canvas.Dc, text.data(), n, 100, &fit, nullptr, nullptr));
    EXPECT_FALSE(GetTextExtentExPointW(nullptr, text.data(), n, 100, &fit, nullptr, &size));
    EXPECT_FALSE(GetTextMetricsW(nullptr, nullptr));
    SelectObject(canvas.Dc, old);
    DeleteObject(font);
}

TEST(FontMetrics, ExtentsAreTheSumOfWholePixelAdvances) {
    // The layout measures runs piece by piece: the parts must add up to the whole.
    TestCanvas canvas(10, 10);
    for (const char16_t* face : ReaderFaces) {
        HFONT font = MakeTestFont(face, 14);
        HGDIOBJ old = SelectObject(canvas.Dc, font);
        const std::u16string text = LetterRun(0x05D0) + u" (1:1) " + LetterRun(0x05D0);
        LONG sum = 0;
        for (char16_t c : text)
            sum += Extent(canvas.Dc, std::u16string(1, c));
        EXPECT_EQ(Extent(canvas.Dc, text), sum);
        SelectObject(canvas.Dc, old);
        DeleteObject(font);
    }
}
