// SearchEngine.h: the search layer's whole API: the typed text turned into letter code, where a
// search starts in a pane, the backward matcher with "?" and "*", the search of one text over its
// record list (SearchMatch.cpp), and the scan over the articles that finds the next hit without
// showing it (SearchScan.cpp).
//
// Ownership: the engine keeps nothing between calls. A text it loads while scanning is freed before
// the next one is loaded, unless it holds the hit: that one is handed to the caller in SearchHit,
// who owns it (the pane takes it). Texts passed in stay the caller's. Every text read here must end
// like UnCompress's output (ArticleTextPadding zero bytes after the plain bytes), as the walks trust
// the record terminators.
#pragma once

#include "platform/Win32Types.h"
#include "shell/ReaderState.h"
#include "store/ArticleStore.h"

#include <cstdint>

struct TextPane;

// Pattern bytes with a meaning of their own; the last byte of a pattern is always literal.
constexpr uint8_t SearchAnyByte = '?'; // any one byte
constexpr uint8_t SearchAnyRun = '*';  // any run of zero or more bytes, when the text byte is not '*'
constexpr int SearchPatternMax = SearchStringCapacity - 1;
// A split code below this hides the commentary pane, and the scan passes over even articles.
constexpr int32_t SplitShowsCommentary = 10;
// The number of article numbers one scan passes over (every one but the start article).
constexpr int SearchScanLength = LastArticleNumber - 1;

// The edit field's text into letter code: a character from asciiBase to asciiBase + 26 becomes its
// letter, any other keeps its low byte, a space followed by another space is dropped, a zero byte
// ends it. out gets at most SearchPatternMax bytes and a zero. Returns the bytes written.
int EncodeSearchBytes(const WCHAR* text, int asciiBase, char* out);
// The same into ReaderState.SearchString with the current FontAsciiBase (null text: empty).
void EncodeSearchString(const WCHAR* text);

// Where a search of the pane's Text begins: the last byte of the first visible line, or below the
// current hit when the hit ends on that line (or the pane is at MaxTopLine). 0 without a pane.
uint16_t PaneSearchStart(const TextPane* pane);
// PaneSearchStart of the acting pane.
uint16_t SearchStartOffset();

// The hit whose last byte is highest at or below from, in [begin, from], for the zero-terminated
// pattern; *length gets the bytes it spans. Null when none, and at once when a "*" meets a text
// byte other than '*' and its prefix is not found below. from may lie below begin (nothing).
const uint8_t* MatchBackward(const uint8_t* begin, const uint8_t* pattern, const uint8_t* from, int* length);
// The hit of the pattern in text from offset start: the record holding start from there down to its
// string's first byte, every later record in full, each from its last byte down. Returns the offset
// of the hit's last byte with *length its span, or 0 for none (also when the record list cannot be
// allocated).
uint16_t FindInText(const uint8_t* text, const uint8_t* pattern, unsigned start, int* length);

// Where one search begins (SearchNext's step 2): the start article A and the acting pane's text.
struct SearchStart {
    const uint8_t* Pattern; // letter code, zero-terminated; empty finds nothing
    int Article;            // A: Lesson, or Lesson + 1 when the bottom pane is active
    const uint8_t* Text;    // the acting pane's Text, or null
    uint16_t Offset;        // PaneSearchStart of the acting pane
    int32_t BottomSection;  // the split code
};
struct SearchHit {
    int Article;     // the article that holds the hit
    int InStart;     // 1: the hit lies in the start article's pane text (Text is null)
    uint16_t End;    // offset of the hit's last byte
    uint16_t Length; // bytes the hit spans: HitStart = End - Length + 1, HitEnd = End + 1
    uint8_t* Text;   // another article's text, loaded by the scan; the caller owns it
};

// The state records' search start: SearchString, A by the active pane, its Text and start offset.
SearchStart CurrentSearchStart();
// The article numbers the scan loads after the start article, in order: A + 1, A + 2, ... with
// article 1 after 250, even numbers passed over while the split hides the commentary, and the
// pass ending after the 249 numbers other than A, whatever A's parity. Returns how many it wrote
// (at most SearchScanLength).
int SearchScanOrder(int startArticle, int32_t bottomSection, int* order);
// The next hit from the start: the start text from its offset, the other articles in scan order
// from their beginnings, then the start text once more from offset 0. Returns 1 with *hit filled,
// or 0 when the pattern is empty or nothing was found (nothing is left allocated). At most one
// loaded text is alive at any moment.
int FindNextHit(const SearchStart* start, SearchHit* hit);
