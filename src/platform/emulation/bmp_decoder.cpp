// bmp_decoder.cpp -- picture files as bitmaps, and their stretching onto surfaces
//
// SDL's BMP reader decodes the file (and the dialog's title picture); the pixels are kept as
// colours at the size asked for, and StretchBlt turns them into the surface's 16-bit pixels with
// the same conversion as text, so that black is 0 and anything too dark to differ from black is
// 0 too.
#include "platform/api/gdi.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <unordered_map>
#include <vector>

#include "backend.h"
#include "platform/api/byte_order.h"
#include "platform/api/files.h"

struct GdiBitmap {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels; // row after row from the top
    HDC selectedInto = nullptr;
};

namespace {

// No picture of the game comes near these; a file that claims more is refused before anything
// is allocated for it.
constexpr std::size_t MaxFileBytes = 32u << 20;
constexpr long long MaxPixels = 16ll << 20;
constexpr int MaxSide = 8192;

// Memory contexts and the bitmap each holds.
std::unordered_map<HDC, HBITMAP> MemoryContexts;

// The picture's size from its headers, so that a corrupt file cannot ask for gigabytes.
bool SaneHeader(const std::uint8_t* b, std::size_t size) {
    if (!b || size < 26 || size > MaxFileBytes || b[0] != 'B' || b[1] != 'M') return false;
    bool old = LittleEndian(b + 14, 4) == 12; // a 12-byte header gives its sizes in 16 bits
    long long w = old ? LittleEndian(b + 18, 2) : std::llabs(std::int32_t(LittleEndian(b + 18, 4)));
    long long h = old ? LittleEndian(b + 20, 2) : std::llabs(std::int32_t(LittleEndian(b + 22, 4)));
    return w > 0 && h > 0 && w * h <= MaxPixels;
}

} // namespace

SDL_Surface* DecodeBmp(const std::uint8_t* bytes, std::size_t size) {
    if (!SaneHeader(bytes, size)) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes, int(size));
    if (!rw) return nullptr;
    SDL_Surface* decoded = SDL_LoadBMP_RW(rw, 1);
    if (!decoded) return nullptr;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(decoded);
    return argb;
}

HBITMAP LoadImageA(HINSTANCE, const char* name, UINT type, int width, int height, UINT flags) {
    if (!name || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || width < 0 || height < 0 ||
        width > MaxSide || height > MaxSide)
        return nullptr;
    std::vector<std::uint8_t> bytes;
    if (ReadGameFile(name, MaxFileBytes, bytes) != GameFileRead::Read) return nullptr;
    SDL_Surface* picture = DecodeBmp(bytes.data(), bytes.size());
    if (!picture) {
        ReportBadGameFile(name, "not a picture the game can read");
        return nullptr;
    }
    auto* bitmap = new (std::nothrow) GdiBitmap;
    if (!bitmap) {
        SDL_FreeSurface(picture);
        return nullptr;
    }
    bitmap->width = width ? width : picture->w;
    bitmap->height = height ? height : picture->h;
    bitmap->pixels.resize(std::size_t(bitmap->width) * std::size_t(bitmap->height));
    // Scaled on loading by the nearest pixel: a 16 by 16 tile asked for at 32 by 32 becomes
    // every pixel doubled.
    SDL_LockSurface(picture);
    for (int y = 0; y < bitmap->height; ++y) {
        int sy = int((long long)y * picture->h / bitmap->height);
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(picture->pixels) + sy * picture->pitch);
        for (int x = 0; x < bitmap->width; ++x) {
            std::uint32_t p = row[(long long)x * picture->w / bitmap->width];
            bitmap->pixels[std::size_t(y) * std::size_t(bitmap->width) + std::size_t(x)] =
                RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
        }
    }
    SDL_UnlockSurface(picture);
    SDL_FreeSurface(picture);
    return bitmap;
}

HDC CreateCompatibleDC(HDC) {
    auto* dc = new (std::nothrow) DeviceContext;
    if (dc) MemoryContexts[dc] = nullptr;
    return dc;
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap) {
    auto found = MemoryContexts.find(dc);
    if (found == MemoryContexts.end() || !bitmap || bitmap->selectedInto) return nullptr;
    HBITMAP previous = found->second;
    if (previous) previous->selectedInto = nullptr;
    found->second = bitmap;
    bitmap->selectedInto = dc;
    return previous;
}

int GetObjectA(HBITMAP bitmap, int size, void* out) {
    if (!bitmap || !out || size < int(sizeof(BITMAP))) return 0;
    BITMAP info{};
    info.bmWidth = bitmap->width;
    info.bmHeight = bitmap->height;
    info.bmWidthBytes = bitmap->width * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = 32;
    *static_cast<BITMAP*>(out) = info;
    return int(sizeof(BITMAP));
}

BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    auto found = MemoryContexts.find(source);
    if (rop != SRCCOPY || found == MemoryContexts.end() || !found->second) return 0;
    const GdiBitmap& bitmap = *found->second;
    if (!destination || !destination->surface || !destination->surface->memory) return 0;
    SurfaceMemory& m = *destination->surface->memory;
    if (!m.dcOut || width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return 0;
    for (int row = 0; row < height; ++row) {
        long long dy = (long long)y + row;
        long long sy = sourceY + (long long)row * sourceHeight / height;
        if (dy < 0 || dy >= m.height || sy < 0 || sy >= bitmap.height) continue;
        auto* out = reinterpret_cast<std::uint16_t*>(m.pixels + std::size_t(dy) * m.pitch);
        for (int col = 0; col < width; ++col) {
            long long dx = (long long)x + col;
            long long sx = sourceX + (long long)col * sourceWidth / width;
            if (dx < 0 || dx >= m.width || sx < 0 || sx >= bitmap.width) continue;
            out[dx] = ColourToPixel(
                bitmap.pixels[std::size_t(sy) * std::size_t(bitmap.width) + std::size_t(sx)]);
        }
    }
    return 1;
}

BOOL DeleteDC(HDC dc) {
    auto found = MemoryContexts.find(dc);
    if (found == MemoryContexts.end()) return 0;
    if (found->second) found->second->selectedInto = nullptr;
    MemoryContexts.erase(found);
    delete dc;
    return 1;
}

BOOL DeleteObject(HBITMAP bitmap) {
    if (!bitmap || bitmap->selectedInto) return 0;
    delete bitmap;
    return 1;
}
