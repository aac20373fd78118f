// landscape.cpp -- the world map, the view and the ground
#include "world/landscape.h"

#include <cstdio>

#include "core/game_globals.h"
#include "core/program.h"
#include "combat/craft.h"
#include "display/display.h"
#include "platform/api/files.h"

std::uint8_t WorldMap[MapTiles * MapTiles] = {};
std::int32_t ViewRight = 0;
std::int32_t ViewBottom = 0;

static const GlobalsReset Reset(WorldMap, ViewRight, ViewBottom);

namespace {

// Cells beyond the end of a short file, and characters that name no tile, become tile 0: the
// map still loads, as the rest of it is good, and no tile number outside 0 to 19 is ever stored.
std::uint8_t TileNumberOf(int ch) {
    if (ch == ' ') return 0;
    int n = ch - '0';
    return n >= 0 && n < TileKinds ? std::uint8_t(n) : 0;
}

// One view edge: half a screen beyond the player, but never showing past the world's last
// column (2047 stays hidden) nor before its first.
std::int32_t ViewEdge(float position, std::int32_t half, std::int32_t screen) {
    std::int32_t edge = half + TruncateCoordinate(position);
    if (edge >= WorldSize) edge = WorldSize - 1;
    if (edge < screen) edge = screen;
    return edge;
}

// Moves the destination past the tile just drawn along one axis, and sets the next tile's source
// span: whole, or cut where the screen ends. False when the screen is full along that axis.
bool NextTile(std::int32_t& dest, LONG& start, LONG& end, std::int32_t screenSize) {
    dest += TileSize - start;
    start = 0;
    end = TileSize;
    std::int32_t remaining = screenSize - dest;
    if (remaining <= 0) return false;
    if (remaining < TileSize) end = remaining;
    return true;
}

} // namespace

std::int32_t TruncateCoordinate(float position) {
    constexpr float limit = 1 << 30;
    if (position >= limit) return std::int32_t(limit);
    if (position <= -limit) return -std::int32_t(limit);
    return position == position ? std::int32_t(position) : 0;
}

int LoadWorldMap(const char* fileName) {
    // Text mode: a carriage return right before a line feed is not a cell. On this platform the C
    // library does not drop it, so it is dropped here when a line feed follows.
    std::FILE* file = OpenGameFile(fileName);
    if (!file) return 0;
    std::size_t left = WorldFileLimit;
    auto get = [&] { return left > 0 ? (--left, std::fgetc(file)) : EOF; };
    int pending = EOF; // a character read ahead while looking past a carriage return
    auto next = [&] {
        int ch = pending != EOF ? pending : get();
        pending = EOF;
        if (ch == '\r') {
            int after = get();
            if (after == '\n') return after;
            pending = after; // perhaps another carriage return, looked past in its turn
        }
        return ch;
    };
    bool ended = false;
    for (int cell = 0; cell < MapTiles * MapTiles; ++cell) {
        int ch = EOF;
        if (!ended) {
            do
                ch = next();
            while (ch == '\n');
            ended = ch == EOF;
        }
        WorldMap[cell] = TileNumberOf(ch);
    }
    std::fclose(file);
    return 1;
}

void ApplyViewRule() {
    ViewRight = ViewEdge(PlayerCraft.PosX, HalfScreenWidth, ScreenWidth);
    ViewBottom = ViewEdge(PlayerCraft.PosY, HalfScreenHeight, ScreenHeight);
}

void DrawLandscape(std::int32_t viewRight, std::int32_t viewBottom) {
    const std::int32_t w = ScreenWidth, h = ScreenHeight;
    // The view rule keeps the window on the map; a view from anywhere else is not drawn.
    if (viewRight < w || viewRight > WorldSize || viewBottom < h || viewBottom > WorldSize) return;
    const std::int32_t left = viewRight - w, top = viewBottom - h;
    const std::int32_t firstColumn = left / TileSize, firstRow = top / TileSize;
    const std::int32_t offsetX = left % TileSize, offsetY = top % TileSize;

    RECT source{offsetX, offsetY, TileSize, TileSize};
    std::int32_t destY = 0;
    std::int32_t mapRow = firstRow;
    for (std::int32_t rows = 0; rows < viewBottom / TileSize + 1 && mapRow < MapTiles; ++rows) {
        std::int32_t destX = 0;
        std::int32_t mapColumn = firstColumn;
        source.left = offsetX;
        source.right = TileSize;
        for (std::int32_t columns = 0; columns < viewRight / TileSize + 1 && mapColumn < MapTiles;
             ++columns) {
            std::uint8_t tile = WorldMap[mapRow * MapTiles + mapColumn];
            if (tile < TileKinds && TileSurfaces[tile] && BackBuffer)
                BackBuffer->BltFast(DWORD(destX), DWORD(destY), TileSurfaces[tile], &source,
                                    DDBLTFAST_WAIT);
            ++mapColumn;
            if (!NextTile(destX, source.left, source.right, w)) break;
        }
        ++mapRow;
        if (!NextTile(destY, source.top, source.bottom, h)) break;
    }
}
