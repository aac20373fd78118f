// The debris plotted only where it is on the screen (whole games in the golden logs and frames
// hold the craft's set-up, turning and the debris' flight).
#include "combat/debris.h"

#include "combat_support.h"
#include "flight_scene.h"

namespace {

TEST_F(CombatTest, DebrisIsPlottedOnlyWhereItIsOnTheScreen) {
    flight::Canvas screen(40, 30);
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
    // Row 5 whole (truncation toward zero puts -0.1 and 0.9 both on column 10), plus two corners.
    EXPECT_EQ(screen.Written(), 40 + 2);
    for (auto [x, y] : {std::pair{0, 0}, {39, 29}, {0, 5}, {39, 5}})
        EXPECT_EQ(screen.At(x, y), 0x1234) << x << "," << y;
}

} // namespace
