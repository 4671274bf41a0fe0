// MainWindow.h: the reader's single top-level window: its procedure, the command dispatcher, the
// menu bar (or command bar) with its tool buttons and check marks, the shared dialog set-up, and
// the program entry with its single-instance rule. The shell owns the menu bar window for the
// program's life; it is destroyed on the main window's destroy message.
#pragma once

#include "platform/Win32.h"

// The window class and the window name; a second copy finds the first by both.
inline constexpr const WCHAR* ReaderClassName = u"Kestrova";
inline constexpr const WCHAR* ReaderWindowName = u"Kestrova";
// The command line that sets TodayRequested (compared without case).
inline constexpr const WCHAR* TodayArgument = u"/today";

// Commands (the low word of WM_COMMAND's first parameter).
constexpr WORD CommandIndexAlternate = 107;
constexpr WORD CommandNextArticle = 109;
constexpr WORD CommandPreviousArticle = 110;
constexpr WORD CommandSearch = 116;
constexpr WORD CommandSearchAgain = 117;
constexpr WORD CommandIndex = 119;
constexpr WORD CommandReverse = 122;
constexpr WORD CommandBookmark = 123;
constexpr WORD CommandCheckForUpdates = 129;
constexpr WORD CommandSplitBase = 400; // split commands are 400 + the split code
constexpr WORD CommandSplitFirst = 401;
constexpr WORD CommandSplitLast = 434;
constexpr WORD CommandAbout = 40004;
constexpr WORD CommandExit = 40005;
constexpr WORD CommandFont = 40006;
constexpr WORD CommandCopy = 40007;
constexpr WORD CommandAppend = 40009;
// The menu bar's two buttons, whose popups are "&Go" and "&Varni".
constexpr WORD MenuButtonGo = 40001;
constexpr WORD MenuButtonVarni = 40003;
// A private message that closes the reader.
constexpr UINT ReaderCloseMessage = 0x03FF;

// The window-creation extended style, and the full-screen flags applied on creation and activation.
constexpr DWORD ReaderExStyle = 0x100;
constexpr DWORD ReaderFullScreenFlags = SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON; // 0x2A
// Platform versions from 4.21 on always have the menu bar at the bottom.
constexpr DWORD MenuBarOnBottomMajor = 4;
constexpr DWORD MenuBarOnBottomMinor = 21;
// The menu-bar resource, the menu, the tool images and the accelerator table.
constexpr WORD MenuBarResource = 102;
constexpr WORD ToolBitmapResource = 114;
constexpr int ToolImageCount = 6;
constexpr int ToolImageSize = 16;
constexpr WORD AcceleratorResource = 3;
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
