// Navigation.h: the navigation layer's whole API: the bookmark list (Bookmarks.cpp), the section
// index stream with its bookmark group (SectionStream.cpp), the section tree laid out from it
// (SectionLayout.cpp), what is open and shown in it (SectionOpenState.cpp), its painting, tapping
// and scrolling (SectionView.cpp), and the tree the Choose Section dialog builds (SectionLoading.cpp).
//
// Ownership: the bookmark list belongs to ReaderState (SaveSettings frees it). A section stream is
// a malloc block; the functions that take one and return one say which they free. A SectionTree
// owns its stream, its row table and its style fonts; ReleaseSectionTree frees them. The device
// context a tree draws with is the caller's.
//
// Every stream handed to the tree functions is sealed: each record lies whole inside the buffer and
// an end record follows the last one, so a walk that trusts the records never leaves the buffer.
// SealSectionIndex makes such a stream from outside bytes; the joins below keep streams sealed.
#pragma once

#include "platform/Win32.h"
#include "shell/ReaderState.h"
#include "store/SectionIndexFormat.h"

#include <cstddef>
#include <cstdint>

// Bookmarks.
inline constexpr const WCHAR* RemoveBookmarkQuestion = u"Remove Bookmark?\n\nCancel - Don't ask again";
inline constexpr const WCHAR* RemoveBookmarkCaption = u"Bookmark";
// Reads "Bookmarks". A stored value is repaired as it is read: an odd last byte is ignored, every
// 0 entry and every repeat of an earlier lesson is left out, and the list is ended with its 0 entry
// whether or not the value held one; every other lesson is kept in its order.
void LoadBookmarks();
// Writes the list as (BookmarkCount + 1) 16-bit little-endian entries; no list: two zero bytes.
void SaveBookmarks();
int IsBookmarked();
void AddBookmark();
void RemoveBookmark();
// The Bookmark command: adds, or removes after asking (Yes removes, No keeps, Cancel removes and
// stops the asking for the rest of the run).
void ToggleBookmark(int bookmarked);

// The bookmark group in front of the index.
constexpr uint16_t BookmarkGroupId = 0x8877;
constexpr uint8_t BookmarkGroupAttributes = 0xC1; // shown, open, style 1
constexpr uint8_t BookmarkGroupLevel = 1;
inline constexpr const char BookmarkGroupLabel[] = "jiyu"; // letter code
constexpr uint8_t BookmarkEntryAttributes = 0x81;          // shown, style 1
constexpr uint8_t BookmarkEntryLevel = 2;

// Streams (SectionStream.cpp).
// A sealed copy of bytes[0, length): the records NextSectionRecord walks (at most MaxSectionIndexLength
// bytes with the end record), then five zero bytes. Frees bytes. Null when bytes is null or no memory.
uint8_t* SealSectionIndex(uint8_t* bytes, size_t length);
// The bytes of a sealed stream up to and including its five-byte end record.
size_t SectionStreamLength(const uint8_t* stream);
// The index with the bookmark group in front when there are bookmarks; otherwise (or when the group
// cannot be made) the index itself. index may be null.
uint8_t* AddBookmarkBlock(uint8_t* index);
// The group's records for the current list: its heading, one entry per bookmark that has a
// selectable record in index (its text), the end record. Null when there is no memory.
uint8_t* BuildBookmarkBlock(const uint8_t* index);
// a's records, then b's, then the end record, in a new buffer; frees a and b. Records that would
// take the stream past MaxSectionIndexLength are left out. b null: a; a null: b; no memory: frees a,
// gives b.
uint8_t* JoinSectionIndexes(uint8_t* a, uint8_t* b);

// The tree.
struct SectionRow {
    uint16_t TextOffset; // first byte of the row's text in the stream
    uint16_t Length;
    uint16_t X; // left edge of the text, client coordinates
    uint16_t TextWidth;
    uint16_t Height;
    uint16_t Id;
    uint8_t Attributes; // 0 ends the table
};

struct StyleFont {
    StyleFont* Next;
    HFONT Font;
    uint8_t Style;
};

struct SectionTree {
    SectionRow* Rows; // RowCapacity + 1 slots
    HDC DC;
    uint8_t* SectionIndex; // sealed; owned
    int32_t PaintedRows;
    ::FontSpec Font;
    StyleFont* StyleFonts; // newest first; owned
    int32_t Left, Top, Width, Height;
    uint16_t TopRow; // shown rows scrolled off above the view
    uint16_t VisibleRows;
    uint16_t RowCount;
    uint16_t RowCapacity;
    uint16_t MaxTopRow;
};

// Every laid-out row carries the bit of Attributes that records leave unused, so that hiding or
// closing a row of style 0 (Attributes 0x80 or 0x40 alone) never turns it into the end row.
constexpr uint8_t SectionRowPresent = SectionUnusedBit;

// Results.
constexpr int TreeLayoutOk = 0;
constexpr int TreeNoStream = 2;
constexpr int TreeRejected = -4;
constexpr int TreeOutOfMemory = -2;
constexpr int32_t TreeChanged = INT32_MIN; // a tap that only changed (or missed) the tree
// Rows.
constexpr uint16_t SectionTreeCapacity = 100;      // what the dialog asks for
constexpr uint16_t SectionRowsFirstCapacity = 128; // made by the layout when a tree has none
constexpr uint16_t SectionRowsGrowth = 128;
// Drawing.
constexpr int TreeBoxSize = 9;  // the 9 x 9 bitmaps 201-203
constexpr int TreeBoxGap = 4;   // between a row's text and its box
constexpr int TreeBoxZone = 13; // the tappable box zone right of the text
constexpr COLORREF TreeColourLargeBold = 0x00FF0000;
constexpr COLORREF TreeColourPlain = 0x00000000;
constexpr uint8_t TreeStartStyle = 0x01;

// Layout (SectionLayout.cpp).
SectionTree* CreateSectionTree(HDC dc, const RECT* rect, const FontSpec* font, uint16_t capacity);
// 0, 2 (no stream), -4 (first record without text), -2 (out of memory). freeOld frees the stream
// the tree held. On 0 the tree takes stream (and frees a different one it held); on any other result
// the caller keeps it. After -2 the table is empty: no row points into a stream the tree lacks.
int LayoutSectionTree(SectionTree* tree, uint8_t* stream, int freeOld);
int ResizeSectionTree(SectionTree* tree, int width, int height);
int GrowRows(SectionTree* tree, int row);
uint16_t ComputeMaxTopRow(SectionTree* tree);
HFONT SelectStyleFont(SectionTree* tree, uint8_t style, int colour);
void ReleaseSectionTree(SectionTree* tree, int freeTree);
// A row's indent from the right edge of the view.
inline int RowIndent(const SectionTree* tree, const SectionRow* row) {
    return tree->Left + tree->Width - int(row->X) - int(row->TextWidth);
}

// What is shown and open (SectionOpenState.cpp).
void RevealLesson(SectionTree* tree, uint16_t lesson);
void ShowRecordRows(SectionTree* tree, int row, int step);
// Pairs (Id, open bit) of the shown records then a 0, in a block the caller frees; null for none.
uint16_t* SaveOpenState(SectionTree* tree);
void RestoreOpenState(SectionTree* tree, const uint16_t* list);
// Opens or closes the heading of row; -(its number).
int32_t ToggleSection(SectionTree* tree, int row);

// The view (SectionView.cpp).
void PaintSectionTree(SectionTree* tree, int clear);
void DrawRowBox(SectionTree* tree, const SectionRow* row, int y);
// A lesson above 0, TreeChanged or another value below 0 (the tree changed), or 0 (nothing).
int32_t HitTestSectionTree(SectionTree* tree, int x, int y);
void ScrollSectionTree(SectionTree* tree, int delta, int repaint, int clamp);

// The dialog's tree (SectionLoading.cpp).
struct ChooseSectionState {
    uint16_t Result;
    HWND Dialog;
    HDC DC;
    RECT ClientRect;
    SectionTree* Tree;
    const ::FontSpec* Font;
};
extern struct ChooseSectionState ChooseSectionState;
// The index resource, decompressed and sealed; null when missing or damaged.
uint8_t* LoadSectionIndexStream();
// Builds ChooseSectionState.Tree: the index, the bookmark group, the tree for ClientRect laid out
// and the current lesson (Result) revealed.
void LoadSectionIndex();
