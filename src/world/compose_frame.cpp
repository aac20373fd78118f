// compose_frame.cpp -- one picture of the game in the back buffer
//
// The rectangle copies (ground, clouds) and the text need the back buffer unlocked, the pixel
// writes (shots, debris, craft, flash) need it locked; the work is ordered so that it is locked
// once a frame.
#include "world/compose_frame.h"

#include <cstdio>
#include <cstring>

#include "core/game_clock.h"
#include "core/game_globals.h"
#include "combat/craft.h"
#include "combat/debris.h"
#include "combat/player.h"
#include "combat/shots.h"
#include "display/display.h"
#include "display/pixels.h"
#include "display/rasterizer.h"
#include "display/wipes.h"
#include "world/clouds.h"
#include "core/headings.h"
#include "core/keyboard.h"
#include "world/landscape.h"
#include "core/program.h"

std::int32_t FpsDisplayOn = 0;

static const GlobalsReset Reset(FpsDisplayOn);

namespace {

void PlaceOnScreen(Craft& craft) {
    craft.ScreenX = TruncateCoordinate(craft.PosX) - (ViewRight - ScreenWidth);
    craft.ScreenY = TruncateCoordinate(craft.PosY) - (ViewBottom - ScreenHeight);
}

} // namespace

void ComposeFrame() {
    // Formatted every frame whether shown or not; only the first 20 characters are drawn.
    char fpsText[32];
    std::snprintf(fpsText, sizeof fpsText, "last fps rate: %4d ", int(FrameRate));

    if (KeyPressed('I')) FpsDisplayOn = FpsDisplayOn ? 0 : 1;

    ApplyViewRule();
    DrawLandscape(ViewRight, ViewBottom);
    DrawClouds(ViewRight, ViewBottom);
    if (ShotList.First) UpdateShots();
    PlaceOnScreen(PlayerCraft);
    if (FpsDisplayOn)
        DrawStatusLine(BackBuffer, 0, ScreenHeight - 25, fpsText, int(strnlen(fpsText, 20)));

    const bool locked = LockWholeSurface(BackBuffer) == 1;
    if (ShotList.First && locked) DrawShots(ViewRight, ViewBottom);
    for (Craft& enemy : EnemyCraft) {
        if (enemy.Frame == FrameRetired) continue;
        PlaceOnScreen(enemy);
        if (enemy.State == CraftDestroyed) {
            MoveDebris(enemy);
            if (locked) DrawDebris(enemy, enemy.ScreenX, enemy.ScreenY);
        }
        // Destroyed and finished enemies still show their current image.
        if (locked) DrawCraftSprite(enemy, enemy.ScreenX, enemy.ScreenY);
    }
    if (PlayerCraft.State == CraftAttacking) {
        if (locked) DrawCraftSprite(PlayerCraft, PlayerCraft.ScreenX, PlayerCraft.ScreenY);
    } else {
        RunPlayerDestruction(locked);
    }
    if (locked) UnlockWholeSurface(BackBuffer);
}

void DrawLives() {
    if (!BackBuffer || !LifeIconSurface) return;
    RECT source{0, 0, LifeIconSize, LifeIconSize};
    for (std::int32_t i = 0; i < PlayerLives; ++i) {
        std::int32_t y = ScreenHeight - 100 - 40 * i;
        if (y < 0) break; // no more room above; the copy would be refused anyway
        BackBuffer->BltFast(10, DWORD(y), LifeIconSurface, &source,
                            DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    }
}
