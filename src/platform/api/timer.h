// timer.h -- the high-resolution counter and the calendar
#pragma once

#include <cstdint>

#include "wintypes.h"

// Counts per second of the counter. Returns 0 when there is no usable counter.
BOOL QueryPerformanceFrequency(std::int64_t* frequency);
// The counter's current value. Returns 0 on failure.
BOOL QueryPerformanceCounter(std::int64_t* count);
// Seconds since 1970, as the C library's time() gives them; only used to seed random numbers.
std::int64_t GetCalendarTime();
