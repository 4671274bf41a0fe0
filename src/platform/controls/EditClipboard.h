// EditClipboard.h: the clipboard steps of the EDIT control (EditClipboard.cpp).
#pragma once

#include "platform/Win32Types.h"
#include "platform/controls/EditModel.h"

#include <string>

// Puts the selection on the clipboard as CF_UNICODETEXT; nothing for an empty selection or a
// password field.
void EditCopySelection(HWND window, const EditModel& model);
// The clipboard's CF_UNICODETEXT up to its terminator; empty when there is none.
std::u16string EditClipboardText(HWND window);
