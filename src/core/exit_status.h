// exit_status.h -- what the program's exit status tells whoever started it
//
// A launcher, a script or a desktop session must be able to tell a failure from a player who
// ended the game: 0 for the player's own ways out, a status of its own for each kind of failure.
// The quit message keeps its parameter 0 on every way out, as the game always posted it; a
// failure that ends the program through the quit message is noted beside it, and WinMain
// returns the note.
#pragma once

#include <cstdint>

enum ExitStatus : int {
    ExitPlayerEnded = 0,
    ExitNoWindow = 1,
    ExitBadCommandLine = 2,
    ExitNoSound = 4,
    ExitNoDisplay = 5,
    ExitNoClock = 6,
    ExitNoPicture = 7,
};

// Every status the program ends with and what it means, as the README and the manual list them.
// 3 is a demo's verdict (skirmo --demo), and the replay runner's for an output it could not
// write; on SIGHUP, SIGINT or SIGTERM the platform ends the program with 128 + the signal.
struct ExitStatusRow {
    int Status;
    const char* Meaning;
};
inline constexpr ExitStatusRow ExitStatusTable[] = {
    {ExitPlayerEnded, "the player ended the game: Abort in the dialog, the quit confirmed, the "
                      "last page, Alt+F4 or the window closed"},
    {ExitNoWindow, "no window: no display to open it on, or the font is missing; or what --help "
                   "or --version printed could not be written"},
    {ExitBadCommandLine, "a bad command line: an unknown option, a refused value, or a --data "
                         "folder that cannot be entered"},
    {3, "a demo that did not play as recorded, whose recording ran out, or whose recorded game "
        "stood still"},
    {ExitNoSound, "the sound device could not be opened"},
    {ExitNoDisplay, "the display could not be set up (its mode or a surface)"},
    {ExitNoClock, "the clock: no high-resolution counter"},
    {ExitNoPicture, "a picture file could not be loaded"},
    {129, "ended by SIGHUP (the terminal it ran in was closed)"},
    {130, "ended by SIGINT (Ctrl+C)"},
    {143, "ended by SIGTERM (a logout, a shutdown, kill)"},
};

// The failure that ends the program through the quit message, ExitPlayerEnded while none does.
extern std::int32_t EndingFailure;
// Notes a failure that ends the program; the first noted is the one the program ends with.
void NoteEndingFailure(ExitStatus status);
