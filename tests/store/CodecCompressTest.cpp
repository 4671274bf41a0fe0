// The compressor: byte-exact round trips through both decoders, the exact longest matches, the
// exact minimum size (against a search over every token the decoder knows), never larger than the
// greedy baseline, the resource it writes and its errors.
#include "CodecTexts.h"
#include "store/ArticleStore.h"
#include "store/CompressMatches.h"
#include "store/CompressedTokens.h"
#include "store/Compressor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using codec_texts::Random;

Bytes Compressed(const Bytes& plain, bool greedy = false) {
    Bytes tokens;
    CompressResult r = greedy ? CompressTokensGreedy(plain.data(), plain.size(), &tokens)
                              : CompressTokens(plain.data(), plain.size(), &tokens);
    EXPECT_EQ(r, CompressOk) << CompressResultMessage(r);
    return tokens;
}

// Decodes with both decoders from an exact-size copy of the tokens into an exact-size buffer.
void ExpectDecodesTo(const Bytes& tokens, const Bytes& plain) {
    std::unique_ptr<uint8_t[]> src(new uint8_t[tokens.size()]);
    std::memcpy(src.get(), tokens.data(), tokens.size());
    for (auto decode : {DecodeTokens, DecodeTokensReference}) {
        std::unique_ptr<uint8_t[]> out(new uint8_t[plain.size()]);
        ASSERT_TRUE(decode(src.get(), tokens.size(), out.get(), plain.size()));
        ASSERT_TRUE(std::memcmp(out.get(), plain.data(), plain.size()) == 0);
    }
}

// Both compressors round-trip the text; returns the optimal size. Optimal is never larger.
size_t ExpectRoundTrip(const Bytes& plain) {
    Bytes optimal = Compressed(plain), greedy = Compressed(plain, true);
    ExpectDecodesTo(optimal, plain);
    ExpectDecodesTo(greedy, plain);
    EXPECT_LE(optimal.size(), greedy.size());
    return optimal.size();
}

Bytes RandomText(Random& r, size_t length, const Bytes& alphabet) {
    Bytes b(length);
    for (auto& x : b)
        x = alphabet[r.Below(unsigned(alphabet.size()))];
    return b;
}

Bytes AllByteValues() {
    Bytes b;
    for (unsigned v = 0; v < 256; ++v)
        b.push_back(uint8_t(v));
    return b;
}

TEST(CodecCompress, RoundTripsTextsOfEveryShape) {
    Random r(11);
    const Bytes all = AllByteValues();
    const Bytes alphabets[] = {
        {'a', 'b'},
        {' ', 'a', 'b', 0x40, 0x7F, 0x3F, 0x80},                // space+letter and its near misses
        {0x00, 0x01, 0x08, 0x09, 0x7F, 0x80, 0xBF, 0xC0, 0xFF}, // the token boundaries
        all,
    };
    for (int round = 0; round < 120; ++round) {
        const Bytes& alphabet = alphabets[round % 4];
        ExpectRoundTrip(RandomText(r, 1 + r.Below(round < 60 ? 40 : 5000), alphabet));
    }
    for (uint64_t seed = 0; seed < 20; ++seed)
        ExpectRoundTrip(codec_texts::HebrewLikeText(seed, 1000 + seed * 3000));
    // Runs of one byte of each kind, and every byte value in a row and repeated.
    for (uint8_t b : {uint8_t(0), uint8_t(' '), uint8_t('a'), uint8_t(0x05), uint8_t(0x90), uint8_t(0xFF)})
        for (size_t n : {1, 2, 3, 4, 10, 11, 12, 13, 100, 4099})
            ExpectRoundTrip(Bytes(n, b));
    Bytes repeated;
    for (int k = 0; k < 20; ++k)
        repeated.insert(repeated.end(), all.begin(), all.end());
    ExpectRoundTrip(all);
    EXPECT_LT(ExpectRoundTrip(repeated), repeated.size() / 4); // copies of 10 from 256 back
}

TEST(CodecCompress, EveryTokenKindInOneText) {
    // 0x00 and 'a' as literals, a space+letter, raw bytes (with the first x: fewer tokens of the
    // same size), a run as a copy of distance 1 and a copy of five bytes 12 back.
    const Bytes plain = {0x00, 'a', ' ', 'b', 0x80, 0xFF, 'x', 'x',  'x',
                         'x',  'x', 'x', 'x', 'a',  ' ',  'b', 0x80, 0xFF};
    const Bytes tokens = Compressed(plain);
    EXPECT_EQ(tokens, (Bytes{0x00, 'a', 0xE2, 0x03, 0x80, 0xFF, 'x', 0x80, 0x0B, 0x80, 0x62}));
    ExpectDecodesTo(tokens, plain);
}

TEST(CodecCompress, CopiesReachExactlyTheWindow) {
    // A 10-byte word, unique filler, the word again at distance d: a copy at 2,047, none at 2,048.
    Random r(12);
    for (size_t d : {size_t(2046), size_t(2047), size_t(2048), size_t(2049)}) {
        Bytes plain = RandomText(r, d + 10, AllByteValues());
        std::memcpy(plain.data() + d, plain.data(), 10);
        std::vector<uint8_t> length(plain.size());
        std::vector<uint16_t> distance(plain.size());
        FindLongestMatches(plain.data(), plain.size(), length.data(), distance.data());
        if (d <= MaxCopyDistance) {
            EXPECT_EQ(length[d], MaxCopyLength);
            EXPECT_EQ(distance[d], d);
        } else {
            EXPECT_EQ(length[d], 0u);
        }
        for (size_t i = 0; i < plain.size(); ++i)
            ASSERT_LE(distance[i], MaxCopyDistance);
        ExpectRoundTrip(plain);
    }
}

TEST(CodecCompress, LongestTextsAndErrors) {
    Bytes hebrew = codec_texts::HebrewLikeText(13, MaxPlainLength);
    hebrew.resize(MaxPlainLength, 'a');
    ExpectRoundTrip(hebrew);
    ExpectRoundTrip(Bytes(MaxPlainLength, 0x90));
    Random r(13);
    Bytes letters = RandomText(r, MaxPlainLength, {'a', 'b', 'c', ' ', 'd', 'e'});
    ExpectRoundTrip(letters);

    Bytes tokens = {0x55};
    Bytes tooLong(MaxPlainLength + 1, 'a');
    EXPECT_EQ(CompressTokens(tooLong.data(), tooLong.size(), &tokens), CompressTooLarge);
    EXPECT_EQ(CompressTokensGreedy(tooLong.data(), tooLong.size(), &tokens), CompressTooLarge);
    EXPECT_EQ(CompressTokens(tooLong.data(), 0, &tokens), CompressEmpty);
    // Bytes that only raw runs can carry need 9 token bytes per 8: more than 65,535 of them.
    Bytes others;
    for (unsigned v = 1; v < 256; ++v)
        if (!IsLiteralByte(uint8_t(v))) others.push_back(uint8_t(v));
    Bytes noise = RandomText(r, MaxPlainLength, others);
    EXPECT_EQ(CompressTokens(noise.data(), noise.size(), &tokens), CompressTokensTooLarge);
    EXPECT_EQ(CompressTokensGreedy(noise.data(), noise.size(), &tokens), CompressTokensTooLarge);
    EXPECT_EQ(tokens, Bytes{0x55}); // a failed call leaves the output as it was
    for (CompressResult e : {CompressEmpty, CompressTooLarge, CompressTokensTooLarge})
        EXPECT_GT(std::strlen(CompressResultMessage(e)), 10u);
    Bytes resource = {1, 2, 3};
    EXPECT_EQ(BuildArticleResource(noise.data(), noise.size(), &resource), CompressTokensTooLarge);
    EXPECT_EQ(resource, (Bytes{1, 2, 3}));
}

TEST(CodecCompress, ArticleResourceLayout) {
    const Bytes plain = {0x91, 0x00, 'a', 'b', ' ', 'c', 0x00};
    Bytes resource;
    ASSERT_EQ(BuildArticleResource(plain.data(), plain.size(), &resource), CompressOk);
    // HeaderLength 10, four zero bytes, CompressedLength 7, PlainLength 7, then the tokens. Of
    // equal sizes the parser takes fewer tokens: one raw run of 4 rather than a run and 3 literals.
    EXPECT_EQ(resource, (Bytes{0x00, 0x0A, 0, 0, 0, 0, 0x00, 0x07, 0x00, 0x07, 0x04, 0x91, 0x00, 'a', 'b',
                               0xE3, 0x00}));
    unsigned headerLength = unsigned(resource[0]) << 8 | resource[1];
    uint8_t* text = ReadCompressedBlockSized(resource.data() + CompressedBlockOffset,
                                             resource.size() - CompressedBlockOffset, headerLength);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Bytes(text, text + plain.size()), plain);
    std::free(text);

    Bytes big = codec_texts::HebrewLikeText(14, MaxPlainLength);
    ASSERT_EQ(BuildArticleResource(big.data(), big.size(), &resource), CompressOk);
    size_t compressedLength = size_t(resource[6]) << 8 | resource[7];
    EXPECT_EQ(compressedLength + ArticleHeaderLength, resource.size());
    EXPECT_EQ(size_t(resource[8]) << 8 | resource[9], big.size());
    text = ReadCompressedBlock(resource.data() + CompressedBlockOffset, ArticleHeaderLength);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(Bytes(text, text + big.size()) == big);
    std::free(text);
}

TEST(CodecCompress, TheDocumentedExample) {
    // docs/CONTENT.md shows these bytes.
    const Bytes plain = {0xDC, 0x00, 'a', 'b', '{', ' ', 'd', 'b', 'y', 'j', 'n',  0x00, 0x91, 0x00,
                         'a',  'b',  '{', ' ', 'd', 'b', 'y', 'j', 'n', ' ', 0x80, 0x80, 0x80, 0x00};
    Bytes resource;
    ASSERT_EQ(BuildArticleResource(plain.data(), plain.size(), &resource), CompressOk);
    EXPECT_EQ(resource, (Bytes{0x00, 0x0A, 0,    0,    0,   0,    0x00, 0x16, 0x00, 0x1C, 0x05,
                               0xDC, 0x00, 'a',  'b',  '{', 0xE4, 'b',  'y',  'j',  'n',  0x00,
                               0x01, 0x91, 0x80, 0x67, ' ', 0x04, 0x80, 0x80, 0x80, 0x00}));
}

// The longest match by trying every distance.
void BruteForceMatch(const Bytes& p, size_t i, size_t* length) {
    size_t rest = p.size() - i, cap = rest < MaxCopyLength ? rest : MaxCopyLength, best = 0;
    for (size_t d = 1; d <= i && d <= MaxCopyDistance; ++d) {
        size_t l = 0;
        while (l < cap && p[i - d + l] == p[i + l])
            ++l;
        if (l > best) best = l;
    }
    *length = best >= MinCopyLength || (best > 0 && best == rest) ? best : 0;
}

TEST(CodecCompress, LongestMatchesAreExact) {
    Random r(15);
    const Bytes alphabets[] = {{'a'}, {'a', 'b'}, {'a', 'b', 'c', 'd'}, AllByteValues()};
    std::vector<Bytes> texts;
    for (int round = 0; round < 40; ++round)
        texts.push_back(RandomText(r, 1 + r.Below(round < 20 ? 30 : 3000), alphabets[round % 4]));
    texts.push_back(codec_texts::HebrewLikeText(15, 5000));
    // A text that repeats with a period of exactly the window.
    Bytes period = RandomText(r, MaxCopyDistance, alphabets[2]);
    Bytes periodic = period;
    periodic.insert(periodic.end(), period.begin(), period.end());
    texts.push_back(periodic);
    for (const Bytes& p : texts) {
        std::vector<uint8_t> length(p.size());
        std::vector<uint16_t> distance(p.size());
        FindLongestMatches(p.data(), p.size(), length.data(), distance.data());
        for (size_t i = 0; i < p.size(); ++i) {
            size_t expected;
            BruteForceMatch(p, i, &expected);
            ASSERT_EQ(length[i], expected) << "position " << i << " of " << p.size();
            if (expected == 0) continue;
            size_t d = distance[i];
            ASSERT_TRUE(d >= 1 && d <= i && d <= MaxCopyDistance);
            for (size_t l = 0; l < expected; ++l)
                ASSERT_EQ(p[i - d + l], p[i + l]);
        }
    }
}

// The fewest token bytes that decode to plain, searched over every token the decoder knows: every
// first byte, every second byte of a copy, raw runs of 1 to 8 (their bytes are forced). The
// reference decoder alone says what a token writes. State: how many plain bytes are already out.
size_t ExhaustiveMinimum(const Bytes& plain) {
    const size_t n = plain.size();
    const size_t none = SIZE_MAX;
    std::vector<size_t> best(n + 1, none);
    best[0] = 0;
    std::vector<uint8_t> out(n + MaxCopyLength);
    for (size_t o = 0; o < n; ++o) {
        if (best[o] == none) continue;
        Bytes stream; // raw runs that write plain[0, o), then room for one token
        for (size_t k = 0; k < o; k += MaxRawRun) {
            size_t run = o - k < MaxRawRun ? o - k : MaxRawRun;
            stream.push_back(uint8_t(run));
            stream.insert(stream.end(), plain.begin() + k, plain.begin() + k + run);
        }
        const size_t prefix = stream.size();
        stream.resize(prefix + 1 + MaxRawRun);
        // Tries the token now at stream[prefix, prefix + size).
        auto tryToken = [&](size_t size) {
            // The token writes `made` bytes: the largest plain length the stream decodes to.
            size_t made = 0;
            for (size_t p = 1; p <= MaxCopyLength; ++p) {
                if (!DecodeTokensReference(stream.data(), prefix + size, out.data(), o + p)) break;
                made = p;
            }
            if (made == 0) return;
            DecodeTokensReference(stream.data(), prefix + size, out.data(), o + made);
            // A token that writes past the end is cut there by the decoder: allowed as the last one.
            size_t reach = o + made < n ? o + made : n;
            if (std::memcmp(out.data() + o, plain.data() + o, reach - o) != 0) return;
            if (best[o] + size < best[reach]) best[reach] = best[o] + size;
        };
        for (unsigned c = 0; c < 256; ++c) {
            stream[prefix] = uint8_t(c);
            if (c >= TokenRawFirst && c <= TokenRawLast) {
                size_t k = 0;
                for (; k < c && o + k < n; ++k)
                    stream[prefix + 1 + k] = plain[o + k];
                tryToken(1 + k);
            } else if (c >= TokenCopyFirst && c < TokenSpaceFirst) {
                for (unsigned m = 0; m < 256; ++m) {
                    stream[prefix + 1] = uint8_t(m);
                    tryToken(2);
                }
            } else {
                tryToken(1);
            }
        }
    }
    return best[n];
}

TEST(CodecCompress, OptimalSizeIsTheExhaustiveMinimum) {
    Random r(16);
    const Bytes alphabets[] = {
        {'a', 'b'},   {' ', 'a', 0x40, 0x90}, {0x00, 0x05, 0x80, 0xC0, 'z'},
        {0x81, 0x82}, {' ', 'a', 'b', 0x85},
    };
    for (int round = 0; round < 150; ++round) {
        Bytes plain = RandomText(r, 1 + r.Below(10), alphabets[round % 5]);
        size_t optimal = Compressed(plain).size();
        ASSERT_EQ(optimal, ExhaustiveMinimum(plain)) << "round " << round;
        EXPECT_LE(optimal, Compressed(plain, true).size());
    }
}

TEST(CodecCompress, OptimalBeatsGreedyOnArticleText) {
    size_t optimal = 0, greedy = 0;
    for (uint64_t seed = 100; seed < 110; ++seed) {
        Bytes plain = codec_texts::HebrewLikeText(seed, 20000);
        optimal += Compressed(plain).size();
        greedy += Compressed(plain, true).size();
    }
    EXPECT_LT(optimal, greedy);
}

} // namespace
