// Scroll positions on hand-made line tables: MaxTopLine, ScrollPane's rules and ScrollToOffset.
// No drawing is involved (redraw 0), so these run without fonts.
#include "TextTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A pane whose table holds the given (Height, Style, Offset, Count) entries.
struct TestLine {
    uint16_t Height;
    uint8_t Style;
    uint16_t Offset = 0;
    uint16_t Count = 0;
};

TextPane* MakeLinedPane(int height, const std::vector<TestLine>& lines) {
    TextPane* pane = static_cast<TextPane*>(std::calloc(1, sizeof(TextPane)));
    pane->Height = height;
    pane->Width = 200;
    pane->LineCapacity = uint16_t(lines.size());
    pane->Lines = static_cast<LineEntry*>(std::calloc(lines.size() + 1, sizeof(LineEntry)));
    int display = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        pane->Lines[i].Height = lines[i].Height;
        pane->Lines[i].Style = lines[i].Style;
        pane->Lines[i].Offset = lines[i].Offset;
        pane->Lines[i].Count = lines[i].Count;
        display += (lines[i].Style & StyleParagraphEnd) ? 2 : 1;
    }
    pane->LineCount = uint16_t(lines.size());
    pane->DisplayLines = uint16_t(display);
    return pane;
}

} // namespace

TEST(ComputeMaxTopLine, PaneExactlyThreeLinesTall) {
    TextPane* pane = MakeLinedPane(42, std::vector<TestLine>(10, TestLine{14, 0x01}));
    EXPECT_EQ(ComputeMaxTopLine(pane), 10 - 3);
    pane->Height = 41; // two lines and a part: the part does not count
    EXPECT_EQ(ComputeMaxTopLine(pane), 10 - 2);
    DestroyPane(pane, 1);
}

TEST(ComputeMaxTopLine, ParagraphEndsAndEmptyPanes) {
    // Lines of 10; the second from last ends a paragraph (its blank line is a display line).
    TextPane* pane = MakeLinedPane(30, {{10, 0x01}, {10, 0x01}, {10, 0x81}, {10, 0x01}});
    EXPECT_EQ(pane->DisplayLines, 5);
    EXPECT_EQ(ComputeMaxTopLine(pane), 5 - 3);
    pane->Height = 25; // the blank line does not fit whole: it is not counted
    EXPECT_EQ(ComputeMaxTopLine(pane), 5 - 2);
    pane->Height = 5; // shorter than one line
    EXPECT_EQ(ComputeMaxTopLine(pane), 5);
    pane->DisplayLines = 0;
    EXPECT_EQ(ComputeMaxTopLine(pane), PaneNoPane);
    EXPECT_EQ(pane->MaxTopLine, 0);
    DestroyPane(pane, 1);
    EXPECT_EQ(ComputeMaxTopLine(nullptr), PaneNoPane);
}

TEST(ScrollPane, TheScrollTable) {
    TextPane* pane = MakeLinedPane(100, std::vector<TestLine>(15, TestLine{14, 0x01}));
    pane->MaxTopLine = 10;
    pane->TopLine = 0;
    EXPECT_EQ(ScrollPane(pane, 20, 0, 0), ScrollChanged);
    EXPECT_EQ(pane->TopLine, 10); // past DisplayLines: MaxTopLine
    pane->TopLine = 0;
    EXPECT_EQ(ScrollPane(pane, 12, 0, 0), ScrollChanged);
    EXPECT_EQ(pane->TopLine, 12); // without clamp up to DisplayLines
    for (int top : {10, 12}) {
        pane->TopLine = uint16_t(top);
        EXPECT_EQ(ScrollPane(pane, 1, 0, 1), ScrollUnchanged) << top;
        EXPECT_EQ(ScrollPane(pane, 20, 0, 0), ScrollUnchanged) << top;
        EXPECT_EQ(pane->TopLine, top);
    }
    pane->TopLine = 3;
    EXPECT_EQ(ScrollPane(pane, -7, 0, 1), ScrollChanged);
    EXPECT_EQ(pane->TopLine, 0);
    EXPECT_EQ(ScrollPane(pane, -1, 0, 1), ScrollUnchanged);
    EXPECT_EQ(ScrollPane(pane, 0, 1, 1), ScrollUnchanged); // redraw 1 and no change: no paint
    pane->TopLine = 5;
    EXPECT_EQ(ScrollPane(pane, INT32_MIN, 0, 1), ScrollChanged);
    EXPECT_EQ(pane->TopLine, 0);
    EXPECT_EQ(ScrollPane(pane, INT32_MAX, 0, 0), ScrollChanged);
    EXPECT_EQ(pane->TopLine, 10);
    EXPECT_EQ(ScrollPane(nullptr, 1, 0, 0), PaneNoPane);
    DestroyPane(pane, 1);
}

TEST(ScrollToOffset, FindsTheLineHoldingAnOffset) {
    TextPane* pane =
        MakeLinedPane(28, {{14, 0x01, 2, 10}, {14, 0x01, 13, 10}, {14, 0x81, 24, 10}, {14, 0x01, 37, 5}});
    pane->MaxTopLine = 3;
    EXPECT_EQ(ScrollToOffset(pane, 30), 1);
    EXPECT_EQ(pane->TopLine, 2);
    EXPECT_EQ(ScrollToOffset(pane, 38), 1); // after the blank line: display line 4, capped at 3
    EXPECT_EQ(pane->TopLine, 3);
    pane->TopLine = 1;
    EXPECT_EQ(ScrollToOffset(pane, 100), 0);
    EXPECT_EQ(pane->TopLine, 1);
    EXPECT_EQ(ScrollToOffset(nullptr, 1), PaneNoPane);
    DestroyPane(pane, 1);
}
