// RichTextTest.cpp: the RTF body (spaces, line ends, escapes, decompositions, the size pass), the
// document of a known article against its golden file, Copy then Append as the clipboard would join
// them, and the Unicode text's join. KESTROVA_UPDATE_GOLDEN=1 rewrites the golden file.
#include "ExportTestSupport.h"

#include <fstream>
#include <iterator>

namespace {

class RichTextTest : public ::testing::Test {
protected:
    void SetUp() override { ResetReaderState(); }
    void TearDown() override { ResetReaderState(); }
};

size_t Count(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++n;
    return n;
}

TEST_F(RichTextTest, SpacesLineEndsAndPlainBytes) {
    EXPECT_EQ(BodyOf(u"a  b"), "a   b\\par\\par\r\n"); // two spaces become three
    EXPECT_EQ(BodyOf(u" x"), "  x\\par\\par\r\n");
    EXPECT_EQ(BodyOf(u"x\r\n\r\ny\n"), "x\\par\\par\r\ny\\par\\par\r\n\\par\\par\r\n");
    EXPECT_EQ(BodyOf(u""), "\\par\\par\r\n");
    EXPECT_EQ(BodyOf(u"!~"), "!~\\par\\par\r\n");
}

TEST_F(RichTextTest, EscapesAndDecompositions) {
    EXPECT_EQ(BodyOf(u"\\{}"), "\\u92\\u123\\u125\\par\\par\r\n");
    EXPECT_EQ(BodyOf(u"\u00E9\u05D0\u05EA\t"), "\\u233\\u1488\\u1514\\u9\\par\\par\r\n");
    EXPECT_EQ(BodyOf(u"\uFB2C"), "\\u1513\\u1468\\u1473\\par\\par\r\n");
    EXPECT_EQ(BodyOf(u"\uFB4B\uFB2E\uFFFF"), "\\u1493\\u1465\\u64302\\u65535\\par\\par\r\n");
}

TEST_F(RichTextTest, TheSizePassBoundsTheBodyOfEveryBuiltInText) {
    SetDisplay(AsciiBaseUnicode, false);
    for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
        const TextBytes text = BuiltInText(n);
        if (text.empty()) continue;
        const std::u16string wide = WideOf(text);
        const size_t size = WriteRtfBody(wide.c_str(), nullptr);
        std::vector<char> out(size + 2, '#');
        const size_t length = WriteRtfBody(wide.c_str(), out.data());
        EXPECT_LE(length + 1, size) << n;
        EXPECT_EQ(out[length], 0);
        EXPECT_EQ(out[size + 1], '#');
    }
    // Worst cases of the count: a code below 100 is counted as 5 bytes and takes 4 or 3.
    const std::u16string odd = u"\t\\\r\uFB2C\u00E9   ";
    EXPECT_LE(BodyOf(odd).size() + 1, WriteRtfBody(odd.c_str(), nullptr));
}

TEST_F(RichTextTest, TheDocumentOfAKnownArticleMatchesItsGoldenFile) {
    SetDisplay(AsciiBaseUnicode, false);
    const TextBytes text = BuiltInText(2); // the commentary of the first article
    ASSERT_FALSE(text.empty());
    const std::string document = DocumentOf("", BodyOf(WideOf(text)));
    EXPECT_EQ(document.compare(0, RtfHeaderLength, RtfHeader), 0);
    EXPECT_EQ(document.substr(document.size() - 13), "\\par\\par\r\n}\r\n");
    const std::string golden = std::string(KESTROVA_EXPORT_GOLDEN) + "/text-002.rtf";
    const char* update = std::getenv("KESTROVA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") std::ofstream(golden, std::ios::binary) << document;
    std::ifstream in(golden, std::ios::binary);
    ASSERT_TRUE(in) << "missing " << golden << " (KESTROVA_UPDATE_GOLDEN=1 writes it)";
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), document);
}

TEST_F(RichTextTest, CopyThenAppendTwiceMakesOneDocument) {
    SetDisplay(AsciiBaseUnicode, false);
    const std::string bodies[3] = {BodyOf(WideOf(BuiltInText(1))), BodyOf(WideOf(BuiltInText(2))),
                                   BodyOf(WideOf(BuiltInText(5)))};
    std::string document = DocumentOf("", bodies[0]);
    document = DocumentOf(document, bodies[1]);
    document = DocumentOf(document + "\r\n \t", bodies[2]); // blanks a word processor might add
    EXPECT_EQ(Count(document, RtfHeader), 1u);
    EXPECT_EQ(document.find(RtfHeader), 0u);
    EXPECT_EQ(Count(document, RtfSeparator), 2u);
    const std::string expected = std::string(RtfHeader) + bodies[0] + RtfSeparator + bodies[1] +
                                 RtfSeparator + bodies[2] + RtfDocumentEnd;
    EXPECT_EQ(document, expected);
    // The braces close once, at the very end.
    int depth = 0;
    size_t closedAt = 0;
    for (size_t k = 0; k < document.size(); ++k) {
        if (document[k] == '{') ++depth;
        if (document[k] == '}' && --depth == 0) closedAt = k;
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(closedAt, document.size() - 3);
}

TEST_F(RichTextTest, AppendDropsTrailingBlanksAndOneBraceOnly) {
    EXPECT_EQ(RtfKeptLength("{x}}\r\n \t", 8), 3u);
    EXPECT_EQ(RtfKeptLength("{x}\r\n", 5), 2u);
    EXPECT_EQ(RtfKeptLength("{x", 2), 2u); // no brace: nothing more is dropped
    EXPECT_EQ(DocumentOf("{x}}\r\n ", "B"), std::string("{x}") + RtfSeparator + "B}\r\n");
    EXPECT_EQ(RtfBlockSize("{x}", 3, 10), 10u + 3u + RtfAppendExtra);
    EXPECT_EQ(RtfBlockSize(nullptr, 0, 10), 10u + RtfNewDocumentExtra);
}

TEST_F(RichTextTest, BlankOrMissingDataStartsANewDocument) {
    const std::string fresh = std::string(RtfHeader) + "B}\r\n";
    EXPECT_EQ(DocumentOf("", "B"), fresh);
    EXPECT_EQ(DocumentOf(" \r\n\t", "B"), fresh); // a separator without a header would be no document
    EXPECT_EQ(RtfBlockSize(" \r\n", 3, 1), 1u + RtfNewDocumentExtra);
}

TEST_F(RichTextTest, NoMemoryGivesNoBody) {
    size_t length = 7;
    FailNextMalloc = true;
    EXPECT_EQ(RtfBody(u"abc", &length), nullptr);
    FailNextMalloc = false;
    EXPECT_EQ(length, 7u);
}

TEST_F(RichTextTest, UnicodeTextJoinsTheNewTextRightBehindTheOld) {
    const std::u16string old = u"\u05D0b", added = u"cd";
    std::vector<uint8_t> block(UnicodeBlockSize(4, 2) + 1, 0xEE);
    WriteUnicodeDocument(block.data(), reinterpret_cast<const uint8_t*>(old.data()), 4, added.data(), 2);
    EXPECT_EQ(UnicodeBlockSize(4, 2), 10u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(block.data())), u"\u05D0bcd");
    EXPECT_EQ(block[10], 0xEE);
    // An odd old length: the new text starts at the even byte below it.
    std::vector<uint8_t> odd(UnicodeBlockSize(5, 1), 0xEE);
    const uint8_t oldBytes[5] = {'a', 0, 'b', 0, 'x'};
    WriteUnicodeDocument(odd.data(), oldBytes, 5, u"c", 1);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(odd.data())), u"abc");
    // Copy: nothing old.
    std::vector<uint8_t> fresh(UnicodeBlockSize(0, 2));
    WriteUnicodeDocument(fresh.data(), nullptr, 0, added.data(), 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(fresh.data())), u"cd");
}

} // namespace
