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

constexpr int FlashRadius = FlashMaskSize / 2;

void PlaceOnScreen(Craft& craft) {
    craft.ScreenX = TruncateCoordinate(craft.PosX) - (ViewRight - ScreenWidth);
    craft.ScreenY = TruncateCoordinate(craft.PosY) - (ViewBottom - ScreenHeight);
}

// The player's craft while it explodes, and its return when the explosion is over. The
// countdown runs whether or not the back buffer could be locked; only the drawing needs it.
void RunPlayerDestruction(bool locked) {
    Craft& p = PlayerCraft;
    if (p.HitPoints == 0) p.HitPoints = PlayerHitPoints;
    --p.Countdown;
    if (p.Countdown != 0) {
        MoveDebris(p);
        if (locked) DrawDebris(p, p.ScreenX, p.ScreenY);
        // The flash and the wreck for the first third, the debris alone after.
        if (float(p.Countdown) > FrameRate && locked) {
            ExplosionFlash(p.ScreenX, p.ScreenY);
            DrawCraftSprite(p, p.ScreenX, p.ScreenY);
        }
        return;
    }
    p.Frame = FrameNormal;
    p.State = CraftAttacking;
    RotateCraftCorners(p, 0);
    ReturnPlayerToStart();
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

void ExplosionFlash(std::int32_t cx, std::int32_t cy) {
    std::int64_t x0 = std::int64_t(cx) - FlashRadius, y0 = std::int64_t(cy) - FlashRadius;
    std::int64_t x1 = std::int64_t(cx) + FlashRadius, y1 = std::int64_t(cy) + FlashRadius;
    std::int64_t maskX0 = 0, maskY0 = 0;
    if (x0 < 0) {
        maskX0 = FlashRadius - std::int64_t(cx);
        x0 = 0;
    }
    if (y0 < 0) {
        maskY0 = FlashRadius - std::int64_t(cy);
        y0 = 0;
    }
    if (x1 > ScreenWidth) x1 = ScreenWidth;
    if (y1 > ScreenHeight) y1 = ScreenHeight;

    // A plain sum of packed pixels: a field that overflows carries into the next one up and
    // the top one's overflow is lost. That is the look of the flash; nothing saturates.
    const std::uint16_t add = PackColor(75, 75, 75, &PixelFormatInfo);
    for (std::int64_t x = x0; x < x1; ++x) {
        const std::uint32_t* maskColumn = FlashMask + (maskX0 + (x - x0)) * FlashMaskSize;
        for (std::int64_t y = y0; y < y1; ++y) {
            if (maskColumn[maskY0 + (y - y0)] == 0) continue;
            auto* pixel = reinterpret_cast<const std::uint16_t*>(FrameBuffer.Base +
                                                                 y * FrameBuffer.Pitch + 2 * x);
            PutPixel(std::int32_t(x), std::int32_t(y), std::uint16_t(*pixel + add));
        }
    }
}
