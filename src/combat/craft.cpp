// craft.cpp -- the craft records, the level set-up and the roster
#include "combat/craft.h"

#include <cstring>

#include "app/game_globals.h"

Craft PlayerCraft{};
Craft EnemyCraft[EnemySlots]{};
std::int32_t CurrentLevel = 0;
std::int32_t PlayerLives = 3;
std::int32_t EnemiesSpawned = 0;
std::int32_t EnemySpawnLimit = 15;
std::int32_t EnemiesRemaining = 0;

static const GlobalsReset Reset([] {
    ClearCraft();
    CurrentLevel = 0;
    PlayerLives = 3;
    EnemiesSpawned = 0;
    EnemySpawnLimit = 15;
    EnemiesRemaining = 0;
});

void ClearCraft() {
    std::memset(&PlayerCraft, 0, sizeof PlayerCraft);
    std::memset(EnemyCraft, 0, sizeof EnemyCraft);
}

// Not built yet: the level set-up comes with the loading work.
void SetUpCraftForLevel() {}
void SpawnEnemy(int) {}
void AssignCraftImages(int) {}
