// DisplayOrder.cpp: the reversal with left-to-right runs kept and brackets mirrored.
#include "store/DisplayOrder.h"

#include "store/ArticleText.h"

#include <vector>

namespace {

bool IsLatinLetter(uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b != 0xD7 && b != 0xF7);
}
bool IsRunCore(uint8_t b) {
    return (b >= '0' && b <= '9') || IsLatinLetter(b);
}
bool IsRunJoiner(uint8_t b) {
    return b == '.' || b == ',' || b == ':' || b == '/' || b == '+' || b == '-' || b == '\'';
}

// Whether the byte at i belongs to a run of digits and Latin letters (with joiners between them).
// It depends on i and its neighbours only, and run ends are always digits or letters, so a joiner
// next to a run gets the same answer after reversal: that makes the reversal its own inverse.
bool InRun(const uint8_t* s, size_t length, size_t i) {
    if (IsRunCore(s[i])) return true;
    if (i == 0 || i + 1 >= length) return false;
    return IsRunJoiner(s[i]) && IsRunCore(s[i - 1]) && IsRunCore(s[i + 1]);
}

struct RunSpan {
    size_t Start, End; // inclusive
    bool HasLetter;
};

// The runs of s, with two runs that both hold a Latin letter and lie one space apart merged into
// one, so "PAGE DOWN" keeps its word order. Whether a run holds a letter does not change when the
// run is moved as a unit, so the merge comes out the same after reversal.
std::vector<RunSpan> FindRuns(const uint8_t* s, size_t length) {
    std::vector<RunSpan> runs;
    for (size_t i = 0; i < length;) {
        if (!InRun(s, length, i)) {
            ++i;
            continue;
        }
        RunSpan r{i, i, false};
        while (r.End + 1 < length && InRun(s, length, r.End + 1))
            ++r.End;
        for (size_t k = r.Start; k <= r.End; ++k)
            r.HasLetter = r.HasLetter || IsLatinLetter(s[k]);
        if (!runs.empty() && runs.back().HasLetter && r.HasLetter && runs.back().End + 2 == r.Start &&
            s[r.Start - 1] == WordSpace)
            runs.back().End = r.End;
        else
            runs.push_back(r);
        i = r.End + 1;
    }
    return runs;
}

uint8_t Mirror(uint8_t b) {
    switch (b) {
    case '(':
        return ')';
    case ')':
        return '(';
    case '[':
        return ']';
    case ']':
        return '[';
    case '<':
        return '>';
    case '>':
        return '<';
    case LetterCodeBrace:
        return '}';
    case '}':
        return LetterCodeBrace;
    default:
        return b;
    }
}

} // namespace

void ReverseForDisplay(const uint8_t* in, size_t length, uint8_t* out) {
    std::vector<RunSpan> runs = FindRuns(in, length);
    size_t o = 0, i = length;
    size_t next = runs.size(); // runs[next - 1] is the last run not yet written
    while (i > 0) {
        size_t last = i - 1;
        if (next > 0 && runs[next - 1].End == last) {
            const RunSpan& r = runs[--next];
            for (size_t k = r.Start; k <= r.End; ++k)
                out[o++] = in[k];
            i = r.Start;
            continue;
        }
        out[o++] = Mirror(in[last]);
        i = last;
    }
}
