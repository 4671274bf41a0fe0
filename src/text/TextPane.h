// TextPane.h: the text layer's whole API: the reading pane record and its line table, the line
// layout and scroll positions (LineLayout.cpp), drawing (PaneRendering.cpp), the per-pane font
// cache (PaneFonts.cpp) and the conversion of letter code to display characters with measuring
// (TextConversion.cpp).
//
// Ownership: a TextPane owns its line table, its FontCache entries and their fonts, and the Text it
// was handed with take-ownership set (released with free(), as UnCompress allocates it). The device
// context belongs to whoever created the pane; DestroyPane never releases it. The shared
// ConversionBuffer belongs to the process and is never shrunk.
#pragma once

#include "platform/Win32.h"
#include "shell/ReaderState.h"
#include "store/ArticleText.h"

#include <cstdint>

// One entry of a pane's font cache, newest first.
struct FontCacheEntry {
    FontCacheEntry* Next;
    HFONT Font;  // null after the pane's fonts were released or when creation failed
    uint8_t Key; // a record's Style & StyleKeyMask
    // The layout's measure: the advance of each letter-code byte in Font, drawn with alef at
    // AdvancesBase. Made on first use, freed with the font (null until then).
    int32_t* Advances;
    int32_t AdvancesBase;
};
constexpr int LetterCodeValues = 256;

// One display line that holds a run (or a rule). An entry whose Style is 0 ends the table.
struct LineEntry {
    uint16_t Offset;    // first byte of the run in Text (of the hanging word, in normal storage)
    uint16_t Count;     // bytes in the run; 0 for a rule
    int16_t X;          // left edge of the run in client coordinates
    uint16_t HangWidth; // width of the hanging-word column beside this line, else 0
    uint16_t Width;     // measured width of the run; a rule's length
    uint16_t Height;    // text height of the font current when the line was made
    uint8_t Style;      // the record's Style; bit 7 only on the record's last line
};

struct TextPane {
    LineEntry* Lines; // LineCapacity + 1 entries (one spare for the ending entry)
    HDC DC;           // measuring and drawing; the caller's, kept for the pane's life
    uint8_t* Text;    // the ArticleText laid out
    int32_t PaintedLines;
    FontSpec PaneFont;
    FontCacheEntry* FontCache;
    int32_t Left, Top;
    int32_t Width, Height;
    uint16_t TopLine;
    uint16_t DisplayLines; // line entries plus the blank lines after paragraph ends
    uint16_t LineCount;
    uint16_t LineCapacity;
    uint16_t MaxTopLine;
    uint16_t HitStart; // first highlighted byte
    uint16_t HitEnd;   // one past the last; HitStart = HitEnd = 0: no highlight
};

// The shared UTF-16 output of conversions: grows to the largest conversion asked of it.
struct ConversionBuffer {
    WCHAR* Chars;
    int Capacity; // characters, not counting the terminator
};
extern struct ConversionBuffer ConversionBuffer;

// Results.
constexpr int PaneNoPane = -1; // every operation, when it is given no pane
constexpr int LayoutOk = 0;
constexpr int LayoutNoText = 2;
constexpr int LayoutRejected = 0xFFFC;
constexpr int LayoutOutOfMemory = 0xFFFE;
constexpr int GrowLinesFailed = -2;
constexpr int ResizeBadSize = -5;
constexpr int ScrollUnchanged = 1;
constexpr int ScrollChanged = 3;
constexpr int SetPaneFontLayoutFailed = 1;
constexpr int MirrorScratchFailed = 1;

// The line table.
constexpr uint16_t PaneInitialCapacity = 100;    // what the shell passes to CreatePane
constexpr uint16_t LineTableFirstCapacity = 128; // made by LayoutText when a pane has no table
constexpr uint16_t LineTableGrowth = 128;
// Offsets and line numbers are 16-bit: the layout stops at this many entries, so that DisplayLines
// (entries plus at most one blank line each) always fits.
constexpr int MaxLineEntries = 0x7FFF;
constexpr int MaxTextOffset = 0xFFFF;

// Fonts by style key.
constexpr int SelectWithColour = 0x100; // SelectPaneFont: also set the key's text colour
constexpr int LargeHeightNumerator = 5, LargeHeightDenominator = 4;
constexpr int SmallHeightNumerator = 6, SmallHeightDenominator = 8;
constexpr int DefaultLargeHeight = 20; // FontSize 0
constexpr int DefaultSmallHeight = 14;
constexpr COLORREF ColourSmallText = 0x800000;     // dark blue
constexpr COLORREF ColourLargeBoldText = 0xFF0000; // blue
constexpr COLORREF ColourPlainText = 0x000000;
// Highlight and banner.
constexpr COLORREF ColourHitText = 0xFF0000;
constexpr COLORREF ColourHitBack = 0x00FFFF;
constexpr COLORREF ColourBannerText = 0x0000FF;
constexpr COLORREF ColourBannerBack = 0x00FFFF;
constexpr COLORREF ColourFrameOuter = 0x0000FF;
constexpr COLORREF ColourFrameMiddle = 0xFFFFFF;
constexpr COLORREF ColourFrameInner = 0xFF0000;
constexpr int FrameOuterCount = 2, FrameMiddleCount = 1, FrameInnerCount = 2;
constexpr int BannerBottomGap = 2;      // pixels between the banner and the pane's bottom edge
constexpr int BannerVerticalFrame = 12; // the banner's height beyond its text rows, with the gap
constexpr int BannerSidePadding = 4;    // each side: the small font's height plus this
constexpr uint8_t BannerStyleKey = StyleSmall;

// Fonts and conversion (PaneFonts.cpp, TextConversion.cpp).
// Selects the font of the style key arg & 0x1F into the pane's DC (creating it once) and, with
// SelectWithColour, the key's text colour. Returns the font it replaced. When no font can be had
// (creation or the cache entry's allocation failed) nothing new is selected and the font that stays
// selected is returned, so that callers restore the right one.
HFONT SelectPaneFont(TextPane* pane, int arg);
HFONT AddStyleFont(TextPane* pane, uint8_t key); // null when the entry or the font failed
void CreateStyleFont(TextPane* pane, FontCacheEntry* entry, uint8_t key);
// LOGFONT height and weight, and the text colour, of a style key for a FontSize.
LONG StyleFontHeight(int32_t fontSize, uint8_t key);
LONG StyleFontWeight(uint8_t key);
COLORREF StyleTextColour(uint8_t key);
// spec null: releases every cached font (entries stay), 0. Otherwise recreates the fonts, lays the
// text out again and repaints: 1 when the layout fails, else PaintPane's result. -1 without a pane.
int SetPaneFont(TextPane* pane, const FontSpec* spec);

// Converts up to n bytes (stopping at a 0 byte) to display characters with the current
// ReaderState FontAsciiBase, mirrored in Reverse mode. With a buffer the result lives there until the
// next conversion; without one it is a new malloc block the caller frees. release (if given) is
// freed. Null when the output cannot be allocated.
WCHAR* ToDisplayText(const uint8_t* bytes, void* release, struct ConversionBuffer* buffer, int n);
// The same into the shared ConversionBuffer, also giving the number of characters converted.
WCHAR* ToDisplayTextCounted(const uint8_t* bytes, int n, int* length);
// Reverses n characters in place, swapping paired brackets. Always 0: it needs no scratch.
int MirrorReverse(WCHAR* chars, int n);
// True when drawn runs are mirrored: Reverse is set and the letters are not the Latin stand-ins.
bool DisplayIsReversed();
// On entry *width is the limit and *count the bytes to consider; on return the bytes of those that
// fit and their width. Always measures the unreversed order.
void MeasureFit(HDC dc, const uint8_t* bytes, int* width, int* count);
// The advances of the style key's font for the current FontAsciiBase, made once per font (null when
// the key has no font or the table cannot be made). The key's font must be the one selected.
const int32_t* StyleAdvances(TextPane* pane, uint8_t key);
// MeasureFit's result from an advance table: the same fit and width, in time proportional to the
// bytes that fit.
void MeasureFitAdvances(const int32_t* advances, const uint8_t* bytes, int* width, int* count);

// Layout and scroll positions (LineLayout.cpp).
TextPane* CreatePane(HDC dc, const RECT* rect, const FontSpec* spec, uint16_t capacity);
// 0, 2 (no text), 0xFFFC (rejected), 0xFFFE (out of memory) or -1 (no pane). With own set the pane
// takes the text in every case: it releases its old Text first, and a text it cannot attach
// (rejected or out of memory) is released too. With own clear the caller keeps a text that is not
// attached. text must end like UnCompress's output (ArticleTextPadding zero bytes).
int LayoutText(TextPane* pane, uint8_t* text, int own);
// The same layout with each line measured over the whole remainder of its record: the benchmark's
// baseline and the tests' oracle. Same results and entries as LayoutText.
int LayoutTextReference(TextPane* pane, uint8_t* text, int own);
int GrowLines(TextPane* pane, int index);
int ComputeMaxTopLine(TextPane* pane);
int ScrollToOffset(TextPane* pane, int offset);
int ScrollPane(TextPane* pane, int delta, int redraw, int clamp);
int ResizePane(TextPane* pane, int width, int height);
void DestroyPane(TextPane* pane, int releaseRecord);
// The bytes an entry stands for: its run and, on a hanging line, the hanging word with its spaces.
void EntrySpan(const TextPane* pane, const LineEntry* entry, int* start, int* end);
// The hanging word of a reversed-storage line: its first byte and its length (0 when absent).
const uint8_t* ReversedHangingWord(const TextPane* pane, const LineEntry* entry, int* length);
// The hanging word of a normal-storage line and the run after its spaces.
const uint8_t* NormalHangingWord(const TextPane* pane, const LineEntry* entry, int* length,
                                 const uint8_t** run);

// Drawing (PaneRendering.cpp).
int PaintPane(TextPane* pane, int erase);
int PaintHit(TextPane* pane);
void DrawHitRun(TextPane* pane, const uint8_t* run, int n, int x, int y);
void DrawRun(HDC dc, const uint8_t* run, int n, int x, int y, int width, int height);
void DrawRunColored(HDC dc, const uint8_t* run, int n, int x, int y, int width, int height, COLORREF text,
                    COLORREF back);
void FillPaneRect(HDC dc, int left, int top, int width, int height, int stockObject);
void DrawFrame(HDC dc, RECT* rect, COLORREF colour, int count);

struct PaneHeadings {
    int HeadingLength;
    const uint8_t* Heading; // null when absent
    int SubHeadingLength;
    const uint8_t* SubHeading;
};
PaneHeadings FindHeadings(const uint8_t* text);
void DrawLocationBanner(TextPane* pane);
