// CompressMatches.h: the longest back-reference at every position of a plain text, for the
// compressors. The caller owns the two result arrays (length entries each); the finder's own
// working memory is allocated and released inside the call.
#pragma once

#include <cstddef>
#include <cstdint>

// For every position i of plain[0, length): matchLength[i] is the longest L with
// plain[i, i + L) == plain[i - d, i - d + L) for some distance d from 1 to 2047 (overlap allowed,
// as the decoder copies byte by byte), capped at 10 and at the end of the text, and matchDistance[i]
// is such a d. Lengths below 3 are reported as 0, except one that reaches the very end of the text
// (a copy token that the decoder cuts at the plain length).
void FindLongestMatches(const uint8_t* plain, size_t length, uint8_t* matchLength, uint16_t* matchDistance);
