// The article store: resource numbering, block checks and the decoder's edge cases.
#include "store/ArticleStore.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Decodes through UnCompress; returns the bytes, or nullopt-like empty with ok = false.
struct Decoded {
    bool Ok;
    Bytes Plain;
};

Decoded Decode(const Bytes& tokens, unsigned plainLength) {
    uint8_t* out = UnCompress(tokens.data(), unsigned(tokens.size()), plainLength);
    if (out == nullptr) return {false, {}};
    Decoded d{true, Bytes(out, out + plainLength)};
    for (size_t k = 0; k < ArticleTextPadding; ++k)
        EXPECT_EQ(out[plainLength + k], 0);
    std::free(out);
    return d;
}

class ArticleStore : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformSetMessageBoxEcho(FALSE);
        PlatformClearMessageBoxLog();
    }
    void TearDown() override { PlatformSetMessageBoxEcho(TRUE); }
    size_t BufferErrors() const {
        size_t n = 0;
        for (const auto& call : PlatformMessageBoxLog())
            if (call.Text == BufferErrorMessage && !call.CaptionGiven && call.Style == MB_OK) ++n;
        return n;
    }
};

} // namespace

TEST_F(ArticleStore, TokensOfEveryKind) {
    // 0x00 literal, single literals, a raw run, space+letter, back-reference.
    Decoded d = Decode({0x00, 'a', 0x03, 0x80, 0x01, 0xFF, 0xC1, 0x80, 0x28}, 9);
    ASSERT_TRUE(d.Ok);
    EXPECT_EQ(d.Plain, (Bytes{0x00, 'a', 0x80, 0x01, 0xFF, ' ', 'A', 0x80, 0x01}));
    EXPECT_EQ(BufferErrors(), 0u);
}

TEST_F(ArticleStore, ExtraTokensAfterThePlainLengthAreIgnored) {
    Decoded d = Decode({'a', 'b', 'c', 'd'}, 2);
    ASSERT_TRUE(d.Ok);
    EXPECT_EQ(d.Plain, (Bytes{'a', 'b'}));
}

TEST_F(ArticleStore, TooFewTokensShowTheBufferError) {
    EXPECT_FALSE(Decode({'a', 'b'}, 3).Ok);
    EXPECT_EQ(BufferErrors(), 1u);
}

TEST_F(ArticleStore, RunsAndCopiesAreCutAtThePlainLength) {
    Decoded run = Decode({0x05, '1', '2', '3', '4', '5'}, 3);
    ASSERT_TRUE(run.Ok);
    EXPECT_EQ(run.Plain, (Bytes{'1', '2', '3'}));
    // Distance 1, length 10, with room for 4.
    Decoded copy = Decode({'x', 0x80, 0x0F}, 5);
    ASSERT_TRUE(copy.Ok);
    EXPECT_EQ(copy.Plain, Bytes(5, 'x'));
    // Only the space of a space+letter token fits.
    Decoded space = Decode({'a', 0xE2}, 2);
    ASSERT_TRUE(space.Ok);
    EXPECT_EQ(space.Plain, (Bytes{'a', ' '}));
    EXPECT_EQ(BufferErrors(), 0u);
}

TEST_F(ArticleStore, DistanceOneLengthTenRepeatsTheLastByte) {
    Decoded d = Decode({'q', 0x80, 0x0F}, 11);
    ASSERT_TRUE(d.Ok);
    EXPECT_EQ(d.Plain, Bytes(11, 'q'));
}

TEST_F(ArticleStore, DamagedStreamsTakeTheBufferErrorPath) {
    EXPECT_FALSE(Decode({'a', 0x80, 0x10}, 4).Ok); // distance 2 from position 1
    EXPECT_FALSE(Decode({'a', 0x80, 0x00}, 4).Ok); // distance 0
    EXPECT_FALSE(Decode({'a', 0x80}, 4).Ok);       // back-reference without its second byte
    EXPECT_FALSE(Decode({0x04, 'a', 'b'}, 4).Ok);  // literal run cut short
    EXPECT_FALSE(Decode({0x80, 0x08}, 3).Ok);      // copy before anything was written
    EXPECT_EQ(BufferErrors(), 5u);
}

TEST_F(ArticleStore, EmptyLengthsAndMissingSourceGiveNoneSilently) {
    const uint8_t tokens[] = {'a'};
    EXPECT_EQ(UnCompress(tokens, 1, 0), nullptr);
    EXPECT_EQ(UnCompress(nullptr, 1, 1), nullptr);
    const uint8_t shortHeader[] = {0, 1, 0, 1, 'a'};
    EXPECT_EQ(ReadCompressedBlock(shortHeader, 4), nullptr);
    const uint8_t noTokens[] = {0, 0, 0, 1, 'a'};
    EXPECT_EQ(ReadCompressedBlock(noTokens, 10), nullptr);
    const uint8_t noPlain[] = {0, 1, 0, 0, 'a'};
    EXPECT_EQ(ReadCompressedBlock(noPlain, 10), nullptr);
    EXPECT_EQ(BufferErrors(), 0u);
}

TEST_F(ArticleStore, ABlockIsNeverReadPastItsSize) {
    // CompressedLength says 200 but only one token byte exists: the stream ends there.
    const uint8_t block[] = {0, 200, 0, 1, 'z'};
    uint8_t* out = ReadCompressedBlockSized(block, sizeof block, 10);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[0], 'z');
    std::free(out);
    const uint8_t cut[] = {0, 200, 0, 2, 'z'};
    EXPECT_EQ(ReadCompressedBlockSized(cut, sizeof cut, 10), nullptr);
    EXPECT_EQ(ReadCompressedBlockSized(cut, 3, 10), nullptr);
    EXPECT_EQ(BufferErrors(), 1u);
}

TEST_F(ArticleStore, LoadsArticlesByNumber) {
    std::ifstream expected(KESTROVA_STORE_DATA "/article.plain", std::ios::binary);
    Bytes plain((std::istreambuf_iterator<char>(expected)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(plain.empty());
    uint8_t* text = LoadArticleText(1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Bytes(text, text + plain.size()), plain);
    EXPECT_EQ(text[plain.size()], 0);
    std::free(text);

    EXPECT_EQ(LoadArticleText(3), nullptr); // damaged
    EXPECT_EQ(BufferErrors(), 1u);
    EXPECT_EQ(LoadArticleText(5), nullptr); // empty resource
    EXPECT_EQ(LoadArticleText(7), nullptr); // HeaderLength 4
    EXPECT_EQ(LoadArticleText(2), nullptr); // missing
    EXPECT_EQ(LoadArticleText(0), nullptr);
    EXPECT_EQ(LoadArticleText(-1000), nullptr);
    EXPECT_EQ(BufferErrors(), 1u);

    uint8_t* index = LoadArticleText(SectionIndexNumber);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index[0], 0x01);
    std::free(index);
}
