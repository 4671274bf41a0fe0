// The fast token decoder against the reference decoder: the same result on every stream, the same
// bytes on success, and nothing read or written outside the buffers (the buffers here are exactly
// as long as the lengths passed, so the sanitizer build sees any stray access).
#include "CodecTexts.h"
#include "store/ArticleStore.h"
#include "store/CompressedTokens.h"
#include "store/Compressor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using codec_texts::Random;

struct Outcome {
    bool Ok;
    Bytes Plain; // only when Ok
};

// Decodes with one of the decoders from a heap copy of exactly the stream's size into a heap
// buffer of exactly plainLength bytes.
template <typename Decoder>
Outcome Run(Decoder decode, const Bytes& tokens, size_t plainLength) {
    std::unique_ptr<uint8_t[]> src(new uint8_t[tokens.size()]);
    if (!tokens.empty()) std::memcpy(src.get(), tokens.data(), tokens.size());
    std::unique_ptr<uint8_t[]> out(new uint8_t[plainLength]);
    bool ok = decode(src.get(), tokens.size(), out.get(), plainLength);
    return ok ? Outcome{true, Bytes(out.get(), out.get() + plainLength)} : Outcome{false, {}};
}

// Both decoders on one input; returns whether it decoded.
bool ExpectSame(const Bytes& tokens, size_t plainLength) {
    Outcome fast = Run(DecodeTokens, tokens, plainLength);
    Outcome reference = Run(DecodeTokensReference, tokens, plainLength);
    EXPECT_EQ(fast.Ok, reference.Ok) << "stream of " << tokens.size() << " bytes, plain length "
                                     << plainLength;
    if (fast.Ok && reference.Ok) {
        EXPECT_TRUE(fast.Plain == reference.Plain) << "plain length " << plainLength;
    }
    return reference.Ok;
}

// A stream of tokens of every kind, valid unless allowDamage: copies reach back at most to the
// output so far. *produced is the plain length the stream makes when it is valid.
Bytes RandomTokens(Random& r, size_t tokenCount, bool allowDamage, size_t* produced = nullptr) {
    Bytes t;
    size_t made = 0;
    for (size_t k = 0; k < tokenCount; ++k) {
        unsigned kind = r.Below(10);
        if (kind < 4) {
            unsigned run = 1 + r.Below(12);
            for (unsigned i = 0; i < run; ++i)
                t.push_back(r.Below(5) ? uint8_t(0x09 + r.Below(0x77)) : 0);
            made += run;
        } else if (kind < 6) {
            t.push_back(uint8_t(TokenSpaceFirst + r.Below(64)));
            made += 2;
        } else if (kind < 8 && (made > 0 || allowDamage)) {
            unsigned limit = made < MaxCopyDistance ? unsigned(made) : MaxCopyDistance;
            unsigned d = allowDamage && r.Below(20) == 0 ? r.Below(MaxCopyDistance + 1)
                                                         : 1 + r.Below(limit ? limit : 1);
            if (d > 0 && r.Below(2)) d = 1 + r.Below(d < 12 ? d : 12); // short distances: runs and overlaps
            unsigned length = MinCopyLength + r.Below(8);
            unsigned w = d << CopyLengthBits | (length - MinCopyLength);
            t.push_back(uint8_t(TokenCopyFirst | w >> 8));
            t.push_back(uint8_t(w));
            made += length;
        } else {
            unsigned run = 1 + r.Below(MaxRawRun);
            t.push_back(uint8_t(run));
            for (unsigned i = 0; i < run; ++i)
                t.push_back(uint8_t(r.Below(256)));
            made += run;
        }
    }
    if (produced) *produced = made;
    return t;
}

TEST(CodecDecode, FastEqualsReferenceOnValidStreams) {
    Random r(1);
    for (int round = 0; round < 600; ++round) {
        size_t produced = 0;
        Bytes tokens = RandomTokens(r, 1 + r.Below(round < 300 ? 40 : 1000), false, &produced);
        EXPECT_TRUE(ExpectSame(tokens, produced));
        // Shorter plain lengths cut the last tokens; longer ones run out of tokens.
        EXPECT_TRUE(ExpectSame(tokens, 1 + r.Below(unsigned(produced))));
        EXPECT_FALSE(ExpectSame(tokens, produced + 1 + r.Below(40)));
    }
}

TEST(CodecDecode, FastEqualsReferenceOnRandomBytes) {
    Random r(2);
    for (int round = 0; round < 3000; ++round) {
        Bytes tokens(r.Below(round < 2000 ? 80 : 3000));
        // Byte mixes from all-literal to all-copy, so both the fast steps and the tail are reached.
        unsigned literalShare = r.Below(17);
        for (auto& b : tokens)
            b = r.Below(16) < literalShare ? uint8_t(0x09 + r.Below(0x77)) : uint8_t(r.Below(256));
        size_t plainLength = 1 + r.Below(unsigned(tokens.size() * 4 + 40));
        ExpectSame(tokens, plainLength);
    }
}

TEST(CodecDecode, FastEqualsReferenceOnDamagedCompressedTexts) {
    Random r(3);
    for (int round = 0; round < 300; ++round) {
        Bytes plain = codec_texts::HebrewLikeText(round, 200 + r.Below(6000));
        Bytes tokens;
        ASSERT_EQ(CompressTokens(plain.data(), plain.size(), &tokens), CompressOk);
        ASSERT_TRUE(ExpectSame(tokens, plain.size()));
        Bytes damaged = tokens;
        switch (round % 5) {
        case 0: // flipped bytes
            for (unsigned k = 0, n = 1 + r.Below(4); k < n; ++k)
                damaged[r.Below(unsigned(damaged.size()))] ^= uint8_t(1 + r.Below(255));
            break;
        case 1:
            damaged.resize(r.Below(unsigned(damaged.size())));
            break; // cut anywhere
        case 2:
            damaged.erase(damaged.begin() + r.Below(unsigned(damaged.size())));
            break;
        case 3:
            damaged.insert(damaged.begin() + r.Below(unsigned(damaged.size())), uint8_t(r.Below(256)));
            break;
        case 4: // a copy whose distance reaches before the start or is 0
            for (size_t i = 0; i < damaged.size(); ++i)
                if (damaged[i] >= TokenCopyFirst && damaged[i] < TokenSpaceFirst && i + 1 < damaged.size()) {
                    damaged[i] = uint8_t(r.Below(2) ? 0xBF : 0x80);
                    damaged[i + 1] = uint8_t(damaged[i] == 0xBF ? 0xFF : 0x07);
                    if (r.Below(3) == 0) break;
                    ++i;
                }
            break;
        }
        ExpectSame(damaged, plain.size());
        ExpectSame(damaged, 1 + r.Below(unsigned(plain.size())));
    }
}

TEST(CodecDecode, DamageFoundInTheFastStretchAndInTheTail) {
    // 64 literals, then a copy from before the start / of distance 0, then more literals: the
    // copy is met inside the fast stretch; the same copy near the end is met by the checked tail.
    for (size_t at : {size_t(40), size_t(95)}) {
        for (Bytes copy : {Bytes{0x82, 0x00}, Bytes{0x80, 0x07}, Bytes{0xBF, 0xFF}}) {
            Bytes tokens(at, 'a');
            tokens.insert(tokens.end(), copy.begin(), copy.end());
            tokens.insert(tokens.end(), 100 - at, 'b');
            if (copy[0] == 0x82) { // distance 64, length 3: fine once 64 bytes are out
                EXPECT_EQ(ExpectSame(tokens, 103), at >= 64);
            } else {
                EXPECT_FALSE(ExpectSame(tokens, 102));
            }
        }
        // A raw run or a copy cut short by the end of the stream.
        Bytes raw(at, 'a');
        raw.push_back(0x08);
        raw.insert(raw.end(), {1, 2, 3});
        EXPECT_FALSE(ExpectSame(raw, at + 8));
        EXPECT_TRUE(ExpectSame(raw, at + 3));
        Bytes half(at, 'a');
        half.push_back(0x80);
        EXPECT_FALSE(ExpectSame(half, at + 3));
    }
}

TEST(CodecDecode, EveryLengthAroundTheFastStretch) {
    // Stream lengths up to 220 and plain lengths up to 260 cover the switch from the fast steps to
    // the checked tail at every offset, and the fast steps' look-ahead refills, for streams of
    // literals, space+letters, raw runs and copies.
    Random r(4);
    for (unsigned kind = 0; kind < 4; ++kind) {
        Bytes tokens;
        for (size_t k = 0; tokens.size() < 220; ++k) {
            switch (kind) {
            case 0:
                tokens.push_back(uint8_t('a' + k % 27));
                break;
            case 1:
                tokens.push_back(uint8_t(0xC1 + k % 60));
                break;
            case 2:
                tokens.insert(tokens.end(), {0x02, 0x90, uint8_t(k)});
                break;
            case 3:
                tokens.insert(tokens.end(), {'x', 'y', 'z'});
                // Distances 1, 2, 8 and 12 (the first has to be within the 3 bytes out).
                static const uint8_t copies[] = {0x0F, 0x17, 0x47, 0x63};
                tokens.insert(tokens.end(), {uint8_t(0x80), copies[k == 0 ? 0 : r.Below(4)]});
                break;
            }
        }
        for (size_t srcLength = 0; srcLength <= 220; ++srcLength) {
            Bytes cut(tokens.begin(), tokens.begin() + srcLength);
            for (size_t plainLength = 1; plainLength <= 260; ++plainLength)
                ExpectSame(cut, plainLength);
        }
    }
}

TEST(CodecDecode, NothingIsWrittenPastThePlainLength) {
    // Also without a sanitizer: guard bytes after the plain length stay as they were.
    Random r(5);
    for (int round = 0; round < 500; ++round) {
        Bytes tokens = RandomTokens(r, 1 + r.Below(200), true);
        size_t plainLength = 1 + r.Below(1500);
        Bytes buffer(plainLength + 64, 0xA5);
        DecodeTokens(tokens.data(), tokens.size(), buffer.data(), plainLength);
        for (size_t k = plainLength; k < buffer.size(); ++k)
            ASSERT_EQ(buffer[k], 0xA5) << k - plainLength;
    }
}

TEST(CodecDecode, UnCompressPadsTheFastDecoderOutput) {
    Bytes plain = codec_texts::HebrewLikeText(7, 30000);
    Bytes tokens;
    ASSERT_EQ(CompressTokens(plain.data(), plain.size(), &tokens), CompressOk);
    uint8_t* out = UnCompress(tokens.data(), unsigned(tokens.size()), unsigned(plain.size()));
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(Bytes(out, out + plain.size()) == plain);
    for (size_t k = 0; k < ArticleTextPadding; ++k)
        EXPECT_EQ(out[plain.size() + k], 0);
    std::free(out);
}

} // namespace
