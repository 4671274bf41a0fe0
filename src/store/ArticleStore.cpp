// ArticleStore.cpp: from a resource number to a fresh plain-text buffer.
// The buffer returned belongs to the caller (free()); a failed call leaves nothing allocated.
#include "store/ArticleStore.h"

#include "platform/Win32.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

uint8_t* LoadArticleText(int resourceNumber) {
    if (resourceNumber < 1) return nullptr;
    WORD id = WORD(resourceNumber + ArticleResourceBase);
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (resource == nullptr) return nullptr;
    DWORD size = SizeofResource(module, resource);
    if (size == 0) return nullptr;
    HGLOBAL handle = LoadResource(module, resource);
    const uint8_t* bytes = handle ? static_cast<const uint8_t*>(LockResource(handle)) : nullptr;
    if (bytes == nullptr || size < CompressedBlockOffset) return nullptr;
    unsigned headerLength = unsigned(bytes[0]) << 8 | bytes[1];
    return ReadCompressedBlockSized(bytes + CompressedBlockOffset, size - CompressedBlockOffset,
                                    headerLength);
}

uint8_t* ReadCompressedBlock(const uint8_t* block, unsigned headerLength) {
    return ReadCompressedBlockSized(block, SIZE_MAX, headerLength);
}

uint8_t* ReadCompressedBlockSized(const uint8_t* block, size_t blockSize, unsigned headerLength) {
    if (headerLength < MinHeaderLength || block == nullptr) return nullptr;
    if (blockSize < CompressedBlockHeaderSize) return nullptr;
    size_t compressedLength = size_t(block[0]) << 8 | block[1];
    if (compressedLength == 0) return nullptr;
    unsigned plainLength = unsigned(block[2]) << 8 | block[3];
    // Tokens past the end of the block are not ours to read: the stream ends where the bytes do.
    size_t available = blockSize - CompressedBlockHeaderSize;
    if (compressedLength > available) compressedLength = available;
    return UnCompress(block + CompressedBlockHeaderSize, unsigned(compressedLength), plainLength);
}

uint8_t* UnCompress(const uint8_t* src, unsigned srcLength, unsigned plainLength) {
    if (plainLength == 0 || src == nullptr) return nullptr;
    auto* out = static_cast<uint8_t*>(std::malloc(plainLength + ArticleTextPadding));
    if (out == nullptr) return nullptr;
    if (!DecodeTokens(src, srcLength, out, plainLength)) {
        std::free(out);
        MessageBoxW(nullptr, BufferErrorMessage, nullptr, MB_OK);
        return nullptr;
    }
    std::memset(out + plainLength, 0, ArticleTextPadding);
    return out;
}
