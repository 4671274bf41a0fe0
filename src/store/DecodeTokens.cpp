// DecodeTokens.cpp: the decoder UnCompress uses, one forward pass into the buffer of known size.
// Away from both ends (of the tokens and of the output) it checks bounds once per step and copies
// with wide unconditional loads and stores; the last stretch runs the fully checked loop. It writes
// only inside out[0, plainLength) and reads only inside src[0, srcLength), allocates nothing, and
// gives the reference decoder's result and bytes on every input (on a false result the bytes of
// out are unspecified: UnCompress releases them).
#include "store/ArticleStore.h"
#include "store/CompressedTokens.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A step of the fast loop is a stretch of up to 16 single literals (16 bytes read and written at
// once) and then at most one other token (at most 9 bytes read, 16 written). Which token bytes are
// single literals is found for 64 bytes at a time, and that window is refilled once a step could
// look past it. A step that starts this far from both ends stays inside both buffers.
constexpr size_t LiteralStep = 16;
constexpr size_t MaskWindow = 64;
constexpr size_t SafeSource = MaskWindow;
constexpr size_t SafeOutput = 2 * LiteralStep;

inline void Copy8(uint8_t* to, const uint8_t* from) {
    std::memcpy(to, from, 8);
}
inline void Copy16(uint8_t* to, const uint8_t* from) {
    std::memcpy(to, from, 16);
}

// Bit i set when src[i] is not a single-literal token (0x00, 0x09-0x7F), for i from 0 to 63.
inline uint64_t OtherTokenMask(const uint8_t* src) {
#if defined(__SSE2__)
    // Signed, the other token bytes are exactly those below 9 that are not 0 (0x80-0xFF are negative).
    const __m128i nine = _mm_set1_epi8(char(TokenLiteralFirst)), zero = _mm_setzero_si128();
    uint64_t mask = 0;
    for (size_t k = 0; k < MaskWindow; k += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k));
        __m128i other = _mm_andnot_si128(_mm_cmpeq_epi8(v, zero), _mm_cmplt_epi8(v, nine));
        mask |= uint64_t(unsigned(_mm_movemask_epi8(other))) << k;
    }
    return mask;
#else
    uint64_t mask = 0;
    for (size_t k = 0; k < MaskWindow; ++k)
        mask |= uint64_t(!IsLiteralByte(src[k])) << k;
    return mask;
#endif
}

// The checked loop, continued from (in, o): the same steps and checks as the reference decoder.
bool DecodeTail(const uint8_t* src, size_t srcLength, size_t in, uint8_t* out, size_t plainLength, size_t o) {
    while (o < plainLength && in < srcLength) {
        unsigned c = src[in++];
        if (c >= TokenRawFirst && c <= TokenRawLast) {
            size_t n = c < plainLength - o ? c : plainLength - o; // a run is cut at the plain length
            if (n > srcLength - in) return false;                 // a run cut short by the stream
            std::memcpy(out + o, src + in, n);
            in += n;
            o += n;
        } else if (c < TokenCopyFirst) {
            out[o++] = uint8_t(c);
        } else if (c < TokenSpaceFirst) {
            if (in >= srcLength) return false; // a back-reference without its second byte
            unsigned m = src[in++];
            size_t d = CopyDistance(c, m);
            if (d - 1 >= o) return false; // distance 0, or before the start of the output
            size_t n = CopyLength(m);
            if (n > plainLength - o) n = plainLength - o;
            for (size_t k = 0; k < n; ++k, ++o)
                out[o] = out[o - d];
        } else {
            out[o++] = ' ';
            if (o >= plainLength) break;
            out[o++] = uint8_t(c ^ SpaceLetterXor);
        }
    }
    return o == plainLength;
}

} // namespace

bool DecodeTokens(const uint8_t* src, size_t srcLength, uint8_t* out, size_t plainLength) {
    size_t in = 0, o = 0;
    if (srcLength > SafeSource && plainLength > SafeOutput) {
        const size_t inLimit = srcLength - SafeSource, outLimit = plainLength - SafeOutput;
        // The mask of src[base, base + 64). The next step's position comes from it by a shift and a
        // bit count rather than from a load of the bytes, which keeps the steps' chain short.
        size_t base = 0;
        uint64_t other = OtherTokenMask(src);
        while (in <= inLimit && o <= outLimit) {
            size_t rel = in - base;
            if (rel > MaskWindow - LiteralStep) {
                base = in;
                other = OtherTokenMask(src + in);
                rel = 0;
            }
            // Bytes stored past the literals are rewritten by the steps after.
            size_t n = size_t(__builtin_ctzll(other >> rel | uint64_t(1) << LiteralStep));
            Copy16(out + o, src + in);
            in += n;
            o += n;
            if (n == LiteralStep) continue;
            unsigned c = src[in];
            if (c >= TokenSpaceFirst) {
                out[o] = ' ';
                out[o + 1] = uint8_t(c ^ SpaceLetterXor);
                in += 1;
                o += 2;
            } else if (c >= TokenCopyFirst) {
                unsigned m = src[in + 1];
                size_t d = CopyDistance(c, m);
                if (d - 1 >= o) return false; // distance 0, or before the start of the output
                uint8_t* to = out + o;
                const uint8_t* from = to - d;
                if (d >= 8) {
                    // The second half may read what the first just wrote: that is the copy's meaning.
                    Copy8(to, from);
                    Copy8(to + 8, from + 8);
                } else {
                    for (size_t k = 0; k < MaxCopyLength; ++k)
                        to[k] = from[k];
                }
                in += 2;
                o += CopyLength(m);
            } else {
                Copy8(out + o, src + in + 1); // a raw run of c bytes, 1 to 8
                in += 1 + c;
                o += c;
            }
        }
    }
    return DecodeTail(src, srcLength, in, out, plainLength, o);
}
