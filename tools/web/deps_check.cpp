// deps_check.cpp -- the page's libraries tried together: SDL2, SDL2_ttf on FreeType and
// HarfBuzz, and zlib
//
// scripts/web-deps --check builds this with em++ and runs it under node, and builds it for the
// desktop too: the two must print the same lines, so the page's text is drawn with the same
// pixels and compressed into the same bytes. Usage: deps_check FONT.ttf
#include <SDL.h>
#include <SDL_ttf.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <vector>

static int Fail(const char* what) {
    std::printf("failed: %s: %s\n", what, SDL_GetError());
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: deps_check FONT.ttf");
    // No screen under node or in a test: the dummy driver still runs SDL's video start-up.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail("SDL_Init");
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    std::printf("SDL %d.%d.%d, video driver %s\n", sdl.major, sdl.minor, sdl.patch,
                SDL_GetCurrentVideoDriver());

    if (TTF_Init() != 0) return Fail("TTF_Init");
    const SDL_version* ttf = TTF_Linked_Version();
    int ftMajor = 0, ftMinor = 0, ftPatch = 0;
    TTF_GetFreeTypeVersion(&ftMajor, &ftMinor, &ftPatch);
    std::printf("SDL_ttf %d.%d.%d, FreeType %d.%d.%d\n", ttf->major, ttf->minor, ttf->patch,
                ftMajor, ftMinor, ftPatch);
    // As the game draws its lines (14 pixels) and the dialog its own (11, and 22 on a large
    // screen): monochrome hinting, solid.
    std::vector<unsigned char> pixels;
    for (int size : {11, 14, 22}) {
        TTF_Font* font = TTF_OpenFont(argv[1], size);
        if (!font) return Fail("TTF_OpenFont");
        TTF_SetFontHinting(font, TTF_HINTING_MONO);
        SDL_Surface* text =
            TTF_RenderText_Solid(font, "LEVEL 1 -- Press SPACE to go on. 0123456789 AVWAY To Ta",
                                 SDL_Color{255, 255, 255, 255});
        if (!text) return Fail("TTF_RenderText_Solid");
        // The rows without the pitch's padding, which nobody draws.
        std::size_t start = pixels.size();
        for (int y = 0; y < text->h; ++y) {
            const auto* row = static_cast<const unsigned char*>(text->pixels) + y * text->pitch;
            pixels.insert(pixels.end(), row, row + text->w);
        }
        std::uint32_t hash = 2166136261u;
        for (std::size_t i = start; i < pixels.size(); ++i)
            hash = (hash ^ pixels[i]) * 16777619u;
        std::printf("text at %d pixels: %dx%d, pixels hash %08x\n", size, text->w, text->h,
                    unsigned(hash));
        SDL_FreeSurface(text);
        TTF_CloseFont(font);
    }

    uLongf packedSize = compressBound(uLong(pixels.size()));
    std::vector<Bytef> packed(packedSize);
    if (compress2(packed.data(), &packedSize, pixels.data(), uLong(pixels.size()), 9) != Z_OK)
        return Fail("compress2");
    std::vector<unsigned char> unpacked(pixels.size());
    uLongf unpackedSize = uLongf(unpacked.size());
    if (uncompress(unpacked.data(), &unpackedSize, packed.data(), packedSize) != Z_OK ||
        unpacked != pixels)
        return Fail("uncompress");
    std::printf("zlib %s: %zu bytes packed into %lu, crc32 %08lx\n", zlibVersion(), pixels.size(),
                packedSize, crc32(0, packed.data(), uInt(packedSize)));

    TTF_Quit();
    SDL_Quit();
    return 0;
}
