// content_source_fuzz.cpp: the article authoring-format parser on any input. A source that
// compiles must survive the writer: write it back, compile again, get the same bytes.
#include "content/ArticleSource.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string source(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> plain, again;
    SourceError error;
    if (!CompileArticleSource(source, "fuzz", &plain, &error)) return 0;
    std::string written;
    ArticleWriteNotes notes;
    WriteArticleSource(plain.data(), plain.size(), WriteRecordComments, &written, &notes);
    if (!CompileArticleSource(written, "again", &again, &error) || again != plain) std::abort();
    return 0;
}
