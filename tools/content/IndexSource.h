// IndexSource.h: the authoring format of the section index (docs/CONTENT.md), both ways.
// One line per record, indented two spaces per level below the first:
//     heading [options] : TEXT      lesson N [options] : TEXT      label [options] : TEXT
// CompileIndexSource writes the SectionIndex stream (records, then five zero bytes);
// WriteIndexSource turns a stream back into source that compiles to the same bytes.
#pragma once

#include "content/ArticleSource.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Lessons an index entry may lead to: the odd article numbers.
constexpr unsigned FirstLessonNumber = 1;
constexpr unsigned LastLessonNumber = 249;
constexpr unsigned IndexSpacesPerLevel = 2;
constexpr unsigned IndexMaxLevel = 255; // a record's Level is one byte
constexpr uint8_t IndexDefaultStyle = 0x01;
// A heading's number is this plus its place among the headings (1, 2, ...): beyond every article
// number, so that no heading shares its number with an entry. The tree takes a row whose number is
// its heading's for a row of that heading, so an entry under a heading of its own number would stay
// shown when the heading closes.
constexpr unsigned IndexHeadingNumberBase = 256;

// Replaces *stream with the compiled index. False on the first error.
bool CompileIndexSource(const std::string& source, const std::string& fileName, std::vector<uint8_t>* stream,
                        SourceError* error);
struct IndexWriteNotes {
    bool InexactEnd; // the stream does not end in exactly five zero bytes after its records
    unsigned Records;
    // A last record with no 0 byte after its text (or not even a whole header): written as a
    // comment with what it holds, since compiling it would complete it.
    bool CutShort;
    unsigned CutOffset;
};
// Appends the source for stream[0, length) to *out; WriteRecordComments adds each record's bytes.
void WriteIndexSource(const uint8_t* stream, size_t length, unsigned flags, std::string* out,
                      IndexWriteNotes* notes);
