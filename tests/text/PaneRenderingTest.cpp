// Drawing a pane into a memory DC: rules, the first visible line, clipping at the pane's bottom,
// erase, the search hit (across lines, in Reverse mode, on hanging words) and the location banner.
#include "TextTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF White = 0xFFFFFF;
constexpr COLORREF Grey = 0x808080;

class PaneRendering : public PaneTest {
protected:
    PaneRendering() : PaneTest({20, 100, 420, 700}) {}
    // Columns [x0, x1) of row y whose pixel is exactly the colour: first and last, or -1.
    std::pair<int, int> Span(int y, COLORREF colour, int x0 = 0, int x1 = 480) {
        int first = -1, last = -1;
        for (int x = x0; x < x1; ++x) {
            if (GetPixel(Surface.Dc, x, y) != colour) continue;
            if (first < 0) first = x;
            last = x;
        }
        return {first, last};
    }
    // True when some pixel of rows [y0, y1) is neither white nor the given background.
    bool HasInk(int y0, int y1, COLORREF background = White) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < 480; ++x) {
                COLORREF c = GetPixel(Surface.Dc, x, y);
                if (c != White && c != background) return true;
            }
        return false;
    }
};

} // namespace

TEST_F(PaneRendering, RuleOfSixtyOnALineOfFourteen) {
    Pane->Top = 100;
    Pane->Text = MakeText({{0x07, 60, ""}});
    Pane->Lines[0] = LineEntry{2, 0, 30, 0, 60, 14, 0x07};
    Pane->Lines[1] = LineEntry{};
    Pane->LineCount = Pane->DisplayLines = 1;
    ASSERT_EQ(PaintPane(Pane, 1), 0);
    EXPECT_EQ(Span(107, 0x000000), std::make_pair(30, 89));
    EXPECT_EQ(Span(106, 0x000000).first, -1);
    EXPECT_EQ(Span(108, 0x000000).first, -1);
    EXPECT_EQ(Pane->PaintedLines, 1);
}

TEST_F(PaneRendering, StartsBelowABlankTopLineAndStopsAtTheBottom) {
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x81, 0, "abc"}, {0x81, 0, "def"}, {0x01, 0, "ghi"}}), 1),
              LayoutOk);
    const int h = Pane->Lines[0].Height;
    Pane->TopLine = 1; // the blank line after "abc"
    FillPaneRect(Surface.Dc, 0, 0, 480, 800, WHITE_BRUSH);
    ASSERT_EQ(PaintPane(Pane, 1), 0);
    EXPECT_FALSE(HasInk(100, 100 + h));
    EXPECT_TRUE(HasInk(100 + h, 100 + 2 * h));     // "def"
    EXPECT_TRUE(HasInk(100 + 3 * h, 100 + 4 * h)); // "ghi" after def's blank line
    EXPECT_EQ(Pane->PaintedLines, 2 + 1);          // def, its blank line, ghi

    // A pane two and a half lines tall draws two lines; the third does not fit and is not drawn.
    Pane->TopLine = 2;
    Pane->Height = h * 5 / 2;
    FillPaneRect(Surface.Dc, 0, 0, 480, 800, WHITE_BRUSH);
    ASSERT_EQ(PaintPane(Pane, 1), 0);
    EXPECT_EQ(Pane->PaintedLines, 2); // "def" and its blank line
    EXPECT_FALSE(HasInk(100 + 2 * h, 800));

    // A TopLine beyond DisplayLines is brought back to MaxTopLine.
    Pane->TopLine = 40;
    PaintPane(Pane, 1);
    EXPECT_EQ(Pane->TopLine, Pane->MaxTopLine);
}

TEST_F(PaneRendering, EraseZeroKeepsTheCallersBackground) {
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x01, 0, "abc def"}, {0x01, 0, "ghi"}}), 1), LayoutOk);
    const int h = Pane->Lines[0].Height;
    HBRUSH grey = CreateSolidBrush(Grey);
    RECT all = {0, 0, 480, 800};
    FillRect(Surface.Dc, &all, grey);
    const int previousMode = SetBkMode(Surface.Dc, TRANSPARENT);
    const COLORREF colour = SetTextColor(Surface.Dc, 0x123456);
    ASSERT_EQ(PaintPane(Pane, 0), 0);
    EXPECT_EQ(GetPixel(Surface.Dc, 419, 100 + h / 2), Grey);
    EXPECT_TRUE(HasInk(100, 100 + h, Grey));
    EXPECT_EQ(GetTextColor(Surface.Dc), 0x123456u); // put back
    ASSERT_EQ(PaintPane(Pane, 1), 0);
    EXPECT_EQ(GetPixel(Surface.Dc, 419, 100 + h / 2), White);
    SetTextColor(Surface.Dc, colour);
    SetBkMode(Surface.Dc, previousMode);
    DeleteObject(grey);
}

TEST_F(PaneRendering, NothingToDraw) {
    EXPECT_EQ(PaintPane(nullptr, 1), PaneNoPane);
    EXPECT_EQ(PaintPane(Pane, 1), PaneNoPane); // no text yet
    EXPECT_EQ(PaintHit(Pane), PaneNoPane);
}

TEST_F(PaneRendering, HitSpanningTwoLines) {
    const std::string text = "abcde fghij klmno pqrst uvwxy zabcd efghi jklmn opqrs tuvwx yzabc";
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x01, 0, text}}), 1), LayoutOk);
    ASSERT_GT(Pane->LineCount, 1);
    const LineEntry first = Pane->Lines[0], second = Pane->Lines[1];
    // From the last word of the first line to the first word of the second.
    Pane->HitStart = uint16_t(first.Offset + first.Count - 5);
    Pane->HitEnd = uint16_t(second.Offset + 5);
    ASSERT_EQ(PaintPane(Pane, 1), 0);
    const auto top = Span(100 + 1, ColourHitBack);
    EXPECT_EQ(top.second, first.X + first.Width - 1);
    EXPECT_GT(top.first, first.X + first.Width / 2);
    const auto bottom = Span(100 + first.Height + 1, ColourHitBack);
    EXPECT_EQ(bottom.first, second.X);
    EXPECT_LT(bottom.second, second.X + second.Width / 2);
    EXPECT_EQ(Span(100 + 2 * first.Height + 1, ColourHitBack).first, -1);
}

TEST_F(PaneRendering, ReverseModeHighlightsTheLettersWhereTheyAreDrawn) {
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x01, 0, "abc defgh"}}), 1), LayoutOk);
    const LineEntry e = Pane->Lines[0];
    HFONT previous = SelectPaneFont(Pane, 0x01);
    int w = 1000, n = 3;
    MeasureFit(Surface.Dc, Pane->Text + 2, &w, &n);
    SelectObject(Surface.Dc, previous);
    for (bool reverse : {false, true}) {
        ReaderState.Flags = reverse ? FlagReverse : 0;
        Pane->HitStart = 2;
        Pane->HitEnd = 5; // "abc"
        FillPaneRect(Surface.Dc, 0, 0, 480, 800, WHITE_BRUSH);
        ASSERT_EQ(PaintPane(Pane, 1), 0);
        const auto span = Span(101, ColourHitBack);
        if (reverse) {
            // Mirrored, "abc" is drawn at the right end of the run.
            EXPECT_EQ(span.second, e.X + e.Width - 1);
            EXPECT_EQ(span.first, e.X + e.Width - w);
        } else {
            EXPECT_EQ(span.first, e.X);
            EXPECT_EQ(span.second, e.X + w - 1);
        }
    }
}

TEST_F(PaneRendering, ReversedHangingWordIsHighlightedOnlyForItsOwnBytes) {
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x31, 0x40, "ccc bbb zz"}}), 1), LayoutOk);
    const LineEntry e = Pane->Lines[0];
    ASSERT_NE(e.HangWidth, 0);
    const int columnLeft = e.X + e.Width;
    Pane->HitStart = 6;
    Pane->HitEnd = 9; // "bbb": the run only
    ASSERT_EQ(PaintPane(Pane, 1), 0);
    EXPECT_EQ(Span(101, ColourHitBack, columnLeft, 480).first, -1);
    EXPECT_NE(Span(101, ColourHitBack, 0, columnLeft).first, -1);
    Pane->HitStart = 10;
    Pane->HitEnd = 12; // "zz": the hanging word only
    ASSERT_EQ(PaintPane(Pane, 1), 0);
    EXPECT_NE(Span(101, ColourHitBack, columnLeft, 480).first, -1);
    EXPECT_EQ(Span(101, ColourHitBack, 0, columnLeft).first, -1);
    // The search can scroll to a hit on the word too.
    EXPECT_EQ(ScrollToOffset(Pane, 11), 1);
}

TEST_F(PaneRendering, BannerWithOnlyAHeading) {
    ASSERT_EQ(LayoutText(Pane, MakeText({{StyleHeading, 0, "cba"}, {0x01, 0, "abc"}}), 1), LayoutOk);
    PaintPane(Pane, 1);
    DrawLocationBanner(Pane);
    HFONT previous = SelectPaneFont(Pane, BannerStyleKey);
    TEXTMETRICW tm;
    GetTextMetricsW(Surface.Dc, &tm);
    SelectObject(Surface.Dc, previous);
    const int g = tm.tmHeight;
    const int bottom = 700 - 2; // exclusive: the frame's last row is one above
    const int top = bottom - (g + 10);
    const int middle = 220;
    EXPECT_EQ(GetPixel(Surface.Dc, middle, bottom - 1), ColourFrameOuter);
    EXPECT_EQ(GetPixel(Surface.Dc, middle, bottom), White);
    EXPECT_EQ(GetPixel(Surface.Dc, middle, top), ColourFrameOuter);
    EXPECT_EQ(GetPixel(Surface.Dc, middle, top - 1), White);
    EXPECT_EQ(GetPixel(Surface.Dc, middle, top + 2), ColourFrameMiddle);
    EXPECT_EQ(GetPixel(Surface.Dc, middle, top + 3), ColourFrameInner);
    const auto row = Span(top + 5, ColourBannerBack);
    EXPECT_GT(row.first, 20);
    EXPECT_LT(row.second, 420);
    EXPECT_EQ(GetBkMode(Surface.Dc), OPAQUE); // the DC's own mode, put back
}

TEST_F(PaneRendering, BannerWithBothHeadingsHasTwoRows) {
    ASSERT_EQ(LayoutText(
                  Pane, MakeText({{StyleHeading, 0, "cba"}, {StyleSubHeading, 0, "fed"}, {0x01, 0, "x"}}), 1),
              LayoutOk);
    DrawLocationBanner(Pane);
    HFONT previous = SelectPaneFont(Pane, BannerStyleKey);
    TEXTMETRICW tm;
    GetTextMetricsW(Surface.Dc, &tm);
    SelectObject(Surface.Dc, previous);
    EXPECT_EQ(GetPixel(Surface.Dc, 220, 698 - (2 * tm.tmHeight + 10)), ColourFrameOuter);
    // No headings: nothing is drawn.
    ASSERT_EQ(LayoutText(Pane, MakeText({{0x01, 0, "x"}}), 1), LayoutOk);
    FillPaneRect(Surface.Dc, 0, 0, 480, 800, WHITE_BRUSH);
    DrawLocationBanner(Pane);
    EXPECT_FALSE(HasInk(0, 800));
}
