// signals.h -- SIGTERM, SIGINT, SIGHUP and the window's close end the program from the
// platform's side (platform-internal)
//
// A logout, a shutdown, Ctrl+C or a closed terminal must end the game within a second wherever
// it is, and the game's waits look at nothing but the keyboard and the clock: a text page waits
// for Space as long as it takes. So the handler only notes the signal, and every poll the
// platform answers (the clock, the keyboard, the messages, the dialog's and the message box's
// loops) looks at the note and ends the process there: the sound output closed first, the
// pointer shown, the window gone, with status 128 + the signal. The game's own loops stay as
// they are. The window's close (Alt+F4, the desktop's close) is the game's message while the
// game reads messages; where it waits on the keyboard and the clock instead (a question, a page,
// a wipe), the close would wait as long as the game does, so the platform ends the process the
// same way, with status 0: the player closed it.
#pragma once

#include <cstdint>

// Notes SIGTERM, SIGINT and SIGHUP from now on (the window was made); one the program was started
// ignoring stays ignored.
void WatchEndSignals();
// The handling from before WatchEndSignals back, and nothing noted (the window is gone, or a new
// test run begins).
void ForgetEndSignals();
// The signal noted, or 0.
int NotedEndSignal();
// "SIGTERM", "SIGINT" or "SIGHUP".
const char* EndSignalName(int signal);
// At every poll: ends the process through the backend when a signal was noted.
void EndIfSignalled();

// The game took a message: a close waiting now is the game's to handle.
void NoteMessagePoll();
// At every poll of the keyboard or the clock, with whether a close request waits unread and the
// time: a close the game has left unread for a good part of a second, while it went on polling,
// ends the process through the backend (as BackendEndBySignal(0)). The game reads its messages
// every frame, so a close in flight is still the game's own.
void EndIfCloseWaits(bool closeWaiting, std::int64_t nowNs);
constexpr std::int64_t CloseWaitNs = 200'000'000;

// What each backend supplies. BackendEndBySignal ends the process (the test platform ends the
// run instead), signal 0 standing for the window's close (status 0); BackendSignalNoted runs
// inside the signal handler, so it may only do what a handler may (the real platform wakes a
// watchdog there).
[[noreturn]] void BackendEndBySignal(int signal);
void BackendSignalNoted();
