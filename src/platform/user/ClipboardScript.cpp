// ClipboardScript.cpp: the script driver's `clipboard` command on the public clipboard calls. Blocks
// it sets are made with LocalAlloc and pass to the clipboard; a block it fails to set is freed here.
#include "platform/user/ClipboardScript.h"

#include "platform/Win32Clipboard.h"
#include "platform/Win32Text.h"

#include "platform/base/Utf.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t HexBytesPerLine = 16;

void SkipSpaces(std::string_view* s) {
    while (!s->empty() && s->front() == ' ')
        s->remove_prefix(1);
}

// The next word, or a double-quoted name with its quotes; false for an unclosed quote.
bool NextWord(std::string_view* s, std::string_view* word) {
    SkipSpaces(s);
    size_t end = 0;
    if (!s->empty() && s->front() == '"') {
        end = s->find('"', 1);
        if (end == std::string_view::npos) return false;
        ++end;
    } else {
        end = std::min(s->find(' '), s->size());
    }
    *word = s->substr(0, end);
    s->remove_prefix(end);
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at s[at]; -1 when they are not all there.
long ReadHex(std::string_view s, size_t at, size_t digits) {
    if (at > s.size() || s.size() - at < digits) return -1;
    long value = 0;
    for (size_t i = 0; i < digits; ++i) {
        int d = HexValue(s[at + i]);
        if (d < 0) return -1;
        value = value * 16 + d;
    }
    return value;
}

bool Unescape(std::string_view text, std::string* bytes, std::string* error) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *bytes += text[i];
            continue;
        }
        char kind = i + 1 < text.size() ? text[i + 1] : 0;
        long value = kind == 'x' ? ReadHex(text, i + 2, 2) : kind == 'u' ? ReadHex(text, i + 2, 4) : 0;
        if (kind == 'n' || kind == 'r' || kind == 't' || kind == '\\') {
            *bytes += kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind == 't' ? '\t' : '\\';
            ++i;
        } else if (kind == 'x' && value >= 0) {
            *bytes += char(value);
            i += 3;
        } else if (kind == 'u' && value >= 0) {
            Utf8Append(bytes, (value >= 0xD800 && value <= 0xDFFF) ? 0xFFFD : char32_t(value));
            i += 5;
        } else {
            *error = "clipboard: bad escape in the text at byte " + std::to_string(i);
            return false;
        }
    }
    return true;
}

// CF_UNICODETEXT, CF_TEXT, a number or a quoted name (registered here); 0 when it is none of them.
UINT ParseFormat(std::string_view word) {
    if (word == "CF_UNICODETEXT") return CF_UNICODETEXT;
    if (word == "CF_TEXT") return CF_TEXT;
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') {
        std::u16string name = PlatformUtf8ToUtf16(std::string(word.substr(1, word.size() - 2)));
        return RegisterClipboardFormatW(name.c_str());
    }
    bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    std::string_view digits = hex ? word.substr(2) : word;
    if (digits.empty() || digits.size() > 5) return 0;
    UINT value = 0;
    for (char c : digits) {
        int d = hex ? HexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0) return 0;
        value = value * (hex ? 16 : 10) + UINT(d);
    }
    return value <= 0xFFFF ? value : 0;
}

// A movable block with the text as format wants it, zero-terminated; null when memory runs out.
HLOCAL MakeBlock(UINT format, const std::string& bytes) {
    std::u16string wide;
    const void* data = bytes.data();
    size_t size = bytes.size() + 1;
    if (format == CF_UNICODETEXT) {
        wide = PlatformUtf8ToUtf16(bytes);
        data = wide.c_str();
        size = (wide.size() + 1) * sizeof(WCHAR);
    }
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, size);
    void* p = block ? LocalLock(block) : nullptr;
    if (p == nullptr) {
        LocalFree(block);
        return nullptr;
    }
    std::memcpy(p, data, size); // the string's own terminator comes along
    LocalUnlock(block);
    return block;
}

bool Put(bool replace, std::string_view rest, std::string* error) {
    std::string_view word;
    if (!NextWord(&rest, &word) || word.empty()) {
        *error = "clipboard: set and add need FORMAT TEXT";
        return false;
    }
    UINT format = ParseFormat(word);
    if (!rest.empty()) rest.remove_prefix(1); // the space after FORMAT
    std::string bytes;
    WCHAR name[2];
    bool unregistered = format >= ClipboardRegisteredFirst && GetClipboardFormatNameW(format, name, 2) == 0;
    if (format == 0 || unregistered) *error = "clipboard: unknown format " + std::string(word);
    // Text wholly in double quotes takes escapes; any other text is taken as written (RTF is full of
    // backslashes).
    bool quoted = rest.size() >= 2 && rest.front() == '"' && rest.back() == '"';
    if (!quoted) bytes = rest;
    if (format == 0 || unregistered || (quoted && !Unescape(rest.substr(1, rest.size() - 2), &bytes, error)))
        return false;
    HLOCAL block = MakeBlock(format, bytes);
    if (block == nullptr || !OpenClipboard(nullptr)) {
        LocalFree(block);
        *error = block ? "clipboard: it is open elsewhere" : "clipboard: out of memory";
        return false;
    }
    if (replace) EmptyClipboard();
    bool set = SetClipboardData(format, block) != nullptr;
    CloseClipboard();
    if (!set) {
        LocalFree(block);
        *error = "clipboard: format " + std::string(word) + " cannot be set";
    }
    return set;
}

std::string FormatLabel(UINT format) {
    if (format == CF_UNICODETEXT) return "CF_UNICODETEXT";
    if (format == CF_TEXT) return "CF_TEXT";
    WCHAR name[256];
    if (GetClipboardFormatNameW(format, name, 256) > 0) return PlatformUtf16ToUtf8(name);
    return std::to_string(format);
}

// The block's text up to its terminator, as UTF-8 with CR LF shown as LF.
std::string BlockText(UINT format, const uint8_t* data, size_t size) {
    std::string text;
    if (format == CF_UNICODETEXT) {
        std::u16string wide;
        for (size_t i = 0; i + 1 < size; i += 2) {
            WCHAR unit = WCHAR(data[i] | (data[i + 1] << 8));
            if (unit == 0) break;
            wide += unit;
        }
        text = PlatformUtf16ToUtf8(wide);
    } else {
        const void* end = std::memchr(data, 0, size);
        size_t n = end ? size_t(static_cast<const uint8_t*>(end) - data) : size;
        text = PlatformUtf16ToUtf8(PlatformUtf8ToUtf16(std::string(reinterpret_cast<const char*>(data), n)));
    }
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) shown += text[i];
    return shown + "\n";
}

std::string BlockHex(const uint8_t* data, size_t size) {
    std::string out;
    char pair[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", data[i]);
        out += pair;
        out += (i + 1) % HexBytesPerLine == 0 || i + 1 == size ? '\n' : ' ';
    }
    return out;
}

bool Print(bool hex, std::string* output, std::string* error) {
    if (!OpenClipboard(nullptr)) {
        *error = "clipboard: it is open elsewhere";
        return false;
    }
    std::string out;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        HANDLE block = GetClipboardData(format);
        const auto* data = static_cast<const uint8_t*>(block ? LocalLock(block) : nullptr);
        size_t size = data ? LocalSize(block) : 0;
        out += FormatLabel(format) + "\n";
        if (hex)
            out += BlockHex(data, size);
        else
            out += BlockText(format, data, size);
        if (data) LocalUnlock(block);
    }
    CloseClipboard();
    *output += out.empty() ? std::string("(empty)\n") : out;
    return true;
}

// An unquoted TEXT on a script line ends at a ';' outside braces: every ';' of an RTF document is
// inside its outer braces. A backslash takes the character after it along (RTF's \{ and \}).
size_t UnquotedTextLength(std::string_view text) {
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '{')
            ++depth;
        else if (text[i] == '}' && depth > 0)
            --depth;
        else if (text[i] == ';' && depth == 0)
            return i;
    }
    return text.size();
}

} // namespace

bool ClipboardScriptLine(std::string_view line, std::string* output, std::string* error) {
    std::string_view rest = line, verb;
    NextWord(&rest, &verb);
    if (verb.empty() || verb == "hex") {
        SkipSpaces(&rest);
        if (rest.empty()) return Print(verb == "hex", output, error);
    } else if (verb == "set" || verb == "add") {
        return Put(verb == "set", rest, error);
    } else if (verb == "empty") {
        SkipSpaces(&rest);
        if (rest.empty() && OpenClipboard(nullptr)) return EmptyClipboard() && CloseClipboard();
    }
    *error = "clipboard: expected nothing, hex, set FORMAT TEXT, add FORMAT TEXT or empty";
    return false;
}

size_t ClipboardScriptLength(std::string_view rest) {
    std::string_view s = rest, verb, format;
    NextWord(&s, &verb);
    size_t semicolon = std::min(rest.find(';'), rest.size());
    if (verb.find(';') != std::string_view::npos || (verb != "set" && verb != "add")) return semicolon;
    if (!NextWord(&s, &format) ||
        (!format.empty() && format.front() != '"' && format.find(';') != std::string_view::npos))
        return semicolon;
    if (!s.empty()) s.remove_prefix(1); // the space after FORMAT
    size_t at = rest.size() - s.size();
    if (s.empty() || s.front() != '"') return at + UnquotedTextLength(s);
    // TEXT in double quotes ends at its closing quote (a backslash keeps the character after it).
    size_t close = 1;
    while (close < s.size() && s[close] != '"')
        close += s[close] == '\\' ? 2 : 1;
    if (close >= s.size()) return rest.size();
    size_t end = at + close + 1;
    size_t next = rest.find_first_not_of(" \t\r", end);
    return next == std::string_view::npos || rest[next] == ';' ? end : at + UnquotedTextLength(s);
}

bool ClipboardScriptCommand(const std::vector<std::string>& args, std::string* output, std::string* error) {
    std::string line;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i > 0) line += ' ';
        // A name the driver unquoted but kept whole goes back in quotes.
        bool bareName = i == 1 && args[i].find(' ') != std::string::npos && args[i][0] != '"';
        line += bareName ? '"' + args[i] + '"' : args[i];
    }
    return ClipboardScriptLine(line, output, error);
}
