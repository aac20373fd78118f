// The heading tables and turning, the craft records and the level set-up, and the debris.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/game_clock.h"
#include "core/random.h"
#include "combat/craft.h"
#include "combat/debris.h"
#include "display/display.h"
#include "display/pixels.h"
#include "game_fixture.h"
#include "core/headings.h"
#include "core/program.h"

namespace {

class CraftTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        BuildHeadingTables();
        PixelFormatInfo = {0xF800, 0x07E0, 0x001F, 0, 5, 11};
    }
};

TEST_F(CraftTest, TablesUseTheGamesOwnFullTurn) {
    EXPECT_FLOAT_EQ(SinTable[480], 1.0f);
    EXPECT_FLOAT_EQ(CosTable[960], -1.0f);
    EXPECT_FLOAT_EQ(CosTable[1920], 1.0f);
    // Not zero: the turn is 6.28318, not 2 pi.
    EXPECT_NEAR(SinTable[960], 0.0000027, 0.0000005);
    EXPECT_NEAR(SinTable[1920], -0.0000053, 0.0000005);
}

TEST_F(CraftTest, TurningIsClockwiseAndAlwaysFromTheModel) {
    Craft c{};
    const CornerPoint model[4] = {{-27, -27}, {-27, 27}, {27, 27}, {27, -27}};
    for (int k = 0; k < 4; ++k)
        c.ModelCorners[k] = model[k];
    RotateCraftCorners(c, 480);
    EXPECT_NEAR(c.RotatedCorners[0].X, 27, 1e-4);
    EXPECT_NEAR(c.RotatedCorners[0].Y, -27, 1e-4);
    EXPECT_NEAR(c.RotatedCorners[3].X, 27, 1e-4);
    EXPECT_NEAR(c.RotatedCorners[3].Y, 27, 1e-4);
    // Many turns in a row leave no trace: the last one alone decides.
    for (int h = 0; h <= 1920; h += 7)
        RotateCraftCorners(c, h);
    RotateCraftCorners(c, 0);
    EXPECT_EQ(c.RotatedCorners[2].X, 27.0f);
    EXPECT_EQ(c.RotatedCorners[2].Y, 27.0f);
}

TEST_F(CraftTest, LevelSetUpPlacesThePlayerAndFiveEnemiesBeyondTheCorners) {
    CurrentLevel = 2;
    PlayerCraft.State = CraftDestroyed;
    PlayerCraft.Countdown = 7;
    GameSrand(12345);
    SetUpCraftForLevel();

    EXPECT_EQ(PlayerCraft.PosX, 320.0f);
    EXPECT_EQ(PlayerCraft.PosY, 240.0f);
    EXPECT_EQ(PlayerCraft.Heading, 0.0f);
    EXPECT_EQ(PlayerCraft.Speed, 50.0f);
    EXPECT_EQ(PlayerCraft.HitPoints, 10);
    EXPECT_EQ(PlayerCraft.SpriteWidth, 54);
    EXPECT_EQ(PlayerCraft.RotatedCorners[1].Y, 27.0f);
    // A running explosion is left to finish.
    EXPECT_EQ(PlayerCraft.State, CraftDestroyed);
    EXPECT_EQ(PlayerCraft.Countdown, 7);
    EXPECT_EQ(EnemiesSpawned, 5);

    // From seed 12345: the player's 750 debris draws, then per enemy five draws of its own and
    // 750 for its debris.
    const float expected[5][3] = {{-243, -173, 697},
                                  {-57, 2105, 1322},
                                  {2227, -187, 436},
                                  {-138, 2244, 794},
                                  {2157, -109, 643}};
    for (int slot = 0; slot < EnemySlots; ++slot) {
        const Craft& e = EnemyCraft[slot];
        EXPECT_EQ(e.PosX, expected[slot][0]) << slot;
        EXPECT_EQ(e.PosY, expected[slot][1]) << slot;
        EXPECT_EQ(e.Heading, expected[slot][2]) << slot;
        EXPECT_EQ(e.HitPoints, 5);
        EXPECT_EQ(e.Level, 2);
        EXPECT_EQ(e.State, CraftAttacking);
        EXPECT_EQ(e.Frame, FrameNormal);
        EXPECT_EQ(e.TurnRate, 675.0f);
        EXPECT_EQ(e.SpriteHeight, 54);
        EXPECT_EQ(e.ModelCorners[3].X, 27.0f);
        EXPECT_EQ(e.ModelCorners[3].Y, -27.0f);
    }
}

TEST_F(CraftTest, SpawnedEnemiesAlwaysLieOutsideTheWorld) {
    GameSrand(99);
    for (int i = 0; i < 2000; ++i) {
        SpawnEnemy(i % EnemySlots);
        for (float v : {EnemyCraft[i % EnemySlots].PosX, EnemyCraft[i % EnemySlots].PosY})
            EXPECT_TRUE((v >= -249 && v <= -50) || (v >= 2098 && v <= 2297)) << v;
        EXPECT_GE(EnemyCraft[i % EnemySlots].Heading, 0.0f);
        EXPECT_LT(EnemyCraft[i % EnemySlots].Heading, 1920.0f);
    }
    EXPECT_EQ(EnemiesSpawned, 2000);
}

TEST_F(CraftTest, EachLevelGetsItsEnemyImagesAndThePlayerKeepsHis) {
    const SpriteImage* sets[] = {
        SpriteImageStore.FirstEnemyImages,  SpriteImageStore.FirstEnemyImages,
        SpriteImageStore.SecondEnemyImages, SpriteImageStore.SecondEnemyImages,
        SpriteImageStore.ThirdEnemyImages,  SpriteImageStore.FirstEnemyImages};
    for (int level = 0; level <= 5; ++level) {
        AssignCraftImages(level);
        for (int f = 0; f < 3; ++f) {
            EXPECT_EQ(PlayerCraft.FrameImages[f], &SpriteImageStore.PlayerImages[f]);
            for (const Craft& e : EnemyCraft)
                EXPECT_EQ(e.FrameImages[f], &sets[level][f]) << "level " << level;
        }
    }
    AssignCraftImages(-1);
    EXPECT_EQ(EnemyCraft[4].FrameImages[2], &SpriteImageStore.FirstEnemyImages[2]);
}

TEST_F(CraftTest, DebrisStartsAtTheCentreAndFliesOutFiveTimesItsSeedOffset) {
    Craft c{};
    // Learn each particle's seed offset from the draws (five a particle, the offset first), then
    // seed from the same start.
    GameSrand(4242);
    int a[DebrisCount], b[DebrisCount];
    for (int i = 0; i < DebrisCount; ++i) {
        a[i] = GameRand() % 50 - 25;
        b[i] = GameRand() % 50 - 25;
        GameRand(), GameRand(), GameRand(); // the colour
    }
    GameSrand(4242);
    SeedDebris(c);
    for (int i = 0; i < DebrisCount; ++i) {
        EXPECT_EQ(c.DebrisX[i], 0.0f);
        EXPECT_EQ(c.DebrisY[i], 0.0f);
        EXPECT_GE(c.DebrisSpeed[i], 0.0f);
        EXPECT_LE(c.DebrisSpeed[i], 176.8f);
        EXPECT_GE(c.DebrisHeading[i], 0.0f);
        EXPECT_LT(c.DebrisHeading[i], 1920.0f);
    }
    FrameDelta = 0.01f;
    for (int step = 0; step < 100; ++step)
        MoveDebris(c);
    // The heading is truncated to a whole step, so a fast particle may be a little off its line.
    for (int i = 0; i < DebrisCount; ++i) {
        if (a[i] == 0 && b[i] == 0) continue;
        EXPECT_NEAR(c.DebrisX[i], -5.0 * a[i], 0.8) << i << ": " << a[i] << ", " << b[i];
        EXPECT_NEAR(c.DebrisY[i], -5.0 * b[i], 0.8) << i << ": " << a[i] << ", " << b[i];
    }
}

TEST_F(CraftTest, DebrisHeadingsOnTheAxes) {
    struct Case {
        std::uint32_t seed; // whose first two draws give this offset
        float heading, speed;
    } cases[] = {{1688, 0.0f, 125.0f},  // (-25, 0): toward +x
                 {42, 480.0f, 125.0f},  // (0, -25): toward +y
                 {1466, 960.0f, 0.0f}}; // (0, 0): never moves
    for (const Case& k : cases) {
        Craft c{};
        GameSrand(k.seed);
        SeedDebris(c);
        EXPECT_EQ(c.DebrisHeading[0], k.heading) << k.seed;
        EXPECT_EQ(c.DebrisSpeed[0], k.speed) << k.seed;
    }
}

TEST_F(CraftTest, DebrisIsPlottedOnlyWhereItIsOnTheScreen) {
    ScreenWidth = 40;
    ScreenHeight = 30;
    std::vector<std::uint16_t> pixels(40 * 30, 0);
    FrameBuffer = {reinterpret_cast<std::uint8_t*>(pixels.data()), 80, 40, 30};
    Craft c{};
    for (int i = 0; i < DebrisCount; ++i) {
        // A line of particles from far left to far right through row 5, and one on each corner.
        c.DebrisX[i] = float(i - 75) + 0.9f;
        c.DebrisY[i] = 0.5f;
        c.DebrisColour[i] = 0x1234;
    }
    c.DebrisX[0] = -10.0f, c.DebrisY[0] = -5.0f; // (0, 0)
    c.DebrisX[1] = 29.0f, c.DebrisY[1] = 24.0f;  // (39, 29)
    c.DebrisX[2] = 30.0f, c.DebrisY[2] = 0.0f;   // one past the right edge
    c.DebrisX[3] = 0.0f, c.DebrisY[3] = 25.0f;   // one past the bottom
    DrawDebris(c, 10, 5);
    int drawn = 0;
    for (std::uint16_t p : pixels)
        drawn += p == 0x1234;
    // Row 5 whole (truncation toward zero puts -0.1 and 0.9 both on column 10), plus two corners.
    EXPECT_EQ(drawn, 40 + 2);
    EXPECT_EQ(pixels[0], 0x1234);
    EXPECT_EQ(pixels[29 * 40 + 39], 0x1234);
    EXPECT_EQ(pixels[5 * 40 + 0], 0x1234);
    EXPECT_EQ(pixels[5 * 40 + 39], 0x1234);
}

} // namespace
