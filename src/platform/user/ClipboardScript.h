// ClipboardScript.h: the script driver's `clipboard` command, written on the public clipboard calls.
//
//   clipboard                   every format held, in order: a line with its name (CF_UNICODETEXT,
//                               CF_TEXT, the registered name, or the number), then its contents as
//                               UTF-8 text up to its zero terminator (CR LF shown as LF) and a line end
//   clipboard hex               the same, each block whole in hex, 16 bytes a line
//   clipboard set FORMAT TEXT   empties the clipboard and puts TEXT on it as FORMAT
//   clipboard add FORMAT TEXT   puts TEXT on it as FORMAT beside what it holds
//   clipboard empty             empties it
//
// FORMAT is CF_UNICODETEXT, CF_TEXT, a number (decimal or 0x hex), or a name in double quotes, such as
// "Rich Text Format", registered on the spot. TEXT is UTF-8 taken as written, or, when it is wholly
// in double quotes, the text inside them with the escapes \n \r \t \\ \xHH (one byte) and \uHHHH
// (one character). CF_UNICODETEXT gets it as UTF-16, every other format as bytes, each with its zero
// terminator. An empty clipboard prints "(empty)". On a script line the command ends at a ';' as
// any other; a ';' inside a quoted TEXT, or inside braces in an unquoted one (RTF), is TEXT's own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// args are the words after "clipboard" as the driver split them (a quoted name split at its spaces is
// joined again; an unquoted word with spaces is taken as a name). Appends to *output; on failure
// returns false with a one-line reason in *error and leaves the clipboard as it was.
bool ClipboardScriptCommand(const std::vector<std::string>& args, std::string* output, std::string* error);
// The same for the rest of the line after "clipboard", keeping TEXT's spaces as written (TEXT starts
// after the one space that follows FORMAT).
bool ClipboardScriptLine(std::string_view line, std::string* output, std::string* error);
// How much of the rest of a script line after "clipboard" is the command's: up to the first ';'
// for printing and emptying; for set and add, up to TEXT's closing quote when a ';' (or nothing)
// follows it, else up to the first ';' of TEXT outside braces, or the line's end.
size_t ClipboardScriptLength(std::string_view rest);
