// input_sdl.cpp -- the keyboard on the real machine
//
// The game spins on GetAsyncKeyState inside its waits, where no message is taken, so each call
// pumps SDL's events (at most once a millisecond) to keep the state current. The events stay
// queued for the message loop; an exposure among them is noted as it comes in (screen_sdl.cpp),
// and a close left there unread ends the program (signals.h).
#include <SDL.h>

#include "platform/recording/demo_player.h"
#include "platform/emulation/gamepad.h"
#include "platform/api/input.h"
#include "platform/recording/recorder.h"
#include "platform/emulation/signals.h"
#include "sdl_state.h"

void PumpEvents() {
    static Uint64 lastPump = 0;
    Uint64 now = SDL_GetTicks64();
    if (now != lastPump) {
        SDL_PumpEvents();
        lastPump = now;
        // A demo's viewer closes the window to end it; the game's own close is in the recording.
        if (DemoPlaying())
            ServeDemoViewer();
        else
            EndIfCloseWaits(CloseWaiting(), std::int64_t(now) * 1000000);
    }
}

namespace {

short KeyStateNow(int vKey) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
    PumpEvents();
    ScreenOnWaitingPoll();
    // A pad holds the keys it stands for (gamepad.h).
    const bool pad = PadHoldsKey(vKey, std::int64_t(SDL_GetTicks64()) * 1000000);
    SDL_Keycode keycode = KeycodeFor(vKey);
    SDL_Scancode code =
        keycode == SDLK_UNKNOWN ? SDL_SCANCODE_UNKNOWN : SDL_GetScancodeFromKey(keycode);
    if (code == SDL_SCANCODE_UNKNOWN) return pad ? short(0x8000) : short(0);
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    bool held = pad || keys[code] != 0;
    if (vKey == VK_RETURN) held = held || keys[SDL_SCANCODE_KP_ENTER] != 0;
    if (vKey == VK_MENU) held = held || keys[SDL_SCANCODE_RALT] != 0;
    return held ? short(0x8000) : short(0);
}

} // namespace

short GetAsyncKeyState(int vKey) {
    EndIfSignalled();
    if (DemoPlaying()) {
        // The viewer's keys are not the game's: it hears the recorded player's.
        if (SDL_WasInit(SDL_INIT_VIDEO)) PumpEvents();
        ScreenOnWaitingPoll();
        return DemoKey(vKey);
    }
    return RecordKey(vKey, KeyStateNow(vKey));
}
