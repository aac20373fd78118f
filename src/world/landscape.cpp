// landscape.cpp -- the world map, the view and the ground
#include "world/landscape.h"

#include <cstring>

#include "app/game_globals.h"

std::uint8_t WorldMap[MapTiles * MapTiles] = {};
std::int32_t ViewRight = 0;
std::int32_t ViewBottom = 0;

static const GlobalsReset Reset([] {
    std::memset(WorldMap, 0, sizeof WorldMap);
    ViewRight = ViewBottom = 0;
});

// Not built yet: comes with the flight work.
int LoadWorldMap(const char*) { return 0; }
void ApplyViewRule() {}
void DrawLandscape(std::int32_t, std::int32_t) {}
