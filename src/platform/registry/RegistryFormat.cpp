// RegistryFormat.cpp: the .reg reader and writer. The reader decodes the whole file to UTF-16 first
// (strictly: a byte that is not UTF-8 makes the file damaged, so that nothing is rewritten with
// replacement characters), splits it into lines and walks them once; hex data may continue over
// lines that end with a backslash. Sections and values that repeat merge, the last value winning,
// and "[-key]" and "name"=- delete, as importing such a file does.
#include "platform/registry/RegistryFormat.h"

#include "platform/Win32Registry.h"
#include "platform/Win32Text.h"
#include "platform/base/Utf.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr std::u16string_view FileHeader = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view Hives[] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE",
                                         u"HKEY_USERS", u"HKEY_CURRENT_CONFIG"};
// Hex data lines wrap before this column, as the system editor's do.
constexpr size_t HexWrapColumn = 77;

// Strict UTF-8: false at the first malformed, overlong or surrogate sequence.
bool DecodeUtf8Strictly(const BYTE* p, size_t n, std::u16string* out) {
    for (size_t i = 0; i < n;) {
        char32_t cp;
        size_t length;
        if (!Utf8DecodeOne(p + i, n - i, &cp, &length)) return false;
        Utf16Append(out, cp);
        i += length;
    }
    return true;
}

bool DecodeFile(const BYTE* data, size_t size, std::u16string* text) {
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        if (size % 2 != 0) return false;
        text->reserve(size / 2);
        for (size_t i = 2; i < size; i += 2)
            text->push_back(char16_t(data[i] | data[i + 1] << 8));
        return true;
    }
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        data += 3;
        size -= 3;
    }
    text->reserve(size);
    return DecodeUtf8Strictly(data, size, text);
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads 1 to maxDigits hex digits at s[*pos].
bool ReadHexNumber(std::u16string_view s, size_t* pos, size_t maxDigits, DWORD* value) {
    size_t start = *pos;
    *value = 0;
    while (*pos < s.size() && HexDigit(s[*pos]) >= 0 && *pos - start < maxDigits)
        *value = (*value << 4) | DWORD(HexDigit(s[(*pos)++]));
    return *pos > start && (*pos >= s.size() || HexDigit(s[*pos]) < 0);
}

bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && RegNamesEqual(s.substr(0, prefix.size()), prefix);
}

struct Parser {
    std::vector<std::u16string_view> Lines;
    size_t Index = 0; // the line being read
    RegKey* Root = nullptr;
    RegKey* Section = nullptr; // null before the first section and inside a deleting one
    RegParseError* Error = nullptr;

    bool Fail(const char* reason) {
        Error->Line = Index + 1;
        Error->Reason = reason;
        return false;
    }
};

// A quoted text at s[*pos] (which is '"'): \\ and \" stand for themselves, any other backslash is
// kept as written. Leaves *pos after the closing quote.
bool ReadQuoted(std::u16string_view s, size_t* pos, std::u16string* out) {
    for (size_t i = *pos + 1; i < s.size(); ++i) {
        if (s[i] == u'"') {
            *pos = i + 1;
            return true;
        }
        if (s[i] == u'\\' && i + 1 < s.size() && (s[i + 1] == u'\\' || s[i + 1] == u'"')) ++i;
        out->push_back(s[i]);
    }
    return false;
}

// Comma-separated bytes from s[pos] on, continuing on the next line after a trailing backslash.
bool ReadHexBytes(Parser* p, std::u16string_view s, size_t pos, std::vector<BYTE>* out) {
    for (;;) {
        while (pos < s.size() && IsBlank(s[pos]))
            ++pos;
        if (pos >= s.size()) return true;
        if (s[pos] == u'\\') {
            if (!TrimBlanks(s.substr(pos + 1)).empty()) return p->Fail("text after a line continuation");
            if (p->Index + 1 >= p->Lines.size()) return p->Fail("line continuation at the end of the file");
            s = p->Lines[++p->Index];
            pos = 0;
            continue;
        }
        DWORD byte = 0;
        if (!ReadHexNumber(s, &pos, 2, &byte)) return p->Fail("not a hex byte");
        out->push_back(BYTE(byte));
        while (pos < s.size() && IsBlank(s[pos]))
            ++pos;
        if (pos < s.size() && s[pos] == u',')
            ++pos;
        else if (pos < s.size() && s[pos] != u'\\')
            return p->Fail("hex bytes must be separated by commas");
    }
}

bool ReadValueData(Parser* p, std::u16string_view s, const std::u16string& name) {
    if (s == u"-") {
        RegEraseValue(p->Section, name);
        return true;
    }
    std::vector<BYTE> bytes;
    DWORD type = REG_BINARY;
    if (!s.empty() && s[0] == u'"') {
        std::u16string text;
        size_t pos = 0;
        if (!ReadQuoted(s, &pos, &text)) return p->Fail("string without its closing quote");
        if (!TrimBlanks(s.substr(pos)).empty()) return p->Fail("text after a string");
        text.push_back(0);
        for (char16_t c : text) {
            bytes.push_back(BYTE(c));
            bytes.push_back(BYTE(c >> 8));
        }
        type = REG_SZ;
    } else if (StartsWithNoCase(s, u"dword:")) {
        size_t pos = 6;
        DWORD v = 0;
        if (!ReadHexNumber(s, &pos, 8, &v) || pos != s.size())
            return p->Fail("dword needs 1 to 8 hex digits");
        bytes = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
        type = REG_DWORD;
    } else if (StartsWithNoCase(s, u"hex")) {
        size_t pos = 3;
        if (pos < s.size() && s[pos] == u'(') {
            ++pos;
            if (!ReadHexNumber(s, &pos, 8, &type) || pos >= s.size() || s[pos] != u')')
                return p->Fail("hex(type) needs 1 to 8 hex digits");
            ++pos;
        }
        if (pos >= s.size() || s[pos] != u':') return p->Fail("hex data needs a colon");
        if (!ReadHexBytes(p, s, pos + 1, &bytes)) return false;
    } else {
        return p->Fail("unknown kind of value data");
    }
    RegSetValue(p->Section, name, type, bytes.data(), bytes.size());
    return true;
}

bool ReadValueLine(Parser* p, std::u16string_view s) {
    if (p->Section == nullptr) return p->Fail("value outside a key");
    std::u16string name;
    size_t pos = 1;
    if (s[0] == u'"' && (pos = 0, !ReadQuoted(s, &pos, &name)))
        return p->Fail("name without its closing quote");
    if (!RegNameIsStorable(name)) return p->Fail("value name with a zero or a broken surrogate");
    while (pos < s.size() && IsBlank(s[pos]))
        ++pos;
    if (pos >= s.size() || s[pos] != u'=') return p->Fail("value name not followed by =");
    return ReadValueData(p, TrimBlanks(s.substr(pos + 1)), name);
}

bool ReadSectionLine(Parser* p, std::u16string_view s) {
    size_t close = s.rfind(u']');
    if (close == std::u16string_view::npos || !TrimBlanks(s.substr(close + 1)).empty())
        return p->Fail("key line without its closing bracket");
    std::u16string_view path = s.substr(1, close - 1);
    bool deleting = !path.empty() && path[0] == u'-';
    if (deleting) path.remove_prefix(1);
    std::vector<std::u16string_view> names;
    for (size_t start = 0;;) {
        size_t end = path.find(u'\\', start);
        std::u16string_view name =
            path.substr(start, end == std::u16string_view::npos ? path.size() - start : end - start);
        if (name.empty() || !RegNameIsStorable(name)) return p->Fail("empty or unstorable key name");
        if (names.size() >= RegMaxDepth) return p->Fail("key path deeper than 512 keys");
        names.push_back(name);
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
    bool knownHive = false;
    for (std::u16string_view hive : Hives)
        knownHive = knownHive || RegNamesEqual(names[0], hive);
    if (!knownHive) return p->Fail("key outside the registry's roots");
    RegKey* key = p->Root;
    for (size_t i = 0; i + (deleting ? 1 : 0) < names.size() && key != nullptr; ++i) {
        bool created = false;
        key = deleting ? RegFindSubKey(key, names[i]) : RegFindOrAddSubKey(key, names[i], &created);
    }
    if (deleting && key != nullptr) RegEraseSubKey(key, names.back());
    p->Section = deleting ? nullptr : key;
    return deleting || key != nullptr || p->Fail("out of memory");
}

void SplitLines(std::u16string_view text, std::vector<std::u16string_view>* lines) {
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos) end = text.size();
        std::u16string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        lines->push_back(line);
        start = end + 1;
    }
}

} // namespace

bool RegParseFile(const BYTE* data, size_t size, RegKey* root, RegParseError* error) {
    *error = RegParseError();
    std::u16string text;
    if (size > RegMaxFileBytes) return error->Reason = "file larger than 64 MB", false;
    if (!DecodeFile(data, size, &text))
        return error->Reason = "neither UTF-8 nor UTF-16LE with its mark", false;
    Parser p;
    p.Root = root;
    p.Error = error;
    SplitLines(text, &p.Lines);
    bool seenHeader = false;
    for (; p.Index < p.Lines.size(); ++p.Index) {
        std::u16string_view s = TrimBlanks(p.Lines[p.Index]);
        if (s.empty()) continue;
        if (!seenHeader) {
            if (s != FileHeader) return p.Fail("not a registry file (wrong first line)");
            seenHeader = true;
            continue;
        }
        bool ok = s[0] == u';'                     ? true
                  : s[0] == u'['                   ? ReadSectionLine(&p, s)
                  : (s[0] == u'"' || s[0] == u'@') ? ReadValueLine(&p, s)
                                                   : p.Fail("not a key, a value or a comment");
        if (!ok) return false;
    }
    return true;
}

namespace {

void AppendQuoted(std::string* out, std::u16string_view text) {
    std::u16string escaped;
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') escaped.push_back(u'\\');
        escaped.push_back(c);
    }
    *out += '"';
    *out += PlatformUtf16ToUtf8(escaped);
    *out += '"';
}

// A REG_SZ the quoted form carries exactly: whole units, one terminator at the end and a storable text.
bool FitsQuotedString(const RegValue& v, std::u16string* text) {
    if (v.Type != REG_SZ || v.Data.size() < 2 || v.Data.size() % 2 != 0) return false;
    for (size_t i = 0; i + 2 < v.Data.size(); i += 2)
        text->push_back(char16_t(v.Data[i] | v.Data[i + 1] << 8));
    return v.Data[v.Data.size() - 2] == 0 && v.Data.back() == 0 && RegNameIsStorable(*text);
}

void AppendHex(std::string* out, DWORD type, const std::vector<BYTE>& data, size_t lineStart) {
    char buffer[16];
    if (type == REG_BINARY)
        *out += "hex:";
    else
        std::snprintf(buffer, sizeof buffer, "hex(%x):", unsigned(type)), *out += buffer;
    for (size_t i = 0; i < data.size(); ++i) {
        bool last = i + 1 == data.size();
        if (out->size() - lineStart + (last ? 2 : 3) > HexWrapColumn) {
            *out += "\\\r\n  ";
            lineStart = out->size() - 2;
        }
        std::snprintf(buffer, sizeof buffer, last ? "%02x" : "%02x,", unsigned(data[i]));
        *out += buffer;
    }
}

void AppendValue(std::string* out, const std::u16string& name, const RegValue& v) {
    size_t lineStart = out->size();
    if (name.empty())
        *out += '@';
    else
        AppendQuoted(out, name);
    *out += '=';
    std::u16string text;
    if (FitsQuotedString(v, &text)) {
        AppendQuoted(out, text);
    } else if (v.Type == REG_DWORD && v.Data.size() == 4) {
        char buffer[16];
        DWORD n = DWORD(v.Data[0]) | DWORD(v.Data[1]) << 8 | DWORD(v.Data[2]) << 16 | DWORD(v.Data[3]) << 24;
        std::snprintf(buffer, sizeof buffer, "dword:%08x", unsigned(n));
        *out += buffer;
    } else {
        AppendHex(out, v.Type, v.Data, lineStart);
    }
    *out += "\r\n";
}

// A key gets a section when it has values, or nothing below it to imply it. path holds the key's
// full name and is shared by the whole walk, so a deep tree costs one path, not one per level.
bool AppendKey(std::string* out, std::u16string* path, const RegKey& key) {
    if (!key.Values.empty() || key.SubKeys.empty()) {
        if (out->size() + path->size() * 3 + 8 > RegMaxFileBytes) return false;
        *out += '[' + PlatformUtf16ToUtf8(*path) + "]\r\n";
        for (const auto& [name, value] : key.Values) {
            // Hex is the longest form: about four bytes of text per byte of data.
            if (out->size() + name.size() * 4 + value.Data.size() * 4 + 64 > RegMaxFileBytes) return false;
            AppendValue(out, name, value);
        }
        *out += "\r\n";
    }
    size_t length = path->size();
    for (const auto& [name, sub] : key.SubKeys) {
        *path += u'\\';
        *path += name;
        bool ok = AppendKey(out, path, *sub);
        path->resize(length);
        if (!ok) return false;
    }
    return true;
}

} // namespace

bool RegWriteFile(const RegKey& root, std::string* out) {
    out->clear();
    *out += PlatformUtf16ToUtf8(std::u16string(FileHeader)) + "\r\n\r\n";
    for (const auto& [name, hive] : root.SubKeys) {
        std::u16string path = name;
        if (!AppendKey(out, &path, *hive)) return false;
    }
    return true;
}
