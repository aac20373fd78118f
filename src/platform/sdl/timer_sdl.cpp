// timer_sdl.cpp -- the counter and the calendar on the real machine
#include <SDL.h>

#include <ctime>

#include "../signals.h"
#include "../timer.h"
#include "sdl_state.h"

BOOL QueryPerformanceFrequency(std::int64_t* frequency) {
    if (!frequency) return 0;
    *frequency = std::int64_t(SDL_GetPerformanceFrequency());
    return *frequency != 0;
}

BOOL QueryPerformanceCounter(std::int64_t* count) {
    if (!count) return 0;
    EndIfSignalled();
    // The fades and the wipes read only the clock: an exposure meanwhile must come in too.
    if (SDL_WasInit(SDL_INIT_VIDEO)) PumpEvents();
    ScreenOnClockPoll();
    *count = std::int64_t(SDL_GetPerformanceCounter());
    return 1;
}

std::int64_t GetCalendarTime() { return std::int64_t(std::time(nullptr)); }
