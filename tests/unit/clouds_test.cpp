// The clouds' wrap at the world's sides, exactly at its edges, and the wind's push (whole games
// in the golden logs and frames hold the clouds' seeding, drift, drawing and the wind's changes).
#include <gtest/gtest.h>

#include "core/game_clock.h"
#include "combat/craft.h"
#include "game_fixture.h"
#include "world/clouds.h"

namespace {

using CloudsTest = GameTest;

TEST_F(CloudsTest, DriftWrapsAtTheWorldsSidesWithoutTheWind) {
    FrameDelta = 0.01f;
    Clouds[0] = {2047.9f, 500, 100}; // reaches 2048.9: back in at the left, one column showing
    Clouds[1] = {2046.5f, 500, 100}; // 2047.5 stays
    Clouds[2] = {-64.5f, 500, 20};   // -64.3 is -64 truncated: out at the left, in at the right
    Clouds[3] = {-63.9f, 500, 20};   // -63.7 stays
    DriftClouds();
    EXPECT_EQ(Clouds[0].X, -63.0f);
    EXPECT_FLOAT_EQ(Clouds[1].X, 2047.5f);
    EXPECT_EQ(Clouds[2].X, 2047.0f);
    EXPECT_FLOAT_EQ(Clouds[3].X, -63.7f);
}

TEST_F(CloudsTest, WindPushesCloudsAndCraftAndWrapsTheCloudsVertically) {
    FrameDelta = 0.5f;
    WindSpeed = 2.0f; // 1 unit this frame
    WindTimer = 100;
    Clouds[0] = {0, 2047.0f, 20}; // to 2048.0 exactly: not wrapped
    Clouds[1] = {0, 2047.5f, 20}; // to 2048.5: wrapped to the top
    PlayerCraft.PosY = 2048.0f;   // not held in the world here
    EnemyCraft[3].PosY = 10.0f;
    EnemyCraft[3].State = CraftFinished;
    ApplyWind();
    EXPECT_EQ(Clouds[0].Y, 2048.0f);
    EXPECT_EQ(Clouds[1].Y, -64.0f);
    EXPECT_EQ(PlayerCraft.PosY, 2049.0f);
    EXPECT_EQ(EnemyCraft[3].PosY, 11.0f);

    WindSpeed = -4.0f;
    Clouds[2] = {0, -63.0f, 20}; // to -65: wrapped to the bottom
    ApplyWind();
    EXPECT_EQ(Clouds[2].Y, 2048.0f);
    EXPECT_EQ(WindTimer, 98);

    // A wind below one unit a second moves the clouds but not the craft.
    WindSpeed = 0.5f;
    ApplyWind();
    EXPECT_EQ(Clouds[0].Y, 2046.25f);
    EXPECT_EQ(PlayerCraft.PosY, 2047.0f);
}

} // namespace
