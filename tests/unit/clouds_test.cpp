// The clouds' drift and wrap, the wind and its changes, and the clouds' copies cut at the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "core/game_clock.h"
#include "core/random.h"
#include "flight_scene.h"
#include "world/clouds.h"
#include "world/landscape.h"

namespace {

using CloudsTest = GameTest;

TEST_F(CloudsTest, SeedingPlacesEveryCloudInsideTheWorldAtOneOfFiveSpeeds) {
    GameSrand(77);
    SeedClouds();
    for (const Cloud& c : Clouds) {
        EXPECT_TRUE(c.X >= 64 && c.X <= 1981 && c.Y >= 64 && c.Y <= 1981) << c.X << "," << c.Y;
        EXPECT_TRUE(c.Speed >= 20 && c.Speed <= 100 && int(c.Speed) % 20 == 0) << c.Speed;
    }
    EXPECT_NE(Clouds[0].X, Clouds[1].X);
}

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
    WindTimer = 100;
    ApplyWind(); // WindSpeed 0: nothing moves up or down
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Clouds[i].Y, 500.0f);
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

TEST_F(CloudsTest, WindChangesOnTheFifthFrameToWholeUnitsPerFrame) {
    FrameDelta = 1.0f / 60;
    FrameRate = 60.0f;
    GameSrand(4242);
    // Every kind of wind is -2 to 2 units a frame, lasting one to five seconds of frames.
    std::set<float> seen;
    for (int frame = 1; frame < 20000; ++frame) {
        bool change = WindTimer == 1 || frame == 5;
        ApplyWind();
        if (frame < 5) {
            EXPECT_EQ(WindSpeed, 0.0f);
        }
        if (!change) continue;
        seen.insert(WindSpeed);
        EXPECT_TRUE(WindTimer >= 60 && WindTimer <= 300 && WindTimer % 60 == 0) << WindTimer;
    }
    EXPECT_EQ(seen, (std::set<float>{-120, -60, 0, 60, 120}));
}

class CloudDrawingTest : public GameTest {
  protected:
    // The cloud picture: each pixel holds its own column and row, with a black (transparent)
    // ring around its middle.
    static std::uint16_t CloudPixel(int x, int y) {
        int d = (x - 32) * (x - 32) + (y - 32) * (y - 32);
        return d > 100 && d < 200 ? 0 : std::uint16_t(0x8000 | y << 6 | x);
    }
    void SetUp() override {
        GameTest::SetUp();
        OpenDisplay();
        flight::ForEachPixel(CloudSurface,
                             [](int x, int y, std::uint16_t& p) { p = CloudPixel(x, y); });
        DDCOLORKEY black{0, 0};
        CloudSurface->SetColorKey(DDCKEY_SRCBLT, &black);
        for (Cloud& c : Clouds)
            c = {-5000, -5000, 20}; // out of every view
    }
    // Draws cloud 0 at (x, y) into a cleared back buffer for the view at (viewRight, 980), and
    // checks that each drawn pixel came from the place of the picture that lies there. Returns
    // the screen's box of what was drawn (left, top, right, bottom) and the picture's column and
    // row at its top left; nothing drawn is {-1, -1, -1, -1, -1, -1}.
    std::array<int, 6> Draw(float x, float y, int viewRight) {
        Clouds[0] = {x, y, 20};
        flight::ForEachPixel(BackBuffer, [](int, int, std::uint16_t& p) { p = 1; });
        DrawClouds(viewRight, 980);
        std::array<int, 6> box{-1, -1, -1, -1, -1, -1};
        flight::ForEachPixel(BackBuffer, [&](int sx, int sy, std::uint16_t& p) {
            if (p == 1) return;
            EXPECT_NE(p, 0) << "the colour key keeps black out";
            EXPECT_EQ(p, CloudPixel(p & 63, (p >> 6) & 63));
            if (box[0] < 0) box = {sx, sy, sx, sy, p & 63, (p >> 6) & 63};
            box = {std::min(box[0], sx), box[1], std::max(box[2], sx + 1), sy + 1, box[4], box[5]};
        });
        return box;
    }
};

TEST_F(CloudDrawingTest, CloudsAreCutAtTheViewsEdges) {
    // A view of 640 by 480 at left 1000, top 500, unless it is at the world's left.
    const struct {
        float x, y;
        int viewRight;
        std::array<int, 6> box;
    } cases[] = {
        {1100, 600, 1640, {100, 100, 164, 164, 0, 0}},
        {1000 - 20, 600, 1640, {0, 100, 44, 164, 20, 0}},    // its right 44 columns at 0
        {1640 - 10, 600, 1640, {630, 100, 640, 164, 0, 0}},  // its left 10 at 630
        {1100, 500 - 30.5f, 1640, {100, 0, 164, 34, 0, 30}}, // from row trunc(30.5) at the top
        {1100, 980 - 3, 1640, {100, 477, 164, 480, 0, 0}},
        // Touching the view's edge from outside, or beyond it: nothing.
        {1000 - 64, 600, 1640, {-1, -1, -1, -1, -1, -1}},
        {1000 - 65, 600, 1640, {-1, -1, -1, -1, -1, -1}},
        {1640, 600, 1640, {-1, -1, -1, -1, -1, -1}},
        {-63, 600, 640, {0, 100, 1, 164, 63, 0}}, // one column showing at the world's left
    };
    for (const auto& c : cases)
        EXPECT_EQ(Draw(c.x, c.y, c.viewRight), c.box) << c.x << "," << c.y;
}

} // namespace
