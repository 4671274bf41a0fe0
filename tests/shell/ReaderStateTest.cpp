#include "shell/ReaderState.h"

#include <gtest/gtest.h>

#include <cstddef>

TEST(ReaderState, StartValues) {
    ReaderState.Lesson = 7;
    PaneState.BottomSection = SplitNone;
    AllowSipInHebrewSearch = 0;
    ResetReaderState();
    EXPECT_EQ(ReaderState.Lesson, 0);
    EXPECT_EQ(ReaderState.Flags, 0u); // the default comes from the settings, not the clear
    EXPECT_EQ(ReaderState.FontSpec.FontFace[0], 0);
    EXPECT_EQ(PaneState.BottomSection, SplitHalf);
    EXPECT_EQ(AllowSipInHebrewSearch, 1);
    EXPECT_EQ(ActingPane(), nullptr);
    EXPECT_EQ(std::u16string(SettingsKeyPath), u"Software\\Tellgrove\\Kestrova");
}

TEST(ReaderState, FieldOrderAndWidths) {
    EXPECT_EQ(sizeof(FontSpec), 32 * 2 + 4 + 4);
    EXPECT_LT(offsetof(struct ReaderState, Instance), offsetof(struct ReaderState, FontSpec));
    EXPECT_LT(offsetof(struct ReaderState, LastPosition), offsetof(struct ReaderState, Flags));
    EXPECT_LT(offsetof(struct ReaderState, Lesson), offsetof(struct ReaderState, SearchString));
    EXPECT_LT(offsetof(struct ReaderState, BookmarkFlags), offsetof(struct ReaderState, TodayRequested));
    EXPECT_EQ(sizeof ReaderState.SearchString, 34u);
    EXPECT_EQ(sizeof ReaderState.Lesson, 2u);
    EXPECT_EQ(sizeof PaneState.BottomSectionLastPosition, 2u);
    EXPECT_LT(offsetof(struct PaneState, BottomPaneScrollBar), offsetof(struct PaneState, TopPaneScrollBar));
    EXPECT_LT(offsetof(struct PaneState, BottomRect), offsetof(struct PaneState, BottomSection));
}

TEST(ReaderState, DefaultFlagsHaveTheDocumentedBits) {
    EXPECT_TRUE(DefaultFlags & FlagTapScrolls);
    EXPECT_TRUE(DefaultFlags & FlagTapZonesVertical);
    EXPECT_EQ((DefaultFlags & FlagTapAmountMask) >> FlagTapAmountShift, 1u);
    EXPECT_EQ((DefaultFlags & FlagPageAmountMask) >> FlagPageAmountShift, 1u);
    EXPECT_FALSE(DefaultFlags & FlagReverse);
    EXPECT_EQ(DefaultFlags & FlagScrollBarsFollow, 0x40u);
}
