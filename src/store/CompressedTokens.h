// CompressedTokens.h: the token format of a compressed block, named once for the fast decoder and
// the compressors (the reference decoder spells the same numbers out on purpose, as the oracle).
// Each token starts with one byte c:
//   0x00, 0x09-0x7F  the byte c itself (a single literal)
//   0x01-0x08        c raw bytes follow and are copied unchanged
//   0x80-0xBF        one more byte m; w = c << 8 | m; distance (w >> 3) & 0x7FF, length (w & 7) + 3;
//                    the bytes are copied one by one from that far back in the output
//   0xC0-0xFF        a space, then c ^ 0x80 (0x40-0x7F)
// Nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr unsigned TokenRawFirst = 0x01; // raw run of 1 byte
constexpr unsigned TokenRawLast = 0x08;  // raw run of 8 bytes
constexpr unsigned MaxRawRun = TokenRawLast;
constexpr unsigned TokenLiteralFirst = 0x09; // 0x09-0x7F (and 0x00) stand for themselves
constexpr unsigned TokenCopyFirst = 0x80;    // back-references, two bytes
constexpr unsigned TokenSpaceFirst = 0xC0;   // space + letter, one byte
constexpr unsigned SpaceLetterXor = 0x80;    // token = letter ^ 0x80
constexpr unsigned SpaceLetterFirst = 0x40;  // the letters a space+letter token can carry
constexpr unsigned SpaceLetterLast = 0x7F;
constexpr unsigned MinCopyLength = 3;
constexpr unsigned MaxCopyLength = 10;
constexpr unsigned MaxCopyDistance = 2047;
constexpr unsigned CopyLengthBits = 3; // low bits of the second byte: length - 3
constexpr unsigned CopyDistanceMask = 0x7FF;

// A byte that a one-byte token of its own value writes.
inline bool IsLiteralByte(uint8_t b) {
    return b == 0 || (b >= TokenLiteralFirst && b < TokenCopyFirst);
}
// A space followed by this byte fits one space+letter token.
inline bool IsSpaceLetter(uint8_t next) {
    return next >= SpaceLetterFirst && next <= SpaceLetterLast;
}

inline unsigned CopyDistance(unsigned c, unsigned m) {
    return ((c << 8 | m) >> CopyLengthBits) & CopyDistanceMask;
}
inline unsigned CopyLength(unsigned m) {
    return (m & ((1u << CopyLengthBits) - 1)) + MinCopyLength;
}

// Token writers for the compressors. length of a copy is 3-10 (a shorter copy at the very end of
// the text is written as 3: the decoder stops at the plain length).
inline void AppendCopy(std::vector<uint8_t>* tokens, unsigned distance, unsigned length) {
    unsigned w = distance << CopyLengthBits | (length - MinCopyLength);
    tokens->push_back(uint8_t(TokenCopyFirst | w >> 8));
    tokens->push_back(uint8_t(w));
}
inline void AppendSpaceLetter(std::vector<uint8_t>* tokens, uint8_t letter) {
    tokens->push_back(uint8_t(letter ^ SpaceLetterXor));
}
inline void AppendRaw(std::vector<uint8_t>* tokens, const uint8_t* bytes, size_t count) {
    tokens->push_back(uint8_t(count));
    tokens->insert(tokens->end(), bytes, bytes + count);
}
