// gdi.h -- text and single pixels on a surface's device context
//
// Text is drawn in one bold sans font without smoothing, on an opaque box of the background
// colour, with its top-left corner at the given pixel. Colours are converted to the surface's
// 16-bit format by cutting off the low bits of each channel.
#pragma once

#include "wintypes.h"

COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
// Draws count characters of text (8-bit, Latin-1). Returns 1, or 0 for a bad context.
BOOL TextOutA(HDC dc, int x, int y, const char* text, int count);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
