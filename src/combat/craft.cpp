// craft.cpp -- the craft records, the level set-up and the roster, turning and drawing a craft
#include "combat/craft.h"

#include <cstring>

#include "core/game_globals.h"
#include "combat/debris.h"
#include "combat/enemies.h"
#include "combat/player.h"
#include "core/headings.h"
#include "core/program.h"
#include "display/rasterizer.h"

Craft PlayerCraft{};
Craft EnemyCraft[EnemySlots]{};
std::int32_t CurrentLevel = 0;
std::int32_t PlayerLives = StartingLives;
std::int32_t EnemiesSpawned = 0;
std::int32_t EnemySpawnLimit = EnemiesPerLevel;
// As many as a level holds until the first level start sets it: a game that has not begun has
// not been won.
std::int32_t EnemiesRemaining = EnemiesPerLevel;

static const GlobalsReset Reset(PlayerCraft, EnemyCraft, CurrentLevel, PlayerLives, EnemiesSpawned,
                                EnemySpawnLimit, EnemiesRemaining);

namespace {

// Every craft is the same 54 by 54 square around its centre, unturned.
constexpr CornerPoint SquareCorners[4] = {{-27, -27}, {-27, 27}, {27, 27}, {27, -27}};

void SetSquare(Craft& craft) {
    for (int k = 0; k < 4; ++k)
        craft.ModelCorners[k] = craft.RotatedCorners[k] = SquareCorners[k];
}

} // namespace

void ClearCraft() {
    std::memset(&PlayerCraft, 0, sizeof PlayerCraft);
    std::memset(EnemyCraft, 0, sizeof EnemyCraft);
}

void SetUpCraftForLevel() {
    PlayerCraft.SpriteWidth = SpriteSize;
    PlayerCraft.SpriteHeight = SpriteSize;
    SetSquare(PlayerCraft);
    // State, Frame and Countdown stay: a retry may begin while the last explosion still runs,
    // and it finishes on its own.
    ReturnPlayerToStart();

    for (Craft& enemy : EnemyCraft)
        SetSquare(enemy);
    for (int slot = 0; slot < EnemySlots; ++slot) {
        EnemyCraft[slot].SpriteWidth = SpriteSize;
        EnemyCraft[slot].SpriteHeight = SpriteSize;
        SpawnEnemy(slot);
        SeedDebris(EnemyCraft[slot]);
    }
}

void AssignCraftImages(int level) {
    const SpriteImage* enemyImages = SpriteImageStore.FirstEnemyImages;
    if (level == 2 || level == 3)
        enemyImages = SpriteImageStore.SecondEnemyImages;
    else if (level == 4)
        enemyImages = SpriteImageStore.ThirdEnemyImages;
    for (int f = 0; f < 3; ++f) {
        PlayerCraft.FrameImages[f] = &SpriteImageStore.PlayerImages[f];
        for (Craft& enemy : EnemyCraft)
            enemy.FrameImages[f] = &enemyImages[f];
    }
}

void RotateCraftCorners(Craft& craft, int h) {
    float c = CosTable[h];
    float s = SinTable[h];
    // Always from the model corners: turning the turned corners again would let the square drift.
    for (int k = 0; k < 4; ++k) {
        float x = craft.ModelCorners[k].X;
        float y = craft.ModelCorners[k].Y;
        craft.RotatedCorners[k].X = x * c - y * s;
        craft.RotatedCorners[k].Y = y * c + x * s;
    }
}

void DrawCraftSprite(Craft& craft, std::int32_t screenX, std::int32_t screenY) {
    bool drawable = craft.Frame >= 0 && craft.Frame < 3 && craft.FrameImages[craft.Frame] &&
                    craft.SpriteWidth >= 1 && craft.SpriteWidth <= SpriteSize &&
                    craft.SpriteHeight >= 1 && craft.SpriteHeight <= SpriteSize;
    std::int32_t x[4], y[4];
    for (int i = 0; i < 4 && drawable; ++i)
        drawable = CornerOnScreenPlane(screenX, craft.RotatedCorners[i].X, x[i]) &&
                   CornerOnScreenPlane(screenY, craft.RotatedCorners[i].Y, y[i]);
    if (drawable) {
        CurrentTexture = craft.FrameImages[craft.Frame];
        std::int32_t w = craft.SpriteWidth - 1;
        std::int32_t h = craft.SpriteHeight - 1;
        // The two triangles share the diagonal from the picture's top-left to its bottom-right.
        DrawTexturedTriangle(x[0], y[0], x[1], y[1], x[2], y[2], 0, 0, 0, h, w, h);
        DrawTexturedTriangle(x[0], y[0], x[2], y[2], x[3], y[3], 0, 0, w, h, w, 0);
    }
    // The hit image is shown for one drawing only.
    if (craft.Frame == FrameHit) craft.Frame = FrameNormal;
}
