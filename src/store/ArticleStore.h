// ArticleStore.h: article resources and their decompression.
// A resource number n names RCDATA n + 1000 (16-bit); its bytes are a header and a compressed block.
// Every function returns a fresh buffer from malloc that the caller owns and releases with free(),
// or null. The buffer holds PlainLength bytes, then ArticleTextPadding zero bytes, so that a walk
// that trusts terminators alone (the text model) always stops inside it.
#pragma once

#include <cstddef>
#include <cstdint>

// Numbers of the texts in the resources.
constexpr int FirstArticleNumber = 1;
constexpr int LastArticleNumber = 250;
constexpr int SectionIndexNumber = 31767;
constexpr int ArticleResourceBase = 1000;
// The 0 bytes after the plain text in every buffer the store returns (at least 2 as the format
// requires; 4 so that a separator record cut off at the very end still finds its terminators).
constexpr size_t ArticleTextPadding = 4;
// HeaderLength below this rejects the block.
constexpr unsigned MinHeaderLength = 5;
// Offset of the compressed block (CompressedLength, PlainLength, tokens) in an article resource.
constexpr size_t CompressedBlockOffset = 6;
constexpr size_t CompressedBlockHeaderSize = 4;
inline constexpr const char16_t* BufferErrorMessage = u"UnCompress() buffer error!";

uint8_t* LoadArticleText(int resourceNumber);
uint8_t* ReadCompressedBlock(const uint8_t* block, unsigned headerLength);
// ReadCompressedBlock for a block of known size (a resource, a file): the token stream is cut at
// blockSize, so a CompressedLength larger than the bytes present reads nothing beyond them.
uint8_t* ReadCompressedBlockSized(const uint8_t* block, size_t blockSize, unsigned headerLength);
// The decompressor. Damaged input (tokens that end before plainLength bytes, a back-reference of
// distance 0 or before the start of the output, a token cut short by the end of the stream)
// shows the buffer-error message once and returns null. Nothing outside the buffers is touched.
uint8_t* UnCompress(const uint8_t* src, unsigned srcLength, unsigned plainLength);

// The token decoder behind UnCompress, without allocation or message: decodes into out, which has
// room for exactly plainLength bytes. Returns true when exactly plainLength bytes were produced;
// after false the bytes of out are unspecified.
bool DecodeTokens(const uint8_t* src, size_t srcLength, uint8_t* out, size_t plainLength);
// The same decoder written as the straightforward byte-at-a-time loop with a check per byte; the
// measure and the oracle for the fast one: the same result on every input, the same bytes on true.
bool DecodeTokensReference(const uint8_t* src, size_t srcLength, uint8_t* out, size_t plainLength);
