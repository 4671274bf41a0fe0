// Compressor.h: writes the token format that UnCompress reads, for the content tools.
// Output is the smallest token stream for the input (optimal parsing over every match in the
// 2,047-byte window, literal runs of 1 to 8, the space+letter token and single literals).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t MaxPlainLength = 65535;
constexpr size_t MaxCompressedLength = 65535;
// The header the tools write before a compressed block: HeaderLength is the whole header's size.
constexpr unsigned ArticleHeaderLength = 10;

enum CompressResult {
    CompressOk = 0,
    CompressEmpty = 1,          // no plain bytes: the format cannot say "empty"
    CompressTooLarge = 2,       // more than MaxPlainLength plain bytes
    CompressTokensTooLarge = 3, // the token stream would pass MaxCompressedLength
};

// Appends the tokens for plain[0, length) to tokens.
CompressResult CompressTokens(const uint8_t* plain, size_t length, std::vector<uint8_t>* tokens);
// Writes a whole article resource: HeaderLength, four zero bytes, CompressedLength, PlainLength
// (all big-endian) and the tokens. resource is replaced.
CompressResult BuildArticleResource(const uint8_t* plain, size_t length, std::vector<uint8_t>* resource);
const char* CompressResultMessage(CompressResult result);

// The comparison baseline for the benchmarks and tests only (the tools use CompressTokens): the
// usual greedy longest-match compressor for the same format. Same results and errors.
CompressResult CompressTokensGreedy(const uint8_t* plain, size_t length, std::vector<uint8_t>* tokens);
