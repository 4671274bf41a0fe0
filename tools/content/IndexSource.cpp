// IndexSource.cpp: the section index authoring format: parser and writer. The shown bit a record
// gets when the source says nothing follows its parent (shown when the parent is shown and open),
// and a heading's number defaults to IndexHeadingNumberBase plus its place among the headings; the
// writer leaves out what those defaults give, so a dump reads like what a person would write.
#include "content/IndexSource.h"

#include "content/SourceText.h"
#include "store/DisplayOrder.h"
#include "store/SectionIndexFormat.h"

#include <cstdio>

namespace {

struct StyleWord {
    const char* Word;
    uint8_t Bits;
};
const StyleWord IndexStyleWords[] = {{"plain", 0x01}, {"small", 0x02}, {"large", 0x04}, {"bold", 0x08}};
constexpr uint8_t IndexStyleWordBits = 0x0F;

// What the records before this one say about its defaults.
struct IndexContext {
    std::vector<std::pair<uint8_t, uint8_t>> Levels; // (Level, Attributes) of the records so far
    unsigned Headings;
};

unsigned DefaultHeadingNumber(const IndexContext& c) {
    return (IndexHeadingNumberBase + c.Headings + 1) & SectionIdNumberMask;
}

bool DefaultShown(const IndexContext& c, uint8_t level) {
    for (size_t i = c.Levels.size(); i > 0; --i) {
        if (c.Levels[i - 1].first < level) {
            uint8_t a = c.Levels[i - 1].second;
            return (a & SectionShown) && (a & SectionOpen);
        }
    }
    return true;
}

struct IndexLine {
    uint16_t Id;
    uint8_t Attributes;
    uint8_t Level;
    std::vector<uint8_t> Text; // reading order
};

bool ParseIndexOptions(const std::vector<std::string>& words, size_t first, const IndexContext& c,
                       IndexLine* r, bool heading, std::string* message) {
    int open = 0, shown = -1, style = -1, attr = -1, level = -1, number = -1, id = -1;
    unsigned v;
    for (size_t i = first; i < words.size(); ++i) {
        const std::string& w = words[i];
        size_t eq = w.find('=');
        std::string name = w.substr(0, eq), value = eq == std::string::npos ? "" : w.substr(eq + 1);
        bool known = true;
        if (w == "open" || w == "closed") {
            open = w == "open";
        } else if (w == "shown" || w == "hidden") {
            shown = w == "shown";
        } else if (name == "style" && ParseSourceNumber(value, SectionStyleMask, &v)) {
            style = int(v);
        } else if (name == "attr" && ParseSourceNumber(value, 255, &v)) {
            attr = int(v);
        } else if (name == "level" && ParseSourceNumber(value, 255, &v)) {
            level = int(v);
        } else if (name == "number" && ParseSourceNumber(value, SectionIdNumberMask, &v)) {
            number = int(v);
        } else if (name == "id" && ParseSourceNumber(value, 0xFFFF, &v)) {
            id = int(v);
        } else {
            known = false;
            for (const StyleWord& s : IndexStyleWords)
                if (w == s.Word) style = (style < 0 ? 0 : style) | s.Bits, known = true;
        }
        if (!known) {
            *message = "unknown option '" + w + "'";
            return false;
        }
    }
    if (level >= 0) r->Level = uint8_t(level);
    if (number >= 0)
        r->Id = uint16_t((r->Id & ~SectionIdNumberMask) | number);
    else if (heading)
        r->Id = uint16_t(r->Id | DefaultHeadingNumber(c));
    if (id >= 0) r->Id = uint16_t(id);
    bool isShown = shown >= 0 ? shown == 1 : DefaultShown(c, r->Level);
    r->Attributes = uint8_t((isShown ? SectionShown : 0) | (open ? SectionOpen : 0) |
                            (style < 0 ? IndexDefaultStyle : style));
    if (attr >= 0) r->Attributes = uint8_t(attr);
    if (r->Attributes == 0) {
        *message = "Attributes 0 would end the index here";
        return false;
    }
    return true;
}

// One source line to a record. Level from the indentation, kind and options before the ':'.
bool ParseIndexLine(const std::string& line, const IndexContext& c, IndexLine* r, std::string* message) {
    size_t spaces = 0;
    while (spaces < line.size() && line[spaces] == ' ')
        ++spaces;
    if (spaces < line.size() && line[spaces] == '\t') {
        *message = "indent with spaces, two for each level";
        return false;
    }
    if (spaces % IndexSpacesPerLevel != 0) {
        *message = "an odd indentation: two spaces for each level";
        return false;
    }
    // A record's Level is one byte: deeper indentation would wrap round to the top.
    if (spaces / IndexSpacesPerLevel + 1 > IndexMaxLevel) {
        *message = "indented past level " + std::to_string(IndexMaxLevel) + " (" + std::to_string(spaces) +
                   " spaces)";
        return false;
    }
    size_t colon = line.find(':');
    if (colon == std::string::npos) {
        *message = "missing ':' before the text";
        return false;
    }
    std::vector<std::string> words = SplitSourceWords(line.substr(0, colon));
    if (words.empty()) {
        *message = "a record starts with heading, lesson or label";
        return false;
    }
    *r = IndexLine{0, 0, uint8_t(spaces / IndexSpacesPerLevel + 1), {}};
    size_t first = 1;
    bool heading = words[0] == "heading";
    if (heading) {
        r->Id = SectionIdHeading;
    } else if (words[0] == "lesson") {
        unsigned n = 0;
        bool ok = words.size() > 1 && ParseSourceNumber(words[1], 0xFFFF, &n);
        if (!ok || n < FirstLessonNumber || n > LastLessonNumber || n % 2 == 0) {
            *message = "lesson number " + (words.size() > 1 ? "'" + words[1] + "'" : std::string("(none)")) +
                       " is not an odd number from 1 to 249";
            return false;
        }
        r->Id = uint16_t(SectionIdSelectable | n);
        first = 2;
    } else if (words[0] != "label") {
        *message = "unknown record '" + words[0] + "' (heading, lesson or label)";
        return false;
    }
    if (!ParseIndexOptions(words, first, c, r, heading, message)) return false;
    std::string after = line.substr(colon + 1);
    size_t column = SourceColumnAt(line, colon + 1 + SourceLeadingBlanks(after));
    return EncodeSourceText(TrimSourceLine(after), &r->Text, message, column);
}

} // namespace

bool CompileIndexSource(const std::string& source, const std::string& fileName, std::vector<uint8_t>* stream,
                        SourceError* error) {
    stream->clear();
    IndexContext c{{}, 0};
    std::vector<uint8_t> out(MaxSectionIndexLength);
    size_t length = 0;
    size_t pos = SourceTextStart(source);
    int firstLine = 0;
    std::string text;
    for (int line = 1; NextSourceLine(source, &pos, &text); ++line) {
        std::string trimmed = TrimSourceLine(text);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        IndexLine r;
        std::string message;
        if (!CheckSourceUtf8(text, &message) || !ParseIndexLine(text, c, &r, &message)) {
            *error = SourceError{fileName, line, message};
            return false;
        }
        if (firstLine == 0 && r.Text.empty()) {
            *error = SourceError{fileName, line, "the first record needs a text"};
            return false;
        }
        if (firstLine == 0) firstLine = line;
        std::vector<uint8_t> stored(r.Text.size());
        ReverseForDisplay(r.Text.data(), r.Text.size(), stored.data());
        size_t room = MaxSectionIndexLength - SectionEndRecordSize;
        if (!WriteSectionRecord(out.data(), room, &length, r.Id, r.Attributes, r.Level, stored.data(),
                                stored.size())) {
            *error = SourceError{fileName, line, "the index passes 65,535 bytes here"};
            return false;
        }
        if ((r.Id & (SectionIdHeading | SectionIdSelectable)) == SectionIdHeading) ++c.Headings;
        c.Levels.emplace_back(r.Level, r.Attributes);
    }
    if (firstLine == 0) {
        *error = SourceError{fileName, 0, "the index has no records"};
        return false;
    }
    stream->assign(out.begin(), out.begin() + length);
    stream->insert(stream->end(), SectionEndRecordSize, 0);
    return true;
}

namespace {

void AppendWord(std::string* out, const std::string& word) {
    out->push_back(' ');
    out->append(word);
}

std::string HexWord(unsigned v, int digits) {
    char text[12];
    std::snprintf(text, sizeof text, "0x%0*X", digits, v);
    return text;
}

// The kind and number words for an Id: heading, lesson N, label; id= when none fits exactly.
void WriteIndexKind(uint16_t id, const IndexContext& c, std::string* out) {
    unsigned number = id & SectionIdNumberMask;
    unsigned kind = id & (SectionIdHeading | SectionIdSelectable);
    if (kind == SectionIdHeading) {
        out->append("heading");
        if (number != DefaultHeadingNumber(c)) AppendWord(out, "number=" + std::to_string(number));
    } else if (kind == SectionIdSelectable && number >= FirstLessonNumber && number <= LastLessonNumber &&
               number % 2 == 1) {
        out->append("lesson " + std::to_string(number));
    } else if (kind == 0) {
        out->append("label");
        if (number != 0) AppendWord(out, "number=" + std::to_string(number));
    } else {
        out->append("label id=" + HexWord(id, 4));
    }
}

void WriteIndexAttributes(uint8_t attributes, uint8_t level, const IndexContext& c, std::string* out) {
    uint8_t style = attributes & SectionStyleMask;
    if ((attributes & SectionUnusedBit) || style == 0 || (style & ~IndexStyleWordBits)) {
        AppendWord(out, "attr=" + HexWord(attributes, 2));
        return;
    }
    if (attributes & SectionOpen) AppendWord(out, "open");
    bool shown = attributes & SectionShown;
    if (shown != DefaultShown(c, level)) AppendWord(out, shown ? "shown" : "hidden");
    if (style != IndexDefaultStyle)
        for (const StyleWord& s : IndexStyleWords)
            if (style & s.Bits) AppendWord(out, s.Word);
}

// A record that the stream ends inside of: anything but zero bytes after the last whole record.
void WriteCutRecord(const uint8_t* stream, size_t length, size_t at, const IndexContext& c, std::string* out,
                    IndexWriteNotes* notes) {
    bool cut = false;
    for (size_t i = at; i < length && !cut; ++i)
        cut = stream[i] != 0;
    // Five zero bytes (or fewer) are the end record, however short; a zero Attributes ends too.
    if (!cut || (length - at >= SectionRecordHeaderSize && stream[at + 2] == 0)) return;
    notes->CutShort = true;
    notes->CutOffset = unsigned(at);
    out->append("# cut short at byte ");
    out->append(std::to_string(at));
    out->append(" (no 0 byte ends it):");
    if (length - at < SectionRecordHeaderSize) {
        out->push_back(' ');
        out->append(std::to_string(length - at));
        out->append(" bytes of a record header\n");
        return;
    }
    out->push_back(' ');
    uint16_t id = uint16_t(stream[at] | stream[at + 1] << 8);
    uint8_t level = stream[at + 3];
    WriteIndexKind(id, c, out);
    AppendWord(out, "level=" + std::to_string(level));
    WriteIndexAttributes(stream[at + 2], level, c, out);
    out->append(" :");
    size_t textLength = length - at - SectionRecordHeaderSize;
    std::vector<uint8_t> text(textLength);
    ReverseForDisplay(stream + at + SectionRecordHeaderSize, textLength, text.data());
    if (!text.empty()) out->push_back(' ');
    WriteSourceText(text.data(), text.size(), EscapeEdgeSpaces, out);
    out->push_back('\n');
}

} // namespace

void WriteIndexSource(const uint8_t* stream, size_t length, unsigned flags, std::string* out,
                      IndexWriteNotes* notes) {
    *notes = IndexWriteNotes{};
    IndexContext c{{}, 0};
    SectionCursor cursor = BeginSectionRecords(stream, length);
    SectionRecord r;
    while (NextSectionRecord(&cursor, &r)) {
        if (flags & WriteRecordComments) {
            char comment[128];
            std::snprintf(comment, sizeof comment,
                          "# record %u at %u: Id 0x%04X Attributes 0x%02X Level %u\n", notes->Records + 1,
                          r.Offset, r.Id, r.Attributes, r.Level);
            out->append(comment);
        }
        bool indented = r.Level >= 1 && r.Level <= 40;
        if (indented) out->append(size_t(r.Level - 1) * IndexSpacesPerLevel, ' ');
        WriteIndexKind(r.Id, c, out);
        if (!indented) AppendWord(out, "level=" + std::to_string(r.Level));
        WriteIndexAttributes(r.Attributes, r.Level, c, out);
        out->append(" :");
        std::vector<uint8_t> text(r.TextLength);
        ReverseForDisplay(stream + r.TextOffset, r.TextLength, text.data());
        if (!text.empty()) out->push_back(' ');
        WriteSourceText(text.data(), text.size(), EscapeEdgeSpaces, out);
        out->push_back('\n');
        if ((r.Id & (SectionIdHeading | SectionIdSelectable)) == SectionIdHeading) ++c.Headings;
        c.Levels.emplace_back(r.Level, r.Attributes);
        ++notes->Records;
    }
    size_t end = cursor.Pos;
    WriteCutRecord(stream, length, end, c, out, notes);
    notes->InexactEnd = length - end != SectionEndRecordSize;
    for (size_t i = end; i < length && !notes->InexactEnd; ++i)
        if (stream[i] != 0) notes->InexactEnd = true;
}
