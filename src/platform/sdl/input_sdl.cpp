// input_sdl.cpp -- the keyboard on the real machine
//
// The game spins on GetAsyncKeyState inside its waits, where no message is taken, so each call
// pumps SDL's events (at most once a millisecond) to keep the state current. The events stay
// queued for the message loop.
#include <SDL.h>

#include "../input.h"
#include "sdl_state.h"

namespace {

SDL_Scancode ScancodeFor(int vKey) {
    if (vKey >= 'A' && vKey <= 'Z') return SDL_GetScancodeFromKey(SDL_Keycode('a' + (vKey - 'A')));
    if (vKey >= '0' && vKey <= '9') return SDL_GetScancodeFromKey(SDL_Keycode(vKey));
    switch (vKey) {
    case VK_RETURN:
        return SDL_SCANCODE_RETURN;
    case VK_ESCAPE:
        return SDL_SCANCODE_ESCAPE;
    case VK_SPACE:
        return SDL_SCANCODE_SPACE;
    case VK_LEFT:
        return SDL_SCANCODE_LEFT;
    case VK_UP:
        return SDL_SCANCODE_UP;
    case VK_RIGHT:
        return SDL_SCANCODE_RIGHT;
    case VK_DOWN:
        return SDL_SCANCODE_DOWN;
    default:
        return SDL_SCANCODE_UNKNOWN;
    }
}

} // namespace

short GetAsyncKeyState(int vKey) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
    static Uint64 lastPump = 0;
    Uint64 now = SDL_GetTicks64();
    if (now != lastPump) {
        SDL_PumpEvents();
        lastPump = now;
    }
    ScreenOnWaitingPoll();
    SDL_Scancode code = ScancodeFor(vKey);
    if (code == SDL_SCANCODE_UNKNOWN) return 0;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    bool held = keys[code] != 0;
    if (vKey == VK_RETURN) held = held || keys[SDL_SCANCODE_KP_ENTER] != 0;
    return held ? short(0x8000) : short(0);
}
