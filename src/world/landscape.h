// landscape.h -- the world map from world.dat, the view that follows the player, the ground
//
// The world is 2048 by 2048 units (one unit one screen pixel) in 64 by 64 tiles of 32 units.
// The view keeps the player's craft at the screen's centre except near the world's edges.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/program.h"
#include "display/display.h"

constexpr int MapTiles = 64; // per row and per column; TileSize and TileKinds are the display's

// 64 rows of 64 tile numbers (0 to 19), row-major.
extern std::uint8_t WorldMap[MapTiles * MapTiles];
// One past the visible window's right and bottom edges, in world units.
extern std::int32_t ViewRight;
extern std::int32_t ViewBottom;

// How much of world.dat is read at most; what lies beyond counts as the file's end. A map is
// about 4 KiB (12 KiB even with every cell on a line of its own ended by CR LF), and a file of
// nothing but line feeds must not hold up every level's start while it is read to its end.
constexpr std::size_t WorldFileLimit = std::size_t(1) << 20;

// Reads the map: the first 4096 characters that are not line feeds (a carriage return right
// before a line feed is dropped too), row by row; a space is tile 0, any other character its code
// minus '0'. Cells the file is too short for, and characters naming no tile 0 to 19, become tile
// 0. Returns 1, or 0 when the file cannot be opened or is not a regular file (the map keeps what
// it had).
int LoadWorldMap(const char* fileName);
// A world position truncated toward zero, as every world-to-screen step takes it. Positions no
// craft can reach (beyond 2^30, or not a number) are held at 2^30 or 0 instead of overflowing.
std::int32_t TruncateCoordinate(float position);
// ViewRight and ViewBottom from the player's position.
void ApplyViewRule();
// Covers the whole BackBuffer (unlocked) with the tiles of the view, by rectangle copies; the
// first column and row are cut by the view's offset within its tile, the last ones by the
// screen's edge. A view outside what ApplyViewRule can give draws nothing.
void DrawLandscape(std::int32_t viewRight, std::int32_t viewBottom);
