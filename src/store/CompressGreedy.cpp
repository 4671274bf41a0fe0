// CompressGreedy.cpp: the comparison baseline for the benchmarks and tests, not used by the tools.
// The usual greedy way: at each position the longest match (3 or more) if there is one, else a
// space+letter, else a single literal, else a raw run of the following bytes that are neither
// literals nor the start of a match. Same match finder as the optimal parser.
#include "store/CompressMatches.h"
#include "store/CompressedTokens.h"
#include "store/Compressor.h"

CompressResult CompressTokensGreedy(const uint8_t* plain, size_t length, std::vector<uint8_t>* tokens) {
    if (length == 0) return CompressEmpty;
    if (length > MaxPlainLength) return CompressTooLarge;
    std::vector<uint8_t> matchLength(length);
    std::vector<uint16_t> matchDistance(length);
    FindLongestMatches(plain, length, matchLength.data(), matchDistance.data());
    const size_t start = tokens->size();
    for (size_t i = 0; i < length;) {
        const uint8_t b = plain[i];
        if (matchLength[i] >= MinCopyLength) {
            AppendCopy(tokens, matchDistance[i], matchLength[i]);
            i += matchLength[i];
        } else if (b == ' ' && i + 1 < length && IsSpaceLetter(plain[i + 1])) {
            AppendSpaceLetter(tokens, plain[i + 1]);
            i += 2;
        } else if (IsLiteralByte(b)) {
            tokens->push_back(b);
            i += 1;
        } else {
            size_t k = 1;
            while (k < MaxRawRun && i + k < length && !IsLiteralByte(plain[i + k]) &&
                   matchLength[i + k] < MinCopyLength)
                ++k;
            AppendRaw(tokens, plain + i, k);
            i += k;
        }
    }
    if (tokens->size() - start > MaxCompressedLength) {
        tokens->resize(start);
        return CompressTokensTooLarge;
    }
    return CompressOk;
}
