// DisplayOrder.cpp: the reversal with left-to-right runs kept and brackets mirrored.
#include "content/DisplayOrder.h"

#include "store/ArticleText.h"

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

// Whether the byte at i belongs to a left-to-right run; depends on i and its two neighbours only,
// and the same answer comes out after reversal, which is what makes the reversal its own inverse.
bool InRun(const uint8_t* s, size_t length, size_t i) {
    if (IsRunCore(s[i])) return true;
    if (i == 0 || i + 1 >= length) return false;
    if (IsRunJoiner(s[i])) return IsRunCore(s[i - 1]) && IsRunCore(s[i + 1]);
    if (s[i] == WordSpace) return IsLatinLetter(s[i - 1]) && IsLatinLetter(s[i + 1]);
    return false;
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
    size_t o = 0;
    size_t i = length;
    while (i > 0) {
        size_t end = i - 1;
        if (!InRun(in, length, end)) {
            out[o++] = Mirror(in[end]);
            i = end;
            continue;
        }
        size_t start = end;
        while (start > 0 && InRun(in, length, start - 1))
            --start;
        for (size_t k = start; k <= end; ++k)
            out[o++] = in[k];
        i = start;
    }
}
