// pad_sdl.cpp -- game pads through SDL's game controller API, plugged in and out at any time
//
// Every pad SDL knows a layout for is opened as it comes and closed as it goes; what they hold
// together goes to gamepad.h, which turns it into keys. Pads are read at most once a
// millisecond, as often as SDL takes their news in.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/emulation/gamepad.h"
#include "sdl_state.h"

namespace {

std::vector<SDL_GameController*> Pads;
bool Tried = false;
Uint64 LastRead = ~Uint64(0);
std::atomic<bool> Changed{false};

// A pad plugged in or out is noticed as SDL takes the news in, even inside the game's waits where
// no message is read, and served at the next poll.
int WatchPads(void*, SDL_Event* e) {
    if (e->type == SDL_CONTROLLERDEVICEADDED || e->type == SDL_CONTROLLERDEVICEREMOVED ||
        e->type == SDL_JOYDEVICEADDED || e->type == SDL_JOYDEVICEREMOVED)
        Changed = true;
    return 1;
}

constexpr SDL_GameControllerButton Buttons[PadControlCount] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_DPAD_UP,   SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT};

bool IsOpen(SDL_JoystickID id) {
    return std::any_of(Pads.begin(), Pads.end(), [id](SDL_GameController* pad) {
        return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id;
    });
}

// The pads unplugged go, the pads plugged in come.
void Rescan() {
    for (auto it = Pads.begin(); it != Pads.end();) {
        if (SDL_GameControllerGetAttached(*it)) {
            ++it;
            continue;
        }
        std::fprintf(stderr, "skirmo: game pad gone: %s\n", SDL_GameControllerName(*it));
        SDL_GameControllerClose(*it);
        it = Pads.erase(it);
    }
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (!SDL_IsGameController(i) || IsOpen(SDL_JoystickGetDeviceInstanceID(i))) continue;
        if (SDL_GameController* pad = SDL_GameControllerOpen(i)) {
            Pads.push_back(pad);
            std::fprintf(stderr, "skirmo: game pad ready: %s\n", SDL_GameControllerName(pad));
        }
    }
}

// The deflection furthest from the centre, of all pads.
int Furthest(int a, int b) { return std::abs(b) > std::abs(a) ? b : a; }

} // namespace

void ServePads() {
    if (!Tried) {
        Tried = true;
        // No pad is no fault: the keyboard plays the game.
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
        SDL_AddEventWatch(WatchPads, nullptr);
        Changed = true;
    }
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
    if (Changed.exchange(false)) {
        Rescan();
        LastRead = ~Uint64(0);
    }
    const Uint64 now = SDL_GetTicks64();
    if (now == LastRead) return;
    LastRead = now;
    PadInputs inputs;
    for (SDL_GameController* pad : Pads) {
        for (int c = 0; c < PadControlCount; ++c)
            inputs.held[c] = inputs.held[c] || SDL_GameControllerGetButton(pad, Buttons[c]);
        inputs.stickX =
            Furthest(inputs.stickX, SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
        inputs.stickY =
            Furthest(inputs.stickY, SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
    }
    SetPadInputs(inputs);
}

void ClosePads() {
    for (SDL_GameController* pad : Pads)
        SDL_GameControllerClose(pad);
    Pads.clear();
    ResetPad();
    if (Tried && SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        SDL_DelEventWatch(WatchPads, nullptr);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
    Tried = false;
}

int PadButtonKey(int button) {
    for (int c = 0; c < PadControlCount; ++c)
        if (Buttons[c] == button) return PadControlKey(PadControl(c));
    return 0;
}
