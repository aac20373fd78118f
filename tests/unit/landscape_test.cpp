// The world map file, the view that follows the player, and the ground copied tile by tile.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "core/program.h"
#include "flight_scene.h"
#include "world/landscape.h"

namespace {

// Each test writes its map in a folder of its own: the tests run side by side.
class WorldMapTest : public ScratchFolderTest {
  protected:
    std::string path = "world.dat";
    void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
};

// 64 lines of cell characters, cycling through all twenty tile characters and the space.
std::string MapText(const char* lineEnd, int cellsPerLine = 64) {
    const std::string cells = " 0123456789:;<=>?@ABC";
    std::string text;
    for (int r = 0; r < 64; ++r) {
        for (int c = 0; c < cellsPerLine; ++c)
            text += cells[std::size_t(r * 7 + c) % cells.size()];
        text += lineEnd;
    }
    return text;
}

TEST_F(WorldMapTest, LineEndsOfEitherKindOrNoneGiveTheSameMap) {
    Write(MapText("\n"));
    ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
    std::vector<std::uint8_t> plain(WorldMap, WorldMap + 4096);
    EXPECT_EQ(plain[0], 0);   // space
    EXPECT_EQ(plain[1], 0);   // "0"
    EXPECT_EQ(plain[11], 10); // ":"
    EXPECT_EQ(plain[20], 19); // "C"
    auto tileOf = [](int k) { return k % 21 == 0 ? 0 : k % 21 - 1; };
    EXPECT_EQ(plain[64], tileOf(7)); // row 1 begins 7 characters on
    EXPECT_EQ(plain[4095], tileOf(63 * 7 + 63));

    for (const char* ending : {"\r\n", ""}) {
        std::memset(WorldMap, 0, sizeof WorldMap);
        Write(MapText(ending));
        ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), WorldMap))
            << "ending size " << std::strlen(ending);
    }
    // Only the carriage return right before a line feed is dropped: the others are cells (tile 0,
    // as a space is), so these lines of 63 or 62 characters still fill whole rows.
    for (auto [returns, spaces] : {std::pair("\r\r\n", " \n"), std::pair("\r\r\r\n", "  \n")}) {
        const int cells = 66 - int(std::strlen(returns));
        Write(MapText(spaces, cells));
        ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
        std::vector<std::uint8_t> spaced(WorldMap, WorldMap + 4096);
        Write(MapText(returns, cells));
        ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
        EXPECT_TRUE(std::equal(spaced.begin(), spaced.end(), WorldMap)) << cells << " cells a line";
    }
    // Lines of any length, and whatever follows the 4096th cell, change nothing.
    std::string text = MapText("");
    std::string odd;
    for (std::size_t i = 0; i < text.size(); ++i)
        odd += text.substr(i, 1) + (i % 100 == 99 ? "\n\n" : "");
    Write(odd + "XYZ garbage after the map\n");
    ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), WorldMap));
}

TEST_F(WorldMapTest, ShortFilesAndStrayCharactersBecomeTileZero) {
    // Characters below "0" and above "C", a lone carriage return, and bytes above 127.
    Write(std::string("C/D\r~\xff"
                      "5") +
          "\n" + "B");
    std::memset(WorldMap, 7, sizeof WorldMap);
    ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
    const std::uint8_t want[] = {19, 0, 0, 0, 0, 0, 5, 18, 0, 0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(WorldMap[i], want[i]) << i;
    for (int i = 0; i < 4096; ++i)
        ASSERT_LT(WorldMap[i], 20) << i;
    EXPECT_EQ(WorldMap[4095], 0);

    Write("");
    ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
    EXPECT_EQ(std::count(WorldMap, WorldMap + 4096, 0), 4096);
    // Reading stops at the limit as at the file's end: the cell after one line feed fewer is read.
    for (std::size_t feeds : {WorldFileLimit - 1, WorldFileLimit}) {
        Write(std::string(feeds, '\n') + "C");
        ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
        EXPECT_EQ(WorldMap[0], feeds < WorldFileLimit ? 19 : 0) << feeds;
    }
}

TEST_F(WorldMapTest, MissingFileKeepsTheMapItHadAndALoadedOneIsClosedAgain) {
    WorldMap[100] = 12;
    EXPECT_EQ(LoadWorldMap((path + ".missing").c_str()), 0);
    EXPECT_EQ(WorldMap[100], 12);
    auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    Write(MapText("\n"));
    const auto open = openFiles();
    ASSERT_EQ(LoadWorldMap(path.c_str()), 1);
    EXPECT_EQ(openFiles(), open);
}

// The view at both modes, and where that puts the player on the screen.
using ViewRuleTest = GameTest;

TEST_F(ViewRuleTest, CentresThePlayerExceptNearTheWorldsEdges) {
    struct Case {
        int width, height;
        float x, y;
        int right, bottom;
    } cases[] = {
        {640, 480, 0, 0, 640, 480},
        {640, 480, 1000.9f, 700.5f, 1320, 940},
        {640, 480, 1728, 1808, 2047, 2047},
        {800, 600, 0, 2048, 800, 2047},
        {800, 600, 1647.9f, 1747, 2047, 2047},
    };
    for (const Case& c : cases) {
        ScreenWidth = c.width;
        ScreenHeight = c.height;
        HalfScreenWidth = c.width / 2;
        HalfScreenHeight = c.height / 2;
        PlayerCraft.PosX = c.x;
        PlayerCraft.PosY = c.y;
        ApplyViewRule();
        EXPECT_EQ(ViewRight, c.right) << c.width << " " << c.x;
        EXPECT_EQ(ViewBottom, c.bottom) << c.height << " " << c.y;
    }
    EXPECT_EQ(TruncateCoordinate(-0.5f), 0);
    EXPECT_EQ(TruncateCoordinate(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(TruncateCoordinate(1e20f), 1 << 30);
    EXPECT_EQ(TruncateCoordinate(-1e20f), -(1 << 30));
}

class LandscapeTest : public GameTest {
  protected:
    // Every tile pixel tells its tile number and its place in the tile, so the whole back
    // buffer can be checked against the world it should show.
    static std::uint16_t Encoded(int tile, int x, int y) {
        return std::uint16_t(0x8000 | tile << 10 | y << 5 | x);
    }
    void SetUpMode(int width, int height) {
        Start();
        ScreenWidth = width;
        ScreenHeight = height;
        OpenDisplay();
        for (int t = 0; t < 20; ++t)
            flight::ForEachPixel(TileSurfaces[t],
                                 [&](int x, int y, std::uint16_t& p) { p = Encoded(t, x, y); });
        std::uint32_t state = 12345;
        for (std::uint8_t& cell : WorldMap) {
            state = state * 1103515245u + 12345u;
            cell = std::uint8_t((state >> 16) % 20);
        }
    }
    // Draws the view and compares every pixel with the world under it.
    void ExpectView(int viewRight, int viewBottom) {
        flight::ForEachPixel(BackBuffer, [](int, int, std::uint16_t& p) { p = 0; });
        DrawLandscape(viewRight, viewBottom);
        const int left = viewRight - ScreenWidth, top = viewBottom - ScreenHeight;
        int wrong = 0;
        flight::ForEachPixel(BackBuffer, [&](int x, int y, std::uint16_t& p) {
            int wx = left + x, wy = top + y;
            int tile = WorldMap[(wy / 32) * 64 + wx / 32];
            if (p != Encoded(tile, wx % 32, wy % 32) && wrong++ < 5)
                ADD_FAILURE() << "view " << viewRight << "," << viewBottom << " pixel " << x << ","
                              << y;
        });
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(LandscapeTest, ViewsAtBothModesAndNoneBeyondTheMap) {
    SetUpMode(640, 480);
    ExpectView(640, 480);   // the world's top-left corner, whole tiles
    ExpectView(2047, 2047); // offsets 31: one column and row of one pixel first
    SetUpMode(800, 600);
    ExpectView(800 + 5, 600 + 7); // 5 and 7 in: the last column and row of tiles are cut
    ExpectView(2047, 2047);
    // A view the rule never gives is not drawn rather than read off the map.
    flight::ForEachPixel(BackBuffer, [](int, int, std::uint16_t& p) { p = 1; });
    DrawLandscape(2100, 600);
    DrawLandscape(799, 600);
    EXPECT_EQ(flight::SurfacePixel(BackBuffer, 0, 0), 1);
}

} // namespace
