// RichText.cpp: the RTF body of an article's wide text (a size pass and a writing pass that treat
// every character alike), the document around it, and the joining of a new article into the
// document or the Unicode text the clipboard already holds. Everything here writes into the
// caller's blocks; RtfBody alone allocates, and frees again when it fails.
#include "export/ClipboardExport.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr WCHAR RtfFirstPlain = 0x21;
constexpr WCHAR RtfLastPlain = 0x7E;
constexpr WCHAR DecompositionsFrom = 0x5EB; // no code below this is in the table

bool IsPlainRtfByte(WCHAR c) {
    return c >= RtfFirstPlain && c <= RtfLastPlain && c != u'\\' && c != u'{' && c != u'}';
}

bool IsLineEnd(WCHAR c) {
    return c == WideCarriageReturn || c == WideLineFeed;
}

// What the size pass counts for one escape, by the code's digits (a bound for codes below 100).
size_t EscapeCount(WCHAR c) {
    return c < 1000 ? 5 : c < 10000 ? 6 : 7;
}

// The writing pass's output; out null counts nothing (the size pass keeps its own count).
struct RtfWriter {
    char* Out;
    size_t Used;
};

void PutBytes(RtfWriter* w, const char* bytes, size_t n) {
    if (w->Out) std::memcpy(w->Out + w->Used, bytes, n);
    w->Used += n;
}

// "\u" and the code in decimal; nothing to do in the size pass, which counts by the table.
void PutEscape(RtfWriter* w, WCHAR c) {
    if (!w->Out) return;
    char escape[8] = {'\\', 'u'};
    const int digits = c < 10 ? 1 : c < 100 ? 2 : c < 1000 ? 3 : c < 10000 ? 4 : 5;
    unsigned v = c;
    for (int k = digits; k > 0; --k, v /= 10)
        escape[1 + k] = char('0' + v % 10);
    PutBytes(w, escape, size_t(2 + digits));
}

// One character that is neither a space nor a line end; returns what the size pass counts for it.
size_t PutCharacter(RtfWriter* w, WCHAR c) {
    if (IsPlainRtfByte(c)) {
        const char b = char(c);
        PutBytes(w, &b, 1);
        return 1;
    }
    const Decomposition* d = c >= DecompositionsFrom ? FindDecomposition(c) : nullptr;
    if (!d) {
        PutEscape(w, c);
        return EscapeCount(c);
    }
    size_t count = 0;
    for (WCHAR part : d->Parts)
        if (part) {
            PutEscape(w, part);
            count += RtfDecomposedEscapeCount;
        }
    return count;
}

} // namespace

// A linear search: the table is short and met only for the rare codes above the Hebrew letters.
const Decomposition* FindDecomposition(WCHAR c) {
    if (c < DecompositionsFrom) return nullptr;
    for (const Decomposition* d = HebrewDecompositions; d->Code != 0; ++d)
        if (d->Code == c) return d;
    return nullptr;
}

size_t WriteRtfBody(const WCHAR* text, char* out) {
    RtfWriter w = {out, 0};
    size_t count = RtfBodyStartCount;
    for (size_t i = 0; text[i] != 0;) {
        if (text[i] == u' ') {
            size_t run = 0;
            while (text[i + run] == u' ')
                ++run;
            // One more space than the run, so that a space after an escape survives RTF readers.
            for (size_t k = 0; k <= run; ++k)
                PutBytes(&w, " ", 1);
            count += run + 1;
            i += run;
        } else if (IsLineEnd(text[i])) {
            while (IsLineEnd(text[i]))
                ++i;
            PutBytes(&w, RtfLineEnd, RtfLineEndLength);
            count += RtfLineEndCount;
        } else {
            count += PutCharacter(&w, text[i]);
            ++i;
        }
    }
    PutBytes(&w, RtfLineEnd, RtfLineEndLength);
    if (!out) return count;
    out[w.Used] = 0;
    return w.Used;
}

char* RtfBody(const WCHAR* text, size_t* length) {
    if (!text) return nullptr;
    const size_t size = WriteRtfBody(text, nullptr);
    char* body = static_cast<char*>(std::malloc(size + 1));
    if (!body) return nullptr;
    *length = WriteRtfBody(text, body);
    return body;
}

size_t RtfKeptLength(const char* old, size_t oldLength) {
    if (!old) return 0;
    size_t k = oldLength;
    while (k > 0 && (old[k - 1] == '\t' || old[k - 1] == '\n' || old[k - 1] == '\r' || old[k - 1] == ' '))
        --k;
    if (k > 0 && old[k - 1] == '}') --k;
    return k;
}

size_t RtfBlockSize(const char* old, size_t oldLength, size_t bodyLength) {
    if (RtfKeptLength(old, oldLength) == 0) return bodyLength + RtfNewDocumentExtra;
    return bodyLength + oldLength + RtfAppendExtra;
}

// Data that is only blanks (or nothing) has no header to keep: the document gets its own, so that
// what is placed is always a whole document.
size_t WriteRtfDocument(char* block, const char* old, size_t oldLength, const char* body, size_t bodyLength) {
    const size_t kept = RtfKeptLength(old, oldLength);
    size_t used = 0;
    if (kept == 0) {
        std::memcpy(block, RtfHeader, RtfHeaderLength);
        used = RtfHeaderLength;
    } else {
        std::memcpy(block, old, kept);
        std::memcpy(block + kept, RtfSeparator, RtfSeparatorLength);
        used = kept + RtfSeparatorLength;
    }
    std::memcpy(block + used, body, bodyLength);
    used += bodyLength;
    std::memcpy(block + used, RtfDocumentEnd, RtfDocumentEndLength);
    used += RtfDocumentEndLength;
    block[used] = 0;
    return used;
}

size_t UnicodeBlockSize(size_t oldBytes, size_t newChars) {
    return oldBytes + 2 * (newChars + 1);
}

void WriteUnicodeDocument(uint8_t* block, const uint8_t* old, size_t oldBytes, const WCHAR* text, size_t n) {
    if (oldBytes) std::memcpy(block, old, oldBytes);
    uint8_t* at = block + (oldBytes & ~size_t(1));
    std::memcpy(at, text, n * sizeof(WCHAR));
    std::memset(at + n * sizeof(WCHAR), 0, sizeof(WCHAR));
}
