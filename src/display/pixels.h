// pixels.h -- the 16-bit pixel model all software drawing uses
//
// The display's pixel format is read once from the primary surface; colours are packed into
// it by plain shifts, and pixels are written straight into the memory of the surface that was
// locked last.
#pragma once

#include <cstdint>

#include "platform/api/ddraw.h"

struct PixelFormat {
    std::uint32_t RedMask;
    std::uint32_t GreenMask;
    std::uint32_t BlueMask;
    std::uint8_t BlueShift;  // always 0
    std::uint8_t GreenShift; // the number of blue bits
    std::uint8_t RedShift;   // blue bits + green bits
};

struct LockedFrame {
    std::uint8_t* Base; // first byte of the locked surface's pixels
    std::int32_t Pitch; // bytes from one row to the next
    std::int32_t Width; // the locked surface's size, for the checked builds' PutPixel
    std::int32_t Height;
};

extern PixelFormat PixelFormatInfo;
extern LockedFrame FrameBuffer;

// Reads the surface's pixel format into info. Returns 1, or 0 (info untouched) when the
// surface's description cannot be read.
int AnalysePixelFormat(IDirectDrawSurface* surface, PixelFormat* info);
// Packs three channels into one pixel: (red << red shift) | (green << green shift) | blue, cut
// to 16 bits. Channels are neither scaled nor masked: 255 fills a field with ones and spills
// into the next, which is what makes 255, 255, 255 white in every format.
std::uint16_t PackColor(std::int32_t red, std::int32_t green, std::int32_t blue,
                        const PixelFormat* info);
#ifdef SKIRMO_CHECKED_PIXELS
// The test and sanitizer builds: a write outside the locked surface stops the program at once,
// naming the pixel, instead of landing quietly in the next row.
[[noreturn]] void PixelOutOfBounds(std::int32_t x, std::int32_t y);
#endif

// Stores one pixel into FrameBuffer, unclipped and unchecked: the caller keeps x and y on screen.
inline void PutPixel(std::int32_t x, std::int32_t y, std::uint16_t colour) {
#ifdef SKIRMO_CHECKED_PIXELS
    if (x < 0 || y < 0 || x >= FrameBuffer.Width || y >= FrameBuffer.Height) PixelOutOfBounds(x, y);
#endif
    *reinterpret_cast<std::uint16_t*>(FrameBuffer.Base + y * FrameBuffer.Pitch + 2 * x) = colour;
}
