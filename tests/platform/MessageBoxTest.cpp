#include "platform/Win32.h"

#include <gtest/gtest.h>

TEST(MessageBox, RecordsEachCallWithTheDefaultCaption) {
    PlatformClearMessageBoxLog();
    PlatformSetMessageBoxEcho(FALSE);
    EXPECT_EQ(MessageBoxW(nullptr, u"Resource not found", u"Error", MB_ICONSTOP), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, u"plain", nullptr, MB_OK), IDOK);
    PlatformSetMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"Remove?", u"Kestrova", MB_YESNO | MB_ICONQUESTION), IDNO);
    PlatformSetMessageBoxAnswer(IDOK);

    const auto& log = PlatformMessageBoxLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].Text, u"Resource not found");
    EXPECT_EQ(log[0].Style, MB_ICONSTOP);
    EXPECT_TRUE(log[0].CaptionGiven);
    EXPECT_EQ(log[1].Caption, MessageBoxDefaultCaption);
    EXPECT_FALSE(log[1].CaptionGiven);
    EXPECT_EQ(log[2].Style, MB_YESNO | MB_ICONQUESTION);
    PlatformClearMessageBoxLog();
    EXPECT_TRUE(PlatformMessageBoxLog().empty());
    PlatformSetMessageBoxEcho(TRUE);
}

TEST(Utf, RoundTripsAndReplacesDamage) {
    std::u16string hebrew = u"\u05D0\u05D1 (x) \U0001F600";
    EXPECT_EQ(PlatformUtf8ToUtf16(PlatformUtf16ToUtf8(hebrew)), hebrew);
    EXPECT_EQ(PlatformUtf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");   // overlong
    EXPECT_EQ(PlatformUtf8ToUtf16("a\xE0\x80"), u"a\uFFFD\uFFFD"); // cut short
    EXPECT_EQ(PlatformUtf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(wcsicmp16(u"Named", u"NAMED"), 0);
    EXPECT_LT(wcsicmp16(u"abc", u"abd"), 0);
}
