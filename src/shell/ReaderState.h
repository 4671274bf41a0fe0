// ReaderState.h: the process-wide records that hold all of the reader's run-time state, their
// option bits, defaults and limits. There is one instance of each; every subsystem reads and
// writes the fields in place. The records own nothing but the bookmark list (freed at shutdown).
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>

struct TextPane;

// Limits of the stored texts.
constexpr int FontFaceCapacity = 32;     // UTF-16 units with the terminator (31 characters)
constexpr int SearchStringCapacity = 34; // bytes with the terminator (33 characters)

// Flags bits. Bits not named here are loaded and saved with the word and tested nowhere.
constexpr uint32_t FlagTapScrolls = 0x80000000;       // tapping a pane scrolls it
constexpr uint32_t FlagTapZonesVertical = 0x10000000; // tap zones by y (upper/lower), else by x
constexpr uint32_t FlagTapAmountMask = 0x07000000;    // 3-bit scroll amount of a tap
constexpr unsigned FlagTapAmountShift = 24;
constexpr uint32_t FlagPageAmountMask = 0x00700000; // 3-bit scroll amount of Page Up / Down
constexpr unsigned FlagPageAmountShift = 20;
constexpr uint32_t FlagReverse = 0x00000800;          // "Re&verse": displayed runs reversed
constexpr uint32_t FlagScrollBarsFollow = 0x000000C0; // either bit: the scroll bars follow the panes
constexpr uint32_t DefaultFlags = 0xD1140040;
// Scroll amounts 2 and 4 scroll half the visible lines; any other the visible lines minus one.
constexpr unsigned ScrollAmountHalfA = 2;
constexpr unsigned ScrollAmountHalfB = 4;

// BottomSection split codes: tens digit numerator, units digit denominator.
constexpr int32_t SplitNone = 1;
constexpr int32_t SplitHalf = 12;
constexpr int32_t SplitThird = 13;
constexpr int32_t SplitQuarter = 14;
constexpr int32_t SplitTwoThirds = 23;
constexpr int32_t SplitThreeQuarters = 34;
constexpr int32_t DefaultBottomSection = SplitHalf;

// Device flag defaults (read from the maker's key at start).
constexpr int32_t DefaultIgnoreActivate = 0;
constexpr int32_t DefaultFullScreen = 0;
constexpr int32_t DefaultAllowSipInHebrewSearch = 1;
constexpr int32_t DefaultMenuBarOnBottom = 0;
constexpr int32_t DefaultSurroundingGutter = 0;

// The number of tree bitmaps (201, 202, 203).
constexpr int TreeBitmapCount = 3;

// The font description: copied whole into each pane, edited by the font dialog.
struct FontSpec {
    WCHAR FontFace[FontFaceCapacity]; // empty: no font chosen yet
    int32_t FontSize;                 // font height handed to font creation; 0 lets the platform choose
    int32_t FontAsciiBase;            // code point alef is drawn at: 224, 0x5D0 or 97
};

struct ReaderState {
    HINSTANCE Instance;
    ::FontSpec FontSpec;
    uint16_t LastPosition; // top pane's first visible line to restore
    uint32_t Flags;
    uint16_t Lesson;                         // current article number, odd 1-249
    char SearchString[SearchStringCapacity]; // last search text, letter code
    TextPane* TopPane;
    int32_t MenuBarOnBottom;
    int32_t MenuBarHeight;
    int32_t SurroundingGutter;
    HWND MenuBar;
    HWND MainWindow;
    HBITMAP TreeBitmaps[TreeBitmapCount];
    uint16_t BookmarkCount;
    uint16_t* Bookmarks;    // zero-terminated; owned, freed at shutdown
    uint16_t BookmarkFlags; // bit 0: do not ask before removing a bookmark
    int32_t TodayRequested;
};
constexpr uint16_t BookmarkFlagNoAsk = 0x0001;

struct PaneState {
    HWND BottomPaneScrollBar; // created with the window name "Top"; scrolls the bottom pane
    HWND TopPaneScrollBar;    // created with the window name "Bottom"; scrolls the top pane
    HWND CurrentScrollBar;
    TextPane* BottomPane;
    TextPane* ActivePane; // null means the top pane
    RECT BottomRect;
    int32_t BottomSection; // split code
    uint16_t BottomSectionLastPosition;
};

extern struct ReaderState ReaderState;
extern struct PaneState PaneState;

// Single globals.
extern const WCHAR* const SettingsKeyPath; // "Software\Tellgrove\Kestrova"
extern int32_t AllowSipInHebrewSearch;
extern int32_t FullScreen;
extern int32_t IgnoreActivate;
extern HWND TaskBarWindow;
extern int32_t LastClientWidth;
extern int32_t LastClientHeight;

// Clears ReaderState to zeros and puts PaneState and the single globals back to their start
// values, as at program start (and between tests).
void ResetReaderState();
// The acting pane: ActivePane when set, otherwise TopPane.
TextPane* ActingPane();
// Registers the records' writers for the script driver's `state` command (ReaderStateJson.cpp).
void RegisterReaderStateWriters();
