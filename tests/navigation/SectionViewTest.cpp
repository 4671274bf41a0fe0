// The section tree on screen: painting (colours, the box of each record once, fonts and colour put
// back), taps on entries, headings, boxes and empty space, opening and closing a subtree, scrolling,
// and the tree built from the index inside the program.
#include "NavigationTestSupport.h"

namespace {

// Three 9 x 9 bitmaps of one colour each, standing for the plus, minus and page pictures.
struct TestBoxes {
    static constexpr COLORREF Colours[TreeBitmapCount] = {0x0000FF, 0x00FF00, 0xFF00FF};
    TestBoxes() {
        HDC dc = CreateCompatibleDC(nullptr);
        for (int i = 0; i < TreeBitmapCount; ++i) {
            HBITMAP bitmap = CreateCompatibleBitmap(dc, TreeBoxSize, TreeBoxSize);
            HGDIOBJ old = SelectObject(dc, bitmap);
            HBRUSH brush = CreateSolidBrush(Colours[i]);
            RECT all{0, 0, TreeBoxSize, TreeBoxSize};
            FillRect(dc, &all, brush);
            DeleteObject(brush);
            SelectObject(dc, old);
            ReaderState.TreeBitmaps[i] = bitmap;
        }
        DeleteDC(dc);
    }
    ~TestBoxes() {
        for (HBITMAP& bitmap : ReaderState.TreeBitmaps) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
};

class SectionView : public TreeTest {
protected:
    // The y of row i's top when the tree is scrolled to the top and every row before it is shown.
    int RowTop(int i) const {
        int y = Tree->Top;
        for (int k = 0; k < i; ++k)
            if (Tree->Rows[k].Attributes & SectionShown) y += Tree->Rows[k].Height;
        return y;
    }
    int RowMiddle(int i) const { return RowTop(i) + Tree->Rows[i].Height / 2; }
    // 0x00RRGGBB of a canvas pixel.
    uint32_t Pixel(int x, int y) const {
        PlatformPixels pixels;
        PlatformGetDCPixels(Canvas.Dc, &pixels);
        return pixels.Pixels[y * pixels.Stride + x];
    }
    // True when some pixel of the row's text is mostly blue, or mostly dark (black text).
    bool RowHas(int i, bool blue) const {
        const SectionRow& r = Tree->Rows[i];
        for (int y = RowTop(i); y < RowTop(i) + r.Height; ++y)
            for (int x = r.X; x < r.X + r.TextWidth; ++x) {
                const uint32_t p = Pixel(x, y);
                const int red = int(p >> 16 & 0xFF), green = int(p >> 8 & 0xFF), b = int(p & 0xFF);
                if (blue && b > 200 && red < 80 && green < 80) return true;
                if (!blue && b < 80 && red < 80 && green < 80) return true;
            }
        return false;
    }
};

TEST_F(SectionView, PaintDrawsShownRowsWithTheirStyleAndOneBoxARecord) {
    TestBoxes boxes;
    ASSERT_EQ(Build({{Heading(1), ShownOpen | 0x0C, 0, "abcde"},
                     {Entry(3), Shown, 1, "fghij"},
                     {Entry(5), Hidden, 1, "klm"},
                     {Heading(2), Shown, 1, "nop"}}),
              TreeLayoutOk);
    HFONT font = MakeTestFont(u"DejaVu Sans", 30);
    HGDIOBJ before = SelectObject(Canvas.Dc, font);
    SetTextColor(Canvas.Dc, 0x123456);
    PaintSectionTree(Tree, 1);
    EXPECT_EQ(Tree->PaintedRows, 3);
    EXPECT_TRUE(RowHas(0, true));
    EXPECT_FALSE(RowHas(1, true));
    EXPECT_TRUE(RowHas(1, false));
    auto boxAt = [&](int row) {
        const SectionRow& r = Tree->Rows[row];
        return Pixel(r.X + r.TextWidth + TreeBoxGap + 4, RowTop(row) + (r.Height - TreeBoxSize) / 2 + 4);
    };
    EXPECT_EQ(boxAt(0), 0x00FF00u); // open heading: the minus
    EXPECT_EQ(boxAt(1), 0xFF00FFu); // entry: the page
    EXPECT_EQ(boxAt(3), 0xFF0000u); // closed heading: the plus (0x0000FF as a colour reference)
    EXPECT_EQ(GetTextColor(Canvas.Dc), 0x123456u);
    EXPECT_EQ(SelectObject(Canvas.Dc, before), font);
    DeleteObject(font);
}

TEST_F(SectionView, TapsChooseEntriesAndToggleHeadings) {
    ASSERT_EQ(Build({{Heading(1), Shown, 0, "abcde"},
                     {Entry(17), Hidden, 1, "fghij"},
                     {Entry(0), Shown, 0, "zero"},
                     {Entry(19), Shown, 1, "klm"},
                     {0x0007, Shown, 0, "plain"}}),
              TreeLayoutOk);
    const SectionRow& entry = Tree->Rows[3];
    EXPECT_EQ(HitTestSectionTree(Tree, entry.X + 1, RowMiddle(3)), 19);
    EXPECT_EQ(HitTestSectionTree(Tree, entry.X + entry.TextWidth + TreeBoxZone, RowMiddle(3)), 19); // the box
    EXPECT_EQ(HitTestSectionTree(Tree, entry.X - 1, RowMiddle(3)), 0); // left of it
    EXPECT_EQ(HitTestSectionTree(Tree, entry.X + entry.TextWidth + TreeBoxZone + 1, RowMiddle(3)), 0);
    EXPECT_EQ(HitTestSectionTree(Tree, Tree->Rows[2].X + 1, RowMiddle(2)), 0); // lesson 0 is no choice
    EXPECT_EQ(HitTestSectionTree(Tree, Tree->Rows[4].X + 1, RowMiddle(4)), -7);
    EXPECT_EQ(HitTestSectionTree(Tree, 5, Tree->Top + Tree->Height), TreeChanged); // below the last row
    EXPECT_EQ(HitTestSectionTree(Tree, Tree->Left + Tree->Width + 1, 5), 0);       // outside the view

    const SectionRow& heading = Tree->Rows[0];
    EXPECT_EQ(HitTestSectionTree(Tree, heading.X - 1, RowMiddle(0)), 0); // left of a heading's text
    EXPECT_EQ(HitTestSectionTree(Tree, Tree->Left + Tree->Width, RowMiddle(0)), -1); // right of its box
    EXPECT_EQ(ShownRows(), "11111");
    EXPECT_EQ(HitTestSectionTree(Tree, heading.X + 1, RowMiddle(0)), -1); // its text
    EXPECT_EQ(ShownRows(), "10111");
}

TEST_F(SectionView, ClosingHidesTheSubtreeAndOpeningShowsDirectChildren) {
    ASSERT_EQ(Build({{Heading(1), ShownOpen, 0, "top"},
                     {Heading(2), ShownOpen, 1, "mid"},
                     {Entry(5), Shown, 2, "five"},
                     {Entry(7), Shown, 1, "seven"},
                     {Heading(3), Shown, 0, "next"}}),
              TreeLayoutOk);
    EXPECT_EQ(ToggleSection(Tree, 0), -1);
    EXPECT_EQ(ShownRows(), "10001");
    EXPECT_EQ(Tree->VisibleRows, 2);
    EXPECT_EQ(Tree->Rows[1].Attributes & SectionOpen, SectionOpen); // kept while hidden
    ToggleSection(Tree, 0);
    EXPECT_EQ(ShownRows(), "11011"); // the child heading shows open, its children stay hidden
    EXPECT_EQ(Tree->VisibleRows, 4);
    ToggleSection(Tree, 1); // closing an open heading whose children are hidden
    ToggleSection(Tree, 1);
    EXPECT_EQ(ShownRows(), "11111");
}

TEST_F(SectionView, HidingARowOfStyleZeroKeepsTheRowsAfterIt) {
    ASSERT_EQ(Build({{Heading(1), ShownOpen, 0, "top"},
                     {Entry(3), SectionShown, 1, "bare"}, // style 0: Attributes 0x80 alone
                     {Entry(5), Shown, 1, "five"},
                     {Heading(2), SectionShown, 0, "next"}}),
              TreeLayoutOk);
    ToggleSection(Tree, 0);
    EXPECT_EQ(ShownRows(), "1001");
    EXPECT_EQ(Tree->RowCount, 4);
    EXPECT_NE(Tree->Rows[1].Attributes, 0); // still a row, not the end of the table
    EXPECT_EQ(HitTestSectionTree(Tree, Tree->Rows[3].X + 1, RowMiddle(3)), -2);
    ToggleSection(Tree, 0);
    EXPECT_EQ(ShownRows(), "1111");
    EXPECT_EQ(Tree->VisibleRows, 4);
}

TEST_F(SectionView, ScrollingStaysInsideTheLastFullPage) {
    std::vector<TestSection> records;
    for (int i = 0; i < 40; ++i)
        records.push_back({Entry(uint16_t(2 * i + 1)), Shown, 1, "ab"});
    ASSERT_EQ(Build(records), TreeLayoutOk);
    const int perPage = Tree->Height / Tree->Rows[0].Height;
    EXPECT_EQ(Tree->MaxTopRow, 40 - perPage);
    ScrollSectionTree(Tree, -3, 1, 1);
    EXPECT_EQ(Tree->TopRow, 0);
    ScrollSectionTree(Tree, 1000, 1, 1);
    EXPECT_EQ(Tree->TopRow, Tree->MaxTopRow);
    EXPECT_EQ(Tree->PaintedRows, perPage);
    // The first row drawn is the one after TopRow shown rows: a tap at the top chooses it.
    EXPECT_EQ(HitTestSectionTree(Tree, Tree->Rows[0].X + 1, 1), 2 * Tree->TopRow + 1);
    Tree->TopRow = 200; // past the shown rows: painting puts it back to the last page
    PaintSectionTree(Tree, 1);
    EXPECT_EQ(Tree->TopRow, Tree->MaxTopRow);
}

TEST_F(SectionView, TheProgramsIndexWithBookmarksAndTheCurrentLesson) {
    LoadSettings(); // the tree bitmaps of the program
    for (HBITMAP bitmap : ReaderState.TreeBitmaps)
        ASSERT_NE(bitmap, nullptr);
    SetBookmarks({21, 250, 9});
    std::memset(&ChooseSectionState, 0, sizeof ChooseSectionState);
    ChooseSectionState.DC = Canvas.Dc;
    ChooseSectionState.ClientRect = View;
    ChooseSectionState.Font = &ReaderState.FontSpec;
    ChooseSectionState.Result = 23; // under a closed heading
    LoadSectionIndex();
    Tree = ChooseSectionState.Tree;
    ASSERT_NE(Tree, nullptr);
    ASSERT_GT(Tree->RowCount, SectionTreeCapacity); // the table grew past what the dialog asks for
    EXPECT_EQ(Tree->Rows[0].Id, BookmarkGroupId);
    EXPECT_EQ(Tree->Rows[0].Attributes & ShownOpen, ShownOpen);
    int i = 1;
    while (Tree->Rows[i].Id == Tree->Rows[0].Id)
        ++i;
    EXPECT_EQ(Tree->Rows[i].Id, Entry(21)); // 250 has no entry and is left out
    while (Tree->Rows[i].Id == Entry(21))
        ++i;
    EXPECT_EQ(Tree->Rows[i].Id, Entry(9));
    int entry = 0;
    while (Tree->Rows[entry].Id != Entry(23))
        ++entry;
    EXPECT_TRUE(Tree->Rows[entry].Attributes & SectionShown);
    EXPECT_TRUE(Tree->Rows[entry + 1].Attributes & SectionShown);
    PaintSectionTree(Tree, 1);
    EXPECT_GT(Tree->PaintedRows, 10);
    // The group's open box stands right of its text: some of its pixels are not white.
    const SectionRow& group = Tree->Rows[0];
    int inked = 0;
    for (int y = 0; y < TreeBoxSize; ++y)
        for (int x = 0; x < TreeBoxSize; ++x)
            inked += Pixel(group.X + group.TextWidth + TreeBoxGap + x,
                           (group.Height - TreeBoxSize) / 2 + y) != 0xFFFFFFu;
    EXPECT_GT(inked, 10);
    SaveSettings(); // deletes the bitmaps
}

TEST_F(SectionView, NoIndexAndNoBookmarksGiveAnEmptyViewThatIgnoresEverything) {
    Tree = CreateSectionTree(Canvas.Dc, &View, &ReaderState.FontSpec, SectionTreeCapacity);
    EXPECT_EQ(LayoutSectionTree(Tree, AddBookmarkBlock(nullptr), 0), TreeNoStream);
    PaintSectionTree(Tree, 1);
    EXPECT_EQ(HitTestSectionTree(Tree, 10, 10), 0);
    ScrollSectionTree(Tree, 1, 1, 1);
    RevealLesson(Tree, 5);
    EXPECT_EQ(SaveOpenState(Tree), nullptr);
    EXPECT_EQ(Tree->TopRow, 0);
}

} // namespace
