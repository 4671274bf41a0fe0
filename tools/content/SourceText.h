// SourceText.h: the text of a source line and the letter-code bytes it stands for, both ways.
// Source text is UTF-8 in reading order. Hebrew letters (final forms included) become the letter
// code, '{' becomes '~' (0x7E), any other character the letter code carries (U+0001 to U+00FF
// except the Latin small letters and '~') stands for itself. Two escapes reach every byte:
// "\xHH" is the byte HH and "\\" is a backslash. Nothing here owns memory beyond its outputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr char SourceEscape = '\\';

// Appends the bytes of utf8 to out. False with a message (which names the character and its
// column in the line, utf8[0] being at firstColumn) at invalid UTF-8, a character the letter code
// cannot carry, a bad escape or a 0 byte.
bool EncodeSourceText(const std::string& utf8, std::vector<uint8_t>* out, std::string* message,
                      size_t firstColumn = 1);

// False with "invalid UTF-8 at column N" (N in characters from the start of the line) when line is
// not UTF-8; checked before a line is parsed, so that no message quotes broken bytes.
bool CheckSourceUtf8(const std::string& line, std::string* message);

// How WriteSourceText marks the bytes a plain source line could not hold as they are.
enum SourceTextEdges {
    EscapeEdgeSpaces = 1, // a space first or last on the line (a source line is trimmed)
    EscapeLineStart = 2,  // '@' or '#' first on the line (a directive or a comment)
};
// Appends the UTF-8 source text for bytes[0, length) to out: the inverse of EncodeSourceText.
// Control bytes, 0x7F to 0xA0, 0xAD and the backslash are escaped; edges as the flags say.
void WriteSourceText(const uint8_t* bytes, size_t length, unsigned edges, std::string* out);
// Appends the UTF-8 form of one code point.
void AppendUtf8(char32_t cp, std::string* out);

// A number in a directive: decimal, or hexadecimal after "0x". False when it is not one or passes max.
bool ParseSourceNumber(const std::string& word, unsigned max, unsigned* value);
// Splits at spaces and tabs.
std::vector<std::string> SplitSourceWords(const std::string& text);
// Where the text of a source file starts: after a UTF-8 byte-order mark, which some editors write.
size_t SourceTextStart(const std::string& source);
// Without spaces, tabs and a carriage return at either end.
std::string TrimSourceLine(const std::string& line);
// Spaces and tabs at the start of text: where its trimmed form starts.
size_t SourceLeadingBlanks(const std::string& text);
// The 1-based column, in characters, of the byte at offset in a UTF-8 line.
size_t SourceColumnAt(const std::string& line, size_t offset);
// The line starting at *pos, without its end; *pos moves past the end. A line ends at LF, CR LF or
// a lone CR (files from old Macintosh editors). False when no line starts at *pos.
bool NextSourceLine(const std::string& source, size_t* pos, std::string* line);
