// The player's controls on the virtual clock: speed, turning, the world's limits, the gun's
// interval, and the pause.
#include <gtest/gtest.h>

#include <vector>

#include "app/frame_step.h"
#include "flight_scene.h"
#include "platform/input.h"
#include "core/program.h"

namespace {

class FrameStepTest : public flight::FlightTest {
  protected:
    // Runs frames until the predicate holds (or a limit); returns the game time they covered.
    template <class Until> double StepUntil(Until until, int limit = 2000) {
        double covered = 0;
        for (int i = 0; i < limit && !until(); ++i) {
            FrameStep();
            covered += FrameDelta;
        }
        return covered;
    }
};

TEST_F(FrameStepTest, SpeedFallsTo10WithNoKeyAndRisesTo200WithUpAtTheirRates) {
    const struct {
        bool up;
        float from, to;
        double seconds;
    } cases[] = {{false, 50, 10, 2.0}, {true, 10, 200, 3.8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        Fly(c.up ? std::vector<ScriptEvent>{Key(0, VK_UP, true)} : std::vector<ScriptEvent>{});
        PlayerCraft.Speed = c.from;
        double covered =
            StepUntil([&] { return c.up ? PlayerCraft.Speed >= c.to : PlayerCraft.Speed <= c.to; });
        EXPECT_NEAR(covered, c.seconds, 1.0 / 60);
        FrameStep();
        EXPECT_EQ(PlayerCraft.Speed, c.to) << "the limit holds";
    }
    Fly({Key(0, VK_UP, true), Key(0, VK_DOWN, true)});
    PlayerCraft.Speed = 100;
    FrameStep(); // the fixed first frame of 0.1 s
    EXPECT_FLOAT_EQ(PlayerCraft.Speed, 95.0f) << "braking wins over accelerating";
}

TEST_F(FrameStepTest, TurnUsesTheSpeedThePreviousFrameLeft) {
    Fly({Key(0, VK_UP, true), Key(0, VK_RIGHT, true)});
    PlayerCraft.Speed = 10;
    FrameStep(); // 0.1 s at (1060 - 10) steps a second, though the speed is already 15
    EXPECT_FLOAT_EQ(PlayerCraft.Heading, 105.0f);
    EXPECT_FLOAT_EQ(PlayerCraft.Speed, 15.0f);
    // At full speed a whole turn takes about 2.23 seconds.
    PlayerCraft.Speed = 200;
    PlayerCraft.Heading = 0;
    float last = 0;
    double covered = StepUntil([&] {
        bool wrapped = PlayerCraft.Heading < last;
        last = PlayerCraft.Heading;
        return wrapped;
    });
    EXPECT_NEAR(covered, 1920.0 / 860, 1.0 / 60);
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

TEST_F(FrameStepTest, TheCraftSlidesAlongTheWorldsEdgeKeepingItsSpeed) {
    Fly({Key(0, VK_UP, true)});
    PlayerCraft.PosX = 2048;
    PlayerCraft.PosY = 1500;
    PlayerCraft.Heading = 200; // east and a little south
    PlayerCraft.Speed = 100;
    for (int i = 0; i < 30; ++i)
        FrameStep();
    EXPECT_EQ(PlayerCraft.PosX, 2048.0f);
    EXPECT_GT(PlayerCraft.PosY, 1500.0f);
    EXPECT_FLOAT_EQ(PlayerCraft.Speed, 100 + 50 * (0.1f + 29.0f / 60));

    // The wind may push the craft past the edge; the clamp that follows puts it back.
    PlayerCraft.PosY = 2048;
    PlayerCraft.Heading = 480; // south
    WindSpeed = 600;
    FrameStep();
    EXPECT_EQ(PlayerCraft.PosY, 2048.0f);
}

TEST_F(FrameStepTest, TheGunFiresOnlyAfterMoreThanFourTenthsOfASecond) {
    Fly({Key(0, VK_SPACE, true), Key(3.0, VK_SPACE, false), Key(3.05, VK_SPACE, true),
         Key(3.1, VK_SPACE, false)});
    FrameStep();
    std::vector<float> volleys{PlayerLastShotTime};
    while (TestNowSeconds() < 4.0) {
        FrameStep();
        if (PlayerLastShotTime != volleys.back()) volleys.push_back(PlayerLastShotTime);
    }
    for (std::size_t i = 1; i < volleys.size(); ++i) {
        EXPECT_GT(volleys[i] - volleys[i - 1], 0.4f);
        EXPECT_LT(volleys[i] - volleys[i - 1], 0.4f + 1.5f / 60);
    }
    // At 60 frames a second a volley comes every 25 frames: seven while held to 3.0 s; the
    // short press at 3.05 comes too soon after the last.
    EXPECT_EQ(volleys.size(), 8u);
    EXPECT_LT(volleys.back(), 3.0f);
}

TEST_F(FrameStepTest, PauseFreezesEverythingAndTheFirstFrameBackIsATenth) {
    Fly({Key(0.5, 'P', true), Key(0.6, 'P', false), Key(1.5, 'P', true), Key(1.6, 'P', false)});
    while (TestNowSeconds() < 0.5)
        FrameStep();
    FrameStep(); // waits for P's release, then shows the pause line
    EXPECT_EQ(Paused, 1);
    EXPECT_GE(TestNowSeconds(), 0.6);
    const Craft frozen = PlayerCraft;
    const Cloud cloud = Clouds[0];
    while (TestNowSeconds() < 1.5)
        FrameStep();
    EXPECT_EQ(PlayerCraft.PosX, frozen.PosX);
    EXPECT_EQ(PlayerCraft.Speed, frozen.Speed);
    EXPECT_EQ(Clouds[0].X, cloud.X);
    // The pause line: yellow on blue at (230, 230) on the visible screen.
    EXPECT_EQ(flight::SurfacePixel(PrimarySurface, 230, 231),
              PackColor(0, 0, 31, &PixelFormatInfo));

    FrameStep(); // P again: back to the game
    EXPECT_EQ(Paused, 0);
    EXPECT_EQ(FrameDelta, 0.1f);
    EXPECT_LT(PlayerCraft.Speed, frozen.Speed);
    FrameStep();
    EXPECT_NEAR(FrameDelta, 1.0 / 60, 0.002);
}

TEST_F(FrameStepTest, KWipesTheScreenRowByRowAndPlayGoesOn) {
    Fly({Key(0.5, 'K', true), Key(0.55, 'K', false), Key(5.0, VK_SPACE, true),
         Key(5.1, VK_SPACE, false)});
    while (TestNowSeconds() < 0.5)
        FrameStep();
    const double before = TestNowSeconds();
    const float speed = PlayerCraft.Speed;
    FrameStep();
    // 480 rows, one every 5 ms, after the key's release; then the keys page until Space.
    EXPECT_GE(TestNowSeconds() - before, 0.05 + 2.4);
    EXPECT_GE(TestNowSeconds(), 5.0);
    EXPECT_LT(PlayerCraft.Speed, speed) << "the rest of the frame ran";
    FrameStep();
    EXPECT_LT(FrameDelta, 0.05f) << "the next frame is measured from the wipe's last step";
}

} // namespace
