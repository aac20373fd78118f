// signals.h -- SIGTERM and SIGINT end the program from the platform's side (platform-internal)
//
// A logout, a shutdown or Ctrl+C must end the game within a second wherever it is, and the
// game's waits look at nothing but the keyboard and the clock: a text page waits for Space as
// long as it takes. So the handler only notes the signal, and every poll the platform answers
// (the clock, the keyboard, the messages, the dialog's and the message box's loops) looks at the
// note and ends the process there: the sound output closed first, the pointer shown, the window
// gone, with status 128 + the signal. The game's own loops stay as they are.
#pragma once

// Notes SIGTERM and SIGINT from now on (the window was made); one the program was started
// ignoring stays ignored.
void WatchEndSignals();
// The handling from before WatchEndSignals back, and nothing noted (the window is gone, or a new
// test run begins).
void ForgetEndSignals();
// The signal noted, or 0.
int NotedEndSignal();
// At every poll: ends the process through the backend when a signal was noted.
void EndIfSignalled();

// What each backend supplies. BackendEndBySignal ends the process (the test platform ends the
// run instead); BackendSignalNoted runs inside the signal handler, so it may only do what a
// handler may (the real platform wakes a watchdog there).
[[noreturn]] void BackendEndBySignal(int signal);
void BackendSignalNoted();
