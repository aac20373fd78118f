// shots.cpp -- the shots in flight
#include "combat/shots.h"

#include "app/game_globals.h"

ShotListRecord ShotList{};
std::uint16_t ShotColours[2] = {};

// Frees the nodes before forgetting them, so a reset never leaks.
static const GlobalsReset Reset([] {
    ClearShots();
    ShotColours[0] = ShotColours[1] = 0;
});

// Not built yet: comes with the combat work.
void InitShotList() {}
void SpawnShot(std::int32_t, float, float, float) {}
void FreeShot(Shot*) {}
void ClearShots() {}
void UpdateShots() {}
void DrawShots(std::int32_t, std::int32_t) {}
