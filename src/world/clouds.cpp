// clouds.cpp -- the clouds and the wind
#include "world/clouds.h"

#include "core/game_clock.h"
#include "core/game_globals.h"
#include "core/random.h"
#include "combat/craft.h"
#include "display/display.h"
#include "world/landscape.h"
#include "core/program.h"

Cloud Clouds[CloudCount] = {};
float WindSpeed = 0.0f;
std::int32_t WindTimer = 5;

static const GlobalsReset Reset(Clouds, WindSpeed, WindTimer);

namespace {

// One axis of a cloud's copy: where it lands and which part of the picture shows, given the
// cloud's float position and the view's whole-number edges on that axis.
void ClipCloudAxis(float position, std::int32_t low, std::int32_t high, DWORD& dest,
                   LONG& sourceLow, LONG& sourceHigh) {
    std::int32_t whole = TruncateCoordinate(position);
    if (whole < low) {
        dest = 0;
        sourceLow = LONG(float(low) - position);
    } else {
        dest = DWORD(std::int32_t(position - float(low)));
        if (whole > high - CloudSize) sourceHigh = LONG(float(high) - position);
    }
}

} // namespace

void SeedClouds() {
    for (Cloud& c : Clouds) {
        c.X = float(64 + GameRand() % 1918);
        c.Y = float(64 + GameRand() % 1918);
        c.Speed = float((GameRand() % 5) * 20 + 20);
    }
}

void DriftClouds() {
    for (Cloud& c : Clouds) {
        c.X = c.X + c.Speed * FrameDelta;
        // Out at the right, back in at the left with one column showing; and the other way.
        if (TruncateCoordinate(c.X) >= WorldSize) c.X = -63.0f;
        if (TruncateCoordinate(c.X) <= -CloudSize) c.X = WorldSize - 1;
    }
}

void ApplyWind() {
    const float d = FrameDelta * WindSpeed;
    if (WindSpeed != 0.0f) {
        for (Cloud& c : Clouds) {
            c.Y = c.Y + d;
            if (c.Y > WorldSize) c.Y = -CloudSize;
            if (c.Y < -CloudSize) c.Y = WorldSize;
        }
    }
    if (std::int32_t(WindSpeed) != 0) {
        // The craft are not held in the world here; the frame step clamps the player after.
        PlayerCraft.PosY += FrameDelta * WindSpeed;
        for (Craft& enemy : EnemyCraft)
            enemy.PosY += FrameDelta * WindSpeed;
    }
    --WindTimer;
    if (WindTimer == 0) {
        // Whole units per frame at the frame rate of the moment: -2 to 2.
        WindSpeed = float(GameRand() % 5 - 2) * FrameRate;
        std::int32_t frames = std::int32_t(float(GameRand() % 5) * FrameRate);
        WindTimer = frames + std::int32_t(FrameRate);
    }
}

void DrawClouds(std::int32_t viewRight, std::int32_t viewBottom) {
    const std::int32_t left = viewRight - ScreenWidth, top = viewBottom - ScreenHeight;
    for (const Cloud& c : Clouds) {
        std::int32_t cx = TruncateCoordinate(c.X), cy = TruncateCoordinate(c.Y);
        if (cx < left - CloudSize || cx >= viewRight || cy < top - CloudSize || cy >= viewBottom)
            continue;
        RECT source{0, 0, CloudSize, CloudSize};
        DWORD destX = 0, destY = 0;
        ClipCloudAxis(c.X, left, viewRight, destX, source.left, source.right);
        ClipCloudAxis(c.Y, top, viewBottom, destY, source.top, source.bottom);
        // A cloud just touching the view's edge has nothing left to show.
        if (source.left >= source.right || source.top >= source.bottom) continue;
        if (BackBuffer && CloudSurface)
            BackBuffer->BltFast(destX, destY, CloudSurface, &source,
                                DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    }
}
