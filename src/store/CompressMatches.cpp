// CompressMatches.cpp: exact longest matches in the 2,047-byte window with binary trees.
// Every position is a node of the tree of its 3-byte hash; a tree is ordered by the bytes that
// follow its nodes (up to 10) and every node is newer than the nodes below it. Inserting position i
// walks one path from the root, splitting the tree around i's bytes; the longest match with any
// node is met on that path (with the nearest node below and above i in that order), so the walk
// is exact and costs about the tree's depth. A node too far back ends the walk, and so do all the
// older nodes below it. A node with the same 10 bytes as i is replaced by i, which is nearer.
// Every comparison starts again from the first byte: with at most 10 bytes that is one 16-byte
// comparison, cheaper than tracking the prefix the bounds share.
#include "store/CompressMatches.h"
#include "store/CompressedTokens.h"

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr unsigned HashBits = 14;
constexpr int32_t NoNode = INT32_MIN; // farther back than any node: one test ends a walk

// The hash of the 3 bytes at p (p may be read for 4).
inline uint32_t Hash3(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v >>= 8;
#else
    v &= 0xFFFFFF;
#endif
    return (v * 2654435761u) >> (32 - HashBits);
}

// Matches for the last one or two positions, too short to hash: only a match that runs to the end
// of the text is of use there.
void FindTailMatch(const uint8_t* plain, size_t length, size_t i, uint8_t* matchLength,
                   uint16_t* matchDistance) {
    size_t rest = length - i;
    size_t farthest = i < MaxCopyDistance ? i : MaxCopyDistance;
    matchLength[i] = 0;
    matchDistance[i] = 0;
    for (size_t d = 1; d <= farthest; ++d) {
        size_t l = 0;
        while (l < rest && plain[i - d + l] == plain[i + l])
            ++l;
        if (l == rest) {
            matchLength[i] = uint8_t(rest);
            matchDistance[i] = uint16_t(d);
            return;
        }
    }
}

// The bytes at the position being inserted, loaded once for all the comparisons of its walk.
struct Probe {
#if defined(__SSE2__)
    __m128i Bytes;
    __m128i Flipped; // with the top bit flipped: unsigned order through the signed compare
#else
    const uint8_t* Bytes;
#endif
    size_t Limit;
};

inline Probe MakeProbe(const uint8_t* cur, size_t limit) {
#if defined(__SSE2__)
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur));
    return Probe{bytes, _mm_xor_si128(bytes, _mm_set1_epi8(char(0x80))), limit};
#else
    return Probe{cur, limit};
#endif
}

// How far a candidate agrees with the probe (at most its limit, at most 10) and whether the
// candidate is the smaller at the first difference; the candidate may be read for 16 bytes.
// Without branches or a second load that waits for the first: how far two positions agree is
// different every time.
struct Comparison {
    size_t Length;
    bool Less;
};
inline Comparison Compare(const uint8_t* candidate, const Probe& probe) {
#if defined(__SSE2__)
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(candidate));
    unsigned differ = ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(x, probe.Bytes)));
    __m128i flipped = _mm_xor_si128(x, _mm_set1_epi8(char(0x80)));
    unsigned less = unsigned(_mm_movemask_epi8(_mm_cmplt_epi8(flipped, probe.Flipped)));
    size_t l = size_t(__builtin_ctz(differ | 1u << probe.Limit));
    return Comparison{l, bool(less >> l & 1)};
#else
    size_t l = 0;
    while (l < probe.Limit && candidate[l] == probe.Bytes[l])
        ++l;
    return Comparison{l, l < probe.Limit && candidate[l] < probe.Bytes[l]};
#endif
}

} // namespace

void FindLongestMatches(const uint8_t* plain, size_t length, uint8_t* matchLength, uint16_t* matchDistance) {
    // A copy with zero bytes after the text, so that a comparison can load 16 bytes at any position.
    std::unique_ptr<uint8_t[]> padded(new uint8_t[length + 16]);
    std::memcpy(padded.get(), plain, length);
    std::memset(padded.get() + length, 0, 16);
    const uint8_t* p = padded.get();
    std::vector<int32_t> root(size_t(1) << HashBits, NoNode);
    // children[2 i] holds the tree below i with smaller bytes, children[2 i + 1] with greater. Both
    // are written when i is inserted, before anything reads them, so they start uninitialised.
    std::unique_ptr<int32_t[]> children(new int32_t[2 * length]);
    // The root of each position's tree is read one position ahead, so that waiting for it overlaps
    // the walk before (walks change only children, never a root).
    int32_t next = NoNode;
    if (length >= MinCopyLength) {
        uint32_t h = Hash3(p);
        next = root[h];
        root[h] = 0;
    }
    for (size_t i = 0; i + MinCopyLength <= length; ++i) {
        const uint8_t* cur = p + i;
        const size_t limit = length - i < MaxCopyLength ? length - i : MaxCopyLength;
        const Probe probe = MakeProbe(cur, limit);
        int32_t node = next;
        if (i + 1 + MinCopyLength <= length) {
            uint32_t h = Hash3(cur + 1);
            next = root[h];
            root[h] = int32_t(i + 1);
        }
        // side[1] is the slot for the next node smaller than i (first i's own smaller child), side[0]
        // the slot for the next greater one.
        int32_t* side[2] = {&children[2 * i + 1], &children[2 * i]};
        size_t best = 0, bestDistance = 0;
        for (;;) {
            if (int64_t(i) - node > int64_t(MaxCopyDistance)) { // no node, or too far back
                *side[0] = *side[1] = NoNode;
                break;
            }
            const uint8_t* candidate = p + node;
            const Comparison cmp = Compare(candidate, probe);
            const size_t l = cmp.Length;
            const bool longer = l > best;
            bestDistance = longer ? i - size_t(node) : bestDistance;
            best = longer ? l : best;
            if (l == limit) {
                *side[1] = children[2 * node];
                *side[0] = children[2 * node + 1];
                break;
            }
            // A smaller node goes to i's smaller side and the walk goes on in its greater subtree,
            // and the other way round; chosen by indexing, as either is as likely.
            const size_t less = cmp.Less;
            *side[less] = node;
            side[less] = &children[2 * size_t(node) + less];
            node = *side[less];
        }
        const bool found = best >= MinCopyLength;
        matchLength[i] = uint8_t(found ? best : 0);
        matchDistance[i] = uint16_t(found ? bestDistance : 0);
    }
    for (size_t i = length >= MinCopyLength - 1 ? length - (MinCopyLength - 1) : 0; i < length; ++i)
        FindTailMatch(plain, length, i, matchLength, matchDistance);
}
