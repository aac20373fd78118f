// The frame clock on the virtual counter: limits, equal readings, the fixed resume frame.
#include <gtest/gtest.h>

#include <cmath>

#include "core/game_clock.h"
#include "game_fixture.h"

namespace {

class ClockTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_EQ(InitGameClock(), 1);
        PreviousGameClock = float(ReadGameClock());
    }
};

TEST_F(ClockTest, AQuickFrameCountsAsItselfAndASlowOneAsATenth) {
    TestSleep(0.01);
    UpdateFrameTiming();
    EXPECT_NEAR(FrameDelta, 0.01f, 1e-5);
    EXPECT_NEAR(FrameRate, 100.0f, 0.1f);
    TestSleep(0.24);
    UpdateFrameTiming();
    EXPECT_FLOAT_EQ(FrameDelta, 0.1f);
    EXPECT_FLOAT_EQ(FrameRate, 10.0f);
    EXPECT_NEAR(GameClock, 0.25f, 1e-4) << "seconds since the clock was set up";
    EXPECT_EQ(PreviousGameClock, GameClock);
}

TEST_F(ClockTest, EqualReadingsNeverGiveAZeroFrame) {
    // Late in a long run neighbouring float readings are milliseconds apart; the step must wait
    // for the next distinct one instead of dividing by zero.
    TestSleep(70000.0);
    PreviousGameClock = float(ReadGameClock());
    UpdateFrameTiming();
    EXPECT_GE(FrameDelta, 0.0039f);
    EXPECT_TRUE(std::isfinite(FrameRate));
}

TEST_F(ClockTest, FadesSampleWithoutTouchingTheRate) {
    FrameRate = 42.0f;
    TestSleep(0.03);
    SampleFrameInterval();
    EXPECT_NEAR(FrameDelta, 0.03f, 1e-4);
    EXPECT_FLOAT_EQ(FrameRate, 42.0f);
}

TEST_F(GameTest, NoCounterMeansNoClock) {
    TestOptions o;
    o.failure.step = TestFailure::Clock;
    Start(o);
    EXPECT_EQ(InitGameClock(), 0);
}

} // namespace
