// ReaderPiecesTest.cpp: the update address's encoding, the keyboard picture's hit test, the font
// list's blocks and the split arithmetic, each against the values the reader must produce.
#include "about/AboutDialog.h"
#include "fonts/ChooseFontDialog.h"
#include "search/SearchDialog.h"
#include "shell/Panes.h"
#include "shell/ReaderState.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const RECT* ptr(const RECT& r) {
    return &r;
}

std::u16string Address(const std::u16string& identifier) {
    WCHAR out[UpdateAddressCapacity];
    EXPECT_TRUE(BuildUpdateAddress(identifier.c_str(), out, UpdateAddressCapacity));
    return out;
}

TEST(UpdateAddress, EncodesTheIdentifierAsTheServerReadsIt) {
    std::u16string prefix = std::u16string(HomePage) + u"/cgi-bin/upgrade?p=arm/";
    EXPECT_EQ(Address(ProductIdentifier), prefix + u"Tellgrove/Kestrova&v=1.84a");
    // A space becomes "+", a hyphen %2D, an underscore %5F; letters, digits, "." and "/" stay.
    EXPECT_EQ(Address(u"a b-c_d.9/"), prefix + u"a+b%2Dc%5Fd.9/&v=1.84a");
    // Above 0xFF the escape has three or four digits.
    EXPECT_EQ(Address(u"\u05D0x\u2603"), prefix + u"%5D0x%2603&v=1.84a");
}

TEST(UpdateAddress, RefusesAnAddressThatDoesNotFitItsBuffer) {
    WCHAR out[UpdateAddressCapacity];
    std::u16string longIdentifier(UpdateAddressCapacity, u'-'); // each becomes three characters
    EXPECT_FALSE(BuildUpdateAddress(longIdentifier.c_str(), out, UpdateAddressCapacity));
    WCHAR small[8];
    EXPECT_FALSE(BuildUpdateAddress(u"x", small, 8));
}

// The picture lies at (bx * 7 / 4, by * 71 / 8) with the system's dialog base units.
POINT PictureCorner() {
    LONG units = GetDialogBaseUnits();
    return POINT{LOWORD(units) * 7 / 4, HIWORD(units) * 71 / 8};
}

int KeyAt(int dx, int dy) {
    POINT c = PictureCorner();
    return KeyboardHitTest(c.x + dx, c.y + dy);
}

TEST(KeyboardPicture, KeysRunRightToLeftFromTheTopRight) {
    // Ensure the dialog state holds the base units, as the dialog's initialisation reads them.
    SearchDialogProc(nullptr, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(KeyAt(8 * 17, 0), 1);  // top right key (row 0, col 8)
    EXPECT_EQ(KeyAt(0, 2 * 25), 27); // bottom-left letter key (row 2, col 0)
    EXPECT_EQ(KeyAt(0, 0), 9);       // top left
    EXPECT_EQ(KeyAt(153, 0), 0);     // the last pixel column lies in col 9: the space in row 0
    EXPECT_EQ(KeyAt(153, 25), 9);    // key 9 in row 1
    EXPECT_EQ(KeyAt(153, 50), 18);   // key 18 in row 2
    EXPECT_EQ(KeyAt(34, 75), 0);     // row 3: columns 2 to 6 are the space bar
    EXPECT_EQ(KeyAt(118, 94), 0);
    EXPECT_EQ(KeyAt(33, 75), KeyboardNoKey); // left of the bar
    EXPECT_EQ(KeyAt(119, 75), KeyboardNoKey);
    EXPECT_EQ(KeyAt(-1, 0), KeyboardNoKey);
    EXPECT_EQ(KeyAt(0, 95), KeyboardNoKey);
    EXPECT_EQ(KeyAt(154, 0), KeyboardNoKey);
}

TEST(FontList, TakesEntriesFromBlocksAndFreesEveryBlock) {
    ResetFontList();
    LOGFONTW lf{};
    TEXTMETRICW tm{};
    for (int i = 0; i < 3 * FontListBlock + 1; ++i) {
        lf.lfFaceName[0] = WCHAR(u'A' + i % 26);
        tm.tmCharSet = BYTE(i == 7 ? HEBREW_CHARSET : 0);
        ASSERT_EQ(AddFontFamily(&lf, &tm, 0, 0), 1);
    }
    int count = 0, starts = 0;
    for (FontListEntry* e = FontList.Head; e; e = e->Next) {
        starts += e->BlockStart;
        EXPECT_EQ(e->CharSet, count == 7 ? HEBREW_CHARSET : 0);
        ++count;
    }
    EXPECT_EQ(count, 3 * FontListBlock + 1);
    EXPECT_EQ(starts, 4);
    FreeFontList(); // the sanitizer build would report a block left behind or freed twice
    EXPECT_EQ(FontList.Head, nullptr);
    EXPECT_EQ(FontList.Link, &FontList.Head);
}

TEST(SplitHeights, FollowsTheCodeAndNeverDividesByZero) {
    ResetReaderState();
    PaneState.BottomSection = SplitThreeQuarters;
    EXPECT_EQ(SplitHeights(242), 181); // (242 * 3) / 4
    PaneState.BottomSection = SplitNone;
    EXPECT_EQ(SplitHeights(242), 0);
    PaneState.BottomSection = SplitHalf;
    EXPECT_EQ(SplitHeights(242), 121);
    for (int32_t bad : {10, 20, 0, -3, 21}) { // no denominator, or more than the whole
        PaneState.BottomSection = bad;
        EXPECT_EQ(SplitHeights(242), 121) << bad;
    }
}

TEST(Rectangles, IntersectUnionAndMulDivAsWin32Gives) {
    RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, out;
    EXPECT_TRUE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE(EqualRect(&out, ptr(RECT{5, 5, 10, 10})));
    RECT c{10, 10, 12, 12};
    EXPECT_FALSE(IntersectRect(&out, &a, &c));
    EXPECT_TRUE(IsRectEmpty(&out));
    EXPECT_TRUE(UnionRect(&out, &a, &c));
    EXPECT_TRUE(EqualRect(&out, ptr(RECT{0, 0, 12, 12})));
    EXPECT_TRUE(PtInRect(&a, POINT{9, 9}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 9}));
    EXPECT_EQ(MulDiv(7, 9, 4), 16);   // 15.75 rounds up
    EXPECT_EQ(MulDiv(-7, 9, 4), -16); // half away from zero, both signs
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1);
}

} // namespace
