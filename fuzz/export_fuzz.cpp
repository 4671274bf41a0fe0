// export_fuzz.cpp: the clipboard export over arbitrary article bytes (padded as UnCompress pads its
// output) and an arbitrary document already on the clipboard: the wide text within its estimate,
// the RTF body within its size pass, and the appended document within its block. The first byte
// chooses the letter base and Reverse, the next two the length of the old document that follows;
// the rest is the article.
#include "export/ClipboardExport.h"
#include "shell/ReaderState.h"
#include "store/ArticleStore.h"
#include "store/ArticleText.h"
#include "text/TextPane.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const size_t oldLength = std::min(size_t(data[1]) << 8 | data[2], size - 3);
    const uint8_t* article = data + 3 + oldLength;
    const size_t articleLength = size - 3 - oldLength;
    if (articleLength > size_t(MaxTextOffset)) return 0;
    static bool quiet = (PlatformSetMessageBoxEcho(FALSE), true);
    (void)quiet;
    ResetReaderState();
    const int bases[] = {AsciiBaseCodePage, AsciiBaseUnicode, AsciiBaseLatin};
    ReaderState.FontSpec.FontAsciiBase = bases[data[0] % 3];
    ReaderState.Flags = (data[0] & 0x80) ? FlagReverse : 0;

    std::vector<uint8_t> text(article, article + articleLength);
    text.insert(text.end(), ArticleTextPadding, 0);
    const size_t estimate = EstimateWideText(text.data());
    std::vector<WCHAR> wide(estimate + 1, 0xBEEF);
    const int n = ArticleToWideText(text.data(), wide.data(), estimate);
    if (n < 0 || size_t(n) >= estimate || wide[size_t(n)] != 0 || wide[estimate] != 0xBEEF) std::abort();
    if (ReaderState.Flags != ((data[0] & 0x80) ? FlagReverse : 0)) std::abort();

    const size_t bound = WriteRtfBody(wide.data(), nullptr);
    std::vector<char> body(bound + 2, '#');
    const size_t bodyLength = WriteRtfBody(wide.data(), body.data());
    if (bodyLength + 1 > bound || body[bodyLength] != 0 || body[bound + 1] != '#') std::abort();

    const char* old = reinterpret_cast<const char*>(data + 3);
    const size_t blockSize = RtfBlockSize(old, oldLength, bodyLength);
    std::vector<char> block(blockSize + 1, '#');
    const size_t length = WriteRtfDocument(block.data(), old, oldLength, body.data(), bodyLength);
    if (length >= blockSize || block[length] != 0 || block[blockSize] != '#') std::abort();
    return 0;
}
