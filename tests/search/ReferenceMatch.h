// ReferenceMatch.h: the backward match written the plain way, as the matcher's oracle for the tests
// and the fuzz target: every candidate end from the start down, one byte at a time, on indexes into
// a string. The pattern's last byte is literal; "?" takes any byte; "*" against a byte other than
// '*' looks for the pattern before it from the aligned byte down and settles the whole search
// either way; an empty pattern is never found.
#pragma once

#include <string>

struct ReferenceHit {
    bool Found = false;
    long End = 0;    // index of the hit's last byte
    long Length = 0; // bytes it spans
};

inline ReferenceHit ReferenceMatchBackward(const std::string& text, long begin, const std::string& pattern,
                                           long from) {
    ReferenceHit none;
    if (pattern.empty()) return none;
    for (long t = from; t >= begin; --t) {
        if (text[t] != pattern.back()) continue;
        long pos = t;
        bool rejected = false;
        for (long j = long(pattern.size()) - 2; j >= 0; --j) {
            --pos;
            if (pos < begin) {
                rejected = true;
                break;
            }
            if (text[pos] == pattern[j] || pattern[j] == '?') continue;
            if (pattern[j] != '*') {
                rejected = true;
                break;
            }
            ReferenceHit prefix = ReferenceMatchBackward(text, begin, pattern.substr(0, size_t(j)), pos);
            if (!prefix.Found) return none;
            return ReferenceHit{true, t, t - (prefix.End - prefix.Length + 1) + 1};
        }
        if (!rejected) return ReferenceHit{true, t, long(pattern.size())};
    }
    return none;
}
