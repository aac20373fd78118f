// input_sdl.cpp -- the keyboard on the real machine
//
// The game spins on GetAsyncKeyState inside its waits, where no message is taken, so each call
// pumps SDL's events (at most once a millisecond) to keep the state current. The events stay
// queued for the message loop.
#include <SDL.h>

#include "../input.h"
#include "sdl_state.h"

namespace {

// The keys other than letters and digits that the game or the desktop's Alt keys name.
struct KeyName {
    int vKey;
    SDL_Keycode key;
};
constexpr KeyName NamedKeys[] = {
    {VK_RETURN, SDLK_RETURN}, {VK_RETURN, SDLK_KP_ENTER}, {VK_ESCAPE, SDLK_ESCAPE},
    {VK_SPACE, SDLK_SPACE},   {VK_TAB, SDLK_TAB},         {VK_F4, SDLK_F4},
    {VK_LEFT, SDLK_LEFT},     {VK_UP, SDLK_UP},           {VK_RIGHT, SDLK_RIGHT},
    {VK_DOWN, SDLK_DOWN},
};

// A letter or digit means the key that types it on the player's layout.
SDL_Keycode KeycodeFor(int vKey) {
    if (vKey >= 'A' && vKey <= 'Z') return SDL_Keycode('a' + (vKey - 'A'));
    if (vKey >= '0' && vKey <= '9') return SDL_Keycode(vKey);
    for (const KeyName& k : NamedKeys)
        if (k.vKey == vKey) return k.key;
    return SDLK_UNKNOWN;
}

} // namespace

int VirtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + int(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return int(key);
    for (const KeyName& k : NamedKeys)
        if (k.key == key) return k.vKey;
    return 0;
}

short GetAsyncKeyState(int vKey) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
    static Uint64 lastPump = 0;
    Uint64 now = SDL_GetTicks64();
    if (now != lastPump) {
        SDL_PumpEvents();
        lastPump = now;
    }
    ScreenOnWaitingPoll();
    SDL_Keycode keycode = KeycodeFor(vKey);
    SDL_Scancode code =
        keycode == SDLK_UNKNOWN ? SDL_SCANCODE_UNKNOWN : SDL_GetScancodeFromKey(keycode);
    if (code == SDL_SCANCODE_UNKNOWN) return 0;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    bool held = keys[code] != 0;
    if (vKey == VK_RETURN) held = held || keys[SDL_SCANCODE_KP_ENTER] != 0;
    return held ? short(0x8000) : short(0);
}
