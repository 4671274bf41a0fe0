// ExportTestSupport.h: what the export tests share: texts built from records (padded as UnCompress
// pads them), the built-in texts, the letter base and Reverse set around a test, and one malloc
// made to fail (malloc is wrapped for the whole test program).
#pragma once

#include "export/ClipboardExport.h"
#include "shell/ReaderState.h"
#include "store/ArticleStore.h"
#include "store/ArticleText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// The next malloc of the program returns null when set (and clears it).
extern bool FailNextMalloc;

struct ExportTestRecord {
    uint8_t Style;
    uint8_t Param;
    std::string String; // letter code
};

using TextBytes = std::vector<uint8_t>;

inline TextBytes MakeText(const std::vector<ExportTestRecord>& records) {
    TextBytes bytes;
    for (const ExportTestRecord& r : records) {
        bytes.push_back(r.Style);
        bytes.push_back(r.Param);
        bytes.insert(bytes.end(), r.String.begin(), r.String.end());
        bytes.push_back(0);
    }
    bytes.insert(bytes.end(), ArticleTextPadding, 0);
    return bytes;
}

// A built-in text, decoded (empty when the program has none of that number).
inline TextBytes BuiltInText(int n) {
    uint8_t* text = LoadArticleText(n);
    if (!text) return {};
    size_t length = 0;
    while (text[length] != 0)
        length += 2 + std::strlen(reinterpret_cast<const char*>(text + length + 2)) + 1;
    TextBytes bytes(text, text + length + ArticleTextPadding);
    std::free(text);
    return bytes;
}

inline void SetDisplay(int base, bool reverse) {
    ReaderState.FontSpec.FontAsciiBase = base;
    ReaderState.Flags = reverse ? (DefaultFlags | FlagReverse) : (DefaultFlags & ~FlagReverse);
}

// The wide text of a text as a string (fails the test when the conversion fails).
inline std::u16string WideOf(const TextBytes& text) {
    int length = 0;
    WCHAR* wide = ArticleWideText(text.data(), &length);
    EXPECT_NE(wide, nullptr);
    if (!wide) return {};
    std::u16string s(wide, size_t(length));
    std::free(wide);
    return s;
}

// The RTF body of a wide text as a string.
inline std::string BodyOf(const std::u16string& wide) {
    size_t length = 0;
    char* body = RtfBody(wide.c_str(), &length);
    EXPECT_NE(body, nullptr);
    if (!body) return {};
    std::string s(body, length);
    std::free(body);
    return s;
}

// The document a Copy (old empty) or an Append places, through the block size and the writer.
inline std::string DocumentOf(const std::string& old, const std::string& body) {
    const size_t size = RtfBlockSize(old.data(), old.size(), body.size());
    std::vector<char> block(size + 1, '#'); // one guard byte
    const size_t length = WriteRtfDocument(block.data(), old.data(), old.size(), body.data(), body.size());
    EXPECT_LT(length, size);
    EXPECT_EQ(block[length], 0);
    EXPECT_EQ(block[size], '#');
    return std::string(block.data(), length);
}
