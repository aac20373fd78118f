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

// --- bitmaps: picture files loaded at a requested size and stretched onto a surface ---
//
// A loaded bitmap holds its pixels as colours; StretchBlt converts them to the surface's 16-bit
// format the way text colours are converted, so black always arrives as the pixel value 0.

struct GdiBitmap;
using HBITMAP = GdiBitmap*;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr DWORD SRCCOPY = 0x00CC0020;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// Reads a BMP file (type IMAGE_BITMAP, flags LR_LOADFROMFILE, name relative to the current
// directory) scaled to width by height (0: the file's own). Null when the file is missing, not
// a BMP, or unreasonably large.
HBITMAP LoadImageA(HINSTANCE instance, const char* name, UINT type, int width, int height,
                   UINT flags);
// A memory context to select a bitmap into, as the source of StretchBlt. Null never happens
// here, but callers check.
HDC CreateCompatibleDC(HDC dc);
// Selects the bitmap into a memory context; returns the one it held before (or null).
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);
// Fills a BITMAP (size must be sizeof(BITMAP)); returns the bytes written, 0 for a bad bitmap.
int GetObjectA(HBITMAP bitmap, int size, void* out);
// Copies the source rectangle of the bitmap selected into source onto the destination
// rectangle of a surface's context, scaled by the nearest pixel; only SRCCOPY. Returns 1, or 0
// when either context or the rectangles are unusable. Pixels outside the surface are skipped.
BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop);
// Frees a memory context (its bitmap stays). Returns 1, or 0 for anything else.
BOOL DeleteDC(HDC dc);
// Frees a bitmap. Returns 1, or 0 when it is still selected into a context.
BOOL DeleteObject(HBITMAP bitmap);
