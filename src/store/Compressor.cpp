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

namespace {

enum StepKind : uint8_t { StepLiteral, StepSpaceLetter, StepRaw, StepCopy };

struct Step {
    uint8_t Kind;
    uint8_t Length; // plain bytes the token writes
};

constexpr uint32_t Unreachable = UINT32_MAX / 2; // stays above every real cost after adding a token

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
        // A copy of every length from 3 to the longest match (the same distance serves them all);
        // lengths past the longest, or no match at all, count as unreachable.
        uint32_t best = Unreachable;
        unsigned copyLength = MinCopyLength;
#pragma GCC unroll 8
        for (unsigned l = MaxCopyLength; l >= MinCopyLength; --l) {
            const uint32_t reach = 0u - uint32_t(l <= longest); // all ones when a copy of l exists
            const uint32_t c = (cost[i + l] & reach) | (Unreachable & ~reach);
            copyLength = c < best ? l : copyLength;
            best = c < best ? c : best;
        }
        best += 2;
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
