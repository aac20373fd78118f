// landscape.h -- the world map from world.dat, the view that follows the player, the ground
//
// The world is 2048 by 2048 units (one unit one screen pixel) in 64 by 64 tiles of 32 units.
// The view keeps the player's craft at the screen's centre except near the world's edges.
#pragma once

#include <cstdint>

constexpr int WorldSize = 2048;
constexpr int MapTiles = 64; // per row and per column
constexpr int TileSize = 32;

// 64 rows of 64 tile numbers (0 to 19), row-major.
extern std::uint8_t WorldMap[MapTiles * MapTiles];
// One past the visible window's right and bottom edges, in world units.
extern std::int32_t ViewRight;
extern std::int32_t ViewBottom;

// Reads the map. Returns 1, or 0 when the file cannot be opened (the map keeps what it had).
int LoadWorldMap(const char* fileName);
// ViewRight and ViewBottom from the player's position.
void ApplyViewRule();
// Covers the whole BackBuffer (unlocked) with the tiles of the view, by rectangle copies.
void DrawLandscape(std::int32_t viewRight, std::int32_t viewBottom);
