// Text.cpp: UTF-16 helpers and UTF-8 conversion for printing.
#include "platform/Win32Text.h"

size_t wcslen16(const WCHAR* s) {
    size_t n = 0;
    while (s[n] != 0)
        ++n;
    return n;
}

static WCHAR FoldAscii(WCHAR c) {
    return (c >= u'a' && c <= u'z') ? WCHAR(c - 32) : c;
}

int wcsicmp16(const WCHAR* a, const WCHAR* b) {
    for (;; ++a, ++b) {
        WCHAR x = FoldAscii(*a), y = FoldAscii(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

static void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string PlatformUtf16ToUtf8(const std::u16string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// Decodes one UTF-8 sequence at s[i]; malformed or overlong input gives U+FFFD and consumes one byte.
static char32_t DecodeUtf8(const std::string& s, size_t* i) {
    unsigned char b = static_cast<unsigned char>(s[*i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || *i + extra >= s.size()) {
        ++*i;
        return extra == 0 ? b : 0xFFFD;
    }
    char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char c = static_cast<unsigned char>(s[*i + k]);
        if ((c & 0xC0) != 0x80) {
            ++*i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    static const char32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++*i;
        return 0xFFFD;
    }
    *i += extra + 1;
    return cp;
}

std::u16string PlatformUtf8ToUtf16(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp = DecodeUtf8(s, &i);
        if (cp >= 0x10000) {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}
