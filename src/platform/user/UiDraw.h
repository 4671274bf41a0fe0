// UiDraw.h: the two drawing steps every part of the platform's own look repeats: a rectangle filled
// with one colour, and a frame of a given width inside a rectangle. Each makes and deletes its
// brush; the DC's selections are left as they were.
#pragma once

#include "platform/Win32Types.h"

void UiFill(HDC dc, const RECT& rect, COLORREF colour);
void UiFrame(HDC dc, const RECT& rect, COLORREF colour, int width);
