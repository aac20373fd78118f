// frame_step.cpp -- one pass of the game
//
// The pause key, the game-flow check, the frame's timing, the player's controls, the clouds,
// the wind and the enemies, the gun, the picture and the flip, always in that order: the
// enemies and the shots see the player where this frame's controls put it.
#include "app/frame_step.h"

#include "app/cheat.h"
#include "core/game_clock.h"
#include "app/game_flow.h"
#include "core/game_globals.h"
#include "core/program.h"
#include "app/text_screens.h"
#include "audio/sound.h"
#include "combat/craft.h"
#include "combat/enemies.h"
#include "combat/shots.h"
#include "display/display.h"
#include "display/wipes.h"
#include "world/clouds.h"
#include "world/compose_frame.h"
#include "core/headings.h"
#include "core/keyboard.h"

float PlayerLastShotTime = 0.0f;

namespace {

bool FirstFrame = true;

const GlobalsReset Reset(PlayerLastShotTime, FirstFrame);

constexpr float Acceleration = 50.0f; // units per second, per second
constexpr float Braking = 50.0f;
constexpr float Drag = 20.0f;
constexpr float MinimumSpeed = 10.0f;
constexpr float MaximumSpeed = 200.0f;
constexpr double GunInterval = 0.4; // seconds; a volley needs strictly more

void Turn(float turnStep) {
    Craft& p = PlayerCraft;
    if (KeyHeld(VK_RIGHT)) {
        p.Heading = p.Heading + turnStep;
        if (p.Heading >= HeadingSteps) p.Heading -= HeadingSteps;
        RotateCraftCorners(p, int(p.Heading));
    }
    // Both arrows together undo each other, and the picture is turned twice.
    if (KeyHeld(VK_LEFT)) {
        p.Heading = p.Heading - turnStep;
        if (p.Heading < 0.0f) p.Heading += HeadingSteps;
        RotateCraftCorners(p, int(p.Heading));
    }
}

void ChangeSpeed() {
    Craft& p = PlayerCraft;
    // Braking wins over accelerating; with neither the craft slows by itself.
    if (KeyHeld(VK_DOWN)) {
        p.Speed = p.Speed - FrameDelta * Braking;
        if (p.Speed < MinimumSpeed) p.Speed = MinimumSpeed;
    } else if (KeyHeld(VK_UP)) {
        p.Speed = p.Speed + FrameDelta * Acceleration;
        if (p.Speed > MaximumSpeed) p.Speed = MaximumSpeed;
    } else {
        p.Speed = p.Speed - FrameDelta * Drag;
        if (p.Speed < MinimumSpeed) p.Speed = MinimumSpeed;
    }
}

float ClampToWorld(float position) {
    if (position < 0.0f) return 0.0f;
    if (position > WorldSize) return WorldSize;
    return position;
}

void MovePlayer(float distance) {
    Craft& p = PlayerCraft;
    int h = int(p.Heading);
    p.PosX = p.PosX + CosTable[h] * distance;
    p.PosY = p.PosY + SinTable[h] * distance;
    // The craft slides along the world's edge; heading and speed stay.
    p.PosX = ClampToWorld(p.PosX);
    p.PosY = ClampToWorld(p.PosY);
}

void FireGun() {
    const Craft& p = PlayerCraft;
    if (CheatMode == 1) {
        // Ten shots two steps apart from Heading - 10: the spread leans one step to the left.
        float a = p.Heading - 10.0f;
        if (a < 0.0f) a += HeadingSteps;
        for (int i = 0; i < 10; ++i) {
            SpawnShot(ShotByPlayer, p.PosX, p.PosY, a);
            a = a + 2.0f;
            if (a >= HeadingSteps) a -= HeadingSteps;
        }
    } else {
        SpawnShot(ShotByPlayer, p.PosX, p.PosY, p.Heading);
    }
    StopSoundSlot(SlotPlayerShot);
    PlaySoundSlot(SlotPlayerShot, 0);
    PlayerLastShotTime = GameClock;
}

} // namespace

void FrameStep() {
    // Taken first, so the turn uses the speed the previous frame left.
    const float turnRate = TurnRateBase - PlayerCraft.Speed;

    if (FirstFrame) {
        FirstFrame = false;
        // The gun can fire no earlier than 0.4 s after the first frame.
        PlayerLastShotTime = float(ReadGameClock());
    }

    if (KeyPressed('P')) {
        Paused = 1 - Paused;
        if (Paused == 0) {
            // The paused time is not counted, and the first frame back is the fixed 0.1 s.
            PreviousGameClock = float(ReadGameClock());
            ResumeTiming = 1;
        }
    }
    if (Paused == 1) {
        const char line[] = "Game Paused, press P to continue";
        DrawStatusLine(PrimarySurface, 230, 230, line, int(sizeof line - 1));
        return;
    }

    CheckGameFlow();
    UpdateFrameTiming();
    if (ResumeTiming == 1) {
        ResumeTiming = 0;
        FrameDelta = 0.1f;
        FrameRate = 10.0f;
    }

    Turn(turnRate * FrameDelta);
    ChangeSpeed();

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

    if (KeyHeld(VK_SPACE) && GameClock - PlayerLastShotTime > GunInterval) FireGun();

    ComposeFrame();
    DrawLives();
    if (PrimarySurface) PrimarySurface->Flip(nullptr, DDFLIP_WAIT);
}
