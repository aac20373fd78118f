// pixels.cpp -- reading the display's pixel format and packing colours into it
#include "display/pixels.h"

#include <cstdio>
#include <cstdlib>

#include "core/game_globals.h"

PixelFormat PixelFormatInfo{};
LockedFrame FrameBuffer{};

static const GlobalsReset Reset(PixelFormatInfo, FrameBuffer);

#ifdef SKIRMO_CHECKED_PIXELS
void PixelOutOfBounds(std::int32_t x, std::int32_t y) {
    std::fprintf(stderr, "PutPixel(%d, %d) outside the locked %d by %d surface\n", int(x), int(y),
                 int(FrameBuffer.Width), int(FrameBuffer.Height));
    std::abort();
}
#endif

namespace {

// Set bits among the 16 low bit positions; the counter is 8 bits wide, as the shifts are.
std::uint8_t CountBits16(std::uint32_t mask) {
    std::uint8_t count = 0;
    for (std::uint32_t bit = 1; bit < 65536; bit *= 2)
        if (mask & bit) ++count;
    return count;
}

} // namespace

int AnalysePixelFormat(IDirectDrawSurface* surface, PixelFormat* info) {
    if (!surface || !info) return 0;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_PIXELFORMAT;
    if (surface->GetSurfaceDesc(&desc) != DD_OK) return 0;
    const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
    std::uint8_t blueBits = CountBits16(pf.dwBBitMask);
    std::uint8_t greenBits = CountBits16(pf.dwGBitMask);
    // The red bits are counted too, but nothing needs their number: red is always on top.
    (void)CountBits16(pf.dwRBitMask);
    info->RedMask = pf.dwRBitMask;
    info->GreenMask = pf.dwGBitMask;
    info->BlueMask = pf.dwBBitMask;
    info->BlueShift = 0;
    info->GreenShift = blueBits;
    info->RedShift = std::uint8_t(blueBits + greenBits);
    return 1;
}

std::uint16_t PackColor(std::int32_t red, std::int32_t green, std::int32_t blue,
                        const PixelFormat* info) {
    // A shift of 32 or more would be undefined; its bits would all fall out of 16 anyway.
    auto shifted = [](std::int32_t v, unsigned s) { return s < 32 ? std::uint32_t(v) << s : 0u; };
    std::uint32_t packed =
        shifted(red, info->RedShift) | shifted(green, info->GreenShift) | std::uint32_t(blue);
    return std::uint16_t(packed & 0xFFFF);
}
