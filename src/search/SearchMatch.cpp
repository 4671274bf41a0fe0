// SearchMatch.cpp: the search of one text: its record list and the backward matcher with "?" and
// "*". The record list is built for one text, in one block, and freed before FindInText returns;
// nothing else is allocated.
#include "search/SearchEngine.h"

#include <cstdlib>
#include <cstring>

namespace {

// One record of the text being searched: its Style byte and its string's zero terminator.
struct SearchRecord {
    SearchRecord* Next;
    const uint8_t* Style;
    const uint8_t* End;
};

// The string of a record begins two bytes after its Style (Style and Param are not tested for
// zero) and runs to the next zero byte; the list ends at a Style of zero. The nodes live in one
// block (the first node's address), linked in stored order; null when the text has no records or
// the block cannot be allocated.
SearchRecord* BuildRecordList(const uint8_t* text) {
    size_t count = 0;
    for (const uint8_t* p = text; *p != 0; ++count)
        p += 2 + std::strlen(reinterpret_cast<const char*>(p + 2)) + 1;
    if (count == 0) return nullptr;
    SearchRecord* nodes = static_cast<SearchRecord*>(std::malloc(count * sizeof(SearchRecord)));
    if (!nodes) return nullptr;
    const uint8_t* p = text;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* end = p + 2 + std::strlen(reinterpret_cast<const char*>(p + 2));
        nodes[i] = SearchRecord{i + 1 < count ? &nodes[i + 1] : nullptr, p, end};
        p = end + 1;
    }
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

// The candidates are the bytes equal to the pattern's last byte, found highest first with memrchr.
const uint8_t* MatchBackwardN(const uint8_t* begin, const uint8_t* pattern, size_t m, const uint8_t* from,
                              int* length) {
    if (m == 0 || from < begin) return nullptr; // an empty prefix stands for a zero byte: never there
    size_t span = size_t(from - begin) + 1;
    while (span > 0) {
        const void* found = memrchr(begin, pattern[m - 1], span);
        if (!found) return nullptr;
        const size_t t = size_t(static_cast<const uint8_t*>(found) - begin);
        int hitLength = 0;
        switch (MatchEndingAt(begin, pattern, m, t, &hitLength)) {
        case Candidate::Matched:
            *length = hitLength;
            return begin + t;
        case Candidate::NoneAtAll:
            return nullptr;
        case Candidate::Rejected:
            break;
        }
        span = t;
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
