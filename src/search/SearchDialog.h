// SearchDialog.h: the search dialog (resource 115) with its keyboard picture, and the search's
// window-side calls: SearchNext finds and shows the next hit, ShowFoundArticle makes a hit's
// article current.
#pragma once

#include "platform/Win32.h"
#include "resources/ResourceIds.h"

#include <cstdint>

// KeyboardHitTest's answer for a tap that is no key.
constexpr int KeyboardNoKey = -1;

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The key under a tap in the dialog's client coordinates: 1-27, 0 for the space bar, or KeyboardNoKey.
int KeyboardHitTest(int x, int y);
void InsertKeyboardLetter(HWND dialog, int key);

// 1 when a hit was found and shown; 0 for an empty search string or nothing found ("Not Found!"
// owned by owner).
int SearchNext(HWND owner);
// Makes the hit's article current and the pane that holds it the acting pane. text (another
// article's, from the scan) goes to that pane, which owns it; inStart: the hit is in the start
// article, which stays.
void ShowFoundArticle(HWND owner, int start, int inStart, int article, uint8_t* text);
