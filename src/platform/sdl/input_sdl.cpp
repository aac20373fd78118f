// input_sdl.cpp -- the desktop's polls: its events taken in, and the keyboard's raw state
//
// The game spins on its polls inside its waits, where no message is taken, so each poll pumps
// SDL's events (at most once a millisecond) to keep the keyboard's state current. The events stay
// queued for the message loop; an exposure among them is noted as it comes in (screen_sdl.cpp).
#include <SDL.h>

#include "platform/api/input.h"
#include "platform/emulation/backend.h"
#include "platform/recording/demo_player.h"
#include "sdl_state.h"

bool PumpEvents() {
    static Uint64 lastPump = 0;
    Uint64 now = SDL_GetTicks64();
    if (now == lastPump) return false;
    SDL_PumpEvents();
    lastPump = now;
    // A demo's viewer closes the window to end it; the game's own close is in the recording.
    if (DemoPlaying()) ServeDemoViewer();
    return true;
}

bool BackendPoll(Poll poll) {
    BreatheAtPoll();
    const bool video = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    switch (poll) {
    case Poll::Keyboard: {
        // With no window there is no keyboard: nothing to take in, nothing to show.
        if (!video && !DemoPlaying()) return false;
        const bool fresh = video && PumpEvents();
        ScreenOnWaitingPoll();
        return fresh;
    }
    case Poll::Clock: {
        // The fades and the wipes read only the clock: an exposure meanwhile must come in too.
        const bool fresh = video && PumpEvents();
        ScreenOnClockPoll();
        return fresh;
    }
    case Poll::Messages:
        // The message loop takes SDL's events itself (BackendNextMessage), but a demo's game
        // never does.
        ScreenOnWaitingPoll();
        if (DemoPlaying() && video) PumpEvents();
        return false;
    }
    return false;
}

std::int64_t BackendNowNs() { return std::int64_t(SDL_GetTicks64()) * 1000000; }
bool BackendCloseWaiting() { return CloseWaiting(); }
bool BackendKeyboardThere() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

bool BackendKeyHeld(int vKey) {
    SDL_Keycode keycode = KeycodeFor(vKey);
    SDL_Scancode code =
        keycode == SDLK_UNKNOWN ? SDL_SCANCODE_UNKNOWN : SDL_GetScancodeFromKey(keycode);
    if (code == SDL_SCANCODE_UNKNOWN) return false;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    bool held = keys[code] != 0;
    if (vKey == VK_RETURN) held = held || keys[SDL_SCANCODE_KP_ENTER] != 0;
    if (vKey == VK_MENU) held = held || keys[SDL_SCANCODE_RALT] != 0;
    return held;
}
