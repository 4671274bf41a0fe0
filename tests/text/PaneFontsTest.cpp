// The pane's font cache: one entry per style key, recreated by SetPaneFont, released by
// DestroyPane; a cache entry that cannot be allocated selects no new font and the layout goes on.
#include "TextTestSupport.h"

#include <gtest/gtest.h>

// The test program is linked with --wrap=calloc: a calloc of exactly FailCallocOfSize bytes fails
// once, so the font cache's allocation failure can be reached.
static size_t FailCallocOfSize = 0;
extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __wrap_calloc(size_t count, size_t size) {
    if (FailCallocOfSize != 0 && count * size == FailCallocOfSize) {
        FailCallocOfSize = 0;
        return nullptr;
    }
    return __real_calloc(count, size);
}

namespace {

class PaneFonts : public PaneTest {
protected:
    PaneFonts() : PaneTest({0, 0, 240, 320}, 240, 320) {}
    // The font selected in the DC, found by swapping a stock font in and out.
    HGDIOBJ SelectedFont() {
        HGDIOBJ current = SelectObject(Surface.Dc, GetStockObject(SYSTEM_FONT));
        SelectObject(Surface.Dc, current);
        return current;
    }
    int CacheEntries() {
        int n = 0;
        for (FontCacheEntry* e = Pane->FontCache; e; e = e->Next)
            ++n;
        return n;
    }
};

} // namespace

TEST_F(PaneFonts, OneEntryPerKeyAndTheKeysColour) {
    HGDIOBJ original = SelectedFont();
    HFONT before = SelectPaneFont(Pane, 0x0C | SelectWithColour);
    EXPECT_EQ(before, original);
    EXPECT_EQ(GetTextColor(Surface.Dc), ColourLargeBoldText);
    HFONT large = static_cast<HFONT>(SelectedFont());
    SelectPaneFont(Pane, 0x02);
    EXPECT_EQ(GetTextColor(Surface.Dc), ColourLargeBoldText); // no colour asked
    HGDIOBJ small = SelectedFont();
    EXPECT_EQ(SelectPaneFont(Pane, 0x0C), small);
    EXPECT_EQ(SelectedFont(), large); // the cached font again
    SelectPaneFont(Pane, 0x2C);       // alignment bits are not part of the key
    EXPECT_EQ(CacheEntries(), 2);
    SelectPaneFont(Pane, 0x1C); // bit 4 is: a separate entry
    EXPECT_EQ(CacheEntries(), 3);
    LOGFONTW logFont;
    ASSERT_GT(GetObjectW(large, sizeof logFont, &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, 20);
    EXPECT_EQ(logFont.lfWeight, FW_BOLD);
    SelectObject(Surface.Dc, original);
    EXPECT_EQ(SelectPaneFont(nullptr, 1), nullptr);
}

TEST_F(PaneFonts, SetPaneFontRemakesTheFontsAndLaysOutAgain) {
    EXPECT_EQ(SetPaneFont(nullptr, &ReaderState.FontSpec), PaneNoPane);
    EXPECT_EQ(SetPaneFont(Pane, &ReaderState.FontSpec), SetPaneFontLayoutFailed); // no text yet
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x01, 0, "abc def ghi jkl mno pqr stu vwx"}}), 1), LayoutOk);
    const int lines = Pane->LineCount;
    FontSpec larger = MakeFontSpec(TestFace, 32, AsciiBaseUnicode);
    EXPECT_EQ(SetPaneFont(Pane, &larger), 0);
    EXPECT_GT(Pane->LineCount, lines);
    EXPECT_EQ(Pane->PaneFont.FontSize, 32);
    for (FontCacheEntry* e = Pane->FontCache; e; e = e->Next)
        EXPECT_NE(e->Font, nullptr);
    EXPECT_EQ(SetPaneFont(Pane, nullptr), 0); // releases the fonts, keeps the entries
    EXPECT_GT(CacheEntries(), 0);
    for (FontCacheEntry* e = Pane->FontCache; e; e = e->Next)
        EXPECT_EQ(e->Font, nullptr);
    // The next selection makes the font again.
    ASSERT_EQ(LayoutText(Pane, Pane->Text, 0), LayoutOk);
    for (FontCacheEntry* e = Pane->FontCache; e; e = e->Next)
        EXPECT_NE(e->Font, nullptr);
}

TEST_F(PaneFonts, AnUnallocatableEntrySelectsNoFontAndTheLayoutGoesOn) {
    HGDIOBJ original = SelectedFont();
    FailCallocOfSize = sizeof(FontCacheEntry);
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x01, 0, "abc def"}, {0x01, 0, "ghi"}}), 1), LayoutOk);
    EXPECT_EQ(FailCallocOfSize, 0u); // the failure happened
    EXPECT_EQ(Pane->LineCount, 2);
    EXPECT_GT(Pane->Lines[0].Height, 0); // measured in the DC's own font
    EXPECT_EQ(SelectedFont(), original); // and that font is what is left selected
    EXPECT_EQ(CacheEntries(), 0);
    // Once memory is back the key gets its entry.
    ASSERT_EQ(LayoutText(Pane, Pane->Text, 0), LayoutOk);
    EXPECT_EQ(CacheEntries(), 1);
    EXPECT_EQ(SelectedFont(), original);
    EXPECT_EQ(PaintPane(Pane, 1), 0);
    EXPECT_EQ(SelectedFont(), original);
}
