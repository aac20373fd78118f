// frame_step.cpp -- one pass of the game
//
// Built so far: the pause key and pause line, the game-flow check, the frame's timing with the
// fixed first frame, the picture and the flip. The player's controls, the enemies and the gun
// join as the craft and combat code arrives.
#include "app/frame_step.h"

#include "app/game_clock.h"
#include "app/game_flow.h"
#include "app/game_globals.h"
#include "app/startup.h"
#include "display/display.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "world/compose_frame.h"

float PlayerLastShotTime = 0.0f;

namespace {

bool FirstFrame = true;

const GlobalsReset Reset([] {
    PlayerLastShotTime = 0.0f;
    FirstFrame = true;
});

void DrawPauseLine() {
    HDC dc = GetSurfaceDC(PrimarySurface);
    if (!dc) return;
    SetBkColor(dc, RGB(0, 0, 255));
    SetTextColor(dc, RGB(255, 255, 0));
    const char line[] = "Game Paused, press P to continue";
    TextOutA(dc, 230, 230, line, int(sizeof line - 1));
    ReleaseSurfaceDC(PrimarySurface, dc);
}

} // namespace

void FrameStep() {
    if (FirstFrame) {
        FirstFrame = false;
        // The gun can fire no earlier than 0.4 s after the first frame.
        PlayerLastShotTime = float(ReadGameClock());
    }

    if (GetAsyncKeyState('P') < 0) {
        // The whole game stands still while P is held.
        while (GetAsyncKeyState('P') < 0) {
        }
        Paused = 1 - Paused;
        if (Paused == 0) {
            // The paused time is not counted, and the first frame back is the fixed 0.1 s.
            PreviousGameClock = float(ReadGameClock());
            ResumeTiming = 1;
        }
    }
    if (Paused == 1) {
        DrawPauseLine();
        return;
    }

    CheckGameFlow();
    UpdateFrameTiming();
    if (ResumeTiming == 1) {
        ResumeTiming = 0;
        FrameDelta = 0.1f;
        FrameRate = 10.0f;
    }

    ComposeFrame();
    if (PrimarySurface) PrimarySurface->Flip(nullptr, DDFLIP_WAIT);
}
