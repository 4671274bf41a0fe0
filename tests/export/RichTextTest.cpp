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

TEST_F(RichTextTest, BodyBytesAndTheSizePassThatBoundsThem) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"a  b", "a   b"}, // two spaces become three
        {u" x", "  x"},
        {u"x\r\n\r\ny\n", "x\\par\\par\r\ny\\par\\par\r\n"}, // one line end per run of CR and LF
        {u"", ""},
        {u"!~\\{}", "!~\\u92\\u123\\u125"},
        {u"\u00E9\u05D0\u05EA\t", "\\u233\\u1488\\u1514\\u9"},
        {u"\uFB2C\uFB4B", "\\u1513\\u1468\\u1473\\u1493\\u1465"}, // decomposed
        {u"\uFB2E\uFFFF", "\\u64302\\u65535"},
    };
    for (const auto& [wide, bytes] : cases) {
        EXPECT_EQ(BodyOf(wide), bytes + "\\par\\par\r\n");
        EXPECT_LE(bytes.size() + 11, WriteRtfBody(wide.c_str(), nullptr)); // with the end and the zero
    }
    SetDisplay(AsciiBaseUnicode, false);
    for (int n = FirstArticleNumber; n <= LastArticleNumber; ++n) {
        const std::u16string wide = WideOf(BuiltInText(n));
        const size_t size = WriteRtfBody(wide.c_str(), nullptr);
        std::vector<char> out(size + 2, '#');
        EXPECT_LE(WriteRtfBody(wide.c_str(), out.data()) + 1, size) << n;
        EXPECT_EQ(out[size + 1], '#');
    }
    size_t length = 7;
    FailNextMalloc = true;
    EXPECT_EQ(RtfBody(u"abc", &length), nullptr);
    FailNextMalloc = false;
    EXPECT_EQ(length, 7u);
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
    EXPECT_EQ(document, std::string(RtfHeader) + bodies[0] + RtfSeparator + bodies[1] + RtfSeparator +
                            bodies[2] + RtfDocumentEnd);
    int depth = 0; // the braces close once, at the very end
    size_t closedAt = 0;
    for (size_t k = 0; k < document.size(); ++k) {
        depth += document[k] == '{';
        if (document[k] == '}' && --depth == 0) closedAt = k;
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(closedAt, document.size() - 3);
}

TEST_F(RichTextTest, AppendKeepsTheOldDocumentUpToItsLastBrace) {
    EXPECT_EQ(RtfKeptLength("{x}}\r\n \t", 8), 3u); // blanks and one brace, nothing more
    EXPECT_EQ(RtfKeptLength("{x", 2), 2u);
    EXPECT_EQ(DocumentOf("{x}}\r\n ", "B"), std::string("{x}") + RtfSeparator + "B}\r\n");
    EXPECT_EQ(RtfBlockSize("{x}", 3, 10), 10u + 3u + RtfAppendExtra);
    // Nothing or only blanks: a new document with its header (a separator alone is no document).
    EXPECT_EQ(DocumentOf(" \r\n\t", "B"), std::string(RtfHeader) + "B}\r\n");
    EXPECT_EQ(RtfBlockSize(" \r\n", 3, 1), 1u + RtfNewDocumentExtra);
    EXPECT_EQ(RtfBlockSize(nullptr, 0, 10), 10u + RtfNewDocumentExtra);
}

TEST_F(RichTextTest, UnicodeTextJoinsTheNewTextRightBehindTheOld) {
    const std::u16string old = u"\u05D0b", added = u"cd";
    std::vector<uint8_t> block(UnicodeBlockSize(4, 2) + 1, 0xEE);
    EXPECT_EQ(block.size(), 11u);
    WriteUnicodeDocument(block.data(), reinterpret_cast<const uint8_t*>(old.data()), 4, added.data(), 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(block.data())), u"\u05D0bcd");
    EXPECT_EQ(block[10], 0xEE);
    const uint8_t odd[5] = {'a', 0, 'b', 0, 'x'}; // an odd length: from the even byte below it
    WriteUnicodeDocument(block.data(), odd, 5, u"c", 1);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(block.data())), u"abc");
    WriteUnicodeDocument(block.data(), nullptr, 0, added.data(), 2); // Copy: nothing old
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(block.data())), u"cd");
}

} // namespace
