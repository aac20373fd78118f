// player.cpp -- the player's craft: controls, gun, hits, explosion and return
#include "combat/player.h"

#include "audio/sound.h"
#include "combat/craft.h"
#include "combat/debris.h"
#include "combat/shots.h"
#include "core/game_clock.h"
#include "core/game_globals.h"
#include "core/headings.h"
#include "core/keyboard.h"
#include "core/program.h"
#include "display/pixels.h"
#include "display/wipes.h"

float PlayerLastShotTime = 0.0f;

static const GlobalsReset Reset(PlayerLastShotTime);

namespace {

constexpr float Acceleration = 50.0f; // units per second, per second
constexpr float Braking = 50.0f;
constexpr float Drag = 20.0f;
constexpr float MinimumSpeed = 10.0f;
constexpr float MaximumSpeed = 200.0f;
constexpr double GunInterval = 0.4; // seconds; a volley needs strictly more
constexpr int FlashRadius = FlashMaskSize / 2;

float ClampToWorld(float position) {
    if (position < 0.0f) return 0.0f;
    if (position > WorldSize) return WorldSize;
    return position;
}

} // namespace

void ArmPlayerGun() { PlayerLastShotTime = float(ReadGameClock()); }

void TurnPlayer(float turnStep) {
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

void ChangePlayerSpeed() {
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

void MovePlayer(float distance) {
    Craft& p = PlayerCraft;
    int h = int(p.Heading);
    p.PosX = p.PosX + CosTable[h] * distance;
    p.PosY = p.PosY + SinTable[h] * distance;
    // The craft slides along the world's edge; heading and speed stay.
    p.PosX = ClampToWorld(p.PosX);
    p.PosY = ClampToWorld(p.PosY);
}

void FirePlayerGun(bool spread) {
    if (!(KeyHeld(VK_SPACE) && GameClock - PlayerLastShotTime > GunInterval)) return;
    const Craft& p = PlayerCraft;
    if (spread) {
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
    RestartSoundSlot(SlotPlayerShot);
    PlayerLastShotTime = GameClock;
}

void HitPlayer() {
    PlayerCraft.HitPoints -= 1;
    PlayerCraft.Frame = FrameHit;
    RestartSoundSlot(SlotPlayerHit);
    if (PlayerCraft.HitPoints == 0) {
        PlayerCraft.Frame = FrameDestroyed;
        PlayerCraft.State = CraftDestroyed;
        RestartSoundSlot(SlotPlayerDestroyed);
        PlayerCraft.Countdown = std::int32_t(FrameRate * 1.5f); // a second and a half
        PlayerLives -= 1;
    }
}

// The countdown runs whether or not the back buffer could be locked; only the drawing needs it.
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

void ReturnPlayerToStart() {
    // A fixed place in the world, not the screen's centre.
    PlayerCraft.PosX = 320.0f;
    PlayerCraft.PosY = 240.0f;
    PlayerCraft.Heading = 0.0f;
    PlayerCraft.Speed = 50.0f;
    PlayerCraft.HitPoints = PlayerHitPoints;
    SeedDebris(PlayerCraft);
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
