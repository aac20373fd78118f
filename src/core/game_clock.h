// game_clock.h -- the clock in seconds and the length of each frame
//
// Every speed in the game is per second and multiplied by FrameDelta, the length of the last
// frame, which is never more than a tenth of a second: a slow machine slows the game down
// instead of making it jump.
#pragma once

#include <cstdint>

extern std::int64_t ClockOrigin;  // counter value at set-up; the zero of GameClock
extern float SecondsPerCount;     // 1 / counter frequency
extern float GameClock;           // the latest reading, seconds
extern float PreviousGameClock;   // where the next interval is measured from
extern float FrameDelta;          // seconds of the last frame, at most 0.1
extern float FrameRate;           // 1 / FrameDelta, at least 10
extern std::int32_t ResumeTiming; // 1: the next frame counts as exactly 0.1 s

// Sets the clock up. Returns 1, or 0 when the machine has no usable high-resolution counter.
int InitGameClock();
// Seconds since ClockOrigin, at double precision (callers store it as a float).
double ReadGameClock();
// Samples the clock until it shows a reading different from PreviousGameClock, stores the
// interval (at most 0.1 s) in FrameDelta and moves PreviousGameClock on. The fades and text
// pages use this too; it leaves FrameRate alone.
void SampleFrameInterval();
// Once per unpaused frame: SampleFrameInterval, then FrameRate = 1 / FrameDelta.
void UpdateFrameTiming();
