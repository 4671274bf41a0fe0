// The section tree's layout: rows wrapped from the reading start of each text and right-aligned at
// their record's indent, words cut only when they cannot fit, rows that advance where nothing fits,
// the style fonts, the largest scroll position; then revealing a lesson and keeping what is open
// over a new layout.
#include "NavigationTestSupport.h"

// Every malloc of the program's own code comes here (-Wl,--wrap=malloc): a request of exactly
// FailMallocOfSize bytes fails, once.
extern "C" void* __real_malloc(size_t size);
static size_t FailMallocOfSize = 0;
extern "C" void* __wrap_malloc(size_t size) {
    if (FailMallocOfSize != 0 && size == FailMallocOfSize) {
        FailMallocOfSize = 0;
        return nullptr;
    }
    return __real_malloc(size);
}

namespace {

using SectionLayout = TreeTest;

// Words of two to five letters, as the index's headings are.
std::string Words(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        if (i) s += ' ';
        s += std::string(size_t(2 + i % 4), char('a' + i % 26));
    }
    return s;
}

TEST_F(SectionLayout, RowsRunFromTheRightEndAndAlignAtTheIndent) {
    const std::string text = Words(40);
    ASSERT_EQ(Build({{Heading(1), ShownOpen, 1, text}}), TreeLayoutOk);
    ASSERT_GT(Tree->RowCount, 2);
    const int available = Tree->Width - 13;
    // The first row holds the right end of the stored text; each next row the bytes before it,
    // broken at a space where the word before it would not have fitted too.
    const int textStart = int(SectionRecordHeaderSize);
    int end = int(text.size());
    for (int i = 0; i < Tree->RowCount; ++i) {
        const SectionRow& r = Tree->Rows[i];
        const int start = int(r.TextOffset) - textStart;
        EXPECT_EQ(RowIndent(Tree, &r), 13) << i;
        EXPECT_LE(r.TextWidth, available) << i;
        EXPECT_EQ(r.TextWidth, RunWidth(RowText(i))) << i;
        EXPECT_EQ(start + r.Length, end) << i;
        EXPECT_NE(RowText(i).front(), ' ');
        int wordEnd = start;
        while (wordEnd > 0 && text[size_t(wordEnd - 1)] == ' ')
            --wordEnd;
        int wordStart = wordEnd;
        while (wordStart > 0 && text[size_t(wordStart - 1)] != ' ')
            --wordStart;
        if (wordEnd > 0) {
            EXPECT_GT(RunWidth(text.substr(size_t(wordStart), size_t(end - wordStart))), available) << i;
        }
        end = wordEnd;
    }
    EXPECT_EQ(end, 0);
    EXPECT_EQ(Tree->VisibleRows, Tree->RowCount);
    EXPECT_EQ(Tree->Rows[Tree->RowCount].Attributes, 0); // the end row
}

TEST_F(SectionLayout, AWordWiderThanTheViewIsCutWhereItStopsFitting) {
    const std::string word(80, 'm');
    ASSERT_EQ(Build({{Entry(3), Shown, 0, word}}), TreeLayoutOk);
    ASSERT_GE(Tree->RowCount, 2);
    int total = 0;
    for (int i = 0; i < Tree->RowCount; ++i) {
        EXPECT_LE(Tree->Rows[i].TextWidth, Tree->Width);
        if (i + 1 < Tree->RowCount) {
            EXPECT_GT(RunWidth(RowText(i) + "m"), Tree->Width);
        }
        total += Tree->Rows[i].Length;
    }
    EXPECT_EQ(total, 80);
}

TEST_F(SectionLayout, SpacesMakeNoRowAndDeepLevelsLoseTheirIndent) {
    ASSERT_EQ(
        Build({{Heading(1), ShownOpen, 0, "ab"}, {Entry(3), Shown, 1, "   "}, {Entry(5), Shown, 200, "cd"}}),
        TreeLayoutOk);
    ASSERT_EQ(Tree->RowCount, 2);
    EXPECT_EQ(Tree->Rows[1].Id, Entry(5));
    EXPECT_EQ(RowIndent(Tree, &Tree->Rows[1]), 0); // 200 x 13 is past the width
    EXPECT_EQ(Tree->Rows[1].X + Tree->Rows[1].TextWidth, Tree->Left + Tree->Width);
}

TEST_F(SectionLayout, ARowWhereNothingFitsStillAdvances) {
    View = {10, 0, 13, 320}; // 3 pixels: no letter fits
    ASSERT_EQ(Build({{Entry(3), Shown, 0, "ab cd"}}), TreeLayoutOk);
    ASSERT_EQ(Tree->RowCount, 4); // one byte a row, the space dropped
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Tree->Rows[i].Length, 1);
        EXPECT_LE(Tree->Rows[i].TextWidth, 3);
        EXPECT_GE(Tree->Rows[i].X, 10);
    }
    EXPECT_EQ(RowText(0), "d");
    EXPECT_EQ(RowText(3), "a");
    EXPECT_EQ(ResizeSectionTree(Tree, 0, 320), TreeLayoutOk);
    EXPECT_EQ(Tree->RowCount, 4);
}

TEST_F(SectionLayout, BadStreamsAreRefused) {
    Tree = CreateSectionTree(Canvas.Dc, &View, &ReaderState.FontSpec, 0);
    EXPECT_EQ(LayoutSectionTree(Tree, nullptr, 0), TreeNoStream);
    uint8_t* empty = MakeStream({{Entry(3), Shown, 0, ""}});
    EXPECT_EQ(LayoutSectionTree(Tree, empty, 0), TreeRejected);
    std::free(empty);
    uint8_t* none = MakeStream({});
    EXPECT_EQ(LayoutSectionTree(Tree, none, 0), TreeRejected);
    std::free(none);
    EXPECT_EQ(CreateSectionTree(nullptr, &View, &ReaderState.FontSpec, 10), nullptr);
    // A tree made without rows gets its first table from the layout.
    uint8_t* one = MakeStream({{Entry(3), Shown, 0, "ab"}});
    EXPECT_EQ(LayoutSectionTree(Tree, one, 0), TreeLayoutOk);
    EXPECT_EQ(Tree->RowCapacity, SectionRowsFirstCapacity);
}

TEST_F(SectionLayout, RunningOutOfMemoryLeavesNoRowIntoTheStream) {
    const std::string long_(4092, 'a'); // its reversed copy is the one 4093-byte request
    Tree = CreateSectionTree(Canvas.Dc, &View, &ReaderState.FontSpec, SectionTreeCapacity);
    uint8_t* stream = MakeStream({{Entry(3), Shown, 1, "ab"}, {Entry(5), Shown, 1, long_}});
    FailMallocOfSize = long_.size() + 1;
    EXPECT_EQ(LayoutSectionTree(Tree, stream, 0), TreeOutOfMemory);
    EXPECT_EQ(PlatformMessageBoxLog().size(), 1u); // AllocOrQuit's report
    EXPECT_EQ(Tree->SectionIndex, nullptr);        // the caller keeps the stream
    EXPECT_EQ(Tree->RowCount, 0);
    EXPECT_EQ(Tree->Rows[0].Attributes, 0);
    PaintSectionTree(Tree, 1);
    EXPECT_EQ(HitTestSectionTree(Tree, 200, 5), 0);
    std::free(stream);
}

TEST_F(SectionLayout, StylesGiveHeightsAndColours) {
    ReaderState.FontSpec.FontSize = 0;
    ASSERT_EQ(
        Build({{Heading(1), ShownOpen, 0, "ab"}, {Entry(3), Shown, 1, "cd"}, {Entry(5), 0x82, 1, "ef"}}),
        TreeLayoutOk);
    EXPECT_EQ(Tree->Rows[0].Height, 16); // the platform's default cell for height 0
    SectionTree* large = Tree;
    Tree = nullptr;
    ASSERT_EQ(Build({{Heading(1), 0xCC, 0, "ab"}, {Entry(3), 0x82, 1, "cd"}, {Entry(5), 0x84, 1, "ef"}}),
              TreeLayoutOk);
    EXPECT_EQ(Tree->Rows[0].Height, 20);
    EXPECT_EQ(Tree->Rows[1].Height, 14);
    EXPECT_EQ(Tree->Rows[2].Height, 20);
    SelectStyleFont(Tree, 0x0C, 1);
    EXPECT_EQ(GetTextColor(Canvas.Dc), 0xFF0000u);
    SelectStyleFont(Tree, 0x04, 1);
    EXPECT_EQ(GetTextColor(Canvas.Dc), 0u);
    SelectStyleFont(Tree, 0x02, 1);
    EXPECT_EQ(GetTextColor(Canvas.Dc), 0u); // small rows are black here, unlike the panes
    ReleaseSectionTree(large, 1);
}

TEST_F(SectionLayout, MaxTopRowLeavesTheLastPageFull) {
    std::vector<TestSection> records;
    for (int i = 0; i < 10; ++i)
        records.push_back({Entry(uint16_t(2 * i + 1)), Shown, 1, "ab"});
    ASSERT_EQ(Build(records), TreeLayoutOk);
    EXPECT_EQ(Tree->MaxTopRow, 0); // everything fits
    const int height = Tree->Rows[0].Height;
    ResizeSectionTree(Tree, Tree->Width, 3 * height + height / 2);
    EXPECT_EQ(Tree->MaxTopRow, 7);
    Tree->Rows[9].Attributes &= uint8_t(~SectionShown);
    --Tree->VisibleRows;
    EXPECT_EQ(ComputeMaxTopRow(Tree), 6);
}

TEST_F(SectionLayout, RevealShowsTheEntryTheNextRecordAndItsClosedAncestors) {
    ASSERT_EQ(Build({{Heading(1), Shown, 0, "top"},
                     {Heading(2), HiddenOpen, 1, "mid"},
                     {Entry(5), Hidden, 2, "five"},
                     {Entry(7), Hidden, 2, "seven"},
                     {Entry(9), Hidden, 2, "nine"},
                     {Heading(3), Hidden, 1, "other"},
                     {Entry(11), Hidden, 2, "eleven"}}),
              TreeLayoutOk);
    EXPECT_EQ(ShownRows(), "1000000");
    RevealLesson(Tree, 5);
    EXPECT_EQ(ShownRows(), "1111000");
    EXPECT_EQ(Tree->Rows[1].Attributes & SectionOpen, 0); // a revealed heading shows closed
    EXPECT_EQ(Tree->VisibleRows, 4);
    RevealLesson(Tree, 3); // a heading's number is no lesson
    RevealLesson(Tree, 0);
    EXPECT_EQ(Tree->VisibleRows, 4);
}

TEST_F(SectionLayout, OpenStateSurvivesANewLayout) {
    ASSERT_EQ(Build({{Heading(1), Shown, 0, "top"},
                     {Heading(2), Hidden, 1, "mid"},
                     {Entry(5), Hidden, 2, "five"},
                     {Heading(3), Shown, 0, Words(30)},
                     {Entry(11), Hidden, 1, "eleven"}}),
              TreeLayoutOk);
    ToggleSection(Tree, 0);
    ToggleSection(Tree, 1);
    const std::string before = ShownRows();
    uint16_t* saved = SaveOpenState(Tree);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved[0], Heading(1));
    EXPECT_EQ(saved[1], SectionOpen);
    ResizeSectionTree(Tree, 150, 300);
    EXPECT_NE(ShownRows().find('0'), std::string::npos);
    RestoreOpenState(Tree, saved);
    std::free(saved);
    EXPECT_EQ(Tree->Rows[0].Attributes & SectionOpen, SectionOpen);
    EXPECT_EQ(Tree->Rows[1].Attributes & SectionOpen, SectionOpen);
    EXPECT_EQ(ShownRows().substr(0, 3), "111");
    int shown = 0;
    for (char c : ShownRows())
        shown += c == '1';
    EXPECT_EQ(Tree->VisibleRows, shown);
    saved = SaveOpenState(Tree);
    ResizeSectionTree(Tree, 227, 320);
    RestoreOpenState(Tree, saved);
    std::free(saved);
    EXPECT_EQ(ShownRows(), before);
    EXPECT_EQ(ShownRows().back(), '0'); // the closed heading's entry stays hidden
}

} // namespace
