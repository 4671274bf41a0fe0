// SourceText.cpp: UTF-8 source text to letter-code bytes and back, with the two escapes.
#include "content/SourceText.h"

#include "store/ArticleText.h"

#include <cstdio>

namespace {

// Decodes one UTF-8 sequence at s[*i]; returns the code point or U+FFFFFFFF when it is invalid.
char32_t DecodeUtf8(const std::string& s, size_t* i) {
    uint8_t b = uint8_t(s[*i]);
    if (b < 0x80) return char32_t(s[(*i)++]);
    size_t need = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
    if (need == 0 || *i + need >= s.size()) return 0xFFFFFFFF;
    char32_t cp = b & (0x3F >> need);
    for (size_t k = 1; k <= need; ++k) {
        uint8_t c = uint8_t(s[*i + k]);
        if ((c & 0xC0) != 0x80) return 0xFFFFFFFF;
        cp = cp << 6 | (c & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[need] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFFFFFF;
    *i += need + 1;
    return cp;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "'x' (U+0078) at column 4", with '?' shown for a control character.
std::string Describe(char32_t cp, size_t column) {
    std::string out = "'";
    if (cp < 0x20 || cp == 0x7F)
        out.push_back('?');
    else
        AppendUtf8(cp, &out);
    char rest[64];
    std::snprintf(rest, sizeof rest, "' (U+%04X) at column %zu", unsigned(cp), column);
    out.append(rest);
    return out;
}

} // namespace

void AppendUtf8(char32_t cp, std::string* out) {
    if (cp < 0x80) {
        out->push_back(char(cp));
    } else if (cp < 0x800) {
        out->push_back(char(0xC0 | cp >> 6));
        out->push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(char(0xE0 | cp >> 12));
        out->push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out->push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(char(0xF0 | cp >> 18));
        out->push_back(char(0x80 | (cp >> 12 & 0x3F)));
        out->push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out->push_back(char(0x80 | (cp & 0x3F)));
    }
}

bool EncodeSourceText(const std::string& utf8, std::vector<uint8_t>* out, std::string* message,
                      size_t firstColumn) {
    size_t i = 0;
    size_t column = firstColumn;
    while (i < utf8.size()) {
        if (utf8[i] == SourceEscape) {
            if (i + 1 < utf8.size() && utf8[i + 1] == SourceEscape) {
                out->push_back(uint8_t(SourceEscape));
                i += 2, column += 2;
                continue;
            }
            int hi = i + 3 < utf8.size() && utf8[i + 1] == 'x' ? HexValue(utf8[i + 2]) : -1;
            int lo = hi >= 0 ? HexValue(utf8[i + 3]) : -1;
            if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) {
                *message = "bad escape at column " + std::to_string(column) +
                           ": write \\xHH for a byte from 01 to FF, or \\\\ for a backslash";
                return false;
            }
            out->push_back(uint8_t(hi << 4 | lo));
            i += 4, column += 4;
            continue;
        }
        char32_t cp = DecodeUtf8(utf8, &i);
        if (cp == 0xFFFFFFFF) {
            *message = "invalid UTF-8 at column " + std::to_string(column);
            return false;
        }
        uint8_t b = UnicodeToLetterCode(cp);
        if (b == 0) {
            *message = "the letter code cannot carry ";
            *message += Describe(cp, column);
            if (cp >= 'a' && cp <= 'z')
                *message += " (Latin small letters stand for Hebrew letters; use capitals)";
            return false;
        }
        out->push_back(b);
        ++column;
    }
    return true;
}

void WriteSourceText(const uint8_t* bytes, size_t length, unsigned edges, std::string* out) {
    for (size_t i = 0; i < length; ++i) {
        uint8_t b = bytes[i];
        bool escape = b < 0x20 || (b >= 0x7F && b <= 0xA0) || b == 0xAD;
        if (b == WordSpace && (edges & EscapeEdgeSpaces) && (i == 0 || i + 1 == length)) escape = true;
        if (i == 0 && (edges & EscapeLineStart) && (b == '@' || b == '#')) escape = true;
        if (b == uint8_t(SourceEscape)) {
            out->append("\\\\");
        } else if (escape) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out->append(hex);
        } else {
            AppendUtf8(LetterCodeToUnicode(b), out);
        }
    }
}

bool ParseSourceNumber(const std::string& word, unsigned max, unsigned* value) {
    bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    size_t start = hex ? 2 : 0;
    if (word.size() <= start || word.size() - start > 8) return false;
    unsigned long v = 0;
    for (size_t i = start; i < word.size(); ++i) {
        int d = hex ? HexValue(word[i]) : (word[i] >= '0' && word[i] <= '9' ? word[i] - '0' : -1);
        if (d < 0) return false;
        v = v * (hex ? 16 : 10) + unsigned(d);
    }
    if (v > max) return false;
    *value = unsigned(v);
    return true;
}

std::vector<std::string> SplitSourceWords(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::string TrimSourceLine(const std::string& line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t start = 0, end = line.size();
    while (start < end && blank(line[start]))
        ++start;
    while (end > start && blank(line[end - 1]))
        --end;
    return line.substr(start, end - start);
}

size_t SourceTextStart(const std::string& source) {
    return source.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
}

size_t SourceLeadingBlanks(const std::string& text) {
    size_t n = 0;
    while (n < text.size() && (text[n] == ' ' || text[n] == '\t'))
        ++n;
    return n;
}

bool CheckSourceUtf8(const std::string& line, std::string* message) {
    for (size_t i = 0; i < line.size();) {
        size_t at = i;
        if (DecodeUtf8(line, &i) == 0xFFFFFFFF) {
            *message = "invalid UTF-8 at column " + std::to_string(SourceColumnAt(line, at));
            return false;
        }
    }
    return true;
}

size_t SourceColumnAt(const std::string& line, size_t offset) {
    size_t column = 1;
    for (size_t i = 0; i < offset && i < line.size(); ++i)
        column += (uint8_t(line[i]) & 0xC0) != 0x80; // continuation bytes add no column
    return column;
}

bool NextSourceLine(const std::string& source, size_t* pos, std::string* line) {
    if (*pos >= source.size()) return false;
    size_t end = source.find_first_of("\r\n", *pos);
    if (end == std::string::npos) end = source.size();
    *line = source.substr(*pos, end - *pos);
    *pos = end + (source.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    return true;
}
