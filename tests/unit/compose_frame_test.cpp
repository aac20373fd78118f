// The explosion flash's arithmetic at the screen's edges, and the life icons' column (the golden
// frames show whole composed frames).
#include <gtest/gtest.h>

#include <cmath>

#include "display/wipes.h"
#include "flight_scene.h"
#include "combat/player.h"
#include "world/compose_frame.h"

namespace {

class ComposeFrameTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        OpenDisplay();
    }
};

TEST_F(ComposeFrameTest, FlashBrightensTheMasksShapeWithCarriesAndNoSaturation) {
    for (int x = 0; x < FlashMaskSize; ++x)
        for (int y = 0; y < FlashMaskSize; ++y)
            FlashMask[x * FlashMaskSize + y] = (x * 7 + y * 3) % 5 != 0;
    auto before = [](int x, int y) { return std::uint16_t(x * 97 + y * 61 + 0xFF00); };
    for (auto [cx, cy] : {std::pair{20, 470}, std::pair{641, 3}}) {
        flight::ForEachPixel(BackBuffer, [&](int x, int y, std::uint16_t& p) { p = before(x, y); });
        ASSERT_EQ(LockWholeSurface(BackBuffer), 1);
        ExplosionFlash(cx, cy);
        ASSERT_EQ(UnlockWholeSurface(BackBuffer), 1);
        // Every pixel under the mask, cut by the screen's edges, gains 75 in each channel, carrying
        // from one into the next; every other pixel is as it was.
        const std::uint16_t add = PackColor(75, 75, 75, &PixelFormatInfo);
        int flashed = 0, wrong = 0;
        flight::ForEachPixel(BackBuffer, [&](int x, int y, std::uint16_t& p) {
            int mx = x - cx + 75, my = y - cy + 75;
            bool inMask = mx >= 0 && mx < 150 && my >= 0 && my < 150 &&
                          FlashMask[mx * FlashMaskSize + my] != 0;
            flashed += inMask;
            wrong += p != (inMask ? std::uint16_t(before(x, y) + add) : before(x, y));
        });
        EXPECT_EQ(wrong, 0) << "flash at " << cx << "," << cy;
        EXPECT_GT(flashed, 1000);
    }
}

TEST_F(ComposeFrameTest, LifeIconsStackUpTheLeftSideAsFarAsTheyFit) {
    flight::ForEachPixel(LifeIconSurface, [](int x, int y, std::uint16_t& p) {
        p = std::abs(x - 16) < y / 2 ? 0xFFFF : 0;
    });
    DDCOLORKEY black{0, 0};
    LifeIconSurface->SetColorKey(DDCKEY_SRCBLT, &black);
    for (int lives : {0, 3, 100000}) {
        flight::ForEachPixel(BackBuffer, [](int, int, std::uint16_t& p) { p = 1; });
        PlayerLives = lives;
        DrawLives();
        // Ten places fit on the screen; a count far beyond what the game gives fills them and
        // ends instead of copying to places off the screen.
        for (int i = 0; i < 10; ++i) {
            int y = 480 - 100 - 40 * i;
            EXPECT_EQ(flight::SurfacePixel(BackBuffer, 10 + 16, y + 31) != 1, i < lives)
                << lives << " lives, icon " << i;
        }
    }
}

} // namespace
