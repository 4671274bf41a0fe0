// ClipboardCopy.h: the "Copy" and "Append to ClipBoard" commands and their clipboard steps.
#pragma once

#include "platform/Win32.h"

#include <cstddef>

struct TextPane;

// The pane's whole article on the clipboard (append 0: replacing it; 1: joined to what it holds).
void CopyArticle(TextPane* pane, int append);
// A copy of the clipboard's data of a format, without its terminator, and its length in bytes; null
// (length 0) when there is none. The caller frees it.
void* ReadClipboardText(UINT format, size_t* bytes);
void PutUnicodeText(const WCHAR* text, size_t length, int append);
void PutRichText(const WCHAR* text, int append);
