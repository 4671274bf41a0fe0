// DecodeTokensReference.cpp: the token decoder as a plain byte loop, every byte checked.
// It defines the decoder's results: the fast decoder must agree with it on every input.
#include "store/ArticleStore.h"

bool DecodeTokensReference(const uint8_t* src, size_t srcLength, uint8_t* out, size_t plainLength) {
    size_t in = 0, o = 0;
    while (o < plainLength && in < srcLength) {
        unsigned c = src[in++];
        if (c >= 0x01 && c <= 0x08) {
            for (unsigned k = 0; k < c && o < plainLength; ++k) {
                if (in >= srcLength) return false; // literal run cut short by the stream's end
                out[o++] = src[in++];
            }
        } else if (c < 0x80) {
            out[o++] = uint8_t(c);
        } else if (c < 0xC0) {
            if (in >= srcLength) return false; // back-reference without its second byte
            unsigned w = c << 8 | src[in++];
            size_t d = (w >> 3) & 0x7FF;
            size_t length = (w & 7) + 3;
            if (d == 0 || d > o) return false; // nothing to copy from
            for (size_t k = 0; k < length && o < plainLength; ++k, ++o)
                out[o] = out[o - d];
        } else {
            out[o++] = ' ';
            if (o >= plainLength) break;
            out[o++] = uint8_t(c ^ 0x80);
        }
    }
    return o == plainLength;
}
