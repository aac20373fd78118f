// enemies.cpp -- the enemies: arrival, flight, fire, hits, retreat, explosion and replacement
//
// Each slot is a small state machine: attack (turn toward the player, fire when close and in
// front), retreat (turn away, faster) once damaged, attack again when far enough, and after its
// explosion make room for the next enemy until the level's quota is used up.
#include "combat/enemies.h"

#include <cmath>

#include "core/game_clock.h"
#include "core/random.h"
#include "audio/sound.h"
#include "combat/craft.h"
#include "combat/debris.h"
#include "combat/shots.h"
#include "core/headings.h"
#include "core/program.h"

float HeadingToPlayer(int slot) {
    const Craft& enemy = EnemyCraft[slot];
    return HeadingToOrigin(enemy.PosX - PlayerCraft.PosX, enemy.PosY - PlayerCraft.PosY, true);
}

void EnemyTryFire(int slot, float distance) {
    Craft& enemy = EnemyCraft[slot];
    // Measured without wrap-around: an enemy at 1900 with the player at 10 is not aimed.
    float off = enemy.Heading - HeadingToPlayer(slot);
    bool aimed = distance < 500.0f && off > -100.0f && off < 100.0f;
    if (!aimed) return;
    if (!(GameClock - enemy.LastShotTime > 0.5f)) return;
    // A failed draw leaves LastShotTime alone: the enemy tries again next frame.
    if (GameRand() % (16 - 2 * enemy.Level) != 1) return;
    SpawnShot(ShotByEnemy, enemy.PosX, enemy.PosY, enemy.Heading);
    enemy.LastShotTime = GameClock;
    RestartSoundSlot(SlotEnemyShot);
}

namespace {

// One coordinate beyond the world's edge: 50 to 249 units before 0 or past WorldSize, the side
// chosen by the parity of the next draw.
float OffWorldCoordinate() {
    float v = float(GameRand() % 200 + 50);
    if (GameRand() & 1) return -v;
    return v + WorldSize;
}

void FlyEnemy(int slot) {
    Craft& enemy = EnemyCraft[slot];
    float dx = PlayerCraft.PosX - enemy.PosX;
    float dy = PlayerCraft.PosY - enemy.PosY;
    float distance = std::sqrt(dx * dx + dy * dy);

    if (distance > float(1000 - 100 * enemy.Level)) enemy.State = CraftAttacking;
    // First-level enemies are shy: they turn away from a close player even unhurt.
    if (distance < 100.0f && enemy.Level == 0) enemy.State = CraftRetreating;
    enemy.Speed =
        float(enemy.State == CraftAttacking ? 75 + 15 * enemy.Level : 125 + 15 * enemy.Level);

    // The heading before this frame's turn also sets this frame's move.
    int h = int(enemy.Heading);
    float c = CosTable[h];
    float s = SinTable[h];

    // Positive when the player lies on the side of growing heading; its size, the player's
    // distance from the line of flight, is the turn per second, up to the turn rate.
    float cross = dy * c - dx * s;
    float turn = std::fabs(cross);
    if (turn > enemy.TurnRate) turn = enemy.TurnRate;
    // Not wrapped into a half turn, so near heading 0 an enemy may turn the long way round.
    float diff = enemy.Heading - HeadingToPlayer(slot);

    if (enemy.State == CraftAttacking) {
        if (diff < -240.0f || diff > 240.0f) turn = enemy.TurnRate;
        if (cross >= 0.0f)
            enemy.Heading += turn * FrameDelta;
        else
            enemy.Heading -= turn * FrameDelta;
    } else {
        if (diff > -480.0f && diff < 480.0f) turn = enemy.TurnRate;
        if (cross < 0.0f)
            enemy.Heading += turn * FrameDelta;
        else
            enemy.Heading -= turn * FrameDelta;
    }
    if (enemy.Heading >= HeadingSteps) enemy.Heading -= HeadingSteps;
    if (enemy.Heading < 0.0f) enemy.Heading += HeadingSteps;

    // The shot leaves from where the enemy is now, along the turned heading.
    EnemyTryFire(slot, distance);
    RotateCraftCorners(enemy, int(enemy.Heading));

    float d = enemy.Speed * FrameDelta;
    enemy.PosX += d * c;
    enemy.PosY += d * s;
}

} // namespace

void SpawnEnemy(int slot) {
    Craft& enemy = EnemyCraft[slot];
    // The order of the draws is part of where enemies appear: x, its side, y, its side, heading.
    enemy.PosX = OffWorldCoordinate();
    enemy.PosY = OffWorldCoordinate();
    enemy.HitPoints = EnemyHitPoints;
    enemy.Level = CurrentLevel;
    enemy.State = CraftAttacking;
    enemy.Frame = FrameNormal;
    enemy.Heading = float(GameRand() % HeadingSteps);
    enemy.TurnRate = float((CurrentLevel + 1) * 75 + 450);
    ++EnemiesSpawned;
}

void HitEnemy(Craft& enemy) {
    enemy.HitPoints -= 1;
    if (enemy.HitPoints == 0) {
        enemy.State = CraftDestroyed;
        enemy.Frame = FrameDestroyed;
        RestartSoundSlot(SlotEnemyDestroyed);
        enemy.Countdown = std::int32_t(FrameRate); // about a second of frames
    } else {
        enemy.Frame = FrameHit;
        RestartSoundSlot(SlotEnemyHit);
        // Tougher levels keep attacking longer: 5, 5, 4, 4, 3.
        if (enemy.HitPoints < EnemyHitPoints - enemy.Level / 2) enemy.State = CraftRetreating;
    }
}

void UpdateEnemies() {
    for (int slot = 0; slot < EnemySlots; ++slot) {
        Craft& enemy = EnemyCraft[slot];
        if (enemy.State == CraftFinished) {
            if (EnemiesSpawned < EnemySpawnLimit)
                SpawnEnemy(slot);
            else
                enemy.Frame = FrameRetired; // out of this level for good
        } else if (enemy.State == CraftDestroyed) {
            enemy.Countdown -= 1;
            if (enemy.Countdown == 0) {
                enemy.State = CraftFinished;
                EnemiesRemaining -= 1;
                // The next enemy in this slot explodes from the centre with new particles.
                SeedDebris(enemy);
            }
        } else {
            FlyEnemy(slot);
        }
    }
}
