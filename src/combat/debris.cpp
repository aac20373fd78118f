// debris.cpp -- the particles of an explosion
#include "combat/debris.h"

#include "combat/craft.h"

// Not built yet: comes with the loading work.
void SeedDebris(Craft&) {}
void MoveDebris(Craft&) {}
void DrawDebris(Craft&, std::int32_t, std::int32_t) {}
