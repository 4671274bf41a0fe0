// SearchMatch.cpp: the search of one text: its record list and the backward matcher with "?" and
// "*". The record list is built for one text, in one block, and freed before FindInText returns;
// nothing else is allocated.
#include "search/SearchEngine.h"

#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One record of the text being searched: its Style byte and its string's zero terminator.
struct SearchRecord {
    SearchRecord* Next;
    const uint8_t* Style;
    const uint8_t* End;
};

// The string of a record begins two bytes after its Style (Style and Param are not tested for
// zero) and runs to the next zero byte; the list ends at a Style of zero. The nodes live in one
// block (the first node's address), grown while the text is walked once and linked in stored order
// at the end; null when the text has no records or the block cannot be allocated.
SearchRecord* BuildRecordList(const uint8_t* text) {
    constexpr size_t FirstCapacity = 256;
    SearchRecord* nodes = nullptr;
    size_t count = 0, capacity = 0;
    for (const uint8_t* p = text; *p != 0; ++count) {
        if (count == capacity) {
            capacity = capacity ? 2 * capacity : FirstCapacity;
            void* grown = std::realloc(nodes, capacity * sizeof(SearchRecord));
            if (!grown) {
                std::free(nodes);
                return nullptr;
            }
            nodes = static_cast<SearchRecord*>(grown);
        }
        const uint8_t* end = p + 2 + std::strlen(reinterpret_cast<const char*>(p + 2));
        nodes[count] = SearchRecord{nullptr, p, end};
        p = end + 1;
    }
    for (size_t i = 0; i + 1 < count; ++i)
        nodes[i].Next = &nodes[i + 1];
    return nodes;
}

enum class Candidate { Rejected, Matched, NoneAtAll };

const uint8_t* MatchBackwardN(const uint8_t* begin, const uint8_t* pattern, size_t m, const uint8_t* from,
                              int* length);

// The pattern against the text bytes that end at begin[t], its last byte already equal. A "*" that
// meets a text byte other than '*' ends the walk either way: its prefix is looked for below, and
// when it is not there no lower candidate is tried.
Candidate MatchEndingAt(const uint8_t* begin, const uint8_t* pattern, size_t m, size_t t, int* length) {
    size_t below = t; // text bytes left below the compared one
    for (size_t j = m - 1; j-- > 0;) {
        if (below == 0) return Candidate::Rejected;
        const uint8_t b = begin[--below];
        if (pattern[j] == b || pattern[j] == SearchAnyByte) continue;
        if (pattern[j] != SearchAnyRun) return Candidate::Rejected;
        int prefixLength = 0;
        const uint8_t* prefix = MatchBackwardN(begin, pattern, j, begin + below, &prefixLength);
        if (!prefix) return Candidate::NoneAtAll;
        const size_t first = size_t(prefix - begin) + 1 - size_t(prefixLength);
        *length = int(t - first + 1);
        return Candidate::Matched;
    }
    *length = int(m);
    return Candidate::Matched;
}

// The highest t in [1, top] with s[t] == last and s[t - 1] == before, or -1. Sixteen candidates at
// a time while their bytes and the ones before them all lie at or above s[0].
long FindPairBackward(const uint8_t* s, long top, uint8_t last, uint8_t before) {
#if defined(__SSE2__)
    const __m128i lastBytes = _mm_set1_epi8(char(last)), beforeBytes = _mm_set1_epi8(char(before));
    for (; top >= 16; top -= 16) {
        const __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + top - 15));
        const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + top - 16));
        const unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(at, lastBytes), _mm_cmpeq_epi8(below, beforeBytes))));
        if (mask) return top - 15 + (31 - __builtin_clz(mask));
    }
#endif
    for (long t = top; t >= 1; --t)
        if (s[t] == last && s[t - 1] == before) return t;
    return -1;
}

// The next candidate at or below top: a byte equal to the pattern's last, and when the byte before
// that is a plain one in the pattern, equal to it as well (any other candidate is rejected anyway).
long NextCandidate(const uint8_t* begin, const uint8_t* pattern, size_t m, long top) {
    const uint8_t before = m >= 2 ? pattern[m - 2] : 0;
    if (m >= 2 && before != SearchAnyByte && before != SearchAnyRun)
        return FindPairBackward(begin, top, pattern[m - 1], before);
    const void* found = memrchr(begin, pattern[m - 1], size_t(top) + 1);
    return found ? long(static_cast<const uint8_t*>(found) - begin) : -1;
}

const uint8_t* MatchBackwardN(const uint8_t* begin, const uint8_t* pattern, size_t m, const uint8_t* from,
                              int* length) {
    if (m == 0 || from < begin) return nullptr; // an empty prefix stands for a zero byte: never there
    for (long top = long(from - begin); top >= 0;) {
        const long t = NextCandidate(begin, pattern, m, top);
        if (t < 0) return nullptr;
        int hitLength = 0;
        switch (MatchEndingAt(begin, pattern, m, size_t(t), &hitLength)) {
        case Candidate::Matched:
            *length = hitLength;
            return begin + t;
        case Candidate::NoneAtAll:
            return nullptr;
        case Candidate::Rejected:
            break;
        }
        top = t - 1;
    }
    return nullptr;
}

} // namespace

const uint8_t* MatchBackward(const uint8_t* begin, const uint8_t* pattern, const uint8_t* from, int* length) {
    if (!begin || !pattern || !from) return nullptr;
    return MatchBackwardN(begin, pattern, std::strlen(reinterpret_cast<const char*>(pattern)), from, length);
}

uint16_t FindInText(const uint8_t* text, const uint8_t* pattern, unsigned start, int* length) {
    if (!text || !pattern || pattern[0] == 0) return 0;
    SearchRecord* list = BuildRecordList(text);
    const size_t m = std::strlen(reinterpret_cast<const char*>(pattern));
    const uint8_t* hit = nullptr;
    int hitLength = 0;
    for (SearchRecord* node = list; node && !hit; node = node->Next) {
        const size_t stringStart = size_t(node->Style - text) + 2;
        const size_t end = size_t(node->End - text);
        if (start > end) continue; // the record lies wholly below the start
        if (end == stringStart) continue;
        const size_t from = start >= stringStart ? start : end - 1;
        hit = MatchBackwardN(text + stringStart, pattern, m, text + from, &hitLength);
    }
    std::free(list);
    if (!hit) return 0;
    *length = hitLength;
    return uint16_t(hit - text);
}
