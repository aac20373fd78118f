// clock.cpp -- the counter and the calendar the game reads, the same on every backend
//
// Like the keyboard, a reading of the counter looks for an end signal and a close left unread,
// and is kept while recording or given back by a demo.
#include <chrono>

#include "platform/api/recording.h"
#include "platform/api/timer.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"

#include "backend.h"
#include "signals.h"

namespace {

// While a game is recorded on a real counter, it reads the recording's own counter instead:
// microseconds since the recording began, never the same reading twice. A wipe spins on the
// clock millions of times in its three seconds; at nanoseconds each reading would differ from
// the last by another few dozen, which no compression shrinks much. One reading a microsecond,
// each one count after the last, makes the whole spin one run of equal steps. Waiting out the
// rest of a microsecond makes a wipe's row at most that much later.
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

// A virtual counter is recorded as it reads.
bool OwnRecordingCounter() { return Recording() && !BackendCounterVirtual(); }

} // namespace

bool StartRecording(const std::string& path, const std::string& note, std::string& why) {
    if (BackendCounterVirtual())
        return OpenRecording(path, note, 1000000000, BackendNowNs, why);
    RecordingBegan = Steady::now();
    return OpenRecording(path, note, RecordingCounts, RecordingClock, why);
}

BOOL QueryPerformanceFrequency(std::int64_t* frequency) {
    BackendCall("QueryPerformanceFrequency");
    if (!frequency) return 0;
    if (DemoPlaying()) return DemoFrequency(frequency);
    *frequency = OwnRecordingCounter() ? RecordingCounts : BackendCounterFrequency();
    RecordFrequency(*frequency != 0, *frequency);
    return *frequency != 0;
}

BOOL QueryPerformanceCounter(std::int64_t* count) {
    BackendCall("QueryPerformanceCounter");
    if (!count) return 0;
    const bool fresh = BackendPoll(Poll::Clock);
    EndIfSignalled();
    if (DemoPlaying()) return DemoCounter(count);
    if (fresh) EndIfCloseWaits(BackendCloseWaiting(), BackendNowNs());
    std::int64_t reading = 0;
    if (OwnRecordingCounter())
        reading = NextRecordedReading();
    else if (!BackendCounterReading(&reading))
        return 0;
    *count = RecordCounter(reading);
    return 1;
}

std::int64_t GetCalendarTime() {
    return DemoPlaying() ? DemoCalendar() : RecordCalendar(BackendCalendar());
}
