// test_platform.h -- the game run headless, on a virtual clock, with everything recorded
//
// No window, no sound card, no display. Time is virtual: every clock read, keyboard poll and
// message poll advances it by a small quantum (so every busy wait ends), drawing a line of text
// costs a little more, and a flip waits for the next refresh of a virtual display. Keys, focus
// changes and the window's closing come from a script at virtual times. Message boxes and (once
// they exist) sound and music commands are recorded with their virtual time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/api/window.h"

// One scripted event.
struct ScriptEvent {
    enum Kind { KeyDown, KeyUp, FocusLost, FocusGained, Close, Signal, PadDown, PadUp };
    std::int64_t timeNs = 0;
    Kind kind = KeyDown;
    int virtualKey = 0;
    int signal = 0; // SIGTERM, SIGINT or SIGHUP, raised in the process as the desktop would send it
    int pad = 0;    // a PadControl, or PadStickLeft.. for the left stick pushed all the way
};

// The left stick pushed all the way, as scripted pad inputs after the buttons.
enum PadStickPush { PadStickLeft = 100, PadStickRight, PadStickUp, PadStickDown };

// Parses a script: one event a line, "TIME KEY down", "TIME KEY up", "TIME focus lost",
// "TIME focus gained", "TIME close" or "TIME signal TERM" (or INT); TIME in seconds, KEY one of UP
// DOWN LEFT RIGHT SPACE ESC ALT TAB ENTER, F1 to F12 or a capital letter, or a pad's PAD_A PAD_B
// PAD_BACK PAD_START, its d-pad PAD_UP PAD_DOWN PAD_LEFT PAD_RIGHT or its left stick pushed all
// the way PAD_STICK_LEFT PAD_STICK_RIGHT PAD_STICK_UP PAD_STICK_DOWN; '#' starts a comment.
// Events come back sorted by time (ties keep their order). On a fault returns false with error =
// "line N: expected ..., found ..." (what was found cut to a short excerpt). A line over 4096
// bytes, a NUL byte or a byte-order mark is refused the same way.
bool ParseScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error);

// A set-up step to make fail: the window, the display's (DirectDraw object, cooperative level,
// mode, the n-th surface counted from 1, the back buffer), the clock, or the sound output.
struct TestFailure {
    enum Step {
        None,
        Window,
        DisplayCreate,
        CooperativeLevel,
        DisplayMode,
        Surface,
        BackBuffer,
        Clock,        // the counter's frequency cannot be read
        ClockReading, // the counter's first reading fails
        Sound
    };
    Step step = None;
    int surfaceNumber = 0;
};

struct TestOptions {
    int desktopWidth = 1024;
    int desktopHeight = 768;
    int refreshRate = 60; // virtual display, refreshes per second
    bool pixelFormat555 = false;
    int pitchPadding = 0;           // extra bytes per surface row
    std::int64_t seed = 0;          // the calendar time the game sees
    DialogAnswer dialog{"640x480"}; // clicked in the start-up dialog as a player would
    bool abort = false;             // press Escape (Abort) instead
    std::vector<ScriptEvent> script;
    TestFailure failure;
    double untilSeconds = -1; // stop the run at this virtual time (< 0: never)
    std::vector<std::pair<double, std::string>> shots; // picture of the screen at time -> file
};

// A recorded event. kind is "message_box", "mci", "sound", "quit" or "end".
struct TestEvent {
    std::int64_t timeNs = 0;
    std::string kind;
    std::string caption, text;   // message_box
    std::string command, result; // mci
    std::string op, file;        // sound
    long frequency = 0, volume = 0;
    bool looping = false; // a play that wraps round until stopped
    int code = 0;         // quit
};

// Thrown out of the game when the virtual clock reaches untilSeconds, or when a signal ends the
// program (why "signal TERM", "signal INT" or "signal HUP", status 128 + the signal), or the
// platform ends it at a close the game left unread (why "closed", status 0), or when a demo does
// not play as recorded or runs out (detail says where and what); the run is over.
struct TestStop {
    std::string why;
    int status = 0;
    std::string detail{};
};
// The stop of a signal's end, signal 0 standing for the close.
TestStop TestStopBySignal(int signal);

// Starts a fresh run with these options: the clock at 0, no window, no display, nothing recorded.
void TestPlatformStart(const TestOptions& options);
// The game's one window, of the given size, for programs that drive the game's parts without its
// start-up (the tests, the benchmark, the fuzz targets): its class registered with procedure, then
// made visible as start-up makes it. The caller keeps it in MainWindow.
HWND TestOpenWindow(int width, int height, WNDPROC procedure = DefWindowProcA);
// Virtual seconds as the clock's nanoseconds, rounded to the nearest; every time given to the
// test platform (script, pictures, states, the end) is converted this one way.
std::int64_t TestSecondsToNs(double seconds);
std::int64_t TestNowNs();
double TestNowSeconds();
std::vector<TestEvent>& TestEvents();
void TestRecord(TestEvent event);
// Called at the beginning and the end of every frame step (after its flip, or after the pause
// line while paused), with the virtual time at which the step began.
void TestSetFrameStepHook(std::function<void(std::int64_t beginNs, bool atEnd)> hook);
// --until reached inside a frame step that began before it: when wanted(the step's begin) says
// so (a state waits for that step), the step is finished first and the run stops at its end.
void TestFinishFrameStepsAtUntil(std::function<bool(std::int64_t beginNs)> wanted);
// The pictures asked for in TestOptions::shots that could not be written, or whose time never
// came before the run ended.
std::vector<std::string> TestUnwrittenShots();
// Called on every keyboard poll (GetAsyncKeyState), after the virtual clock has moved on and the
// script's events due by then have happened, and before the poll is answered: an autopilot reads
// the game's state there and presses keys with TestSetKey. A new run (TestPlatformStart) forgets
// the hook, as it forgets the frame-step hook.
void TestSetKeyboardHook(std::function<void(std::int64_t nowNs)> hook);
// Holds (down) or releases a key as a player would, beside the script: a key is down while
// either the script or TestSetKey holds it, so neither can release the other's key. Losing the
// focus releases every key of both, as the desktop forgets held keys then. A press posts the
// key's message to the window as the desktop does (WM_SYSKEYDOWN while Alt is held), as a
// scripted press does.
void TestSetKey(int virtualKey, bool down);
// The call trace: while on, the platform calls that mark the game's order (window, dialog,
// cursor, sound, display, clock, music commands by their verb, device contexts, game files read
// whole, message boxes, surface restores, releases, the quit) are recorded by name in the order
// made, e.g. "DirectDrawCreate", "QueryPerformanceCounter", "mciSendStringA open",
// "IDirectDrawSurface::GetDC", "ReadGameFile boom.voc", "IDirectDrawSurface::Restore". The hook, if
// set, sees each as it is recorded (a test can read the game's globals there). Off, empty and
// without a hook after TestPlatformStart.
void TestTraceCalls(bool on);
const std::vector<std::string>& TestCallTrace();
void TestSetCallHook(std::function<void(const std::string& call)> hook);
// Writes what the screen shows now (the desktop with the dialog before the display exists, the
// front surface after) as a 24-bit BMP. Returns false when the file cannot be written.
bool TestWriteScreen(const std::string& path);
// Marks every surface lost, as a display change would; the number of surfaces that exist.
void TestLoseSurfaces();
int TestLiveSurfaces();
// Lets virtual time pass, as if the game had been busy for that long.
void TestSleep(double seconds);
// Plays a recorded game (read with ReadRecording, and taken, not copied) from here on: after
// TestPlatformStart, before the program starts. The run's own options for the dialog, the seed, the
// script and failures no longer count; the recording's answers do (demo_player.h).
struct RecordedGame;
void TestPlayDemo(RecordedGame&& game);
// After the program ended by itself: "" when it ended as the recorded one did (every answer
// taken, the same status, the same state), else what differed. "" too when no demo plays.
std::string TestDemoEnded(int status);
