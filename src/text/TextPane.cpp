// TextPane.cpp: the pane record's life (CreatePane, ResizePane, DestroyPane) and where a line's
// bytes lie in the text. DestroyPane frees what the pane owns: its Text, its line table, its fonts
// and font-cache entries, and the record itself when asked; never the device context.
#include "text/TextPane.h"

#include "store/ArticleText.h"

#include <cstdlib>

TextPane* CreatePane(HDC dc, const RECT* rect, const FontSpec* spec, uint16_t capacity) {
    if (!dc) return nullptr;
    TextPane* pane = static_cast<TextPane*>(std::calloc(1, sizeof(TextPane)));
    if (!pane) return nullptr;
    pane->DC = dc;
    if (spec) pane->PaneFont = *spec;
    if (rect) {
        pane->Left = rect->left;
        pane->Top = rect->top;
        pane->Width = rect->right - rect->left;
        pane->Height = rect->bottom - rect->top;
    }
    if (capacity != 0) {
        // Without a table the pane still works: LayoutText makes one.
        pane->Lines = static_cast<LineEntry*>(std::calloc(size_t(capacity) + 1, sizeof(LineEntry)));
        if (pane->Lines) pane->LineCapacity = capacity;
    }
    return pane;
}

int ResizePane(TextPane* pane, int width, int height) {
    if (!pane) return PaneNoPane;
    if (width <= 0 || height <= 0) return ResizeBadSize;
    pane->Width = width;
    pane->Height = height;
    return LayoutText(pane, pane->Text, 0);
}

void DestroyPane(TextPane* pane, int releaseRecord) {
    if (!pane) return;
    std::free(pane->Text);
    pane->Text = nullptr;
    std::free(pane->Lines);
    pane->Lines = nullptr;
    pane->LineCount = pane->LineCapacity = pane->DisplayLines = pane->MaxTopLine = 0;
    SetPaneFont(pane, nullptr);
    while (pane->FontCache) {
        FontCacheEntry* next = pane->FontCache->Next;
        std::free(pane->FontCache);
        pane->FontCache = next;
    }
    if (releaseRecord) std::free(pane);
}

const uint8_t* NormalHangingWord(const TextPane* pane, const LineEntry* entry, int* length,
                                 const uint8_t** run) {
    const uint8_t* word = pane->Text + entry->Offset;
    const uint8_t* p = word;
    while (*p != 0 && *p != WordSpace)
        ++p;
    *length = int(p - word);
    while (*p == WordSpace)
        ++p;
    *run = p;
    return word;
}

// The word lies after the run and the spaces that follow it, to the end of the string. (A record
// that is one word alone has an empty run that starts at the word itself.)
const uint8_t* ReversedHangingWord(const TextPane* pane, const LineEntry* entry, int* length) {
    const uint8_t* word = pane->Text + entry->Offset + entry->Count;
    while (*word == WordSpace)
        ++word;
    const uint8_t* p = word;
    while (*p != 0)
        ++p;
    *length = int(p - word);
    return word;
}

void EntrySpan(const TextPane* pane, const LineEntry* entry, int* start, int* end) {
    *start = entry->Offset;
    *end = entry->Offset + entry->Count;
    if (entry->HangWidth == 0 || IsSeparatorStyle(entry->Style) || !pane->Text) return;
    int length;
    if (entry->Style & StyleReversed) {
        const uint8_t* word = ReversedHangingWord(pane, entry, &length);
        *end = int(word - pane->Text) + length;
    } else {
        const uint8_t* run;
        NormalHangingWord(pane, entry, &length, &run);
        *end = int(run - pane->Text) + entry->Count;
    }
}
