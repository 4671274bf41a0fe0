// ContentStats.cpp: the totals behind kestrova-dump --stats.
#include "content/ContentStats.h"

#include "store/ArticleText.h"
#include "store/Compressor.h"
#include "store/SectionIndexFormat.h"

#include <cstdarg>
#include <cstdio>

namespace {

constexpr size_t LargeTextBytes = 50000;
constexpr uint8_t FinalLetterCodes[] = {0x6B, 0x6E, 0x70, 0x74, 0x76}; // final kaf, mem, nun, pe, tsadi

void CountRecord(ContentStats* s, const uint8_t* plain, const TextRecord& r) {
    ++s->Records;
    if (r.Style & StyleParagraphEnd) ++s->ParagraphEnds;
    uint8_t align = r.Style & StyleAlignMask;
    if (align == StyleAlignRight)
        ++s->AlignRight;
    else if (align == StyleAlignCentre)
        ++s->AlignCentre;
    else
        ++s->AlignLeft;
    if (IsSeparatorStyle(r.Style)) {
        ++s->Rules;
        if (r.Param == 0)
            ++s->RulesEmpty;
        else if (r.Param <= RuleMaxPixelParam)
            ++s->RulesInPixels;
        else
            ++s->RulesInPercent;
        if (r.Param > RuleMaxPixelParam + 50) ++s->RulesWiderThanPane;
        return;
    }
    if (r.Style & StyleReversed)
        ++s->Reversed;
    else
        ++s->LeftToRight;
    if (r.Style & StyleSmall) ++s->Small;
    if (r.Style & StyleLarge) ++s->Large;
    if (r.Style & StyleBold) ++s->Bold;
    if (IndentOf(r.Param)) ++s->Indented;
    ++s->Hang[HangClassOf(r.Param)];
    const uint8_t* text = plain + r.StringOffset;
    if (HangClassOf(r.Param) && r.StringLength && text[0] == WordSpace) ++s->Continuations;
    for (uint32_t i = 0; i < r.StringLength; ++i) {
        if (text[i] == WordHyphen) ++s->Hyphens;
        if (text[i] == LetterCodeBrace) ++s->Braces;
        for (uint8_t f : FinalLetterCodes)
            if (text[i] == f) ++s->FinalLetters;
    }
}

void CountIndex(ContentStats* s, const uint8_t* stream, size_t length) {
    ++s->Indexes;
    SectionCursor cursor = BeginSectionRecords(stream, length);
    SectionRecord r;
    while (NextSectionRecord(&cursor, &r)) {
        ++s->IndexRecords;
        if (r.Id & SectionIdHeading) ++s->IndexHeadings;
        if (r.Id & SectionIdSelectable) ++s->IndexLessons;
        if (r.Attributes & SectionOpen) ++s->IndexOpen;
        if (r.Attributes & SectionShown) ++s->IndexShown;
        if (r.Level > s->IndexMaxLevel) s->IndexMaxLevel = r.Level;
    }
}

void Line(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Line(std::string* out, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out->append(text);
}

} // namespace

void AddContentStats(ContentStats* s, const std::string& name, const uint8_t* plain, size_t plainLength,
                     size_t resourceSize, bool index) {
    s->PlainBytes += plainLength;
    s->ResourceBytes += resourceSize;
    Line(&s->Rows, "%-24s %6zu plain %6zu resource %5.1f%%\n", name.c_str(), plainLength, resourceSize,
         plainLength ? 100.0 * double(resourceSize) / double(plainLength) : 0.0);
    if (index) {
        CountIndex(s, plain, plainLength);
        return;
    }
    ++s->Texts;
    if (s->SmallestText == 0 || plainLength < s->SmallestText) s->SmallestText = plainLength;
    if (plainLength > s->LargestText) s->LargestText = plainLength;
    if (plainLength > LargeTextBytes) ++s->TextsAbove50K;
    ArticleHeadings headings = FindArticleHeadings(plain, plainLength);
    s->Headings += headings.HasHeading;
    s->SubHeadings += headings.HasSubHeading;
    RecordCursor cursor = BeginRecords(plain, plainLength);
    TextRecord r;
    while (NextTextRecord(&cursor, &r))
        CountRecord(s, plain, r);
}

void WriteContentStats(const ContentStats& s, std::string* out) {
    out->append(s.Rows);
    double ratio = s.PlainBytes ? 100.0 * double(s.ResourceBytes) / double(s.PlainBytes) : 0;
    Line(out, "texts %u, section indexes %u\n", s.Texts, s.Indexes);
    Line(out, "plain %zu bytes, resources %zu bytes (%.1f%% of plain)\n", s.PlainBytes, s.ResourceBytes,
         ratio);
    if (s.Texts)
        Line(out, "texts from %zu to %zu bytes (limit %zu), %u above 50,000\n", s.SmallestText, s.LargestText,
             MaxPlainLength, s.TextsAbove50K);
    if (s.Texts) {
        Line(out,
             "records %u: headings %u, sub-headings %u, rules %u (pixels %u, percent %u, wider than the "
             "pane %u, empty %u)\n",
             s.Records, s.Headings, s.SubHeadings, s.Rules, s.RulesInPixels, s.RulesInPercent,
             s.RulesWiderThanPane, s.RulesEmpty);
        Line(out, "text records: reversed %u, left-to-right %u; small %u, large %u, bold %u; indented %u\n",
             s.Reversed, s.LeftToRight, s.Small, s.Large, s.Bold, s.Indented);
        Line(out, "alignment: right %u, centre %u, left %u; paragraph ends %u\n", s.AlignRight, s.AlignCentre,
             s.AlignLeft, s.ParagraphEnds);
        Line(out, "hang classes: 0 %u, 1 %u, 2 %u, 3 %u; continuation records %u\n", s.Hang[0], s.Hang[1],
             s.Hang[2], s.Hang[3], s.Continuations);
        Line(out, "letters: final forms %u, hyphens %u, braces %u\n", s.FinalLetters, s.Hyphens, s.Braces);
    }
    if (s.Indexes)
        Line(out, "index records %u: headings %u, lessons %u, open %u, shown %u, deepest level %u\n",
             s.IndexRecords, s.IndexHeadings, s.IndexLessons, s.IndexOpen, s.IndexShown, s.IndexMaxLevel);
}
