// ChooseSectionDialog.h: the "Choose Section" dialog: the section tree in a full-screen dialog that
// ends with the lesson of the entry tapped (the current lesson on OK, 0 on Cancel).
#pragma once

#include "platform/Win32.h"
#include "shell/ReaderState.h"

#include <cstdint>

uint16_t ChooseSection(HINSTANCE instance, HWND owner, uint16_t lesson, const FontSpec* font);
INT_PTR CALLBACK ChooseSectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The dialog's scroll bar: range 0 to MaxTopRow, position TopRow.
void UpdateTreeScrollBar();
