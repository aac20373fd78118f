// The player's controls where whole games do not go (the autopilot never brakes): braking, the
// heading's wrap exactly at a full turn, and the world's edge (the golden logs hold the rest).
#include <gtest/gtest.h>

#include <vector>

#include "app/frame_step.h"
#include "combat/craft.h"
#include "core/game_clock.h"
#include "core/headings.h"
#include "game_fixture.h"
#include "platform/api/input.h"
#include "world/clouds.h"

namespace {

// The game in flight on the test platform's display, keys from the script: 60 refreshes a
// second, so each flip ends a 1/60 s frame after the fixed first one of 0.1 s; no wind.
class FrameStepTest : public GameTest {
  protected:
    void Fly(std::vector<ScriptEvent> script = {}) {
        TestOptions o;
        o.script = std::move(script);
        o.untilSeconds = 60; // a wait that never ends fails the test instead of hanging it
        Start(o);
        HalfScreenWidth = 320;
        HalfScreenHeight = 240;
        OpenDisplay();
        ASSERT_EQ(InitGameClock(), 1);
        BuildHeadingTables();
        WindTimer = 1 << 30;
        PlayerCraft.PosX = PlayerCraft.PosY = 1000;
        PlayerCraft.Speed = 50;
        AppActive = 1;
    }
};

TEST_F(FrameStepTest, BrakingWinsOverAcceleratingAndStopsAtTheMinimum) {
    // The fixed first frame of 0.1 s at 50 units a second, a second.
    for (auto [from, to] : {std::pair{100.0f, 95.0f}, std::pair{14.0f, 10.0f}}) {
        Fly({Key(0, VK_UP, true), Key(0, VK_DOWN, true)});
        PlayerCraft.Speed = from;
        FrameStep();
        EXPECT_FLOAT_EQ(PlayerCraft.Speed, to);
    }
}

TEST_F(FrameStepTest, HeadingWrapsOnceEachWayAndBothArrowsCancel) {
    // A speed of 1050 turns exactly one step in the first 0.1 s frame; a turn that lands on a
    // full turn either way is heading 0.
    const struct {
        std::vector<ScriptEvent> keys;
        float speed, from, to;
    } cases[] = {{{Key(0, VK_RIGHT, true)}, 1050, 1919, 0},
                 {{Key(0, VK_LEFT, true)}, 1050, 1, 0},
                 {{Key(0, VK_LEFT, true)}, 1050, 0.5f, 1919.5f},
                 {{Key(0, VK_LEFT, true), Key(0, VK_RIGHT, true)}, 50, 3.0f, 3.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        Fly(c.keys);
        PlayerCraft.Speed = c.speed;
        PlayerCraft.Heading = c.from;
        FrameStep();
        EXPECT_FLOAT_EQ(PlayerCraft.Heading, c.to);
    }
}

TEST_F(FrameStepTest, TheCraftSlidesAlongTheWorldsEdges) {
    Fly();
    PlayerCraft.PosX = 2048;
    PlayerCraft.PosY = 1500;
    PlayerCraft.Heading = 200; // east and a little south
    for (int i = 0; i < 30; ++i)
        FrameStep();
    EXPECT_EQ(PlayerCraft.PosX, 2048.0f);
    EXPECT_GT(PlayerCraft.PosY, 1500.0f);
    // The wind may push the craft past the edge; the clamp that follows puts it back.
    PlayerCraft.PosX = 0;
    PlayerCraft.PosY = 2048;
    PlayerCraft.Heading = 960; // west
    WindSpeed = 600;
    FrameStep();
    EXPECT_EQ(PlayerCraft.PosX, 0.0f);
    EXPECT_EQ(PlayerCraft.PosY, 2048.0f);
}

} // namespace
