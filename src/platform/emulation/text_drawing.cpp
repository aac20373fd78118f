// text_drawing.cpp -- text and single pixels on a surface's device context, shared by both platforms
//
// The game redraws the same few lines many times a second (fades, the pause line), so every
// line is rendered once by SDL_ttf into a one-bit mask and kept; drawing is then a plain fill
// of the mask in the context's two colours, whatever they are on this pass.
#include "platform/api/gdi.h"

#include <SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"
#include "fonts.h"

namespace {

// One crisp bold face for all of the game's text: a 17-pixel line fits the 20-pixel spacing of
// the text pages, and the longest page line stays inside 640 pixels.
constexpr int TextPixelSize = 14;

struct TextMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits; // 1 = ink
};

TTF_Font* Font = nullptr;
bool FontTried = false;
std::unordered_map<std::string, TextMask> Masks;

TTF_Font* GameFont() {
    if (FontTried) return Font;
    FontTried = true;
    if (!TTF_WasInit() && TTF_Init() != 0) {
        std::fprintf(stderr, "skirmo: cannot start the font renderer: %s\n", TTF_GetError());
        return nullptr;
    }
    std::string path = FindFontFile(true);
    if (path.empty()) {
        std::fprintf(stderr, "skirmo: DejaVu Sans Bold not found (install fonts-dejavu-core); "
                             "text will not be drawn\n");
        return nullptr;
    }
    Font = TTF_OpenFont(path.c_str(), TextPixelSize);
    if (!Font)
        std::fprintf(stderr, "skirmo: cannot open %s: %s\n", path.c_str(), TTF_GetError());
    else
        TTF_SetFontHinting(Font, TTF_HINTING_MONO);
    return Font;
}

const TextMask* MaskFor(const std::string& text) {
    auto found = Masks.find(text);
    if (found != Masks.end()) return &found->second;
    TTF_Font* font = GameFont();
    if (!font) return nullptr;
    // A bounded cache: the game has a few dozen distinct lines; anything beyond is unexpected.
    if (Masks.size() > 512) Masks.clear();
    TextMask mask;
    mask.height = TTF_FontHeight(font);
    SDL_Color ink{255, 255, 255, 255};
    SDL_Surface* rendered = text.empty() ? nullptr : TTF_RenderText_Solid(font, text.c_str(), ink);
    if (rendered) {
        mask.width = rendered->w;
        mask.height = rendered->h;
        mask.bits.assign(std::size_t(mask.width) * std::size_t(mask.height), 0);
        SDL_LockSurface(rendered);
        for (int y = 0; y < rendered->h; ++y) {
            const auto* row =
                static_cast<const std::uint8_t*>(rendered->pixels) + y * rendered->pitch;
            for (int x = 0; x < rendered->w; ++x)
                mask.bits[std::size_t(y * mask.width + x)] = row[x] != 0;
        }
        SDL_UnlockSurface(rendered);
        SDL_FreeSurface(rendered);
    }
    return &Masks.emplace(text, std::move(mask)).first->second;
}

SurfaceMemory* Target(HDC dc) {
    if (!dc || !dc->surface || !dc->surface->memory || !dc->surface->memory->dcOut) return nullptr;
    return dc->surface->memory;
}

} // namespace

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    if (!dc) return CLR_INVALID;
    COLORREF old = dc->textColour;
    dc->textColour = colour;
    return old;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    if (!dc) return CLR_INVALID;
    COLORREF old = dc->backColour;
    dc->backColour = colour;
    return old;
}

BOOL TextOutA(HDC dc, int x, int y, const char* text, int count) {
    SurfaceMemory* m = Target(dc);
    if (!m || !text || count < 0) return 0;
    BackendTextDrawn();
    std::string line(text, strnlen(text, std::size_t(count)));
    const TextMask* mask = MaskFor(line);
    if (!mask) return 1;
    std::uint16_t ink = ColourToPixel(dc->textColour);
    std::uint16_t paper = ColourToPixel(dc->backColour);
    for (int row = 0; row < mask->height; ++row) {
        long long sy = (long long)y + row;
        if (sy < 0 || sy >= m->height) continue;
        auto* out = reinterpret_cast<std::uint16_t*>(m->pixels + std::size_t(sy) * m->pitch);
        const std::uint8_t* bits = mask->bits.data() + std::size_t(row) * mask->width;
        // In 64 bits, so that no position however far off the surface can overflow.
        long long from = x < 0 ? -(long long)x : 0;
        long long to = mask->width;
        if ((long long)x + to > m->width) to = (long long)m->width - x;
        for (long long col = from; col < to; ++col)
            out[x + col] = bits[col] ? ink : paper;
    }
    return 1;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    SurfaceMemory* m = Target(dc);
    if (!m || x < 0 || y < 0 || x >= m->width || y >= m->height) return CLR_INVALID;
    return PixelToColour(reinterpret_cast<const std::uint16_t*>(m->pixels + y * m->pitch)[x]);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    SurfaceMemory* m = Target(dc);
    if (!m || x < 0 || y < 0 || x >= m->width || y >= m->height || colour == CLR_INVALID)
        return CLR_INVALID;
    std::uint16_t p = ColourToPixel(colour);
    reinterpret_cast<std::uint16_t*>(m->pixels + y * m->pitch)[x] = p;
    return PixelToColour(p);
}
