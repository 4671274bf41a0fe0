// ClipboardFormats.cpp: the format <-> target table and the byte conversions behind it. Pure
// functions over values; nothing here talks to a display.
#include "platform/backend/sdl/ClipboardFormats.h"

#include "platform/Win32Text.h"
#include "platform/base/Utf.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

static bool IsRtfName(const WCHAR* name) {
    return name != nullptr && wcsicmp16(name, ClipboardRtfName) == 0;
}

// The block's text up to its first zero unit, its CR LF line ends as the LF of other programs'
// text; the block may sit at any address.
static std::string TextAsUtf8(const void* block, size_t size) {
    std::u16string text(size / sizeof(char16_t), u'\0');
    if (!text.empty()) memcpy(text.data(), block, text.size() * sizeof(char16_t));
    size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    std::u16string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) lines.push_back(text[i]);
    return PlatformUtf16ToUtf8(lines);
}

// Other programs end lines with LF; CF_UNICODETEXT ends them with CR LF.
static std::u16string WithCrLf(const std::u16string& text) {
    std::u16string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) lines.push_back(u'\r');
        lines.push_back(text[i]);
    }
    return lines;
}

std::string ClipboardLatin1FromUtf8(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        size_t length;
        if (!Utf8DecodeOne(p + i, utf8.size() - i, &cp, &length)) {
            cp = U'?';
            length = 1;
        }
        out.push_back(cp <= 0xFF ? char(cp) : '?');
        i += length;
    }
    return out;
}

void ClipboardOffersFor(UINT format, const WCHAR* name, const void* block, size_t size,
                        std::vector<ClipboardOffer>* offers) {
    if (block == nullptr && size != 0) return;
    if (format == ClipboardUnicodeText) {
        std::string utf8 = TextAsUtf8(block, size);
        offers->push_back({"UTF8_STRING", utf8});
        offers->push_back({"text/plain;charset=utf-8", utf8});
        offers->push_back({"TEXT", utf8});
        offers->push_back({"STRING", ClipboardLatin1FromUtf8(utf8)});
        return;
    }
    if (name == nullptr || name[0] == 0) return;
    std::string bytes(static_cast<const char*>(block), size);
    if (IsRtfName(name)) {
        // RTF is a zero-terminated string: a block is often larger than its text, and the bytes past
        // the zero are whatever the allocation held, never part of the document.
        size_t end = bytes.find('\0');
        if (end != std::string::npos) bytes.resize(end);
        offers->push_back({"text/rtf", bytes});
        offers->push_back({"text/richtext", bytes});
        offers->push_back({"Rich Text Format", bytes});
        return;
    }
    offers->push_back({PlatformUtf16ToUtf8(std::u16string(name, wcslen16(name))), bytes});
}

std::vector<std::string> ClipboardTargetsToRead(UINT format, const WCHAR* name) {
    if (format == ClipboardUnicodeText) return {"UTF8_STRING", "text/plain;charset=utf-8", "STRING"};
    if (name == nullptr || name[0] == 0) return {};
    if (IsRtfName(name)) return {"text/rtf", "Rich Text Format", "text/richtext"};
    return {PlatformUtf16ToUtf8(std::u16string(name, wcslen16(name)))};
}

bool ClipboardTypeFits(UINT format, const WCHAR* name, const std::string& type) {
    if (format == ClipboardUnicodeText) {
        std::string lower;
        for (char c : type)
            lower.push_back(c >= 'A' && c <= 'Z' ? char(c + 32) : c);
        return type == "UTF8_STRING" || type == "STRING" || type == "TEXT" || lower == "text/plain" ||
               lower == "text/plain;charset=utf-8";
    }
    for (const std::string& target : ClipboardTargetsToRead(format, name))
        if (target == type) return true;
    return false;
}

void* ClipboardBlockFromTarget(UINT format, const std::string& type, const std::string& bytes, size_t* size) {
    if (format == ClipboardUnicodeText) {
        std::u16string text;
        if (type == "STRING") {
            for (char c : bytes)
                text.push_back(char16_t(uint8_t(c)));
        } else {
            text = PlatformUtf8ToUtf16(bytes);
        }
        // Programs that end their text with a zero byte: Win32 text ends at its first zero.
        size_t end = text.find(u'\0');
        if (end != std::u16string::npos) text.resize(end);
        text = WithCrLf(text);
        auto* block = static_cast<char16_t*>(malloc((text.size() + 1) * sizeof(char16_t)));
        if (block == nullptr) return nullptr;
        memcpy(block, text.data(), text.size() * sizeof(char16_t));
        block[text.size()] = 0;
        *size = text.size() * sizeof(char16_t);
        return block;
    }
    auto* block = static_cast<char*>(malloc(bytes.size() + 1));
    if (block == nullptr) return nullptr;
    memcpy(block, bytes.data(), bytes.size());
    block[bytes.size()] = 0;
    *size = bytes.size();
    return block;
}
