// timer_sdl.cpp -- the counter and the calendar on the real machine
#include <SDL.h>

#include <ctime>

#include "platform/emulation/backend.h"

std::int64_t BackendCounterFrequency() { return std::int64_t(SDL_GetPerformanceFrequency()); }

bool BackendCounterReading(std::int64_t* count) {
    *count = std::int64_t(SDL_GetPerformanceCounter());
    return true;
}

bool BackendCounterVirtual() { return false; }
std::int64_t BackendCalendar() { return std::int64_t(std::time(nullptr)); }
