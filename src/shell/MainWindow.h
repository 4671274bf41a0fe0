// MainWindow.h: the reader's single top-level window: its procedure, the command dispatcher, the
// menu bar (or command bar) with its tool buttons and check marks, the shared dialog set-up, and
// the program entry with its single-instance rule. The shell owns the menu bar window for the
// program's life; it is destroyed on the main window's destroy message.
#pragma once

#include "platform/Win32.h"
#include "resources/ResourceIds.h"

// The window class and the window name; a second copy finds the first by both.
inline constexpr const WCHAR* ReaderClassName = u"Kestrova";
inline constexpr const WCHAR* ReaderWindowName = u"Kestrova";
// The command line that sets TodayRequested (compared without case).
inline constexpr const WCHAR* TodayArgument = u"/today";

// Commands (the low word of WM_COMMAND's first parameter), typed names for the ids the resource
// script shares (resources/ResourceIds.h).
constexpr WORD CommandIndexAlternate = IDM_INDEX_ALT;
constexpr WORD CommandNextArticle = IDM_NEXT_ARTICLE;
constexpr WORD CommandPreviousArticle = IDM_PREVIOUS_ARTICLE;
constexpr WORD CommandSearch = IDM_SEARCH;
constexpr WORD CommandSearchAgain = IDM_SEARCH_AGAIN;
constexpr WORD CommandIndex = IDM_INDEX;
constexpr WORD CommandReverse = IDM_REVERSE;
constexpr WORD CommandBookmark = IDM_BOOKMARK;
constexpr WORD CommandCheckForUpdates = IDM_CHECK_UPDATES;
constexpr WORD CommandSplitBase = 400; // split commands are 400 + the split code
constexpr WORD CommandSplitFirst = IDM_SPLIT_NONE;
constexpr WORD CommandSplitLast = IDM_SPLIT_THREE_QUARTERS;
constexpr WORD CommandAbout = IDM_ABOUT;
constexpr WORD CommandExit = IDM_EXIT;
constexpr WORD CommandFont = IDM_FONT;
constexpr WORD CommandCopy = IDM_COPY;
constexpr WORD CommandAppend = IDM_APPEND;
// The menu bar's two buttons, whose popups are "&Go" and "&Varni".
constexpr WORD MenuButtonGo = IDM_GO;
constexpr WORD MenuButtonVarni = IDM_VARNI;
// A private message that closes the reader.
constexpr UINT ReaderCloseMessage = 0x03FF;

// The window-creation extended style, and the full-screen flags applied on creation and activation.
constexpr DWORD ReaderExStyle = 0x100;
constexpr DWORD ReaderFullScreenFlags = SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON; // 0x2A
// Platform versions from 4.21 on always have the menu bar at the bottom.
constexpr DWORD MenuBarOnBottomMajor = 4;
constexpr DWORD MenuBarOnBottomMinor = 21;
// The menu-bar resource, the menu, the tool images and the accelerator table.
constexpr WORD MenuBarResource = IDR_MENUBAR;
constexpr WORD ToolBitmapResource = IDB_TOOLBAR;
constexpr int ToolImageCount = 6;
constexpr int ToolImageSize = 16;
constexpr WORD AcceleratorResource = IDR_ACCELERATORS;
constexpr WORD CommandBarId = 1;
// InitDialogLayout's flags from the dialogs that fill the screen.
constexpr DWORD FullScreenDialogFlags = 0x1E;

// SetMenuCheck's modes.
constexpr int MenuCheckSet = 0;
constexpr int MenuCheckToggle = 1;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int DispatchCommand(HWND window, WPARAM wParam);
void BuildMenuBar(HWND window);
int SetMenuCheck(HMENU menu, int mode, UINT item, int value);
void UpdateReverseCheck(HWND window, int mode);
void UpdateBookmarkCheck(HWND window, int mode);
// Radio-checks the split item BottomSection + 400 in the "Varni" popup.
void CheckSplitItem(HWND window);
void InitDialogLayout(HWND dialog, DWORD flags);
// The "Go" and "Varni" popups, from the menu bar or the command bar.
HMENU GoPopup();
HMENU VarniPopup();

// The program entry: single instance, settings, window, message loop. Returns the exit code.
int ReaderMain(HINSTANCE instance, LPWSTR commandLine, int show);
HWND CreateMainWindow(int show);
