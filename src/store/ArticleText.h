// ArticleText.h: the one definition of a decompressed text and of the letter code.
// An ArticleText is a run of records (Style, Param, 0-terminated string) ended by a Style of 0
// or by the end of the buffer. Layout, drawing, search, export and the index all read it through
// the names here. Nothing here allocates or owns a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

// Style byte.
constexpr uint8_t StyleEnd = 0x00;           // ends the record list
constexpr uint8_t StyleSeparatorMask = 0x07; // all three bits set: a rule, no text
constexpr uint8_t StyleKeyMask = 0x1F;       // the font key of a text record
constexpr uint8_t StyleKeyPlain = 0x01;      // takes part in the key, changes nothing
constexpr uint8_t StyleSmall = 0x02;
constexpr uint8_t StyleLarge = 0x04;
constexpr uint8_t StyleBold = 0x08;
constexpr uint8_t StyleReversed = 0x10; // stored last character first
constexpr uint8_t StyleAlignMask = 0x60;
constexpr uint8_t StyleAlignRight = 0x20;
constexpr uint8_t StyleAlignCentre = 0x40;
constexpr uint8_t StyleAlignLeft = 0x00;    // 0x60 is left as well
constexpr uint8_t StyleParagraphEnd = 0x80; // one blank line after the record's last line
constexpr uint8_t StyleHeading = 0xDC;      // paragraph end, centred, reversed, bold, large
constexpr uint8_t StyleSubHeading = 0xD1;   // paragraph end, centred, reversed, bit 0
constexpr uint8_t StyleLayoutStart = 0x01;  // the style layout and painting begin with

// Param byte of a text record.
constexpr uint8_t ParamIndentMask = 0x3F; // indentation in pixels
constexpr unsigned ParamHangShift = 6;    // hang class in bits 6 and 7
constexpr unsigned MaxHangClass = 3;
// Param byte of a separator record.
constexpr unsigned RuleMaxPixelParam = 160; // 1-160: pixels; above: (Param - 160) x 2 percent

// Letter code.
constexpr uint8_t LetterCodeFirst = 0x61; // 'a': alef
constexpr uint8_t LetterCodeLast = 0x7B;  // '{': tav
constexpr unsigned LetterCount = 27;      // alef to tav with the final forms
constexpr uint8_t LetterCodeBrace = 0x7E; // '~' stands for the character '{'
constexpr char16_t HebrewAlef = 0x05D0;
constexpr char16_t HebrewTav = 0x05EA;
// FontAsciiBase values: the code point alef is drawn at.
constexpr int AsciiBaseCodePage = 224;
constexpr int AsciiBaseUnicode = 0x5D0;
constexpr int AsciiBaseLatin = 97;
// The keyboard picture's key order: each regular letter before its final form; key 0 is the space.
inline constexpr const char SearchKeyOrder[] = "abcdefghijlkmonqprsutwvxyz{";

// Word breaks inside a string.
constexpr uint8_t WordSpace = 0x20;
constexpr uint8_t WordHyphen = 0x2D;

struct TextRecord {
    uint8_t Style;
    uint8_t Param;
    uint32_t Offset;       // offset of the Style byte
    uint32_t StringOffset; // offset of the string's first byte
    uint32_t StringLength; // bytes before the string's 0 terminator
};

// A walk over the records of text[0, length). The byte at text[length] need not exist: the walk
// treats the end of the buffer as the ending Style, and a string that runs to the end as ended.
struct RecordCursor {
    const uint8_t* Text;
    size_t Length;
    size_t Pos;
};

inline RecordCursor BeginRecords(const uint8_t* text, size_t length) {
    return RecordCursor{text, length, 0};
}
// Reads the record at the cursor and advances past its terminator. False at a Style of 0 or at the
// end of the buffer.
bool NextTextRecord(RecordCursor* cursor, TextRecord* record);

inline bool IsSeparatorStyle(uint8_t style) {
    return (style & StyleSeparatorMask) == StyleSeparatorMask;
}
inline unsigned HangClassOf(uint8_t param) {
    return param >> ParamHangShift;
}
inline unsigned IndentOf(uint8_t param) {
    return param & ParamIndentMask;
}
// A rule's length in pixels for a pane width: 0 for Param 0 (no line at all), capped at the width.
int RuleLength(uint8_t param, int paneWidth);
// The first record must be a separator or have a non-empty string.
bool IsValidArticleText(const uint8_t* text, size_t length);

// The heading and sub-heading records, or found = false. Offsets into the text.
struct ArticleHeadings {
    bool HasHeading;
    bool HasSubHeading;
    TextRecord Heading;
    TextRecord SubHeading;
};
ArticleHeadings FindArticleHeadings(const uint8_t* text, size_t length);

// The character a letter-code byte stands for when drawn with alef at asciiBase.
inline char16_t LetterCodeToChar(uint8_t b, int asciiBase) {
    if (b >= LetterCodeFirst && b <= LetterCodeLast) return char16_t(asciiBase + (b - LetterCodeFirst));
    if (b == LetterCodeBrace) return u'{';
    return char16_t(b);
}
// The logical Unicode character of a byte (alef at U+05D0), for tools and export.
inline char16_t LetterCodeToUnicode(uint8_t b) {
    return LetterCodeToChar(b, AsciiBaseUnicode);
}
// The byte that carries a Unicode character, or 0 when the letter code cannot carry it
// (the Latin letters 'a' to 'z', '~', NUL and anything above U+00FF other than the Hebrew letters).
uint8_t UnicodeToLetterCode(char32_t cp);
// The typed search text's rule: a character from asciiBase to asciiBase + 26 becomes its letter,
// any other keeps its low byte.
inline uint8_t DisplayCharToLetterCode(char16_t ch, int asciiBase) {
    if (ch >= asciiBase && ch <= asciiBase + int(LetterCount) - 1)
        return uint8_t(ch - asciiBase + LetterCodeFirst);
    return uint8_t(ch);
}
