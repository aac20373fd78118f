// test_platform.cpp -- the test platform's virtual clock, raw readings and display hooks
#include "test_platform.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>

#include <unistd.h>

#include "platform/emulation/backend.h"
#include "platform/emulation/fonts.h"
#include "platform/emulation/gamepad.h"
#include "platform/api/input.h"
#include "platform/recording/recorder.h"
#include "platform/emulation/signals.h"
#include "test_state.h"

namespace {

TestRun TheRun;

// A scripted pad input: a button (a press posts its key's message, as the real pad does) or the
// left stick pushed all the way and let go.
void MovePad(int input, bool down) {
    TestRun& r = TheRun;
    PadInputs& pad = r.pad;
    if (input >= PadStickLeft) {
        int* axis = input <= PadStickRight ? &pad.stickX : &pad.stickY;
        *axis = !down ? 0 : (input == PadStickLeft || input == PadStickUp) ? -32768 : 32767;
    } else if (input >= 0 && input < PadControlCount) {
        if (down && !pad.held[input] && r.window)
            QueuePosted(MSG{r.window, WM_KEYDOWN, WPARAM(PadControlKey(PadControl(input))), 0});
        pad.held[input] = down;
    }
    SetPadInputs(pad);
}

void ApplyScriptUpTo(std::int64_t now) {
    TestRun& r = TheRun;
    while (r.nextScript < r.options.script.size() && r.options.script[r.nextScript].timeNs <= now) {
        const ScriptEvent& e = r.options.script[r.nextScript++];
        switch (e.kind) {
        case ScriptEvent::KeyDown:
            PressKey(r.keys, e.virtualKey, true);
            break;
        case ScriptEvent::KeyUp:
            PressKey(r.keys, e.virtualKey, false);
            break;
        case ScriptEvent::FocusLost:
            // The desktop forgets held keys when the window loses the keyboard.
            std::fill(std::begin(r.keys), std::end(r.keys), false);
            std::fill(std::begin(r.playerKeys), std::end(r.playerKeys), false);
            r.pad = PadInputs{};
            SetPadInputs(r.pad);
            QueuePosted(MSG{r.window, WM_ACTIVATEAPP, 0, 0});
            break;
        case ScriptEvent::FocusGained:
            QueuePosted(MSG{r.window, WM_ACTIVATEAPP, 1, 0});
            break;
        case ScriptEvent::Close:
            QueuePosted(MSG{r.window, WM_CLOSE, 0, 0});
            break;
        case ScriptEvent::Signal:
            std::raise(e.signal);
            break;
        case ScriptEvent::PadDown:
        case ScriptEvent::PadUp:
            MovePad(e.pad, e.kind == ScriptEvent::PadDown);
            break;
        }
    }
}

// A run that stops inside a frame step still finishes it when a state waits for that step,
// but not for ever: a step that waits on a key nobody presses ends the run this much later.
constexpr std::int64_t FinishStepLimitNs = 10'000'000'000;

} // namespace

TestRun& Run() { return TheRun; }

void PressKey(bool* keys, int virtualKey, bool down) {
    TestRun& r = TheRun;
    if (virtualKey <= 0 || virtualKey > 255) return;
    bool wasDown = r.keys[virtualKey] || r.playerKeys[virtualKey];
    keys[virtualKey] = down;
    if (!down || wasDown || !r.window) return;
    bool alt = r.keys[VK_MENU] || r.playerKeys[VK_MENU];
    // F11 and F12 are the desktop's (full screen, screenshots): the game's window never hears them.
    if (!alt && (virtualKey == VK_F1 + 10 || virtualKey == VK_F12)) return;
    QueuePosted(MSG{r.window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, WPARAM(virtualKey), 0});
}

HWND TestOpenWindow(int width, int height, WNDPROC procedure) {
    WNDCLASSEXA wc{};
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = "WINDOW_CLASS";
    RegisterClassExA(&wc);
    return CreateWindowExA(0, "WINDOW_CLASS", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, nullptr, nullptr);
}

std::int64_t TestSecondsToNs(double s) { return std::int64_t(std::llround(s * 1e9)); }

void TestPlatformStart(const TestOptions& options) {
    // A window left over from the last run goes without its clean-up: that run is over. The
    // rest of the last run goes with it, whoever still holds it.
    delete TheRun.window;
    TheRun = TestRun{};
    ResetSharedPlatform();
    TheRun.options = options;
    std::stable_sort(
        TheRun.options.script.begin(), TheRun.options.script.end(),
        [](const ScriptEvent& a, const ScriptEvent& b) { return a.timeNs < b.timeNs; });
    std::stable_sort(TheRun.options.shots.begin(), TheRun.options.shots.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    TheRun.desktop.assign(std::size_t(options.desktopWidth) * std::size_t(options.desktopHeight),
                          0);
}

std::int64_t TestNowNs() { return TheRun.now; }
double TestNowSeconds() { return double(TheRun.now) / 1e9; }
std::vector<TestEvent>& TestEvents() { return TheRun.events; }

void TestRecord(TestEvent event) {
    event.timeNs = TheRun.now;
    TheRun.events.push_back(std::move(event));
}

void TestSetFrameStepHook(std::function<void(std::int64_t, bool)> hook) {
    TheRun.frameHook = std::move(hook);
}

void TestSetKeyboardHook(std::function<void(std::int64_t)> hook) {
    TheRun.keyboardHook = std::move(hook);
}

void TestTraceCalls(bool on) { TheRun.tracing = on; }
const std::vector<std::string>& TestCallTrace() { return TheRun.calls; }
void TestSetCallHook(std::function<void(const std::string&)> hook) {
    TheRun.callHook = std::move(hook);
}

void BackendCall(const char* name) {
    if (!TheRun.tracing) return;
    TheRun.calls.emplace_back(name);
    if (TheRun.callHook) TheRun.callHook(TheRun.calls.back());
}

void TestSetKey(int virtualKey, bool down) { PressKey(TheRun.playerKeys, virtualKey, down); }

void TestFinishFrameStepsAtUntil(std::function<bool(std::int64_t beginNs)> wanted) {
    TheRun.finishStep = std::move(wanted);
}

std::vector<std::string> TestUnwrittenShots() {
    std::vector<std::string> problems = TheRun.shotProblems;
    const auto& shots = TheRun.options.shots;
    for (std::size_t i = TheRun.nextShot; i < shots.size(); ++i)
        problems.push_back(shots[i].second);
    return problems;
}

void TestLoseSurfaces() { DisplayMarkAllLost(); }
int TestLiveSurfaces() { return DisplayLiveSurfaceCount(); }
void TestSleep(double seconds) { Advance(TestSecondsToNs(seconds)); }

void Advance(std::int64_t ns) { AdvanceTo(TheRun.now + (DemoPlaying() ? 0 : ns)); }

void AdvanceTo(std::int64_t ns) {
    TestRun& r = TheRun;
    r.now = std::max(r.now, ns);
    ApplyScriptUpTo(r.now);
    while (r.nextShot < r.options.shots.size() &&
           TestSecondsToNs(r.options.shots[r.nextShot].first) <= r.now) {
        const std::string& file = r.options.shots[r.nextShot++].second;
        if (!TestWriteScreen(file)) r.shotProblems.push_back(file);
    }
    if (r.options.untilSeconds < 0 || r.stopAfterStep) return;
    std::int64_t until = TestSecondsToNs(r.options.untilSeconds);
    if (r.now < until) return;
    if (r.inFrameStep && r.frameBegin < until && r.finishStep && r.finishStep(r.frameBegin) &&
        r.now < until + FinishStepLimitNs) {
        r.stopAfterStep = true; // FrameStepEnds stops the run
        return;
    }
    throw TestStop{"until"};
}

void BackendFrameStepBegins() {
    TheRun.frameBegin = TheRun.now;
    TheRun.inFrameStep = true;
    if (TheRun.frameHook) TheRun.frameHook(TheRun.now, false);
}

// The run ends where the real program would end the process.
void BackendEndBySignal(int signal) {
    EndRecordingBySignal(signal);
    throw TestStopBySignal(signal);
}

TestStop TestStopBySignal(int signal) {
    if (!signal) return TestStop{"closed", 0};
    return TestStop{std::string("signal ") + (EndSignalName(signal) + 3), 128 + signal};
}
void BackendSignalNoted() {}

// A demo's time is the virtual time; where it ends, the run does.
void BackendDemoAt(std::int64_t ns) { AdvanceTo(ns); }
void BackendDemoStops(const std::string& why, int status, const std::string& detail) {
    throw TestStop{why, status, detail};
}
void TestPlayDemo(RecordedGame&& game) { PlayDemo(std::move(game)); }
std::string TestDemoEnded(int status) { return DemoEnded(status); }

void BackendFrameStepEnded() {
    TheRun.inFrameStep = false;
    if (TheRun.frameHook) TheRun.frameHook(TheRun.frameBegin, true);
    if (TheRun.stopAfterStep) throw TestStop{"until"};
}

// --- the machine's raw readings ---

namespace {

// The counter's first reading fails (the failure the options ask for), before any time passes.
bool ReadingFails() {
    return TheRun.options.failure.step == TestFailure::ClockReading && !TheRun.counterRead;
}

} // namespace

// Every poll takes a little virtual time, so that a spin on the keyboard or the clock ends.
bool BackendPoll(Poll poll) {
    if (!(poll == Poll::Clock && ReadingFails())) Advance(PollQuantumNs);
    return true;
}

std::int64_t BackendNowNs() { return TheRun.now; }
bool BackendCloseWaiting() { return TheRun.window && ClosePosted(); }
bool BackendKeyboardThere() { return true; }

bool BackendKeyHeld(int vKey) {
    if (TheRun.keyboardHook) TheRun.keyboardHook(TheRun.now);
    return vKey >= 0 && vKey < 256 && (TheRun.keys[vKey] || TheRun.playerKeys[vKey]);
}

std::int64_t BackendCounterFrequency() {
    return TheRun.options.failure.step == TestFailure::Clock ? 0 : 1000000000;
}

bool BackendCounterReading(std::int64_t* count) {
    const bool fails = ReadingFails();
    TheRun.counterRead = true;
    *count = TheRun.now;
    return !fails;
}

bool BackendCounterVirtual() { return true; }
std::int64_t BackendCalendar() { return TheRun.options.seed; }

// --- what the shared display code asks of this machine ---

bool BackendFailDisplayStep(DisplayStep step, int index) {
    const TestFailure& f = TheRun.options.failure;
    switch (step) {
    case DisplayStep::Create:
        return f.step == TestFailure::DisplayCreate;
    case DisplayStep::CooperativeLevel:
        return f.step == TestFailure::CooperativeLevel;
    case DisplayStep::DisplayMode:
        return f.step == TestFailure::DisplayMode;
    case DisplayStep::Surface:
        return f.step == TestFailure::Surface && f.surfaceNumber == index + 1;
    case DisplayStep::BackBuffer:
        return f.step == TestFailure::BackBuffer;
    }
    return false;
}

// Always the same file, so that the pictures of every run are those of the references.
std::string FindFontFile(bool bold) {
    std::string path = bold ? "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
                            : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    return access(path.c_str(), R_OK) == 0 ? path : std::string();
}

bool BackendPixelFormat555() { return TheRun.options.pixelFormat555; }
int BackendPitchPadding() { return TheRun.options.pitchPadding; }
bool BackendSetDisplayMode(int, int) { return true; }
void BackendDisplayReleased() {}
void BackendFrontWritten(const SurfaceMemory&) {}
void BackendTextDrawn() { Advance(TextLineNs); }

void BackendShowFlipped(const SurfaceMemory&, bool wait) {
    if (!wait) {
        Advance(PollQuantumNs);
        return;
    }
    // The next refresh of the virtual display: refresh k happens at ceil(k * 1e9 / rate) ns.
    std::int64_t rate = std::max(1, TheRun.options.refreshRate);
    std::int64_t k = TheRun.now * rate / 1000000000 + 1;
    std::int64_t next = (k * 1000000000 + rate - 1) / rate;
    Advance(next - TheRun.now);
}

// --- the screen as a picture ---

bool TestWriteScreen(const std::string& path) {
    const SurfaceMemory* front = DisplayFront();
    int w = front ? front->width : TheRun.options.desktopWidth;
    int h = front ? front->height : TheRun.options.desktopHeight;
    int rowBytes = (w * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(54 + std::size_t(rowBytes) * std::size_t(h), 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, std::uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    file[26] = 1;
    file[28] = 24;
    put32(34, std::uint32_t(std::size_t(rowBytes) * std::size_t(h)));
    // A message box stands in the middle of whatever shows, as on the real screen.
    const int boxX = (w - TheRun.boxWidth) / 2, boxY = (h - TheRun.boxHeight) / 2;
    auto inBox = [&](int x, int y) {
        return !TheRun.box.empty() && x >= boxX && y >= boxY && x - boxX < TheRun.boxWidth &&
               y - boxY < TheRun.boxHeight;
    };
    auto wide = [](std::uint32_t p) {
        return RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
    };
    for (int y = 0; y < h; ++y) {
        std::uint8_t* out = file.data() + 54 + std::size_t(h - 1 - y) * std::size_t(rowBytes);
        for (int x = 0; x < w; ++x) {
            COLORREF c;
            if (inBox(x, y)) {
                c = wide(TheRun.box[std::size_t(y - boxY) * std::size_t(TheRun.boxWidth) +
                                    std::size_t(x - boxX)]);
            } else if (front) {
                auto p =
                    reinterpret_cast<const std::uint16_t*>(front->pixels + y * front->pitch)[x];
                c = PixelToColour(p);
            } else {
                c = wide(TheRun.desktop[std::size_t(y) * std::size_t(w) + std::size_t(x)]);
            }
            out[x * 3 + 0] = std::uint8_t(GetBValue(c));
            out[x * 3 + 1] = std::uint8_t(GetGValue(c));
            out[x * 3 + 2] = std::uint8_t(GetRValue(c));
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}
