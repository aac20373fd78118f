// The textured triangle rasterizer where the game's pictures do not take it (the golden frames
// show craft at every turn, cut by the screen's edges): sampling a span cut at the top, triangles
// without width, and corners it must clip or refuse, on a screen in plain memory whose every
// write is bounds-checked.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/rasterizer.h"
#include "flight_scene.h"

namespace {

using flight::Canvas;

class RasterizerTest : public GameTest {
  protected:
    SpriteImage texture = flight::NumberedTexture();
    Craft craft{};
    void SetUp() override {
        GameTest::SetUp();
        flight::MakeCraft(craft, &texture);
    }
};

std::uint16_t Texel(int row, int column) { return std::uint16_t(1 + row * 54 + column); }

TEST_F(RasterizerTest, HitImageIsShownOnceDestroyedImageStays) {
    SpriteImage hit = texture;
    hit.Pixels[0] = 7777;
    craft.FrameImages[FrameHit] = &hit;
    craft.Frame = FrameHit;
    Canvas screen(640, 480);
    DrawCraftSprite(craft, 320, 240);
    EXPECT_EQ(screen.At(293, 213), 7777);
    EXPECT_EQ(craft.Frame, FrameNormal);
    craft.Frame = FrameDestroyed;
    DrawCraftSprite(craft, 320, 240);
    EXPECT_EQ(craft.Frame, FrameDestroyed);
}

TEST_F(RasterizerTest, SpanAboveTheTopStartsWithTheTexelRowZeroWouldHaveHad) {
    CurrentTexture = &texture;
    Canvas clipped(64, 48);
    DrawTexturedColumn(3, 5, -10, 2, 2, 53, 0); // given bottom first: the ends are swapped
    Canvas shifted(64, 48);
    DrawTexturedColumn(3, 0, 15, 2, 2, 0, 53);
    for (int y = 0; y <= 5; ++y)
        EXPECT_EQ(clipped.At(3, y), shifted.At(3, y + 10)) << y;
    EXPECT_EQ(clipped.Written(), 6);
    EXPECT_EQ(shifted.At(3, 15), Texel(49, 2)) << "the last pixel samples short of the far end";

    Canvas outside(64, 48);
    DrawTexturedColumn(3, -30, -1, 0, 53, 0, 53);
    DrawTexturedColumn(3, 48, 2000000000, 0, 53, 0, 53);
    EXPECT_EQ(outside.Written(), 0);
}

TEST_F(RasterizerTest, TrianglesWithoutWidthDrawNothing) {
    CurrentTexture = &texture;
    Canvas screen(64, 48);
    DrawTexturedTriangle(10, 0, 10, 40, 10, 20, 0, 0, 53, 53, 0, 53);
    DrawTexturedTriangle(5, 5, 5, 5, 5, 5, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(screen.Written(), 0);
    // Two corners on one column still make a triangle.
    DrawTexturedTriangle(10, 0, 10, 40, 20, 20, 0, 0, 0, 53, 53, 26);
    EXPECT_GT(screen.Written(), 0);
}

// Corners from the joke keys: grown by 1.1 each frame until they are infinite, shrunk to zero,
// or simply not numbers. Nothing may be written off the screen (the checked PutPixel stops the
// test at once), nothing read off the picture (the sanitizer build), and a quad too large for
// the arithmetic is skipped whole.
TEST_F(RasterizerTest, EveryCornerIsClippedOrRefused) {
    Canvas screen(160, 120);
    double scale = 1.0;
    int drawnFrames = 0;
    for (int frame = 0; frame < 1000; ++frame, scale *= 1.1) {
        for (double angle : {0.0, 0.3, 1.9}) {
            flight::MakeCraft(craft, &texture, angle, scale);
            DrawCraftSprite(craft, 80, 60);
            DrawCraftSprite(craft, -5000, 60);
            DrawCraftSprite(craft, 80, 70000);
        }
        drawnFrames += screen.Written() > 0;
    }
    EXPECT_TRUE(std::isinf(craft.RotatedCorners[0].X));
    EXPECT_TRUE(screen.PaddingUntouched());

    // Large but within the limit: the whole screen is covered.
    Canvas covered(160, 120);
    flight::MakeCraft(craft, &texture, 0.7, 1.0e5);
    DrawCraftSprite(craft, 80, 60);
    EXPECT_EQ(covered.Written(), 160 * 120);

    // Beyond the limit, infinite, or not a number: nothing at all.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float bad : {float(RasterCornerLimit) * 2, inf, -inf, nan, 3.0e38f}) {
        Canvas refused(160, 120);
        flight::MakeCraft(craft, &texture);
        craft.RotatedCorners[2].Y = bad;
        DrawCraftSprite(craft, 80, 60);
        EXPECT_EQ(refused.Written(), 0) << bad;
    }
    // An offset within the limit that puts the corner beyond it, with the centre.
    std::int32_t place = 0;
    EXPECT_FALSE(CornerOnScreenPlane(1000, float(RasterCornerLimit) - 10, place));
    // A corner near the limit next to one at the far side still clips correctly.
    Canvas wide(160, 120);
    craft.RotatedCorners[0] = {-float(RasterCornerLimit) + 100, -27};
    craft.RotatedCorners[1] = {-27, 27};
    craft.RotatedCorners[2] = {float(RasterCornerLimit) - 100, 27};
    craft.RotatedCorners[3] = {27, -27};
    DrawCraftSprite(craft, 80, 60);
    EXPECT_GT(wide.Written(), 0);
    EXPECT_TRUE(wide.PaddingUntouched());

    // Triangles handed in directly with the extremes of 32-bit integers.
    CurrentTexture = &texture;
    const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    Canvas extremes(160, 120);
    DrawTexturedTriangle(lo, lo, hi, 0, 0, hi, 0, 0, 53, 0, 53, 53);
    DrawTexturedTriangle(lo, 10, 100, 20, 50, 30, 0, 0, 53, 0, 53, 53);
    EXPECT_EQ(extremes.Written(), 0);
}

} // namespace
