// ShellBar.h: the bar window behind both the bottom menu bar and the top command bar: menu buttons
// that open popups, tool buttons with images from bitmap strips, tooltips, and an optional close
// button. The record is the window's (freed on WM_NCDESTROY) and owns its menu and bitmaps.
#pragma once

#include "platform/Win32.h"

#include <string>
#include <vector>

struct ShellBarButton {
    bool MenuButton; // opens Popup; otherwise a tool button that sends Command
    std::u16string Text;
    HMENU Popup;
    int Image; // index into the bar's images; -1 or -2: none
    UINT Command;
    BYTE State;
    BYTE Style;
    RECT Rect; // in the bar's client coordinates
};

struct ShellBarRecord {
    bool AtBottom; // the handheld's menu bar; otherwise a command bar at the top
    int Height;
    HMENU Menu; // the loaded menu (owned)
    std::vector<ShellBarButton> Buttons;
    std::vector<HBITMAP> Strips; // bitmap strips (owned), each StripImages images wide
    std::vector<int> StripFirst; // the first image index of each strip
    int ImageCount;              // images added so far
    int ImageWidth, ImageHeight;
    std::vector<std::u16string> ToolTips;
    bool CloseButton;
    int Pressed;  // the button held down (-1: none; Buttons.size(): the close button)
    int TipFor;   // the button whose tooltip shows (-1: none)
    int HoverFor; // the button the pointer rests on, waiting for its tooltip
    HWND Tip;     // the tooltip window (a child of the parent), or null
};

inline constexpr const WCHAR* ShellBarClassName = u"ToolbarWindow32";

// Creates a bar docked to the top or bottom of parent's client area.
HWND ShellBarCreate(HWND parent, HINSTANCE instance, bool atBottom, int id);
ShellBarRecord* ShellBarFind(HWND bar);
// Adds a menu button per popup of menu (which the bar then owns), with the popups' texts, or with
// texts given by the caller (one per button).
void ShellBarSetMenu(HWND bar, HMENU menu);
void ShellBarAddMenuButton(HWND bar, const std::u16string& text, HMENU popup, UINT command);
// Opens the popup of menu button `index` (hot: highlight its first item, as the keyboard does).
void ShellBarOpenMenu(HWND bar, int index, bool hot);
void ShellBarLayout(HWND bar);
