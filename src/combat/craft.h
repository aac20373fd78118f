// craft.h -- everything that flies: the player's craft, the five enemy slots, the roster
//
// One record type serves the player and the enemies; the records are static and live for the
// whole run. Each carries its own 150 debris particles, ready for its explosion.
#pragma once

#include <cstdint>

#include "display/bitmaps.h"

constexpr int DebrisCount = 150;
constexpr int EnemySlots = 5;
constexpr std::int32_t EnemiesPerLevel = 15;
constexpr std::int32_t StartingLives = 3;
constexpr std::int32_t PlayerHitPoints = 10;
constexpr std::int32_t EnemyHitPoints = 5;

struct CornerPoint {
    float X;
    float Y;
};

struct Craft {
    float PosX;    // world x of the centre
    float PosY;    // world y of the centre, growing downward
    float Heading; // in heading steps, kept in [0, 1920)
    std::int32_t ScreenX;
    std::int32_t ScreenY;
    std::int32_t SpriteWidth;  // 54
    std::int32_t SpriteHeight; // 54
    std::int32_t HitPoints;
    std::int32_t State;            // CraftState
    std::int32_t Frame;            // which image is drawn; FrameRetired takes an enemy slot out
    std::int32_t Countdown;        // frames left of the destruction sequence
    std::int32_t Level;            // enemies: the level they were spawned in
    float LastShotTime;            // enemies: GameClock at their last shot
    float Speed;                   // units per second
    float TurnRate;                // enemies: largest heading change per second
    CornerPoint ModelCorners[4];   // the unturned quad, relative to the centre
    CornerPoint RotatedCorners[4]; // the quad turned to Heading
    const SpriteImage* FrameImages[3];
    float DebrisX[DebrisCount];
    float DebrisY[DebrisCount];
    float DebrisHeading[DebrisCount];
    float DebrisSpeed[DebrisCount];
    std::uint16_t DebrisColour[DebrisCount];
};

enum CraftState : std::int32_t {
    CraftAttacking = 0, // the player: alive
    CraftRetreating = 1,
    CraftDestroyed = 2, // the explosion runs
    CraftFinished = 3   // the enemy slot waits to be refilled or retired
};

constexpr std::int32_t FrameNormal = 0;
constexpr std::int32_t FrameHit = 1; // shown for one drawing, then back to normal
constexpr std::int32_t FrameDestroyed = 2;
constexpr std::int32_t FrameRetired = 4; // enemy slot neither updated nor drawn any more

extern Craft PlayerCraft;
extern Craft EnemyCraft[EnemySlots];

extern std::int32_t CurrentLevel;     // 0 to 4, shown as 1 to 5
extern std::int32_t PlayerLives;      // ships left
extern std::int32_t EnemiesSpawned;   // brought into play this level, the first five included
extern std::int32_t EnemySpawnLimit;  // EnemiesPerLevel
extern std::int32_t EnemiesRemaining; // not yet destroyed to the end of their explosion

// Every field of all six records to zero.
void ClearCraft();
// Both craft pictures square, the player back at its start, five fresh enemies.
void SetUpCraftForLevel();
// Points every craft's three images at the set of this level.
void AssignCraftImages(int level);
// Turns the craft's ModelCorners to heading index h (0 to 1920) into its RotatedCorners.
void RotateCraftCorners(Craft& craft, int h);
// Draws the craft centred on a screen point; a hit image (Frame 1) reverts to Frame 0 after.
// Draws nothing for a craft without a picture for its Frame or with a corner that is not
// finite or beyond RasterCornerLimit.
void DrawCraftSprite(Craft& craft, std::int32_t screenX, std::int32_t screenY);
