// WideTextTest.cpp: an article as wide text: each record's line, the rules' dashes and trailing
// spaces, the order of the strings by letter base and Reverse, the estimate against every built-in
// text, and the export abandoned whole when the estimate is too small or memory runs out.
#include "ExportTestSupport.h"
#include "platform/Win32Dialogs.h"
#include "store/DisplayOrder.h"

bool FailNextMalloc = false;
extern "C" void* __real_malloc(size_t);
extern "C" void* __wrap_malloc(size_t n) {
    if (FailNextMalloc) {
        FailNextMalloc = false;
        return nullptr;
    }
    return __real_malloc(n);
}

namespace {

// A heading, a rule of 40 pixels (paragraph end), one of 170 (20 dashes), a paragraph with brackets
// and 5 trailing spaces, a line with '~'.
const std::vector<ExportTestRecord> Records = {
    {0xDC, 0, "ab{ d"}, {0xC7, 40, ""}, {0x47, 170, ""}, {0x91, 5, "a(b"}, {0x11, 0, "~1"}};

class WideTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetReaderState();
        PlatformSetMessageBoxEcho(FALSE);
        PlatformClearMessageBoxLog();
    }
    void TearDown() override {
        PlatformSetMessageBoxEcho(TRUE);
        ResetReaderState();
    }
};

TEST_F(WideTextTest, EachRecordALineInTheOrderTheBaseAndReverseAsk) {
    const TextBytes text = MakeText(Records);
    const std::u16string rules = std::u16string(40, u'-') + u"\r\n\r\n" + std::u16string(20, u'-') + u"\r\n";
    SetDisplay(AsciiBaseCodePage, false);
    EXPECT_EQ(WideOf(text),
              u"\u00E0\u00E1\u00FA \u00E3\r\n\r\n" + rules + u"\u00E0(\u00E1     \r\n\r\n{1\r\n");
    SetDisplay(AsciiBaseCodePage, true); // reversed, brackets mirrored, as on screen
    EXPECT_EQ(WideOf(text),
              u"\u00E3 \u00FA\u00E1\u00E0\r\n\r\n" + rules + u"\u00E1)\u00E0     \r\n\r\n1}\r\n");
    EXPECT_EQ(ReaderState.Flags, DefaultFlags | FlagReverse);
    // With the Unicode letters the string is reversed exactly when the screen does not reverse it.
    const TextBytes line = MakeText({{0x11, 0, "a(b"}});
    SetDisplay(AsciiBaseUnicode, false);
    EXPECT_EQ(WideOf(line), u"\u05D1)\u05D0\r\n");
    EXPECT_EQ(ReaderState.Flags, DefaultFlags & ~FlagReverse); // put back
    SetDisplay(AsciiBaseUnicode, true);
    EXPECT_EQ(WideOf(line), u"\u05D0(\u05D1\r\n");
    SetDisplay(AsciiBaseLatin, true); // the Latin stand-ins are never reversed
    EXPECT_EQ(WideOf(line), u"a(b\r\n");
    // A right-to-left line with a Latin word and a number, stored as the content compiler stores it,
    // comes back in reading order with both still left to right; a left-to-right line stays as it is.
    const std::string reading = "ab VARNI 1.84 <c>";
    std::string stored(reading.size(), '\0');
    ReverseForDisplay(reinterpret_cast<const uint8_t*>(reading.data()), reading.size(),
                      reinterpret_cast<uint8_t*>(stored.data()));
    ASSERT_EQ(stored, "<c> 1.84 VARNI ba");
    SetDisplay(AsciiBaseUnicode, false);
    EXPECT_EQ(WideOf(MakeText({{0x11, 0, stored}, {0x01, 0, "KESTROVA 1.84"}})),
              u"\u05D0\u05D1 VARNI 1.84 <\u05D2>\r\nKESTROVA 1.84\r\n");
    for (int param : {0, 40, 160, 161, 170, 255})
        EXPECT_EQ(WriteRuleDashes(nullptr, uint8_t(param)), param <= 160 ? param : (param - 160) * 2);
}

TEST_F(WideTextTest, TheEstimateHoldsEveryBuiltInTextAtEveryBase) {
    // T = 8 + 3 + 3 + 6 + 5 = 25 bytes; P = 5 records + 3 paragraph ends; R = 60; S = 5.
    EXPECT_EQ(EstimateWideText(MakeText(Records).data()), 25u + 12u + 16u + 60u + 5u + 1u);
    int texts = 0;
    for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
        const TextBytes text = BuiltInText(n);
        texts += !text.empty();
        for (int base : {AsciiBaseCodePage, AsciiBaseUnicode}) {
            SetDisplay(base, n % 2 == 0);
            const size_t estimate = text.empty() ? 0 : EstimateWideText(text.data());
            std::vector<WCHAR> out(estimate + 1, 0xBEEF);
            const int length = text.empty() ? 0 : ArticleToWideText(text.data(), out.data(), estimate);
            ASSERT_GE(length, 0) << n;
            EXPECT_LE(size_t(length), estimate) << n;
            EXPECT_EQ(out[estimate], 0xBEEF) << n;
        }
    }
    EXPECT_EQ(texts, LastArticleNumber);
    EXPECT_TRUE(PlatformMessageBoxLog().empty());
}

TEST_F(WideTextTest, ABufferTooSmallOrNoMemoryGivesNothing) {
    const TextBytes text = MakeText(Records);
    SetDisplay(AsciiBaseCodePage, false);
    const size_t needed = WideOf(text).size() + 1;
    ReaderState.MainWindow = reinterpret_cast<HWND>(0x1234);
    std::vector<WCHAR> out(needed + 8, 0xBEEF);
    EXPECT_EQ(ArticleToWideText(text.data(), out.data(), needed - 1), WideTextOverflow);
    EXPECT_EQ(out[needed - 1], 0xBEEF); // nothing written past the end
    ASSERT_EQ(PlatformMessageBoxLog().size(), 1u);
    const PlatformMessageBoxCall& box = PlatformMessageBoxLog()[0];
    EXPECT_EQ(box.Text, u"(obuf > (start + size))");
    EXPECT_FALSE(box.CaptionGiven);
    EXPECT_EQ(box.Style, MB_OK);
    EXPECT_EQ(box.Owner, ReaderState.MainWindow);
    EXPECT_EQ(ArticleToWideText(text.data(), out.data(), needed), int(needed - 1)); // exactly enough
    EXPECT_EQ(ReaderState.Flags, DefaultFlags & ~FlagReverse);

    int length = -1;
    FailNextMalloc = true;
    EXPECT_EQ(ArticleWideText(text.data(), &length), nullptr);
    FailNextMalloc = false;
    EXPECT_EQ(length, -1);
    EXPECT_EQ(ArticleWideText(nullptr, &length), nullptr);
}

} // namespace
