// DecodeTokens.cpp: the decoder UnCompress uses.
#include "store/ArticleStore.h"

bool DecodeTokens(const uint8_t* src, size_t srcLength, uint8_t* out, size_t plainLength) {
    return DecodeTokensReference(src, srcLength, out, plainLength);
}
