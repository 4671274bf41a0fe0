// SearchScan.cpp: the search text's encoding, where a search starts in a pane, and the scan over the
// articles that finds the next hit. Showing the hit (making its article current, scrolling, the
// highlight and the banner) is the window code's; this file only finds it. A text loaded here is
// freed before the next one is loaded, or handed to the caller with the hit.
#include "search/SearchEngine.h"

#include "text/TextPane.h"

#include <cstdlib>

int EncodeSearchBytes(const WCHAR* text, int asciiBase, char* out) {
    int n = 0;
    for (int i = 0; text && text[i] != 0 && n < SearchPatternMax; ++i) {
        if (text[i] == u' ' && text[i + 1] == u' ') continue; // a run of spaces keeps its last
        const uint8_t b = DisplayCharToLetterCode(text[i], asciiBase);
        if (b == 0) break;
        out[n++] = char(b);
    }
    out[n] = 0;
    return n;
}

void EncodeSearchString(const WCHAR* text) {
    EncodeSearchBytes(text, ReaderState.FontSpec.FontAsciiBase, ReaderState.SearchString);
}

namespace {

// The first visible line as the paint finds it: the first entry before which at least TopLine
// display lines lie (the entry after a blank line that is TopLine), or the ending entry.
const LineEntry* FirstVisibleEntry(const TextPane* pane) {
    const LineEntry* entry = pane->Lines;
    int lines = 0;
    while (entry->Style != StyleEnd && lines < pane->TopLine) {
        lines += (entry->Style & StyleParagraphEnd) ? 2 : 1;
        ++entry;
    }
    return entry;
}

// True when no record boundary lies between the two offsets: both in one string.
bool SameString(const uint8_t* text, unsigned low, unsigned high) {
    for (unsigned k = low; k < high; ++k)
        if (text[k] == 0) return false;
    return true;
}

} // namespace

uint16_t PaneSearchStart(const TextPane* pane) {
    if (!pane) return 0;
    static const LineEntry noLines = {};
    const LineEntry* first = pane->Lines ? FirstVisibleEntry(pane) : &noLines;
    const unsigned s = first->Offset, n = first->Count;
    const unsigned hitStart = pane->HitStart, hitEnd = pane->HitEnd;
    if ((hitEnd < s || hitEnd > s + n) && pane->TopLine < pane->MaxTopLine) return uint16_t(s + n - 1);
    if (hitStart != s) return uint16_t(hitStart - 1);
    // The hit begins the first visible line: go on from the end of the next line. In reversed
    // storage that line lies below the hit. When the search from there would pass over the hit's
    // last byte again in the same string (the next line above it, in normal storage; or a line cut
    // inside a word right below a one-byte hit), it would show the same hit for ever: it goes on
    // below the hit instead.
    const LineEntry* next = first->Style != StyleEnd ? first + 1 : first;
    const unsigned after = next->Style != StyleEnd ? unsigned(next->Offset) + next->Count : 0;
    if (hitEnd > 0 && after >= hitEnd - 1 && pane->Text && SameString(pane->Text, hitEnd - 1, after))
        return uint16_t(hitStart - 1);
    return uint16_t(after);
}

uint16_t SearchStartOffset() {
    return PaneSearchStart(ActingPane());
}

SearchStart CurrentSearchStart() {
    const TextPane* pane = ActingPane();
    const bool bottom = PaneState.ActivePane != nullptr && PaneState.ActivePane == PaneState.BottomPane;
    SearchStart start;
    start.Pattern = reinterpret_cast<const uint8_t*>(ReaderState.SearchString);
    start.Article = ReaderState.Lesson + (bottom ? 1 : 0);
    start.Text = pane ? pane->Text : nullptr;
    start.Offset = pane && pane->Text ? PaneSearchStart(pane) : 0;
    start.BottomSection = PaneState.BottomSection;
    return start;
}

// The pass is counted rather than ended by meeting A again: with the commentary hidden and the
// bottom pane active A is even, the even numbers are passed over, and A itself never comes.
int SearchScanOrder(int startArticle, int32_t bottomSection, int* order) {
    int count = 0;
    int i = startArticle;
    for (int step = 0; step < SearchScanLength; ++step) {
        ++i;
        if (bottomSection < SplitShowsCommentary && i % 2 == 0) continue;
        if (i > LastArticleNumber) i = FirstArticleNumber;
        order[count++] = i;
    }
    return count;
}

int FindNextHit(const SearchStart* start, SearchHit* hit) {
    if (!start->Pattern || start->Pattern[0] == 0) return 0;
    int length = 0;
    uint16_t end = start->Text ? FindInText(start->Text, start->Pattern, start->Offset, &length) : 0;
    if (end) {
        *hit = SearchHit{start->Article, 1, end, uint16_t(length), nullptr};
        return 1;
    }
    int order[SearchScanLength];
    const int count = SearchScanOrder(start->Article, start->BottomSection, order);
    for (int k = 0; k < count; ++k) {
        uint8_t* text = LoadArticleText(order[k]);
        if (!text) continue;
        end = FindInText(text, start->Pattern, 0, &length);
        if (end) {
            *hit = SearchHit{order[k], 0, end, uint16_t(length), text};
            return 1;
        }
        std::free(text);
    }
    end = start->Text ? FindInText(start->Text, start->Pattern, 0, &length) : 0;
    if (!end) return 0;
    *hit = SearchHit{start->Article, 1, end, uint16_t(length), nullptr};
    return 1;
}
