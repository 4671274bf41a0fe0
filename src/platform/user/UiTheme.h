// UiTheme.h: the one set of colours and metrics the platform draws its own parts with: captions,
// buttons, lists, edits, scroll bars, menus and message boxes. A flat, light look with one accent
// colour, sized for touch; change a value here and every control follows.
#pragma once

#include "platform/Win32Types.h"

// Surfaces.
constexpr COLORREF UiWindowColour = RGB(255, 255, 255);  // edits, lists, dialog background
constexpr COLORREF UiFaceColour = RGB(240, 240, 240);    // buttons, bars
constexpr COLORREF UiPressedColour = RGB(204, 204, 204); // a button held down
constexpr COLORREF UiBorderColour = RGB(160, 160, 160);
constexpr COLORREF UiTextColour = RGB(0, 0, 0);
constexpr COLORREF UiGrayTextColour = RGB(150, 150, 150); // disabled text
constexpr COLORREF UiAccentColour = RGB(0, 99, 177);      // selection, focus, default button, caption
constexpr COLORREF UiAccentTextColour = RGB(255, 255, 255);
constexpr COLORREF UiCaptionColour = UiAccentColour;
constexpr COLORREF UiCaptionTextColour = UiAccentTextColour;

// Scroll bars.
constexpr COLORREF UiTrackColour = RGB(232, 232, 232);
constexpr COLORREF UiThumbColour = RGB(168, 168, 168);
constexpr COLORREF UiThumbActiveColour = RGB(112, 112, 112);
constexpr COLORREF UiArrowColour = RGB(80, 80, 80);
constexpr int UiScrollThumbMin = 10;     // the shortest thumb, so it stays easy to grab
constexpr int UiScrollRepeatDelay = 350; // ms before a held arrow or page click repeats
constexpr int UiScrollRepeatRate = 60;   // ms between repeats

// Buttons, check marks and focus.
constexpr int UiCheckBoxSize = 13;
// A radio mark's ring is a twelfth of its size thick (at least a pixel), and its checked dot
// leaves a quarter of the size free on each side: a 7-pixel dot in a 13-pixel ring.
constexpr int UiRadioRingDivisor = 12;
constexpr int UiRadioDotDivisor = 4;
constexpr int UiFocusWidth = 1;

// Menus and bars.
// The handheld's proportions: a popup of thirteen items, five separators and shortcut texts fits
// the 240 x 288 above a 240 x 320 screen's menu bar; rows of 19 pixels are ones a stylus hits.
constexpr int UiMenuItemPadding = 4; // added to the font's height
constexpr int UiMenuSeparatorHeight = 5;
constexpr int UiMenuCheckColumn = 24; // the column for check and radio marks
constexpr int UiMenuRadioRadius = 3;  // a radio item's round mark: 7 pixels across
constexpr int UiMenuTextGap = 16;     // between an item's text and its shortcut text
constexpr int UiMenuSideMargin = 10;
constexpr int UiMenuFontHeight = -12; // em height of the menu, bar and tooltip font
constexpr COLORREF UiMenuHotColour = UiAccentColour;
constexpr COLORREF UiMenuHotTextColour = UiAccentTextColour;
