// search_fuzz.cpp: FindInText over arbitrary article bytes and patterns, padded as UnCompress pads
// its output, checked against the plain matcher of the tests run record by record; and the search
// text's encoding over the same bytes read as UTF-16. Input: one byte for the pattern's length (up
// to 33), two for the start offset (big-endian), the pattern, then the text.
#include "../tests/search/ReferenceMatch.h"
#include "search/SearchEngine.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// FindInText's rules with the plain matcher: the record holding the start from there down, the
// later records whole, the earlier ones not at all.
ReferenceHit ReferenceFind(const std::string& text, const std::string& pattern, long start) {
    long pos = 0;
    while (text[size_t(pos)] != 0) {
        const long stringStart = pos + 2;
        const long end = long(text.find('\0', size_t(stringStart)));
        pos = end + 1;
        if (start > end || end == stringStart) continue;
        const long from = start >= stringStart ? start : end - 1;
        ReferenceHit hit = ReferenceMatchBackward(text, stringStart, pattern, from);
        if (hit.Found) return hit;
    }
    return ReferenceHit{};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const size_t patternLength = std::min(size_t(data[0] % SearchStringCapacity), size - 3);
    const unsigned start = unsigned(data[1]) << 8 | data[2];
    const size_t textLength = size - 3 - patternLength;
    if (textLength > size_t(MaxTextOffset)) return 0;
    std::string pattern(reinterpret_cast<const char*>(data + 3), patternLength);
    pattern.resize(std::strlen(pattern.c_str())); // a zero byte ends the pattern
    std::string text(reinterpret_cast<const char*>(data + 3 + patternLength), textLength);
    text.append(ArticleTextPadding, '\0');

    int length = -1;
    const uint16_t end = FindInText(reinterpret_cast<const uint8_t*>(text.data()),
                                    reinterpret_cast<const uint8_t*>(pattern.c_str()), start, &length);
    const ReferenceHit expected =
        pattern.empty() ? ReferenceHit{} : ReferenceFind(text, pattern, long(start));
    if ((end != 0) != expected.Found) std::abort();
    if (end != 0 && (end != expected.End || length != expected.Length)) std::abort();
    if (end != 0 && (size_t(end) >= textLength || length < 1 || length > end)) std::abort();

    std::u16string typed(textLength / 2, u'\0');
    std::memcpy(typed.data(), text.data(), typed.size() * 2);
    char encoded[SearchStringCapacity];
    const int n = EncodeSearchBytes(typed.c_str(), AsciiBaseUnicode, encoded);
    if (n < 0 || n > SearchPatternMax || encoded[n] != 0 || int(std::strlen(encoded)) != n) std::abort();
    return 0;
}
