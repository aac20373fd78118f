// screen_surface.cpp -- the picture drawn by the processor straight into the window
//
// Without graphics hardware, a renderer's scale is the processor emulating a graphics card: it
// clears and scales the whole screen through a general texture path at every frame, which was
// most of the game's cost on a big desktop and held it under the refresh rate at 3840 by 2160.
// Here each picture row is converted and stretched once into the window's own memory, the rows
// that repeat it are copied, and only the rectangle that changed goes to the desktop; the black
// bars are painted only when they may have gone.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/emulation/backend.h"
#include "screen_scale.h"
#include "sdl_state.h"

namespace {

SDL_Window* GameWindow = nullptr;
WholePaint Whole;

// A 16-bit pixel as the window's pixel; a window that is not 32-bit gets the picture drawn in
// 32 bits first and converted to its own format (slower, but it still shows).
std::vector<std::uint32_t> Table;
std::uint32_t TableFormat = SDL_PIXELFORMAT_UNKNOWN;
bool Direct = false; // the window's pixels are 32-bit: the table gives them straight
std::vector<std::uint32_t> Staging;

// Which screen column and row show which picture column and row.
std::vector<int> Columns, Rows;
int MapFromW = 0, MapFromH = 0, MapToW = -1, MapToH = -1;

bool Usable(const SDL_Surface* s) {
    return s && s->pixels && !SDL_ISPIXELFORMAT_INDEXED(s->format->format) &&
           s->format->BytesPerPixel >= 2;
}

void PrepareTable(const SDL_PixelFormat* format) {
    if (format->format == TableFormat && !Table.empty()) return;
    Direct = format->BytesPerPixel == 4;
    SDL_PixelFormat* wide = Direct ? nullptr : SDL_AllocFormat(SDL_PIXELFORMAT_RGB888);
    const SDL_PixelFormat* to = Direct ? format : wide;
    Table.resize(65536);
    for (std::uint32_t p = 0; p < 65536; ++p) {
        COLORREF c = PixelToColour(std::uint16_t(p));
        Table[p] = SDL_MapRGB(to, GetRValue(c), GetGValue(c), GetBValue(c));
    }
    if (wide) SDL_FreeFormat(wide);
    TableFormat = format->format;
}

void PrepareMaps(int fromW, int fromH, int toW, int toH) {
    if (fromW == MapFromW && fromH == MapFromH && toW == MapToW && toH == MapToH) return;
    Columns = ColumnMap(fromW, toW);
    Rows = RowMap(fromH, toH);
    MapFromW = fromW, MapFromH = fromH, MapToW = toW, MapToH = toH;
}

// The window's surface as it is now: a new one after every size change.
SDL_Surface* Target() {
    SDL_Surface* s = GameWindow ? SDL_GetWindowSurface(GameWindow) : nullptr;
    return Usable(s) ? s : nullptr;
}

void Show(bool whole, const SDL_Rect& part) {
    if (whole)
        SDL_UpdateWindowSurface(GameWindow);
    else if (part.w > 0 && part.h > 0)
        SDL_UpdateWindowSurfaceRects(GameWindow, &part, 1);
}

void FillBlack(SDL_Surface* s) { SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0)); }

} // namespace

bool SurfaceOpen(SDL_Window* window) {
    SDL_Surface* s = SDL_GetWindowSurface(window);
    if (!Usable(s)) return false;
    GameWindow = window;
    Whole = WholePaint{};
    return true;
}

void SurfaceClose() {
    GameWindow = nullptr;
    Columns.clear();
    Rows.clear();
    MapToW = MapToH = -1;
}

void SurfaceExposed() { Whole.Exposed(); }

void SurfaceOutputSize(int* w, int* h) {
    SDL_Surface* s = Target();
    *w = s ? s->w : 0;
    *h = s ? s->h : 0;
}

void SurfaceShowBlack() {
    SDL_Surface* s = Target();
    if (!s) return;
    Whole.Needed(s, s->w, s->h, FitRect{});
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
    FillBlack(s);
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    Show(true, SDL_Rect{});
}

void SurfaceShowFrame(const SurfaceMemory& front, const FitRect& changed) {
    SDL_Surface* s = Target();
    if (!s || front.width <= 0 || front.height <= 0) return;
    FitRect fit = FitPicture(s->w, s->h, front.width, front.height);
    bool whole = Whole.Needed(s, s->w, s->h, fit);
    PrepareTable(s->format);
    PrepareMaps(front.width, front.height, fit.w, fit.h);
    int x0 = 0, x1 = fit.w, y0 = 0, y1 = fit.h;
    if (!whole) {
        ScreenSpan(Columns, changed.x, changed.x + changed.w, &x0, &x1);
        ScreenSpan(Rows, changed.y, changed.y + changed.h, &y0, &y1);
        if (x0 >= x1 || y0 >= y1) return;
    }
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
    if (whole) FillBlack(s);
    auto* out = static_cast<std::uint8_t*>(s->pixels) + std::size_t(fit.y + y0) * s->pitch +
                std::size_t(fit.x + x0) * s->format->BytesPerPixel;
    if (Direct) {
        StretchArea(front.pixels, front.pitch, Table.data(), Columns, Rows, x0, x1, y0, y1, out,
                    s->pitch);
    } else {
        Staging.resize(std::size_t(x1 - x0) * std::size_t(y1 - y0));
        StretchArea(front.pixels, front.pitch, Table.data(), Columns, Rows, x0, x1, y0, y1,
                    reinterpret_cast<std::uint8_t*>(Staging.data()), (x1 - x0) * 4);
        SDL_ConvertPixels(x1 - x0, y1 - y0, SDL_PIXELFORMAT_RGB888, Staging.data(), (x1 - x0) * 4,
                          s->format->format, out, s->pitch);
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    Show(whole, SDL_Rect{fit.x + x0, fit.y + y0, x1 - x0, y1 - y0});
}

namespace {

// A picture centred on the window, cut where the window is smaller: over what is there when over
// is true, else on a black window (painted whole when needed).
void PutPicture(const std::uint32_t* pixels, int width, int height, bool over) {
    SDL_Surface* s = Target();
    if (!s || width <= 0 || height <= 0) return;
    FitRect place{(s->w - width) / 2, (s->h - height) / 2, width, height};
    bool whole = !over && Whole.Needed(s, s->w, s->h, place);
    int sx = place.x < 0 ? -place.x : 0, sy = place.y < 0 ? -place.y : 0;
    int w = std::min(width - sx, s->w), h = std::min(height - sy, s->h);
    SDL_Rect part{place.x + sx, place.y + sy, w, h};
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
    if (whole) FillBlack(s);
    auto* out = static_cast<std::uint8_t*>(s->pixels) + std::size_t(part.y) * s->pitch +
                std::size_t(part.x) * s->format->BytesPerPixel;
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, pixels + std::size_t(sy) * width + sx,
                      width * 4, s->format->format, out, s->pitch);
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    Show(whole, part);
}

} // namespace

void SurfaceShowPicture(const std::uint32_t* pixels, int width, int height) {
    PutPicture(pixels, width, height, false);
}

void SurfaceShowOver(const std::uint32_t* pixels, int width, int height) {
    PutPicture(pixels, width, height, true);
}
