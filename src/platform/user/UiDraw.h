// UiDraw.h: the drawing steps the platform's own look repeats: a rectangle filled with one colour,
// a frame of a given width inside a rectangle, and a round disc with smoothed edges (radio marks).
// Each makes and deletes its brush; the DC's selections are left as they were.
#pragma once

#include "platform/Win32Types.h"

void UiFill(HDC dc, const RECT& rect, COLORREF colour);
void UiFrame(HDC dc, const RECT& rect, COLORREF colour, int width);
// The disc inscribed in rect (a circle when it is square), its edge pixels blended with what is
// already drawn there by how much of each pixel the disc covers.
void UiFillDisc(HDC dc, const RECT& rect, COLORREF colour);
