// ContentStats.h: sizes, compression ratios and construct totals over decoded texts, for the
// dump tool's --stats and for the corpus tests (every construct of the text model must appear).
// The caller owns the record and the buffers; nothing here allocates besides the report string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ContentStats {
    unsigned Texts, Indexes;
    size_t PlainBytes, ResourceBytes;
    size_t SmallestText, LargestText;
    unsigned TextsAbove50K;
    // Article constructs, counted per record.
    unsigned Records, Headings, SubHeadings, // articles with a heading, with a sub-heading
        Rules, RulesInPixels, RulesInPercent, RulesWiderThanPane, RulesEmpty, Reversed, LeftToRight,
        AlignRight, AlignCentre, AlignLeft, Small, Large, Bold, ParagraphEnds, Indented, Hang[4],
        Continuations, Hyphens, FinalLetters, Braces;
    // Index constructs.
    unsigned IndexRecords, IndexHeadings, IndexLessons, IndexOpen, IndexShown, IndexMaxLevel;
    std::string Rows; // one line per text added: name, plain and resource bytes, ratio
};

// Adds one decoded text (index = false) or section index stream (index = true), named in its row.
void AddContentStats(ContentStats* s, const std::string& name, const uint8_t* plain, size_t plainLength,
                     size_t resourceSize, bool index);
// A table: one line per text added, then the totals.
void WriteContentStats(const ContentStats& s, std::string* out);
