// PaneFonts.cpp: a pane's font cache, one font per style key made from the pane's FontSpec.
// The pane owns the entries and their fonts: SetPaneFont with no FontSpec deletes the fonts and
// keeps the entries; DestroyPane frees the entries afterwards.
#include "text/TextPane.h"

#include "store/ArticleText.h"

#include <cstdlib>
#include <cstring>

LONG StyleFontHeight(int32_t fontSize, uint8_t key) {
    if (key & StyleLarge) {
        return fontSize == 0 ? DefaultLargeHeight : fontSize * LargeHeightNumerator / LargeHeightDenominator;
    }
    if (key & StyleSmall) {
        return fontSize == 0 ? DefaultSmallHeight : fontSize * SmallHeightNumerator / SmallHeightDenominator;
    }
    return fontSize;
}

LONG StyleFontWeight(uint8_t key) {
    return (key & StyleBold) ? FW_BOLD : FW_NORMAL;
}

COLORREF StyleTextColour(uint8_t key) {
    if (key & StyleSmall) return ColourSmallText;
    if ((key & (StyleLarge | StyleBold)) == (StyleLarge | StyleBold)) return ColourLargeBoldText;
    return ColourPlainText;
}

void CreateStyleFont(TextPane* pane, FontCacheEntry* entry, uint8_t key) {
    LOGFONTW logFont;
    std::memset(&logFont, 0, sizeof logFont);
    std::memcpy(logFont.lfFaceName, pane->PaneFont.FontFace, sizeof logFont.lfFaceName);
    logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    logFont.lfHeight = StyleFontHeight(pane->PaneFont.FontSize, key);
    logFont.lfWeight = StyleFontWeight(key);
    entry->Font = CreateFontIndirectW(&logFont);
    std::free(entry->Advances); // they were the old font's
    entry->Advances = nullptr;
}

const int32_t* StyleAdvances(TextPane* pane, uint8_t key) {
    FontCacheEntry* entry = pane->FontCache;
    while (entry && entry->Key != key)
        entry = entry->Next;
    if (!entry || !entry->Font) return nullptr;
    const int base = ReaderState.FontSpec.FontAsciiBase;
    if (entry->Advances && entry->AdvancesBase == base) return entry->Advances;
    if (!entry->Advances)
        entry->Advances = static_cast<int32_t*>(std::malloc(LetterCodeValues * sizeof(int32_t)));
    if (!entry->Advances) return nullptr;
    // One extent query over every byte value gives each one's advance as a difference of the
    // running extents. The characters are the unmirrored ones, as MeasureFit measures.
    WCHAR chars[LetterCodeValues - 1];
    INT extents[LetterCodeValues - 1];
    for (int b = 1; b < LetterCodeValues; ++b)
        chars[b - 1] = LetterCodeToChar(uint8_t(b), base);
    INT fit = 0;
    SIZE size = {0, 0};
    if (!GetTextExtentExPointW(pane->DC, chars, LetterCodeValues - 1, 0, &fit, extents, &size)) {
        std::free(entry->Advances);
        entry->Advances = nullptr;
        return nullptr;
    }
    entry->Advances[0] = 0;
    for (int b = 1; b < LetterCodeValues; ++b)
        entry->Advances[b] = extents[b - 1] - (b > 1 ? extents[b - 2] : 0);
    entry->AdvancesBase = base;
    return entry->Advances;
}

HFONT AddStyleFont(TextPane* pane, uint8_t key) {
    FontCacheEntry* entry = static_cast<FontCacheEntry*>(std::calloc(1, sizeof(FontCacheEntry)));
    if (!entry) return nullptr;
    entry->Key = key;
    entry->Next = pane->FontCache;
    pane->FontCache = entry;
    CreateStyleFont(pane, entry, key);
    return entry->Font;
}

// The font selected in the DC, found by selecting a stock font and putting it straight back.
static HFONT CurrentFont(HDC dc) {
    HGDIOBJ current = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    if (current) SelectObject(dc, current);
    return static_cast<HFONT>(current);
}

HFONT SelectPaneFont(TextPane* pane, int arg) {
    if (!pane) return nullptr;
    const uint8_t key = uint8_t(arg & StyleKeyMask);
    FontCacheEntry* entry = pane->FontCache;
    while (entry && entry->Key != key)
        entry = entry->Next;
    HFONT font;
    if (!entry) {
        font = AddStyleFont(pane, key);
    } else {
        // A font that could not be made is tried again in the same entry, so that a face that
        // keeps failing does not grow the cache by one entry per selection.
        if (!entry->Font) CreateStyleFont(pane, entry, key);
        font = entry->Font;
    }
    if (arg & SelectWithColour) SetTextColor(pane->DC, StyleTextColour(key));
    if (!font) return CurrentFont(pane->DC); // nothing new selected; layout goes on in that font
    return static_cast<HFONT>(SelectObject(pane->DC, font));
}

int SetPaneFont(TextPane* pane, const FontSpec* spec) {
    if (!pane) return PaneNoPane;
    for (FontCacheEntry* entry = pane->FontCache; entry; entry = entry->Next) {
        if (entry->Font) DeleteObject(entry->Font);
        entry->Font = nullptr;
        std::free(entry->Advances);
        entry->Advances = nullptr;
    }
    if (!spec) return 0;
    pane->PaneFont = *spec;
    for (FontCacheEntry* entry = pane->FontCache; entry; entry = entry->Next) {
        CreateStyleFont(pane, entry, entry->Key);
    }
    if (LayoutText(pane, pane->Text, 0) != LayoutOk) return SetPaneFontLayoutFailed;
    return PaintPane(pane, 1);
}
