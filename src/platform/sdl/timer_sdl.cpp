// timer_sdl.cpp -- the counter and the calendar on the real machine
#include <SDL.h>

#include <chrono>
#include <ctime>

#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"
#include "platform/api/recording.h"
#include "platform/emulation/signals.h"
#include "platform/api/timer.h"
#include "sdl_state.h"

namespace {

// While a game is recorded it reads the recording's own counter instead of SDL's: microseconds
// since the recording began, never the same reading twice. A wipe spins on the clock millions of
// times in its three seconds; at SDL's nanoseconds each reading would differ from the last by
// another few dozen, which no compression shrinks much. One reading a microsecond, each one count
// after the last, makes the whole spin one run of equal steps. Waiting out the rest of a
// microsecond makes a wipe's row at most that much later.
using Steady = std::chrono::steady_clock;
Steady::time_point RecordingBegan;
constexpr std::int64_t RecordingCounts = 1000000;

std::int64_t RecordingClock() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - RecordingBegan)
        .count();
}

std::int64_t NextRecordedReading() {
    static std::int64_t last = -1;
    std::int64_t now = RecordingClock();
    while (now <= last)
        now = RecordingClock();
    return last = now;
}

} // namespace

bool StartRecording(const std::string& path, const std::string& note, std::string& why) {
    RecordingBegan = Steady::now();
    return OpenRecording(path, note, RecordingCounts, RecordingClock, why);
}

BOOL QueryPerformanceFrequency(std::int64_t* frequency) {
    if (!frequency) return 0;
    if (DemoPlaying()) return DemoFrequency(frequency);
    *frequency = Recording() ? RecordingCounts : std::int64_t(SDL_GetPerformanceFrequency());
    RecordFrequency(*frequency != 0, *frequency);
    return *frequency != 0;
}

BOOL QueryPerformanceCounter(std::int64_t* count) {
    if (!count) return 0;
    EndIfSignalled();
    // The fades and the wipes read only the clock: an exposure meanwhile must come in too.
    if (SDL_WasInit(SDL_INIT_VIDEO)) PumpEvents();
    ScreenOnClockPoll();
    if (DemoPlaying()) return DemoCounter(count);
    *count = Recording() ? RecordCounter(NextRecordedReading())
                         : std::int64_t(SDL_GetPerformanceCounter());
    return 1;
}

std::int64_t GetCalendarTime() {
    return DemoPlaying() ? DemoCalendar() : RecordCalendar(std::int64_t(std::time(nullptr)));
}
