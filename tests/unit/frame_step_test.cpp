// The player's controls on the virtual clock: speed, turning, the world's limits, the gun's
// interval, and the pause.
#include <gtest/gtest.h>

#include <vector>

#include "app/frame_step.h"
#include "app/game_clock.h"
#include "app/startup.h"
#include "flight_scene.h"
#include "platform/input.h"
#include "world/clouds.h"

namespace {

class FrameStepTest : public GameTest {
  protected:
    // A display at 60 refreshes a second, so each flip ends a 1/60 s frame; keys from the
    // script. The first frame is the fixed 0.1 s, as after every resume.
    void Run(std::vector<ScriptEvent> script = {}) {
        TestOptions o;
        o.script = std::move(script);
        Start(o);
        HalfScreenWidth = 320;
        HalfScreenHeight = 240;
        OpenWindow();
        ASSERT_EQ(InitDisplay(), 1);
        AnalysePixelFormat(PrimarySurface, &PixelFormatInfo);
        ASSERT_EQ(InitGameClock(), 1);
        BuildHeadingTables();
        WindTimer = 1 << 30; // no wind unless a test makes one
        PlayerCraft.PosX = 1000;
        PlayerCraft.PosY = 1000;
        PlayerCraft.Speed = 50;
        AppActive = 1;
    }
    static ScriptEvent Key(double t, int key, bool down) {
        return {TestSecondsToNs(t), down ? ScriptEvent::KeyDown : ScriptEvent::KeyUp, key};
    }
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

TEST_F(FrameStepTest, WithNoKeyTheCraftSlowsFrom50To10InTwoSeconds) {
    Run();
    double covered = StepUntil([] { return PlayerCraft.Speed <= 10.0f; });
    EXPECT_EQ(PlayerCraft.Speed, 10.0f);
    EXPECT_NEAR(covered, 2.0, 1.0 / 60);
    FrameStep();
    EXPECT_EQ(PlayerCraft.Speed, 10.0f) << "10 is the least";
}

TEST_F(FrameStepTest, HoldingUpTakesTheCraftFrom10To200In3Point8Seconds) {
    Run({Key(0, VK_UP, true)});
    PlayerCraft.Speed = 10;
    double covered = StepUntil([] { return PlayerCraft.Speed >= 200.0f; });
    EXPECT_EQ(PlayerCraft.Speed, 200.0f);
    EXPECT_NEAR(covered, 3.8, 1.0 / 60);
    FrameStep();
    EXPECT_EQ(PlayerCraft.Speed, 200.0f) << "200 is the most";
}

TEST_F(FrameStepTest, BrakingWinsOverAccelerating) {
    Run({Key(0, VK_UP, true), Key(0, VK_DOWN, true)});
    PlayerCraft.Speed = 100;
    FrameStep(); // the fixed first frame of 0.1 s
    EXPECT_FLOAT_EQ(PlayerCraft.Speed, 95.0f);
}

TEST_F(FrameStepTest, TurnUsesTheSpeedThePreviousFrameLeft) {
    Run({Key(0, VK_UP, true), Key(0, VK_RIGHT, true)});
    PlayerCraft.Speed = 10;
    FrameStep(); // 0.1 s at (1060 - 10) steps a second, though the speed is already 15
    EXPECT_FLOAT_EQ(PlayerCraft.Heading, 105.0f);
    EXPECT_FLOAT_EQ(PlayerCraft.Speed, 15.0f);
    // At full speed a whole turn takes about 2.23 seconds.
    PlayerCraft.Speed = 200;
    PlayerCraft.Heading = 0;
    double covered = 0;
    float last = 0;
    for (int i = 0; i < 1000 && PlayerCraft.Heading >= last; ++i) {
        last = PlayerCraft.Heading;
        FrameStep();
        covered += FrameDelta;
    }
    EXPECT_NEAR(covered, 1920.0 / 860, 1.0 / 60);
}

TEST_F(FrameStepTest, HeadingWrapsOnceEachWay) {
    Run({Key(0, VK_RIGHT, true)});
    PlayerCraft.Speed = 1050; // a turn step of exactly 1 in the first 0.1 s frame
    PlayerCraft.Heading = 1919.5f;
    FrameStep();
    EXPECT_FLOAT_EQ(PlayerCraft.Heading, 0.5f);

    Run({Key(0, VK_LEFT, true)});
    PlayerCraft.Speed = 1050;
    PlayerCraft.Heading = 0.5f;
    FrameStep();
    EXPECT_FLOAT_EQ(PlayerCraft.Heading, 1919.5f);

    Run({Key(0, VK_LEFT, true), Key(0, VK_RIGHT, true)});
    PlayerCraft.Heading = 3.0f;
    FrameStep();
    EXPECT_FLOAT_EQ(PlayerCraft.Heading, 3.0f) << "both arrows cancel";
}

TEST_F(FrameStepTest, TheCraftSlidesAlongTheWorldsEdgeKeepingItsSpeed) {
    Run({Key(0, VK_UP, true)});
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
    Run({Key(0, VK_SPACE, true), Key(3.0, VK_SPACE, false), Key(3.05, VK_SPACE, true),
         Key(3.1, VK_SPACE, false)});
    FrameStep();
    const float first = PlayerLastShotTime;
    std::vector<float> volleys;
    while (TestNowSeconds() < 4.0) {
        float before = PlayerLastShotTime;
        FrameStep();
        if (PlayerLastShotTime != before) volleys.push_back(PlayerLastShotTime);
    }
    ASSERT_FALSE(volleys.empty());
    EXPECT_GT(volleys[0] - first, 0.4f);
    for (std::size_t i = 1; i < volleys.size(); ++i) {
        EXPECT_GT(volleys[i] - volleys[i - 1], 0.4f);
        EXPECT_LT(volleys[i] - volleys[i - 1], 0.4f + 1.5f / 60);
    }
    // At 60 frames a second a volley comes every 25 frames: seven while held to 3.0 s; the
    // short press at 3.05 comes too soon after the last.
    EXPECT_EQ(volleys.size(), 7u);
    EXPECT_LT(volleys.back(), 3.0f);
}

TEST_F(FrameStepTest, PauseFreezesEverythingAndTheFirstFrameBackIsATenth) {
    Run({Key(0.5, 'P', true), Key(0.6, 'P', false), Key(1.5, 'P', true), Key(1.6, 'P', false)});
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
    std::uint16_t blue = PackColor(0, 0, 31, &PixelFormatInfo);
    EXPECT_EQ(flight::SurfacePixel(PrimarySurface, 230, 231), blue);

    FrameStep(); // P again: back to the game
    EXPECT_EQ(Paused, 0);
    EXPECT_EQ(FrameDelta, 0.1f);
    EXPECT_EQ(FrameRate, 10.0f);
    EXPECT_LT(PlayerCraft.Speed, frozen.Speed);
    FrameStep();
    EXPECT_NEAR(FrameDelta, 1.0 / 60, 0.002);
}

TEST_F(FrameStepTest, KWipesTheScreenRowByRowAndPlayGoesOn) {
    Run({Key(0.5, 'K', true), Key(0.55, 'K', false), Key(3.5, VK_SPACE, true),
         Key(3.6, VK_SPACE, false)}); // Space leaves the keys page the wipe leads to
    while (TestNowSeconds() < 0.5)
        FrameStep();
    const double before = TestNowSeconds();
    const float speed = PlayerCraft.Speed;
    FrameStep();
    // 480 rows, one every 5 ms, after the key's release.
    EXPECT_GE(TestNowSeconds() - before, 0.05 + 2.4);
    EXPECT_LT(PlayerCraft.Speed, speed) << "the rest of the frame ran";
    FrameStep();
    EXPECT_LT(FrameDelta, 0.05f) << "the next frame is measured from the wipe's last step";
}

} // namespace
