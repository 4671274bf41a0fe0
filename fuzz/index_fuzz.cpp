// index_fuzz.cpp: the section index stream walk and its writer on any bytes, and the index
// authoring-format parser on the same bytes read as a source. A well-formed stream (records, then
// exactly five zero bytes, a first record with text) must compile back from its dump unchanged;
// a source that compiles must survive write and compile unchanged.
#include "content/IndexSource.h"
#include "store/SectionIndexFormat.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool FirstRecordHasText(const uint8_t* data, size_t size) {
    SectionCursor cursor = BeginSectionRecords(data, size);
    SectionRecord r;
    return NextSectionRecord(&cursor, &r) && r.TextLength > 0;
}

void CheckStream(const uint8_t* data, size_t size) {
    std::string written;
    IndexWriteNotes notes;
    WriteIndexSource(data, size, WriteRecordComments, &written, &notes);
    if (notes.InexactEnd || size > MaxSectionIndexLength || !FirstRecordHasText(data, size)) return;
    std::vector<uint8_t> again;
    SourceError error;
    if (!CompileIndexSource(written, "dump", &again, &error)) std::abort();
    if (again != std::vector<uint8_t>(data, data + size)) std::abort();
}

void CheckSource(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream, again;
    SourceError error;
    if (!CompileIndexSource(std::string(reinterpret_cast<const char*>(data), size), "fuzz", &stream, &error))
        return;
    std::string written;
    IndexWriteNotes notes;
    WriteIndexSource(stream.data(), stream.size(), 0, &written, &notes);
    if (notes.InexactEnd || !CompileIndexSource(written, "again", &again, &error) || again != stream)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckStream(data, size);
    CheckSource(data, size);
    return 0;
}
