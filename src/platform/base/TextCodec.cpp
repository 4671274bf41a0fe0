// TextCodec.cpp: UTF-16 helpers, and the UTF-8 / UTF-16 codec every layer shares.
#include "platform/Win32Text.h"

#include "platform/base/Utf.h"

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
        Utf8Append(&out, c);
    }
    return out;
}

std::u16string PlatformUtf8ToUtf16(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        size_t length;
        if (!Utf8DecodeOne(p + i, s.size() - i, &cp, &length)) {
            cp = 0xFFFD;
            length = 1;
        }
        Utf16Append(&out, cp);
        i += length;
    }
    return out;
}

bool Utf8DecodeOne(const uint8_t* p, size_t n, char32_t* cp, size_t* length) {
    if (n == 0) return false;
    uint8_t b = p[0];
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || n <= size_t(extra)) return false;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((p[k] & 0xC0) != 0x80) return false;
        c = (c << 6) | (p[k] & 0x3F);
    }
    static const char32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
    if (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    *cp = c;
    *length = size_t(extra) + 1;
    return true;
}

void Utf8Append(std::string* out, char32_t cp) {
    if (cp < 0x80) {
        *out += char(cp);
    } else if (cp < 0x800) {
        *out += char(0xC0 | (cp >> 6));
        *out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += char(0xE0 | (cp >> 12));
        *out += char(0x80 | ((cp >> 6) & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    } else {
        *out += char(0xF0 | (cp >> 18));
        *out += char(0x80 | ((cp >> 12) & 0x3F));
        *out += char(0x80 | ((cp >> 6) & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    }
}

void Utf16Append(std::u16string* out, char32_t cp) {
    if (cp >= 0x10000) {
        out->push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
        out->push_back(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
        out->push_back(char16_t(cp));
    }
}
