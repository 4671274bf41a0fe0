// CorpusTest.cpp: the demo corpus as the build embeds it: it compiles, every text and the index
// survive dump -> compile unchanged, the embedded resources are exactly what the sources say, and
// every construct of the text model appears somewhere.
#include "content/ArticleSource.h"
#include "content/ContentCompiler.h"
#include "content/ContentStats.h"
#include "content/IndexSource.h"
#include "store/ArticleStore.h"
#include "store/ArticleText.h"
#include "store/Compressor.h"
#include "store/SectionIndexFormat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const CompiledContent& Corpus() {
    static std::unique_ptr<CompiledContent> content = [] {
        auto c = std::make_unique<CompiledContent>();
        std::string errors;
        EXPECT_TRUE(CompileContentFolder(KESTROVA_CONTENT_DIR, c.get(), &errors)) << errors;
        return c;
    }();
    return *content;
}

TEST(Corpus, EveryTextSurvivesDumpAndCompile) {
    const CompiledContent& c = Corpus();
    for (int n = 1; n <= ContentTextCount; ++n) {
        const std::vector<uint8_t>& plain = c.Plain[n];
        ASSERT_FALSE(plain.empty()) << "text " << n;
        std::string source;
        ArticleWriteNotes notes;
        WriteArticleSource(plain.data(), plain.size(), WriteRecordComments, &source, &notes);
        EXPECT_FALSE(notes.MissingEnd);
        EXPECT_EQ(notes.TrailingBytes, 0u);
        std::vector<uint8_t> again;
        SourceError error;
        ASSERT_TRUE(CompileArticleSource(source, "dump", &again, &error)) << FormatSourceError(error);
        EXPECT_EQ(again, plain) << "text " << n;
    }
}

TEST(Corpus, IndexSurvivesDumpAndCompile) {
    const std::vector<uint8_t>& stream = Corpus().Plain[0];
    std::string source;
    IndexWriteNotes notes;
    WriteIndexSource(stream.data(), stream.size(), WriteRecordComments, &source, &notes);
    EXPECT_FALSE(notes.InexactEnd);
    std::vector<uint8_t> again;
    SourceError error;
    ASSERT_TRUE(CompileIndexSource(source, "dump", &again, &error)) << FormatSourceError(error);
    EXPECT_EQ(again, stream);
}

TEST(Corpus, EmbeddedResourcesAreTheCompiledSources) {
    const CompiledContent& c = Corpus();
    for (int n = 0; n <= ContentTextCount; ++n) {
        uint8_t* text = LoadArticleText(n == 0 ? SectionIndexNumber : n);
        ASSERT_NE(text, nullptr) << "text " << n;
        const std::vector<uint8_t>& plain = c.Plain[n];
        EXPECT_EQ(std::memcmp(text, plain.data(), plain.size()), 0)
            << "text " << n << ": rebuild the resources";
        std::free(text);
    }
}

TEST(Corpus, HoldsEveryConstructAndTheSizesAsked) {
    const CompiledContent& c = Corpus();
    ContentStats s{};
    for (int n = 0; n <= ContentTextCount; ++n)
        AddContentStats(&s, std::to_string(n), c.Plain[n].data(), c.Plain[n].size(), c.Resource[n].size(),
                        n == 0);
    EXPECT_EQ(s.Texts, unsigned(ContentTextCount));
    EXPECT_GE(s.TextsAbove50K, 3u);
    EXPECT_LE(s.LargestText, MaxPlainLength);
    EXPECT_LE(s.SmallestText, 1500u);
    EXPECT_GT(s.LargestText, 64000u);
    for (unsigned count :
         {s.Headings,   s.SubHeadings,  s.RulesInPixels, s.RulesInPercent, s.RulesWiderThanPane,
          s.RulesEmpty, s.Reversed,     s.LeftToRight,   s.AlignRight,     s.AlignCentre,
          s.AlignLeft,  s.Small,        s.Large,         s.Bold,           s.ParagraphEnds,
          s.Indented,   s.Hang[1],      s.Hang[2],       s.Hang[3],        s.Continuations,
          s.Hyphens,    s.FinalLetters, s.Braces})
        EXPECT_GT(count, 0u);
    EXPECT_GE(s.IndexMaxLevel, 3u);
    EXPECT_GT(s.IndexOpen, 0u);
    EXPECT_LT(s.IndexOpen, s.IndexHeadings);
    EXPECT_EQ(s.IndexLessons, 125u);
}

TEST(Corpus, EveryArticleHasHeadingAndSubHeading) {
    const CompiledContent& c = Corpus();
    for (int n = 1; n <= ContentTextCount; ++n) {
        ArticleHeadings h = FindArticleHeadings(c.Plain[n].data(), c.Plain[n].size());
        EXPECT_TRUE(h.HasHeading && h.HasSubHeading) << "text " << n;
    }
}

} // namespace

namespace {

// The index shows what a reader expects when it opens: the guide open with its lessons shown, some
// sections closed with their lessons hidden, and every lesson once.
TEST(Corpus, IndexOpensLikeATableOfContents) {
    const std::vector<uint8_t>& stream = Corpus().Plain[0];
    SectionCursor cursor = BeginSectionRecords(stream.data(), stream.size());
    SectionRecord r;
    unsigned lessons[ContentTextCount + 1] = {};
    unsigned shownLessons = 0, hiddenLessons = 0, closedHeadings = 0;
    bool first = true;
    while (NextSectionRecord(&cursor, &r)) {
        if (first) {
            EXPECT_EQ(r.Id & SectionIdHeading, SectionIdHeading);
            EXPECT_EQ(r.Attributes & (SectionShown | SectionOpen), SectionShown | SectionOpen);
            first = false;
        }
        if (r.Id & SectionIdSelectable) {
            ++lessons[r.Id & SectionIdNumberMask];
            (r.Attributes & SectionShown ? shownLessons : hiddenLessons)++;
            EXPECT_GT(r.TextLength, 0u);
        } else if (!(r.Attributes & SectionOpen)) {
            ++closedHeadings;
        }
    }
    for (int n = 1; n < ContentTextCount; n += 2)
        EXPECT_EQ(lessons[n], 1u) << "lesson " << n;
    EXPECT_GT(shownLessons, 8u);
    EXPECT_GT(hiddenLessons, 50u);
    EXPECT_GT(closedHeadings, 10u);
}

} // namespace
