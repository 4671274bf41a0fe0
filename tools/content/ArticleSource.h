// ArticleSource.h: the authoring format of one article text (docs/CONTENT.md), both ways.
// CompileArticleSource turns a source file's contents into the plain ArticleText bytes (records,
// then the ending Style byte); WriteArticleSource turns plain bytes back into source text that
// compiles to the same bytes. The callers own every string and vector passed in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where and why a source was rejected; Line is 1-based, 0 when the whole file is meant.
struct SourceError {
    std::string File;
    int Line;
    std::string Message;
};
// "file:line: message", or "file: message" for Line 0.
std::string FormatSourceError(const SourceError& error);

// The default paragraph: right-aligned, reversed storage, paragraph end, font key 0x01.
constexpr uint8_t StyleDefaultParagraph = 0xB1;
// The default rule: centred, with a paragraph end.
constexpr uint8_t StyleDefaultRule = 0xC7;
// Longest body line the writer makes before it wraps at a space.
constexpr size_t SourceWrapColumn = 100;

// Replaces *plain with the compiled text. False (and *plain unspecified) on the first error.
bool CompileArticleSource(const std::string& source, const std::string& fileName, std::vector<uint8_t>* plain,
                          SourceError* error);

enum ArticleWriteFlags {
    WriteRecordComments = 1, // a comment with offset, Style and Param before every record
};
// What WriteArticleSource could not carry over into the source.
struct ArticleWriteNotes {
    bool MissingEnd;      // the text ends without its ending Style byte (the compiler adds one)
    size_t TrailingBytes; // bytes after the ending Style byte (not written)
    unsigned Records;
};
// Appends the source for plain[0, length) to *out.
void WriteArticleSource(const uint8_t* plain, size_t length, unsigned flags, std::string* out,
                        ArticleWriteNotes* notes);
