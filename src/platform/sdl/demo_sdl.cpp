// demo_sdl.cpp -- a recorded game watched in the real window, at the speed it was played
//
// The game gets the recording's answers (demo_player.h); this file keeps the recorded moments
// in step with real time, and keeps the viewer's own keys away from the game. The window's
// focus changes are the viewer's, not the game's: the recorded ones reach it, and the demo plays
// on in the background. The picture, sound and music go out as in a game.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>

#include "platform/recording/demo_player.h"
#include "platform/api/input.h"
#include "platform/api/recording.h"
#include "platform/emulation/signals.h"
#include "sdl_state.h"

namespace {

using Steady = std::chrono::steady_clock;
Steady::time_point Began;
std::string Path;

} // namespace

bool StartDemo(const std::string& path, std::string& why) {
    RecordedGame game;
    if (!ReadRecordingFile(path, game, why)) return false;
    if (!game.ended) std::fprintf(stderr, "skirmo: %s\n", NoEndingWarning(path, game).c_str());
    Path = path;
    PlayDemo(std::move(game));
    Began = Steady::now();
    return true;
}

int FinishDemo(int status) {
    if (!DemoPlaying()) return status;
    const std::string differs = DemoEnded(status);
    if (differs.empty()) {
        DemoOver("program ended", status);
        return status;
    }
    std::fprintf(stderr, "skirmo: %s: %s\n", Path.c_str(), differs.c_str());
    DemoOver("not as recorded", 3);
    return 3;
}

void ServeDemoViewer() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        bool end = e.type == SDL_QUIT;
        if (e.type == SDL_KEYDOWN) end = e.key.keysym.sym == SDLK_ESCAPE;
        if (e.type == SDL_CONTROLLERBUTTONDOWN) end = PadButtonKey(e.cbutton.button) == VK_ESCAPE;
        if (e.type == SDL_WINDOWEVENT) {
            end = e.window.event == SDL_WINDOWEVENT_CLOSE;
            if (e.window.event == SDL_WINDOWEVENT_MOVED ||
                e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED)
                if (SDL_Window* w = SDL_GetWindowFromID(e.window.windowID)) ScreenReadRefresh(w);
        }
        if (e.type == SDL_AUDIODEVICEREMOVED && !e.adevice.iscapture)
            SoundDeviceRemoved(e.adevice.which);
        if (end) {
            DemoOver("ended by the viewer", 0);
            EndProgramNow(0, nullptr);
        }
    }
}

// Waits for the recorded moment, a few milliseconds at a time, so that the viewer's Esc, a
// signal, an exposure and F11 are all seen meanwhile. Behind it (a slow frame, a long
// start-up), the demo goes on without waiting until it has caught up.
void BackendDemoAt(std::int64_t ns) {
    // A file may name any moment; past a century it is never reached, and never overflows.
    const Steady::time_point due =
        Began + std::chrono::nanoseconds(std::min(ns, std::int64_t(1) << 62));
    for (Steady::time_point now = Steady::now(); now < due; now = Steady::now()) {
        EndIfSignalled();
        if (SDL_WasInit(SDL_INIT_VIDEO)) {
            ServeDemoViewer();
            ScreenOnClockPoll();
        }
        RestUntil(std::min(due, now + std::chrono::milliseconds(10)));
    }
}

void BackendDemoStops(const std::string& why, int status, const std::string& detail) {
    DemoOver(why, status);
    if (!detail.empty()) {
        std::fprintf(stderr, "skirmo: %s: %s\n", Path.c_str(), detail.c_str());
        EndProgramNow(status, nullptr);
    }
    // The recorded program was ended here by a signal: so is this one, as it was.
    std::string line = "skirmo: " + Path + ": the recorded game was ended here (" + why + ")\n";
    EndProgramNow(status, line.c_str());
}
