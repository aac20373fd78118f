// keys_sdl.cpp -- one table between the game's virtual-key codes and SDL's keys, both ways
#include <SDL.h>

#include "platform/api/input.h"
#include "sdl_state.h"

namespace {

// The keys other than letters and digits that the game, the desktop's Alt keys or the window
// procedure name.
struct KeyName {
    int vKey;
    SDL_Keycode key;
};
constexpr KeyName NamedKeys[] = {
    {VK_RETURN, SDLK_RETURN}, {VK_RETURN, SDLK_KP_ENTER}, {VK_ESCAPE, SDLK_ESCAPE},
    {VK_SPACE, SDLK_SPACE},   {VK_TAB, SDLK_TAB},         {VK_MENU, SDLK_LALT},
    {VK_MENU, SDLK_RALT},     {VK_LEFT, SDLK_LEFT},       {VK_UP, SDLK_UP},
    {VK_RIGHT, SDLK_RIGHT},   {VK_DOWN, SDLK_DOWN},       {VK_F1, SDLK_F1},
    {VK_F1 + 1, SDLK_F2},     {VK_F1 + 2, SDLK_F3},       {VK_F4, SDLK_F4},
    {VK_F1 + 4, SDLK_F5},     {VK_F1 + 5, SDLK_F6},       {VK_F1 + 6, SDLK_F7},
    {VK_F1 + 7, SDLK_F8},     {VK_F1 + 8, SDLK_F9},       {VK_F1 + 9, SDLK_F10},
    {VK_F1 + 10, SDLK_F11},   {VK_F12, SDLK_F12},
};

} // namespace

// A letter or digit means the key that types it on the player's layout.
SDL_Keycode KeycodeFor(int vKey) {
    if (vKey >= 'A' && vKey <= 'Z') return SDL_Keycode('a' + (vKey - 'A'));
    if (vKey >= '0' && vKey <= '9') return SDL_Keycode(vKey);
    for (const KeyName& k : NamedKeys)
        if (k.vKey == vKey) return k.key;
    return SDLK_UNKNOWN;
}

int VirtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + int(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return int(key);
    for (const KeyName& k : NamedKeys)
        if (k.key == key) return k.vKey;
    return 0;
}
