// SourceTest.cpp: the authoring format: exact bytes of each construct, the errors with their
// file:line, the writer's golden output, the section index's bytes, and the display order.
#include "content/ArticleSource.h"
#include "content/ContentCompiler.h"
#include "store/DisplayOrder.h"
#include "content/IndexSource.h"
#include "store/ArticleText.h"
#include "store/Compressor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

std::vector<uint8_t> Compile(const std::string& source) {
    std::vector<uint8_t> plain;
    SourceError error;
    EXPECT_TRUE(CompileArticleSource(source, "t.txt", &plain, &error)) << FormatSourceError(error);
    return plain;
}

std::string ErrorOf(const std::string& source) {
    std::vector<uint8_t> plain;
    SourceError error{};
    EXPECT_FALSE(CompileArticleSource(source, "t.txt", &plain, &error));
    return FormatSourceError(error);
}

std::string IndexErrorOf(const std::string& source) {
    std::vector<uint8_t> stream;
    SourceError error{};
    EXPECT_FALSE(CompileIndexSource(source, "index.txt", &stream, &error));
    return FormatSourceError(error);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list)
        v.push_back(uint8_t(b));
    return v;
}

TEST(ArticleSource, EachConstructBecomesItsBytes) {
    // Alef bet (reading order) is stored bet alef; the heading and sub-heading keep their styles.
    EXPECT_EQ(Compile("@heading אב\n@subheading ג\n"),
              Bytes({StyleHeading, 0, 'b', 'a', 0, StyleSubHeading, 0, 'c', 0, 0}));
    // A bare paragraph is right-aligned, reversed, with a paragraph end; lines join with a space.
    EXPECT_EQ(Compile("אב\nג\n"), Bytes({StyleDefaultParagraph, 0, 'c', ' ', 'b', 'a', 0, 0}));
    EXPECT_EQ(Compile("@p centre small bold join indent=5 hang=2\nא\n"),
              Bytes({0x40 | 0x10 | 0x02 | 0x08, 0x80 | 5, 'a', 0, 0}));
    EXPECT_EQ(Compile("@p left ltr large\nAB 12\n"), Bytes({0x80 | 0x04, 0, 'A', 'B', ' ', '1', '2', 0, 0}));
    EXPECT_EQ(Compile("@rule 40\n@rule 50% right join\n@rule 0 left\n"),
              Bytes({StyleDefaultRule, 40, 0, 0x27, 185, 0, 0x87, 0, 0, 0}));
    // A continuation's space leads the stored string, where the layout looks for it.
    EXPECT_EQ(Compile("א\n\n@p hang=1 continue\nאב\n"),
              Bytes({StyleDefaultParagraph, 0, 'a', 0, StyleDefaultParagraph, 0x40, ' ', 'b', 'a', 0, 0}));
    // A byte-order mark and carriage returns are not text.
    EXPECT_EQ(Compile("\xEF\xBB\xBF@heading א\r\n"), Bytes({StyleHeading, 0, 'a', 0, 0}));
    // Final forms, '{' as '~', escapes and Latin-1 characters.
    EXPECT_EQ(Compile("@p ltr\nךםןףץ{\\x01\\\\é\n"),
              Bytes({0xA1, 0, 0x6B, 0x6E, 0x70, 0x74, 0x76, 0x7E, 0x01, '\\', 0xE9, 0, 0}));
}

// The example of docs/CONTENT.md, byte for byte.
TEST(ArticleSource, DocumentedExample) {
    EXPECT_EQ(
        Compile("@heading אב\n@subheading ג\n@p centre small bold join indent=5 hang=2\nא (ב) 12\n"
                "@p hang=2 continue\nד\n@rule 40%\n@p left ltr\nAB\n"),
        Bytes({0xDC, 0,   'b', 'a',  0,    0xD1, 0,   'c', 0,    0x5A, 0x85, '1',  '2', ' ', '(', 'b', ')',
               ' ',  'a', 0,   0xB1, 0x80, ' ',  'd', 0,   0xC7, 0xB4, 0,    0x81, 0,   'A', 'B', 0,   0}));
}

// The one-line table of docs/CONTENT.md.
TEST(ArticleSource, DocumentedConstructs) {
    EXPECT_EQ(Compile("אב\n"), Bytes({0xB1, 0, 'b', 'a', 0, 0}));
    EXPECT_EQ(Compile("@p large\nא\n"), Bytes({0xB4, 0, 'a', 0, 0}));
    EXPECT_EQ(Compile("@p bold right indent=63 hang=3\nא\n"), Bytes({0xB8, 0xFF, 'a', 0, 0}));
    EXPECT_EQ(Compile("@p left ltr join\nAB\n"), Bytes({0x01, 0, 'A', 'B', 0, 0}));
    EXPECT_EQ(Compile("@rule 40\n"), Bytes({0xC7, 40, 0, 0}));
    EXPECT_EQ(Compile("@rule 180%\n"), Bytes({0xC7, 0xFA, 0, 0}));
    EXPECT_EQ(Compile("@rule 0 left join\n"), Bytes({0x07, 0, 0, 0}));
    EXPECT_EQ(Compile("@p ltr\n{ך}\\x01\\\\\n"), Bytes({0xA1, 0, 0x7E, 'k', '}', 0x01, 0x5C, 0, 0}));
}

TEST(ArticleSource, NumbersAndBracketsReadRightInReversedStorage) {
    // Reading order "(א) 12": stored so that drawing left to right shows "12 (א)" reading leftwards.
    EXPECT_EQ(Compile("(א) 12\n"), Bytes({StyleDefaultParagraph, 0, '1', '2', ' ', '(', 'a', ')', 0, 0}));
    EXPECT_EQ(Compile("א PAGE DOWN ב\n"), Bytes({StyleDefaultParagraph, 0, 'b', ' ', 'P', 'A', 'G', 'E', ' ',
                                                 'D', 'O', 'W', 'N', ' ', 'a', 0, 0}));
    EXPECT_EQ(Compile("א 1:12 CTRL+C ב\n"), Bytes({StyleDefaultParagraph, 0, 'b', ' ', 'C', 'T', 'R', 'L',
                                                   '+', 'C', ' ', '1', ':', '1', '2', ' ', 'a', 0, 0}));
}

TEST(ArticleSource, ErrorsNameFileAndLine) {
    EXPECT_EQ(ErrorOf("@heading א\n\nאב c\n"),
              "t.txt:3: the letter code cannot carry 'c' (U+0063) at column 4 (Latin small letters stand for "
              "Hebrew letters; use capitals)");
    EXPECT_EQ(ErrorOf("א\n@quote\n"),
              "t.txt:2: unknown directive '@quote' (known: @heading, @subheading, @p, @rule)");
    EXPECT_EQ(ErrorOf("@p wide\nא\n"), "t.txt:1: unknown option 'wide'");
    EXPECT_EQ(ErrorOf("@p hang=4\nא\n"),
              "t.txt:1: bad value in 'hang=4' (indent=0-63, hang=0-3, style= and param= 0-255)");
    EXPECT_EQ(ErrorOf("@rule 3%\n"),
              "t.txt:1: @rule needs a length: 0 to 160 pixels, or an even 2% to 190% of the width");
    EXPECT_EQ(ErrorOf("@p small large plain\nא\n"),
              "t.txt:1: plain, small and large together make the Style of a rule: write @rule");
    EXPECT_EQ(ErrorOf("# nothing\n\n@p\n"), "t.txt:3: the first record needs text (or must be a rule)");
    EXPECT_EQ(ErrorOf("\n"), "t.txt: the text has no records");
    EXPECT_EQ(
        ErrorOf("א \\x0\n"),
        "t.txt:1: bad escape at column 3: write \\xHH for a byte from 01 to FF, or \\\\ for a backslash");
    EXPECT_EQ(ErrorOf("א\xff\n"), "t.txt:1: invalid UTF-8 at column 2");
    EXPECT_EQ(ErrorOf("א ~\n"), "t.txt:1: the letter code cannot carry '~' (U+007E) at column 3");
}

TEST(ArticleSource, TextOver65535BytesIsAnErrorAtTheRecordThatPassesIt) {
    std::string line(999, 'A');
    std::string source;
    for (int i = 0; i < 70; ++i)
        source += "@p ltr\n" + line + "\n";
    // 65 records of 1,002 bytes fit with the ending byte (65,131); the 66th (line 131) passes.
    EXPECT_EQ(ErrorOf(source),
              "t.txt:131: the text passes 65,535 bytes here (66133 with this record): split the article");
    std::string fits;
    for (int i = 0; i < 65; ++i)
        fits += "@p ltr\n" + line + "\n";
    EXPECT_EQ(Compile(fits).size(), 65u * 1002 + 1);
}

TEST(ArticleSource, WriterGolden) {
    std::vector<uint8_t> plain =
        Compile("@heading כותרת\n@subheading משנה\n@p hang=2 join\nא. ראשון\n"
                "@p hang=2 continue\nהמשך\n@rule 30%\n@p left ltr small\nKESTROVA 1.84\n"
                "@p style=0x61\n\\x20#א\\\\ \n@p centre\nמרכז\n");
    std::string out;
    ArticleWriteNotes notes;
    WriteArticleSource(plain.data(), plain.size(), 0, &out, &notes);
    EXPECT_EQ(
        out,
        "@heading כותרת\n\n@subheading משנה\n\n@p join hang=2\nא. ראשון\n\n@p hang=2 continue\nהמשך\n\n"
        "@rule 30%\n\n@p left small ltr\nKESTROVA 1.84\n\n@p style=0x61\n\\x20#א\\\\\n\n@p centre\nמרכז\n");
    EXPECT_EQ(notes.Records, 8u);
    std::vector<uint8_t> again;
    SourceError error;
    ASSERT_TRUE(CompileArticleSource(out, "again", &again, &error));
    EXPECT_EQ(again, plain);
}

TEST(ArticleSource, WriterWrapsLongBodiesAndRoundTripsOddSpacing) {
    std::string body;
    for (int i = 0; i < 60; ++i)
        body += "אבגד  הו ";
    std::vector<uint8_t> plain = Compile("@p ltr\n\\x20" + body + "\\x20\n");
    std::string out;
    ArticleWriteNotes notes;
    WriteArticleSource(plain.data(), plain.size(), 0, &out, &notes);
    EXPECT_GT(std::count(out.begin(), out.end(), '\n'), 4);
    std::vector<uint8_t> again;
    SourceError error;
    ASSERT_TRUE(CompileArticleSource(out, "again", &again, &error));
    EXPECT_EQ(again, plain);
}

TEST(IndexSource, SmallTreeBytes) {
    std::vector<uint8_t> stream;
    SourceError error;
    ASSERT_TRUE(CompileIndexSource("# a part, open, with a closed section under it\n"
                                   "heading open bold large : אב\n"
                                   "  heading : ג\n"
                                   "    lesson 3 : ד 2\n"
                                   "  lesson 1 small : ה\n",
                                   "index.txt", &stream, &error))
        << FormatSourceError(error);
    EXPECT_EQ(stream, Bytes({0x01, 0x81, 0xC0 | 0x0C, 1, 'b', 'a', 0, // heading 257, shown open, level 1
                             0x02, 0x81, 0x81,        2, 'c', 0, // heading 258 shown (parent open), closed
                             0x03, 0x40, 0x01,        3, '2', ' ', 'd', 0, // lesson 3 hidden (parent closed)
                             0x01, 0x40, 0x82,        2, 'e', 0,           // lesson 1 shown, small
                             0,    0,    0,           0, 0}));
    std::string out;
    IndexWriteNotes notes;
    WriteIndexSource(stream.data(), stream.size(), 0, &out, &notes);
    EXPECT_EQ(out, "heading open large bold : אב\n  heading : ג\n    lesson 3 : ד 2\n  lesson 1 small : ה\n");
}

TEST(IndexSource, ErrorsNameFileAndLine) {
    EXPECT_EQ(IndexErrorOf("heading : א\n  lesson 4 : ב\n"),
              "index.txt:2: lesson number '4' is not an odd number from 1 to 249");
    EXPECT_EQ(IndexErrorOf("lesson 251 : ב\n"),
              "index.txt:1: lesson number '251' is not an odd number from 1 to 249");
    EXPECT_EQ(IndexErrorOf("lesson 0 : ב\n"),
              "index.txt:1: lesson number '0' is not an odd number from 1 to 249");
    EXPECT_EQ(IndexErrorOf("heading א\n"), "index.txt:1: missing ':' before the text");
    EXPECT_EQ(IndexErrorOf(" heading : א\n"), "index.txt:1: an odd indentation: two spaces for each level");
    EXPECT_EQ(IndexErrorOf("chapter : א\n"),
              "index.txt:1: unknown record 'chapter' (heading, lesson or label)");
    EXPECT_EQ(IndexErrorOf("heading wide : א\n"), "index.txt:1: unknown option 'wide'");
    EXPECT_EQ(IndexErrorOf("heading : \n"), "index.txt:1: the first record needs a text");
    EXPECT_EQ(IndexErrorOf("heading attr=0 : א\n"), "index.txt:1: Attributes 0 would end the index here");
    EXPECT_EQ(IndexErrorOf("heading : a\n"),
              "index.txt:1: the letter code cannot carry 'a' (U+0061) at column 11 "
              "(Latin small letters stand for Hebrew letters; use capitals)");
    std::string big;
    for (int i = 0; i < 70; ++i)
        big += "lesson 1 : " + std::string(995, 'A') + "\n";
    EXPECT_EQ(IndexErrorOf(big), "index.txt:66: the index passes 65,535 bytes here");
}

TEST(DisplayOrder, IsItsOwnInverse) {
    std::mt19937 rng(7);
    const uint8_t alphabet[] = {'a', 'b', ' ', '1',  '2', 'A', 'Z',  '.', ':',
                                '-', '(', ')', 0x7E, '}', '<', 0xE9, '\''};
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> in(rng() % 24), once(in.size()), twice(in.size());
        for (uint8_t& b : in)
            b = alphabet[rng() % sizeof alphabet];
        ReverseForDisplay(in.data(), in.size(), once.data());
        ReverseForDisplay(once.data(), once.size(), twice.data());
        ASSERT_EQ(twice, in);
    }
}

// A content folder in a temporary directory, filled with a copy of one good text everywhere.
struct ContentFolder {
    std::filesystem::path Root;
    explicit ContentFolder(const std::string& name) {
        Root = std::filesystem::temp_directory_path() / ("kestrova-content-" + name);
        std::filesystem::remove_all(Root);
        std::filesystem::create_directories(Root / ContentTextsFolder);
        for (int n = 1; n <= ContentTextCount; ++n)
            Write(ContentTextPath(Root.string(), n), "@heading א\n");
        Write((Root / ContentIndexFile).string(), "heading : א\n  lesson 1 : ב\n");
    }
    ~ContentFolder() { std::filesystem::remove_all(Root); }
    static void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
};

TEST(ContentCompiler, WritesEveryResourceOrNothing) {
    ContentFolder good("good");
    std::string errors;
    std::filesystem::path out = good.Root / "out";
    ASSERT_EQ(CompileContent(good.Root.string(), out.string(), &errors), ContentOk) << errors;
    EXPECT_TRUE(std::filesystem::exists(out / ContentRcFile));
    EXPECT_TRUE(std::filesystem::exists(out / ContentBinFolder / "1250.bin"));
    EXPECT_TRUE(std::filesystem::exists(out / ContentBinFolder / "32767.bin"));

    ContentFolder bad("bad");
    std::filesystem::remove(ContentTextPath(bad.Root.string(), 17));
    ContentFolder::Write(ContentTextPath(bad.Root.string(), 40), "@heading א\n@box\n");
    ContentFolder::Write((bad.Root / ContentTextsFolder / "41.txt").string(), "א\n");
    std::filesystem::path badOut = bad.Root / "out";
    errors.clear();
    EXPECT_EQ(CompileContent(bad.Root.string(), badOut.string(), &errors), ContentSourceError);
    EXPECT_FALSE(std::filesystem::exists(badOut));
    std::string texts = (bad.Root / ContentTextsFolder).string();
    EXPECT_NE(errors.find(texts + "/41.txt: not a text: texts are named 001.txt to 250.txt\n"),
              std::string::npos);
    EXPECT_NE(errors.find(texts + "/017.txt: missing text 17"), std::string::npos) << errors;
    EXPECT_NE(errors.find(texts + "/040.txt:2: unknown directive '@box'"), std::string::npos) << errors;
}

} // namespace

namespace {

TEST(ArticleSource, HeadingStylesElsewhereAreWrittenAsParagraphs) {
    // 0xDC and 0xD1 in the middle of a text are ordinary records for the reader; the writer says
    // so, and a left-to-right continuation keeps its space at the start as stored.
    std::vector<uint8_t> plain = Compile("א\n@p centre large bold\nב\n@p centre\nג\n@p ltr hang=3 join\nAB\n"
                                         "@p ltr hang=3 continue\nCD\n");
    EXPECT_EQ(plain, Bytes({StyleDefaultParagraph,
                            0,
                            'a',
                            0,
                            StyleHeading,
                            0,
                            'b',
                            0,
                            StyleSubHeading,
                            0,
                            'c',
                            0,
                            0x21,
                            0xC0,
                            'A',
                            'B',
                            0,
                            0xA1,
                            0xC0,
                            ' ',
                            'C',
                            'D',
                            0,
                            0}));
    std::string out;
    ArticleWriteNotes notes;
    WriteArticleSource(plain.data(), plain.size(), 0, &out, &notes);
    EXPECT_EQ(out, "א\n\n@p centre large bold\nב\n\n@p centre\nג\n\n@p ltr join hang=3\nAB\n\n"
                   "@p ltr hang=3 continue\nCD\n");
}

TEST(ArticleSource, WriterReportsWhatASourceCannotCarry) {
    std::string out;
    ArticleWriteNotes notes;
    const uint8_t noEnd[] = {StyleDefaultParagraph, 0, 'a', 0};
    WriteArticleSource(noEnd, sizeof noEnd, 0, &out, &notes);
    EXPECT_TRUE(notes.MissingEnd);
    const uint8_t trailing[] = {StyleDefaultParagraph, 0, 'a', 0, 0, 'x', 'y'};
    WriteArticleSource(trailing, sizeof trailing, 0, &out, &notes);
    EXPECT_FALSE(notes.MissingEnd);
    EXPECT_EQ(notes.TrailingBytes, 2u);
    // A string cut off by the end of the buffer is still written, and nothing is read past it.
    const uint8_t cut[] = {StyleDefaultParagraph, 0, 'a', 'b'};
    out.clear();
    WriteArticleSource(cut, sizeof cut, 0, &out, &notes);
    EXPECT_EQ(out, "בא\n");
}

TEST(IndexSource, RawFieldsSurviveWriteAndCompile) {
    // Records no option word describes: a label with bit 5 and style 0x1F, level 0, both Id bits,
    // a lesson number out of range, a heading number that is not its place.
    std::vector<uint8_t> stream = Bytes({0x07, 0x80, 0xC1, 1, 'a', 0, // heading number 7 (its place is 1)
                                         0x00, 0x00, 0x3F, 0, 'b', 0, // label: attr 0x3F, level 0
                                         0x05, 0xC0, 0x81, 2, 0,      // both Id bits, empty text
                                         0xFA, 0x40, 0x81, 2, 'c', 0, // "lesson" 250
                                         0,    0,    0,    0, 0});
    std::string out;
    IndexWriteNotes notes;
    WriteIndexSource(stream.data(), stream.size(), 0, &out, &notes);
    // The two labels at level 2 are shown although the level-0 label above them is closed.
    EXPECT_EQ(out, "heading number=7 open : א\nlabel level=0 attr=0x3F : ב\n  label id=0xC005 shown :\n"
                   "  label id=0x40FA shown : ג\n");
    std::vector<uint8_t> again;
    SourceError error;
    ASSERT_TRUE(CompileIndexSource(out, "again", &again, &error)) << FormatSourceError(error);
    EXPECT_EQ(again, stream);
    EXPECT_EQ(IndexErrorOf("heading : א\n\tlesson 1 : ב\n"),
              "index.txt:2: indent with spaces, two for each level");
}

TEST(DisplayOrder, MirrorsBracketsAndKeepsRunsAtTheEdges) {
    const auto reversed = [](const std::string& in) {
        std::string out(in.size(), '\0');
        ReverseForDisplay(reinterpret_cast<const uint8_t*>(in.data()), in.size(),
                          reinterpret_cast<uint8_t*>(out.data()));
        return out;
    };
    EXPECT_EQ(reversed("[a]~b}<c>"), "<c>~b}[a]");
    EXPECT_EQ(reversed("12a34"), "34a12");
    EXPECT_EQ(reversed("1.a,2"), "2,a.1"); // a joiner next to a letter-code byte is not in a run
    EXPECT_EQ(reversed("X-1 a B C"), "B C a X-1");
    EXPECT_EQ(reversed(""), "");
}

} // namespace
