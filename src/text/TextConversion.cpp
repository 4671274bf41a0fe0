// TextConversion.cpp: letter code to display characters, the Reverse mirroring and the measuring
// that layout and drawing share. Owns the process-wide ConversionBuffer, which grows to the largest
// conversion ever asked of it and is kept until exit; a conversion without it returns a malloc block
// that the caller frees.
#include "text/TextPane.h"

#include "store/ArticleText.h"

#include <cstdlib>

struct ConversionBuffer ConversionBuffer = {nullptr, 0};

bool DisplayIsReversed() {
    return (ReaderState.Flags & FlagReverse) != 0 && ReaderState.FontSpec.FontAsciiBase != AsciiBaseLatin;
}

// The output place for n characters and the terminator, or null when it cannot be allocated.
static WCHAR* ConversionOutput(struct ConversionBuffer* buffer, int n) {
    if (!buffer) return static_cast<WCHAR*>(std::malloc((size_t(n) + 1) * sizeof(WCHAR)));
    if (buffer->Chars && buffer->Capacity >= n) return buffer->Chars;
    WCHAR* grown = static_cast<WCHAR*>(std::malloc((size_t(n) + 1) * sizeof(WCHAR)));
    if (!grown) return nullptr;
    std::free(buffer->Chars);
    buffer->Chars = grown;
    buffer->Capacity = n;
    return grown;
}

// Converts and mirrors; *length is the number of characters written before the terminator. Only
// those characters are mirrored: a 0 byte before n ends the run, and what lies beyond it is not text.
static WCHAR* Convert(const uint8_t* bytes, struct ConversionBuffer* buffer, int n, int* length) {
    if (n < 0) n = 0;
    WCHAR* out = ConversionOutput(buffer, n);
    *length = 0;
    if (!out) return nullptr;
    const int base = ReaderState.FontSpec.FontAsciiBase;
    int i = 0;
    for (; i < n && bytes[i] != 0; ++i)
        out[i] = LetterCodeToChar(bytes[i], base);
    out[i] = 0;
    if (i > 0 && DisplayIsReversed()) MirrorReverse(out, i);
    *length = i;
    return out;
}

WCHAR* ToDisplayText(const uint8_t* bytes, void* release, struct ConversionBuffer* buffer, int n) {
    int length;
    WCHAR* out = Convert(bytes, buffer, n, &length);
    std::free(release);
    return out;
}

WCHAR* ToDisplayTextCounted(const uint8_t* bytes, int n, int* length) {
    return Convert(bytes, &ConversionBuffer, n, length);
}

static WCHAR MirroredBracket(WCHAR c) {
    switch (c) {
    case u'(':
        return u')';
    case u')':
        return u'(';
    case u'[':
        return u']';
    case u']':
        return u'[';
    case u'{':
        return u'}';
    case u'}':
        return u'{';
    default:
        return c;
    }
}

// In place from both ends, so that mirroring a drawn run never allocates.
int MirrorReverse(WCHAR* chars, int n) {
    int i = 0, j = n - 1;
    for (; i < j; ++i, --j) {
        WCHAR left = chars[i];
        chars[i] = MirroredBracket(chars[j]);
        chars[j] = MirroredBracket(left);
    }
    if (i == j) chars[i] = MirroredBracket(chars[i]);
    return 0;
}

void MeasureFit(HDC dc, const uint8_t* bytes, int* width, int* count) {
    const uint32_t savedFlags = ReaderState.Flags;
    ReaderState.Flags &= ~FlagReverse; // line breaking sees the stored order, whatever is drawn
    int length = 0;
    WCHAR* chars = ToDisplayTextCounted(bytes, *count, &length);
    const int limit = *width > 0 ? *width : 0;
    INT fit = 0;
    SIZE size = {0, 0};
    if (chars && length > 0) GetTextExtentExPointW(dc, chars, length, limit, &fit, nullptr, &size);
    if (fit < 0 || fit > length) fit = 0;
    size.cx = 0;
    if (fit > 0) GetTextExtentExPointW(dc, chars, fit, limit, nullptr, nullptr, &size);
    *count = fit;
    *width = size.cx;
    ReaderState.Flags = savedFlags;
}

void MeasureFitAdvances(const int32_t* advances, const uint8_t* bytes, int* width, int* count) {
    const int limit = *width > 0 ? *width : 0;
    const int n = *count;
    int x = 0, fit = 0;
    // Advances are whole pixels and never negative: the fit ends at the first byte that overflows.
    // Blocks of eight whose sum still fits are taken whole (their loads do not wait on each other);
    // the block that overflows is then walked byte by byte.
    constexpr int Block = 8;
    while (fit + Block <= n) {
        int sum = 0;
        bool zero = false;
        for (int k = 0; k < Block; ++k) {
            zero |= bytes[fit + k] == 0;
            sum += advances[bytes[fit + k]];
        }
        if (zero || x + sum > limit) break;
        x += sum;
        fit += Block;
    }
    while (fit < n && bytes[fit] != 0 && x + advances[bytes[fit]] <= limit)
        x += advances[bytes[fit++]];
    *count = fit;
    *width = x;
}
