// game_clock.cpp -- the clock in seconds and the length of each frame
#include "core/game_clock.h"

#include "core/game_globals.h"
#include "platform/api/timer.h"

std::int64_t ClockOrigin = 0;
float SecondsPerCount = 0.0f;
float GameClock = 0.0f;
float PreviousGameClock = 0.0f;
float FrameDelta = 0.0f;
float FrameRate = 0.0f;
std::int32_t ResumeTiming = 1;

static const GlobalsReset Reset(ClockOrigin, SecondsPerCount, GameClock, PreviousGameClock,
                                FrameDelta, FrameRate, ResumeTiming);

int InitGameClock() {
    std::int64_t frequency = 0;
    if (!QueryPerformanceFrequency(&frequency) || frequency == 0) return 0;
    SecondsPerCount = float(1.0 / double(frequency));
    if (!QueryPerformanceCounter(&ClockOrigin)) return 0;
    return 1;
}

double ReadGameClock() {
    std::int64_t now = 0;
    QueryPerformanceCounter(&now);
    return double(now - ClockOrigin) * double(SecondsPerCount);
}

void SampleFrameInterval() {
    // Two readings can be equal as floats (late in a long run they are 4 ms apart); a zero
    // interval would make FrameRate infinite, so wait for the next distinct one.
    do {
        GameClock = float(ReadGameClock());
    } while (GameClock == PreviousGameClock);
    FrameDelta = GameClock - PreviousGameClock;
    PreviousGameClock = GameClock;
    if (FrameDelta > 0.1f) FrameDelta = 0.1f;
}

void UpdateFrameTiming() {
    SampleFrameInterval();
    FrameRate = 1.0f / FrameDelta;
}
