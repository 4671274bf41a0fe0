// store_fuzz.cpp: the article store's parsers of outside bytes, and the codec's own promises.
// Each input is used three ways: as an article resource (header, compressed block, then the record
// walk over the text it decodes to); as a token stream for both decoders, which must agree; and as
// a plain text that must come back byte for byte from the compressors. Any disagreement traps.
#include "platform/Win32.h"
#include "store/ArticleStore.h"
#include "store/ArticleText.h"
#include "store/Compressor.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// Walks every record of a decoded text and asks the text model's questions about it.
void WalkText(const uint8_t* text, size_t length) {
    RecordCursor cursor = BeginRecords(text, length);
    TextRecord record;
    size_t records = 0, last = 0;
    while (NextTextRecord(&cursor, &record)) {
        Check(record.StringOffset + record.StringLength <= length);
        Check(records == 0 || record.Offset > last);
        last = record.Offset;
        ++records;
    }
    Check(records <= length);
    (void)IsValidArticleText(text, length);
    ArticleHeadings headings = FindArticleHeadings(text, length);
    if (headings.HasHeading) Check(headings.Heading.StringOffset + headings.Heading.StringLength <= length);
    if (headings.HasSubHeading)
        Check(headings.SubHeading.StringOffset + headings.SubHeading.StringLength <= length);
}

// The input as an article resource: HeaderLength, four skipped bytes, then the compressed block.
void ReadAsResource(const uint8_t* data, size_t size) {
    if (size < CompressedBlockOffset + CompressedBlockHeaderSize) return;
    unsigned headerLength = unsigned(data[0]) << 8 | data[1];
    const uint8_t* block = data + CompressedBlockOffset;
    uint8_t* text = ReadCompressedBlockSized(block, size - CompressedBlockOffset, headerLength);
    if (text == nullptr) return;
    size_t plainLength = size_t(block[2]) << 8 | block[3];
    for (size_t k = 0; k < ArticleTextPadding; ++k)
        Check(text[plainLength + k] == 0);
    WalkText(text, plainLength);
    WalkText(text, plainLength + ArticleTextPadding); // the walk as the layout does it
    std::free(text);
}

// Both decoders on the input as a token stream, into buffers of exactly the plain length.
void DecodeBoth(const uint8_t* tokens, size_t size, size_t plainLength) {
    if (plainLength == 0) return;
    std::vector<uint8_t> fast(plainLength), reference(plainLength);
    bool fastOk = DecodeTokens(tokens, size, fast.data(), plainLength);
    bool referenceOk = DecodeTokensReference(tokens, size, reference.data(), plainLength);
    Check(fastOk == referenceOk);
    if (fastOk) Check(fast == reference);
}

void RoundTrip(const uint8_t* plain, size_t size) {
    if (size == 0 || size > MaxPlainLength) return;
    for (auto compress : {CompressTokens, CompressTokensGreedy}) {
        std::vector<uint8_t> tokens;
        CompressResult r = compress(plain, size, &tokens);
        if (r == CompressTokensTooLarge) continue;
        Check(r == CompressOk && tokens.size() <= MaxCompressedLength);
        // Exact-size copies, so that the sanitizer sees any read past the stream.
        std::vector<uint8_t> stream(tokens), fast(size), reference(size);
        Check(DecodeTokens(stream.data(), stream.size(), fast.data(), size));
        Check(DecodeTokensReference(stream.data(), stream.size(), reference.data(), size));
        Check(std::memcmp(fast.data(), plain, size) == 0 && fast == reference);
    }
    std::vector<uint8_t> resource;
    if (BuildArticleResource(plain, size, &resource) != CompressOk) return;
    uint8_t* text = ReadCompressedBlock(resource.data() + CompressedBlockOffset, ArticleHeaderLength);
    Check(text != nullptr && std::memcmp(text, plain, size) == 0);
    std::free(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (PlatformSetMessageBoxEcho(FALSE), true);
    (void)quiet;
    PlatformClearMessageBoxLog(); // the buffer-error boxes would otherwise pile up run after run
    ReadAsResource(data, size);
    if (size >= 2) {
        // The first two bytes choose a plain length; the rest is the token stream.
        DecodeBoth(data + 2, size - 2, size_t(data[0]) << 8 | data[1]);
        // And a plain length near what the stream can make, where the tail checks matter most.
        DecodeBoth(data + 2, size - 2, (size - 2) * (1 + data[0] % 4) + data[1] % 16);
    }
    RoundTrip(data, size);
    return 0;
}
