// frame_step.cpp -- one pass of the game
//
// The pause key, the game-flow check, the frame's timing, the player's controls, the clouds,
// the wind and the enemies, the gun, the picture and the flip, always in that order: the
// enemies and the shots see the player where this frame's controls put it.
#include "app/frame_step.h"

#include "app/cheat.h"
#include "core/game_clock.h"
#include "app/game_flow.h"
#include "app/pause.h"
#include "core/game_globals.h"
#include "core/program.h"
#include "app/text_screens.h"
#include "audio/sound.h"
#include "combat/craft.h"
#include "combat/enemies.h"
#include "combat/player.h"
#include "combat/shots.h"
#include "display/display.h"
#include "display/wipes.h"
#include "world/clouds.h"
#include "world/compose_frame.h"
#include "core/headings.h"
#include "core/keyboard.h"

namespace {

bool FirstFrame = true;

const GlobalsReset Reset(FirstFrame);

} // namespace

void FrameStep() {
    // Taken first, so the turn uses the speed the previous frame left.
    const float turnRate = TurnRateBase - PlayerCraft.Speed;

    if (FirstFrame) {
        FirstFrame = false;
        ArmPlayerGun();
    }

    if (StepPause()) return;

    CheckGameFlow();
    UpdateFrameTiming();
    if (ResumeTiming == 1) {
        ResumeTiming = 0;
        FrameDelta = 0.1f;
        FrameRate = 10.0f;
    }

    TurnPlayer(turnRate * FrameDelta);
    ChangePlayerSpeed();

    if (KeyPressed('K')) {
        ScreenWipe(WipeRows);
        // The page's fades leave their own FrameDelta and GameClock for the rest of this step.
        ShowTextScreen(KeysScreen);
    }

    if (CheatMode == 1) {
        if (KeyHeld('F')) ApplyJokeKey(0);
        if (KeyHeld('G')) ApplyJokeKey(1);
        if (KeyHeld('J')) ApplyJokeKey(2);
    }
    if (CheatMode == 0) MatchCheatWord();

    const float distance = PlayerCraft.Speed * FrameDelta;
    DriftClouds();
    ApplyWind();
    MovePlayer(distance);
    UpdateEnemies();

    FirePlayerGun(CheatMode == 1);

    ComposeFrame();
    DrawLives();
    if (PrimarySurface) PrimarySurface->Flip(nullptr, DDFLIP_WAIT);
}
