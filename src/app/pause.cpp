// pause.cpp -- the pause key and the pause line
#include "app/pause.h"

#include "core/game_clock.h"
#include "core/keyboard.h"
#include "core/program.h"
#include "display/display.h"

bool StepPause() {
    if (KeyPressed('P')) {
        Paused = 1 - Paused;
        if (Paused == 0) {
            // The paused time is not counted, and the first frame back is the fixed 0.1 s.
            PreviousGameClock = float(ReadGameClock());
            ResumeTiming = 1;
        }
    }
    if (Paused != 1) return false;
    const char line[] = "Game Paused, press P to continue";
    DrawStatusLine(PrimarySurface, 230, 230, line, int(sizeof line - 1));
    return true;
}
