// ArticleSource.cpp: the article authoring format: the parser (source to plain bytes) and the
// writer (plain bytes to source). Both share the option words below, so what the writer says the
// parser reads back to the same Style and Param bytes.
#include "content/ArticleSource.h"

#include "content/SourceText.h"
#include "store/ArticleText.h"
#include "store/Compressor.h"
#include "store/DisplayOrder.h"

#include <cstdio>

namespace {

constexpr uint8_t KeyWordBits = StyleKeyPlain | StyleSmall | StyleLarge | StyleBold;
constexpr uint8_t RuleExtraBits = 0x18; // bits 3 and 4 of a rule's Style: no option word for them

struct OptionWord {
    const char* Word;
    uint8_t Bits;
};
const OptionWord AlignWords[] = {{"right", StyleAlignRight},
                                 {"centre", StyleAlignCentre},
                                 {"center", StyleAlignCentre},
                                 {"left", StyleAlignLeft}};
const OptionWord KeyWords[] = {
    {"plain", StyleKeyPlain}, {"small", StyleSmall}, {"large", StyleLarge}, {"bold", StyleBold}};

// One record being read: its directive's line, bytes and options.
struct PendingRecord {
    bool Open;
    int Line;
    uint8_t Style;
    uint8_t Param;
    bool Continue; // a space leads the stored string
    bool HasBody;
    std::vector<uint8_t> Text; // reading order
};

struct ArticleParser {
    const std::string* File;
    std::vector<uint8_t>* Plain;
    SourceError* Error;
    PendingRecord Record;
};

bool Fail(ArticleParser* p, int line, const std::string& message) {
    *p->Error = SourceError{*p->File, line, message};
    return false;
}

// A continuation's space leads the stored string, which is where the layout looks for it.
bool AppendRecord(ArticleParser* p, int line, uint8_t style, uint8_t param, const std::vector<uint8_t>& text,
                  bool leadingSpace) {
    // Two bytes of Style and Param, the string, its 0 byte, and the ending Style byte after all.
    size_t after = p->Plain->size() + 2 + leadingSpace + text.size() + 1 + 1;
    if (after > MaxPlainLength)
        return Fail(p, line,
                    "the text passes 65,535 bytes here (" + std::to_string(after) +
                        " with this record): split the article");
    p->Plain->push_back(style);
    p->Plain->push_back(param);
    if (leadingSpace) p->Plain->push_back(WordSpace);
    if ((style & StyleReversed) && !IsSeparatorStyle(style) && !text.empty()) {
        size_t at = p->Plain->size();
        p->Plain->resize(at + text.size());
        ReverseForDisplay(text.data(), text.size(), p->Plain->data() + at);
    } else {
        p->Plain->insert(p->Plain->end(), text.begin(), text.end());
    }
    p->Plain->push_back(0);
    return true;
}

bool CloseRecord(ArticleParser* p) {
    PendingRecord& r = p->Record;
    if (!r.Open) return true;
    r.Open = false;
    return AppendRecord(p, r.Line, r.Style, r.Param, r.Text, r.Continue);
}

bool MatchWord(const OptionWord* words, size_t count, const std::string& word, uint8_t* bits) {
    for (size_t i = 0; i < count; ++i)
        if (word == words[i].Word) {
            *bits = words[i].Bits;
            return true;
        }
    return false;
}

// The options of @p and @rule. Raw style= and param= replace the bytes the words made.
struct RecordOptions {
    int Align = -1;
    int Key = -1;
    bool Ltr = false, Join = false, Continue = false;
    unsigned Indent = 0, Hang = 0;
    int RawStyle = -1, RawParam = -1;
};

bool ParseOption(ArticleParser* p, int line, const std::string& word, bool rule, RecordOptions* o) {
    uint8_t bits;
    unsigned v;
    size_t eq = word.find('=');
    std::string name = word.substr(0, eq), value = eq == std::string::npos ? "" : word.substr(eq + 1);
    if (MatchWord(AlignWords, std::size(AlignWords), word, &bits)) {
        o->Align = bits;
    } else if (!rule && MatchWord(KeyWords, std::size(KeyWords), word, &bits)) {
        o->Key = (o->Key < 0 ? 0 : o->Key) | bits;
    } else if (word == "join") {
        o->Join = true;
    } else if (!rule && word == "ltr") {
        o->Ltr = true;
    } else if (!rule && word == "continue") {
        o->Continue = true;
    } else if (!rule && name == "indent" && ParseSourceNumber(value, ParamIndentMask, &v)) {
        o->Indent = v;
    } else if (!rule && name == "hang" && ParseSourceNumber(value, MaxHangClass, &v)) {
        o->Hang = v;
    } else if (name == "style" && ParseSourceNumber(value, 255, &v)) {
        o->RawStyle = int(v);
    } else if (name == "param" && ParseSourceNumber(value, 255, &v)) {
        o->RawParam = int(v);
    } else if (name == "indent" || name == "hang" || name == "style" || name == "param") {
        return Fail(p, line, "bad value in '" + word + "' (indent=0-63, hang=0-3, style= and param= 0-255)");
    } else {
        std::string hint =
            uint8_t(word[0]) >= 0x80 ? " (the text of a paragraph goes on the lines after @p)" : "";
        return Fail(p, line, "unknown option '" + word + "'" + hint);
    }
    return true;
}

bool CheckStyle(ArticleParser* p, int line, uint8_t style, bool rawStyle, bool rule) {
    if (style == StyleEnd) return Fail(p, line, "Style 0 would end the text here");
    if (!rule && !rawStyle && IsSeparatorStyle(style))
        return Fail(p, line, "plain, small and large together make the Style of a rule: write @rule");
    return true;
}

bool OpenParagraph(ArticleParser* p, int line, const std::vector<std::string>& words) {
    RecordOptions o;
    for (size_t i = 1; i < words.size(); ++i)
        if (!ParseOption(p, line, words[i], false, &o)) return false;
    if (o.Continue && o.Hang == 0) o.Hang = 1;
    uint8_t style = uint8_t((o.Join ? 0 : StyleParagraphEnd) | (o.Align < 0 ? StyleAlignRight : o.Align) |
                            (o.Ltr ? 0 : StyleReversed) | (o.Key < 0 ? StyleKeyPlain : o.Key));
    if (o.RawStyle >= 0) style = uint8_t(o.RawStyle);
    uint8_t param = uint8_t(o.Hang << ParamHangShift | o.Indent);
    if (o.RawParam >= 0) param = uint8_t(o.RawParam);
    if (!CheckStyle(p, line, style, o.RawStyle >= 0, false)) return false;
    p->Record = PendingRecord{true, line, style, param, o.Continue, false, {}};
    return true;
}

// "N" pixels (0-160) or "N%" of the pane width (an even 2-190).
bool ParseRuleLength(const std::string& word, uint8_t* param) {
    unsigned v;
    if (!word.empty() && word.back() == '%') {
        if (!ParseSourceNumber(word.substr(0, word.size() - 1), 190, &v) || v < 2 || v % 2 != 0) return false;
        *param = uint8_t(RuleMaxPixelParam + v / 2);
        return true;
    }
    if (!ParseSourceNumber(word, RuleMaxPixelParam, &v)) return false;
    *param = uint8_t(v);
    return true;
}

bool AddRule(ArticleParser* p, int line, const std::vector<std::string>& words) {
    uint8_t param = 0;
    if (words.size() < 2 || !ParseRuleLength(words[1], &param))
        return Fail(p, line, "@rule needs a length: 0 to 160 pixels, or an even 2% to 190% of the width");
    RecordOptions o;
    for (size_t i = 2; i < words.size(); ++i)
        if (!ParseOption(p, line, words[i], true, &o)) return false;
    uint8_t style = uint8_t(StyleSeparatorMask | (o.Join ? 0 : StyleParagraphEnd) |
                            (o.Align < 0 ? StyleAlignCentre : o.Align));
    if (o.RawStyle >= 0) style = uint8_t(o.RawStyle);
    if (o.RawParam >= 0) param = uint8_t(o.RawParam);
    if (!CheckStyle(p, line, style, true, true)) return false;
    return AppendRecord(p, line, style, param, {}, false);
}

bool AddHeading(ArticleParser* p, int line, uint8_t style, const std::string& text, size_t column) {
    std::vector<uint8_t> bytes;
    std::string message;
    if (!EncodeSourceText(text, &bytes, &message, column)) return Fail(p, line, message);
    return AppendRecord(p, line, style, 0, bytes, false);
}

// column: where trimmed starts in its line.
bool ParseDirective(ArticleParser* p, int line, const std::string& trimmed, size_t column) {
    std::vector<std::string> words = SplitSourceWords(trimmed);
    const std::string& name = words[0];
    if (name == "@heading" || name == "@subheading") {
        std::string after = trimmed.substr(name.size());
        size_t blanks = SourceLeadingBlanks(after);
        column += SourceColumnAt(trimmed, name.size() + blanks) - 1;
        return AddHeading(p, line, name == "@heading" ? StyleHeading : StyleSubHeading, TrimSourceLine(after),
                          column);
    }
    if (name == "@p") return OpenParagraph(p, line, words);
    if (name == "@rule") return AddRule(p, line, words);
    return Fail(p, line, "unknown directive '" + name + "' (known: @heading, @subheading, @p, @rule)");
}

bool AddBodyLine(ArticleParser* p, int line, const std::string& trimmed, size_t column) {
    PendingRecord& r = p->Record;
    if (!r.Open) r = PendingRecord{true, line, StyleDefaultParagraph, 0, false, false, {}};
    if (r.HasBody) r.Text.push_back(WordSpace);
    r.HasBody = true;
    std::string message;
    if (!EncodeSourceText(trimmed, &r.Text, &message, column)) return Fail(p, line, message);
    if (r.Text.size() > MaxPlainLength) return Fail(p, line, "the paragraph passes 65,535 bytes here");
    return true;
}

} // namespace

std::string FormatSourceError(const SourceError& error) {
    if (error.Line <= 0) return error.File + ": " + error.Message;
    return error.File + ":" + std::to_string(error.Line) + ": " + error.Message;
}

bool CompileArticleSource(const std::string& source, const std::string& fileName, std::vector<uint8_t>* plain,
                          SourceError* error) {
    plain->clear();
    ArticleParser p{&fileName, plain, error, PendingRecord{}};
    int firstLine = 0;
    size_t pos = SourceTextStart(source);
    std::string raw;
    for (int line = 1; NextSourceLine(source, &pos, &raw); ++line) {
        std::string trimmed = TrimSourceLine(raw);
        if (!trimmed.empty() && trimmed[0] == '#') continue;
        std::string message;
        if (!CheckSourceUtf8(raw, &message)) return Fail(&p, line, message);
        // Columns in messages count from the start of the line, indentation included.
        size_t column = SourceColumnAt(raw, SourceLeadingBlanks(raw));
        bool ok = true;
        if (trimmed.empty()) {
            ok = CloseRecord(&p);
        } else if (trimmed[0] == '@') {
            ok = CloseRecord(&p) && ParseDirective(&p, line, trimmed, column);
        } else {
            ok = AddBodyLine(&p, line, trimmed, column);
        }
        if (!ok) return false;
        if (firstLine == 0 && (!plain->empty() || p.Record.Open)) firstLine = line;
    }
    if (!CloseRecord(&p)) return false;
    if (!IsValidArticleText(plain->data(), plain->size()))
        return Fail(&p, firstLine,
                    plain->empty() ? "the text has no records"
                                   : "the first record needs text (or must be a rule)");
    plain->push_back(StyleEnd);
    return true;
}

namespace {

void AppendOption(std::string* out, const std::string& word) {
    out->push_back(' ');
    out->append(word);
}

std::string Hex(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", v);
    return text;
}

// The source words for a text record's Style and Param; raw style= when the words cannot say it.
void WriteParagraphOptions(uint8_t style, uint8_t param, bool continues, std::string* out) {
    uint8_t key = style & KeyWordBits;
    bool raw = (style & StyleAlignMask) == StyleAlignMask || key == 0 || IsSeparatorStyle(style);
    if (raw) {
        AppendOption(out, "style=" + Hex(style));
    } else {
        if ((style & StyleAlignMask) == StyleAlignCentre) AppendOption(out, "centre");
        if ((style & StyleAlignMask) == StyleAlignLeft) AppendOption(out, "left");
        if (key != StyleKeyPlain)
            for (const OptionWord& w : KeyWords)
                if (key & w.Bits) AppendOption(out, w.Word);
        if (!(style & StyleReversed)) AppendOption(out, "ltr");
        if (!(style & StyleParagraphEnd)) AppendOption(out, "join");
    }
    if (IsSeparatorStyle(style)) {
        AppendOption(out, "param=" + Hex(param));
        return;
    }
    if (IndentOf(param)) AppendOption(out, "indent=" + std::to_string(IndentOf(param)));
    if (HangClassOf(param)) AppendOption(out, "hang=" + std::to_string(HangClassOf(param)));
    if (continues) AppendOption(out, "continue");
}

void WriteRule(uint8_t style, uint8_t param, std::string* out) {
    out->append("@rule ");
    out->append(param <= RuleMaxPixelParam ? std::to_string(param)
                                           : std::to_string((param - RuleMaxPixelParam) * 2) + "%");
    if ((style & RuleExtraBits) || (style & StyleAlignMask) == StyleAlignMask) {
        AppendOption(out, "style=" + Hex(style));
    } else {
        if ((style & StyleAlignMask) == StyleAlignRight) AppendOption(out, "right");
        if ((style & StyleAlignMask) == StyleAlignLeft) AppendOption(out, "left");
        if (!(style & StyleParagraphEnd)) AppendOption(out, "join");
    }
    out->push_back('\n');
}

// Body lines of at most SourceWrapColumn characters, broken only at single spaces (the parser
// joins lines with one space), each escaped as a line of its own.
void WriteBody(const std::vector<uint8_t>& text, std::string* out) {
    size_t start = 0, n = text.size();
    while (start < n) {
        size_t end = n;
        if (n - start > SourceWrapColumn) {
            size_t best = 0;
            for (size_t i = start + 1; i + 1 < n; ++i) {
                if (text[i] != WordSpace || text[i - 1] == WordSpace || text[i + 1] == WordSpace) continue;
                if (i - start <= SourceWrapColumn || best == 0) best = i;
                if (i - start > SourceWrapColumn) break;
            }
            if (best != 0) end = best;
        }
        WriteSourceText(text.data() + start, end - start, EscapeEdgeSpaces | EscapeLineStart, out);
        out->push_back('\n');
        start = end < n ? end + 1 : n;
    }
}

// headingStyle: the Style this record would need to be the article's heading or sub-heading
// (0 when it cannot be one); elsewhere the same bytes are written as an ordinary @p.
void WriteRecord(const uint8_t* plain, const TextRecord& r, uint8_t headingStyle, std::string* out) {
    const uint8_t* stored = plain + r.StringOffset;
    size_t length = r.StringLength;
    bool separator = IsSeparatorStyle(r.Style);
    if (separator && length == 0) return WriteRule(r.Style, r.Param, out);
    bool continues = !separator && HangClassOf(r.Param) != 0 && length > 0 && stored[0] == WordSpace;
    if (continues) ++stored, --length;
    std::vector<uint8_t> text(stored, stored + length);
    if ((r.Style & StyleReversed) && !separator) ReverseForDisplay(stored, length, text.data());
    if (headingStyle != 0 && r.Style == headingStyle && r.Param == 0) {
        out->append(r.Style == StyleHeading ? "@heading" : "@subheading");
        if (!text.empty()) out->push_back(' ');
        WriteSourceText(text.data(), text.size(), EscapeEdgeSpaces, out);
        out->push_back('\n');
        return;
    }
    if (r.Style == StyleDefaultParagraph && r.Param == 0 && !text.empty()) return WriteBody(text, out);
    out->append("@p");
    WriteParagraphOptions(r.Style, r.Param, continues, out);
    out->push_back('\n');
    WriteBody(text, out);
}

} // namespace

void WriteArticleSource(const uint8_t* plain, size_t length, unsigned flags, std::string* out,
                        ArticleWriteNotes* notes) {
    *notes = ArticleWriteNotes{};
    RecordCursor cursor = BeginRecords(plain, length);
    TextRecord r;
    bool afterHeading = false;
    while (NextTextRecord(&cursor, &r)) {
        if (notes->Records > 0) out->push_back('\n');
        if (flags & WriteRecordComments) {
            char comment[128];
            std::snprintf(comment, sizeof comment, "# record %u at %u: Style 0x%02X Param 0x%02X, %u bytes\n",
                          notes->Records + 1, r.Offset, r.Style, r.Param, r.StringLength);
            out->append(comment);
        }
        // The heading is the first record; the sub-heading follows it or is first itself.
        uint8_t headingStyle = 0;
        if (notes->Records == 0 && r.Style == StyleHeading) headingStyle = StyleHeading;
        if ((notes->Records == 0 || (notes->Records == 1 && afterHeading)) && r.Style == StyleSubHeading)
            headingStyle = StyleSubHeading;
        afterHeading = notes->Records == 0 && r.Style == StyleHeading;
        WriteRecord(plain, r, headingStyle, out);
        ++notes->Records;
    }
    if (cursor.Pos >= length) {
        notes->MissingEnd = true;
    } else {
        notes->TrailingBytes = length - cursor.Pos - 1;
    }
}
