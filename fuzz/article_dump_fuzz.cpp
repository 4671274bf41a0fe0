// article_dump_fuzz.cpp: the dump writer on any plain text. Every well-formed text (records
// ended by a Style of 0, nothing after it, a first record the layout accepts) must compile back
// from its dump to the same bytes; anything else must still be written without a fault.
#include "content/ArticleSource.h"
#include "store/ArticleText.h"
#include "store/Compressor.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string written;
    ArticleWriteNotes notes;
    WriteArticleSource(data, size, 0, &written, &notes);
    if (notes.MissingEnd || notes.TrailingBytes || size > MaxPlainLength || !IsValidArticleText(data, size))
        return 0;
    std::vector<uint8_t> again;
    SourceError error;
    if (!CompileArticleSource(written, "dump", &again, &error)) std::abort();
    if (again != std::vector<uint8_t>(data, data + size)) std::abort();
    return 0;
}
