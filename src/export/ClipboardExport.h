// ClipboardExport.h: the export layer's whole API: an article as wide-character text, one line per
// record (WideText.cpp); that text as the body of a right-to-left Hebrew RTF document, the
// document's fixed bytes, and the joining of a new article into what the clipboard holds, as
// plain functions over bytes (RichText.cpp); the Hebrew presentation forms and their canonical
// decompositions (HebrewDecompositions.cpp, generated).
//
// Ownership: functions that return a buffer return a malloc block the caller frees; on any failure
// they return null and leave nothing allocated. The clipboard itself is the window code's: it reads
// the clipboard's data, calls the functions here and places the block they filled.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>

// The line end of the wide text (CR LF after every record, twice after a paragraph end).
constexpr WCHAR WideCarriageReturn = 0x0D;
constexpr WCHAR WideLineFeed = 0x0A;
constexpr WCHAR RuleDash = u'-';
// Bases above this are the Unicode letters, exported as RTF; the others as plain Unicode text.
constexpr int ExportUnicodeBaseAbove = 256;
// Abandoning the export when the wide text would not fit its estimate.
inline constexpr const WCHAR* WideTextOverflowMessage = u"(obuf > (start + size))";
constexpr int WideTextOverflow = -1;
constexpr int WideTextNoMemory = -2; // the shared conversion buffer could not grow

// RTF bytes.
inline constexpr const char RtfHeader[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset177\\cpg1255 David;}}{\\colortbl\\red0\\green0\\blue0;"
    "\\red255\\green255\\blue255;\\red255\\green0\\blue0;}"
    "\\rtldoc\\pard\\rtlpar\\qr\\lang1033\\f0\\fs20\\uc0\r\n";
inline constexpr const char RtfSeparator[] =
    "\\qc\\cf2\\fs72\\b*  *  *  *  *\\b0\\par\\par\\qr\\fs20\\cf0\r\n";
inline constexpr const char RtfLineEnd[] = "\\par\\par\r\n";
inline constexpr const char RtfDocumentEnd[] = "}\r\n";
constexpr size_t RtfHeaderLength = sizeof RtfHeader - 1;       // 180
constexpr size_t RtfSeparatorLength = sizeof RtfSeparator - 1; // 52
constexpr size_t RtfLineEndLength = sizeof RtfLineEnd - 1;
constexpr size_t RtfDocumentEndLength = sizeof RtfDocumentEnd - 1;
// What the size pass counts: a line end (more than it writes), the start (the final line end and
// the zero), the Unicode escapes by the digits of their code.
constexpr size_t RtfLineEndCount = 12;
constexpr size_t RtfBodyStartCount = 13;
constexpr size_t RtfDecomposedEscapeCount = 6;
// The clipboard block beyond the body: a new document (header, end, zero, spare) or an appended one
// (separator, end, zero, spare) beyond the old document's bytes.
constexpr size_t RtfNewDocumentExtra = 186;
constexpr size_t RtfAppendExtra = 58;

// Wide characters the article needs with its terminator, at most: 1.5 x its bytes before the
// ending Style + 2 per record (4 with a paragraph end) + the rules' dashes + the trailing spaces + 1.
size_t EstimateWideText(const uint8_t* text);
// Writes a separator's dashes (Param b: b of them up to 160, (b - 160) x 2 above; out may be null)
// and returns how many.
int WriteRuleDashes(WCHAR* out, uint8_t param);
// The article as wide text into out (capacity characters): each record's converted string and its
// trailing spaces, or a rule's dashes, then CR LF (twice after a paragraph end), and a zero. With the
// Unicode base the strings are in reading order exactly when the screen does not reverse them (a
// string stored reversed is turned back with its numbers and Latin words kept left to right), and
// as stored when it does. Returns the
// characters before the zero; WideTextOverflow when they would not fit: then the message is shown
// (owned by the main window) and out holds nothing usable; nothing is written past capacity;
// WideTextNoMemory when the conversion buffer cannot grow.
int ArticleToWideText(const uint8_t* text, WCHAR* out, size_t capacity);
// Estimate, allocate and convert: the wide text and its length, or null (nothing allocated).
WCHAR* ArticleWideText(const uint8_t* text, int* length);

// The canonical decomposition of a Hebrew presentation form: up to three codes, absent ones 0; null
// when c is not in the table (every code below U+05EB).
struct Decomposition {
    WCHAR Code;
    WCHAR Parts[3];
};
const Decomposition* FindDecomposition(WCHAR c);
extern const Decomposition HebrewDecompositions[]; // ascending, ended by an all-zero entry
constexpr int HebrewDecompositionCount = 27;

// The RTF body of a wide text. out null: the size pass, the bytes to allocate less one (an upper
// bound of what is written, with room for the zero). Otherwise writes the body and a zero and
// returns its length.
size_t WriteRtfBody(const WCHAR* text, char* out);
// Both passes into a new block: the body and its length, or null.
char* RtfBody(const WCHAR* text, size_t* length);

// The old document's bytes that the append keeps: without the trailing tabs, line ends and spaces
// and then one closing brace. 0 means there is nothing to append to (no data, or only blanks), and
// the new document starts with its own header.
size_t RtfKeptLength(const char* old, size_t oldLength);
// The clipboard block's size for a body appended to old (oldLength 0: a new document).
size_t RtfBlockSize(const char* old, size_t oldLength, size_t bodyLength);
// Writes the document into block (RtfBlockSize bytes): the header, or the kept old document and the
// separator; then the body, the document end and a zero. Returns the length before the zero.
size_t WriteRtfDocument(char* block, const char* old, size_t oldLength, const char* body, size_t bodyLength);

// Unicode text: the block's size in bytes for n new characters after oldBytes bytes of old text, and
// the block: the old bytes, then the new text and its zero from byte oldBytes rounded down to even.
size_t UnicodeBlockSize(size_t oldBytes, size_t newChars);
void WriteUnicodeDocument(uint8_t* block, const uint8_t* old, size_t oldBytes, const WCHAR* text, size_t n);
