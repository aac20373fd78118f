// The frame clock where whole games do not take it: late in a long run.
#include <gtest/gtest.h>

#include <cmath>

#include "core/game_clock.h"
#include "game_fixture.h"

namespace {

using ClockTest = GameTest;

TEST_F(ClockTest, EqualReadingsNeverGiveAZeroFrame) {
    ASSERT_EQ(InitGameClock(), 1);
    // Late in a long run neighbouring float readings are milliseconds apart; the step must wait
    // for the next distinct one instead of dividing by zero.
    TestSleep(70000.0);
    PreviousGameClock = float(ReadGameClock());
    UpdateFrameTiming();
    EXPECT_GE(FrameDelta, 0.0039f);
    EXPECT_TRUE(std::isfinite(FrameRate));
}

} // namespace
