// Compressor.cpp: the smallest token stream for a plain text, by optimal parsing.
// The cheapest encoding of plain[i, n) is the cheapest first token from i plus the cheapest
// encoding of the rest, so one backward pass over the positions finds the exact minimum over every
// parse: a copy of every length from 3 to the longest match at i (the same distance serves all of
// them), a space+letter, a single literal, a raw run of 1 to 8 bytes, and at the very end a copy
// that the decoder cuts at the plain length. The working arrays are allocated and freed per call.
#include "store/Compressor.h"
#include "store/CompressMatches.h"
#include "store/CompressedTokens.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum StepKind : uint8_t { StepLiteral, StepSpaceLetter, StepRaw, StepCopy };

struct Step {
    uint8_t Kind;
    uint8_t Length; // plain bytes the token writes
};

constexpr uint32_t Unreachable = UINT32_MAX / 2; // stays above every real cost after adding a token

// The smallest cost[l] for l from 3 to longest, and that l (of equal costs the longest); Unreachable
// when longest is below 3. cost is read from 3 to 10 whatever longest is.
inline uint32_t CheapestCopy(const uint32_t* cost, unsigned longest, unsigned* length) {
#if defined(__SSE2__)
    // Costs stay below 2^31, so the signed compares of SSE2 order them.
    const __m128i limit = _mm_set1_epi32(int(longest)), unreachable = _mm_set1_epi32(int(Unreachable));
    auto lane = [&](const uint32_t* at, __m128i lengths) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        __m128i over = _mm_cmpgt_epi32(lengths, limit);
        return _mm_or_si128(_mm_andnot_si128(over, c), _mm_and_si128(over, unreachable));
    };
    auto min = [](__m128i a, __m128i b) {
        __m128i greater = _mm_cmpgt_epi32(a, b);
        return _mm_or_si128(_mm_and_si128(greater, b), _mm_andnot_si128(greater, a));
    };
    __m128i low = lane(cost + 3, _mm_setr_epi32(3, 4, 5, 6));
    __m128i high = lane(cost + 7, _mm_setr_epi32(7, 8, 9, 10));
    __m128i m = min(low, high);
    m = min(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(1, 0, 3, 2)));
    m = min(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(2, 3, 0, 1)));
    unsigned equal = unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(low, m)))) |
                     unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(high, m)))) << 4;
    *length = MinCopyLength + unsigned(31 - __builtin_clz(equal));
    return uint32_t(_mm_cvtsi128_si32(m));
#else
    uint32_t best = Unreachable;
    *length = MaxCopyLength;
    for (unsigned l = MaxCopyLength; l >= MinCopyLength; --l) {
        if (l <= longest && cost[l] < best) {
            best = cost[l];
            *length = l;
        }
    }
    return best;
#endif
}

// Fills cost[i] (token bytes for plain[i, length)) and the first step of that encoding, from the
// end. cost has room for length + MaxCopyLength + 1 entries. Of equal costs the first one tried
// wins: longer copies, then a space+letter, a literal, longer raw runs (fewer tokens decode faster).
// The common steps are chosen without branches: which option wins changes from byte to byte.
void ParseOptimal(const uint8_t* plain, size_t length, const uint8_t* matchLength, uint32_t* cost,
                  Step* step) {
    cost[length] = 0;
    for (size_t k = 1; k <= MaxCopyLength; ++k)
        cost[length + k] = Unreachable;
    for (size_t i = length; i-- > 0;) {
        const size_t rest = length - i;
        const unsigned longest = matchLength[i];
        // A copy of every length from 3 to the longest match (the same distance serves them all).
        unsigned copyLength;
        uint32_t best = CheapestCopy(cost + i, longest, &copyLength) + 2;
        Step choice{StepCopy, uint8_t(copyLength)};

        const uint8_t b = plain[i], next = plain[i + (rest > 1)];
        uint32_t c = b == ' ' && rest > 1 && IsSpaceLetter(next) ? 1 + cost[i + 2] : Unreachable;
        choice = c < best ? Step{StepSpaceLetter, 2} : choice;
        best = c < best ? c : best;
        if (IsLiteralByte(b)) {
            c = 1 + cost[i + 1];
            choice = c < best ? Step{StepLiteral, 1} : choice;
            best = c < best ? c : best;
        } else {
            // A raw run that starts with a literal byte is never cheaper than that literal and a
            // shorter run, so runs are only tried from the other bytes.
            for (size_t k = rest < MaxRawRun ? rest : MaxRawRun; k >= 1; --k) {
                c = uint32_t(1 + k) + cost[i + k];
                choice = c < best ? Step{StepRaw, uint8_t(k)} : choice;
                best = c < best ? c : best;
            }
        }
        if (longest > 0 && longest < MinCopyLength && 2 < best) { // a copy cut at the end of the text
            best = 2;
            choice = Step{StepCopy, uint8_t(longest)};
        }
        cost[i] = best;
        step[i] = choice;
    }
}

} // namespace

CompressResult CompressTokens(const uint8_t* plain, size_t length, std::vector<uint8_t>* tokens) {
    if (length == 0) return CompressEmpty;
    if (length > MaxPlainLength) return CompressTooLarge;
    std::vector<uint8_t> matchLength(length);
    std::vector<uint16_t> matchDistance(length);
    FindLongestMatches(plain, length, matchLength.data(), matchDistance.data());
    std::vector<uint32_t> cost(length + MaxCopyLength + 1);
    std::vector<Step> step(length);
    ParseOptimal(plain, length, matchLength.data(), cost.data(), step.data());
    if (cost[0] > MaxCompressedLength) return CompressTokensTooLarge;

    tokens->reserve(tokens->size() + cost[0]);
    for (size_t i = 0; i < length; i += step[i].Length) {
        const Step s = step[i];
        switch (s.Kind) {
        case StepLiteral:
            tokens->push_back(plain[i]);
            break;
        case StepSpaceLetter:
            AppendSpaceLetter(tokens, plain[i + 1]);
            break;
        case StepRaw:
            AppendRaw(tokens, plain + i, s.Length);
            break;
        case StepCopy:
            AppendCopy(tokens, matchDistance[i], s.Length < MinCopyLength ? MinCopyLength : s.Length);
            break;
        }
    }
    return CompressOk;
}

CompressResult BuildArticleResource(const uint8_t* plain, size_t length, std::vector<uint8_t>* resource) {
    std::vector<uint8_t> tokens;
    CompressResult r = CompressTokens(plain, length, &tokens);
    if (r != CompressOk) return r;
    resource->assign({uint8_t(ArticleHeaderLength >> 8), uint8_t(ArticleHeaderLength), 0, 0, 0, 0,
                      uint8_t(tokens.size() >> 8), uint8_t(tokens.size()), uint8_t(length >> 8),
                      uint8_t(length)});
    resource->insert(resource->end(), tokens.begin(), tokens.end());
    return CompressOk;
}

const char* CompressResultMessage(CompressResult result) {
    switch (result) {
    case CompressOk:
        return "ok";
    case CompressEmpty:
        return "the text is empty";
    case CompressTooLarge:
        return "the text is longer than 65,535 bytes";
    case CompressTokensTooLarge:
        return "the compressed text would be longer than 65,535 bytes";
    }
    return "unknown error";
}
