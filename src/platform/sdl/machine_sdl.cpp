// machine_sdl.cpp -- how the desktop waits and runs work beside the game: its own threads
#include <SDL.h>

#include <thread>

#include "sdl_state.h"

void RestFor(std::chrono::nanoseconds time) { std::this_thread::sleep_for(time); }

std::chrono::steady_clock::time_point RestUntil(std::chrono::steady_clock::time_point due) {
    std::this_thread::sleep_until(due);
    return due;
}

void RestWhileStill() { std::this_thread::sleep_for(std::chrono::milliseconds(8)); }

// The desktop's window keeps drawing while the game runs; nothing to hand over.
void BreatheAtPoll() {}

void PresentRenderer(SDL_Renderer* renderer) { SDL_RenderPresent(renderer); }

bool RunDetached(std::function<void()> work) {
    std::thread(std::move(work)).detach();
    return true;
}

void DemoOver(const std::string&, int) {}
