// Golden pictures of demo texts as the pane draws them: two pane sizes, two faces, Reverse on and
// off, a hit across two lines and the location banner. The texts are snapshots of the demo corpus
// (tests/text/data, from the dump tool's --raw), so the pictures change only when drawing does.
// KESTROVA_UPDATE_GOLDEN=1 rewrites them; a mismatch leaves <name>.actual.png in the working folder.
#include "TextTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

struct GoldenCase {
    const char* Name;
    int Text;
    int Width, Height;
    const char16_t* Face;
    int Size;
    bool Reverse;
    int TopLine;
    bool HitAcrossLines3And4;
    bool Banner;
};

const GoldenCase Cases[] = {
    {"guide-480x800-frank", 1, 480, 800, TestHebrewFace, 18, false, 0, false, false},
    {"guide-240x320-dejavu", 1, 240, 320, TestFace, 13, false, 0, false, false},
    {"guide-notes-240x320-frank", 2, 240, 320, TestHebrewFace, 16, false, 0, false, false},
    {"main-17-240x320-frank", 17, 240, 320, TestHebrewFace, 16, false, 0, false, false},
    {"main-17-480x800-dejavu", 17, 480, 800, TestFace, 15, false, 0, false, false},
    {"main-17-480x800-frank-reverse", 17, 480, 800, TestHebrewFace, 18, true, 0, false, false},
    {"commentary-18-480x800-frank", 18, 480, 800, TestHebrewFace, 18, false, 6, false, false},
    {"main-21-240x320-frank-hit-banner", 21, 240, 320, TestHebrewFace, 16, false, 0, true, true},
    {"main-21-480x800-dejavu-hit-banner-reverse", 21, 480, 800, TestFace, 16, true, 0, true, true},
};

uint8_t* LoadSnapshot(int number) {
    std::ifstream in(std::string(KESTROVA_TEXT_DATA) + "/text-" + std::to_string(number) + ".plain",
                     std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return nullptr;
    uint8_t* text = static_cast<uint8_t*>(std::calloc(bytes.size() + ArticleTextPadding, 1));
    std::memcpy(text, bytes.data(), bytes.size());
    return text;
}

// Counts pixels that differ by more than 2 in a channel: rounding in another build of the
// rasteriser, no more.
int DifferingPixels(HBITMAP expected, HDC dc) {
    PlatformPixels want{}, got{};
    PlatformGetBitmapPixels(expected, &want);
    PlatformGetDCPixels(dc, &got);
    if (want.Width != got.Width || want.Height != got.Height) return -1;
    int differing = 0;
    for (int row = 0; row < got.Height; ++row)
        for (int col = 0; col < got.Width; ++col) {
            const uint32_t a = want.Pixels[row * want.Stride + col], b = got.Pixels[row * got.Stride + col];
            for (int shift : {0, 8, 16})
                if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) {
                    ++differing;
                    break;
                }
        }
    return differing;
}

class GoldenPictures : public ::testing::TestWithParam<GoldenCase> {
protected:
    void SetUp() override { ResetReaderState(); }
    void TearDown() override { ResetReaderState(); }
};

} // namespace

TEST_P(GoldenPictures, MatchesItsPicture) {
    const GoldenCase& c = GetParam();
    TestSurface surface(c.Width, c.Height);
    ReaderState.FontSpec = MakeFontSpec(c.Face, c.Size, AsciiBaseUnicode);
    ReaderState.Flags = DefaultFlags | (c.Reverse ? FlagReverse : 0);
    RECT rect = {0, 0, c.Width, c.Height};
    TextPane* pane = CreatePane(surface.Dc, &rect, &ReaderState.FontSpec, PaneInitialCapacity);
    ASSERT_NE(pane, nullptr);
    uint8_t* text = LoadSnapshot(c.Text);
    ASSERT_NE(text, nullptr) << "no snapshot of text " << c.Text;
    ASSERT_EQ(LayoutText(pane, text, 1), LayoutOk);
    pane->TopLine = uint16_t(c.TopLine);
    if (c.HitAcrossLines3And4) {
        // The last four bytes of the third line in reading order and the first four of the fourth.
        // In reversed storage reading order runs backwards through the stored bytes.
        const LineEntry &third = pane->Lines[3], &fourth = pane->Lines[4];
        ASSERT_EQ(third.Style & StyleReversed, fourth.Style & StyleReversed);
        if (third.Style & StyleReversed) {
            pane->HitStart = uint16_t(fourth.Offset + fourth.Count - 4);
            pane->HitEnd = uint16_t(third.Offset + 4);
        } else {
            pane->HitStart = uint16_t(third.Offset + third.Count - 4);
            pane->HitEnd = uint16_t(fourth.Offset + 4);
        }
    }
    PaintPane(pane, 1);
    if (c.Banner) DrawLocationBanner(pane);
    const std::string golden = std::string(KESTROVA_GOLDEN_DIR) + "/" + c.Name + ".png";
    const char* update = std::getenv("KESTROVA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        EXPECT_TRUE(PlatformWritePng(surface.Dc, golden.c_str()));
    } else {
        HBITMAP expected = PlatformLoadPng(golden.c_str());
        ASSERT_NE(expected, nullptr) << "missing " << golden << " (KESTROVA_UPDATE_GOLDEN=1 writes it)";
        const int differing = DifferingPixels(expected, surface.Dc);
        if (differing) PlatformWritePng(surface.Dc, (std::string(c.Name) + ".actual.png").c_str());
        EXPECT_EQ(differing, 0) << "see " << c.Name << ".actual.png";
        DeleteObject(expected);
    }
    DestroyPane(pane, 1);
}

INSTANTIATE_TEST_SUITE_P(DemoTexts, GoldenPictures, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             std::string name;
                             for (const char* p = info.param.Name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });
