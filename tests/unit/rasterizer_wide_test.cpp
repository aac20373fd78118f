// Eight columns at a time must draw exactly what one column at a time draws: every pixel, every
// transparent texel left alone, every clip, nothing beyond a row's end.
#include <gtest/gtest.h>

#include <random>

#include "display/rasterizer.h"
#include "display/rasterizer_wide.h"
#include "flight_scene.h"

namespace {

using flight::Canvas;

// A picture with holes, as a craft's outline makes them: about a third of the texels are 0.
SpriteImage HoledTexture(std::mt19937& random) {
    SpriteImage image = flight::NumberedTexture();
    for (std::uint16_t& texel : image.Pixels)
        if (random() % 3 == 0) texel = 0;
    return image;
}

// Draws with both walks on fresh canvases of the given size and compares them.
template <class Draw> void ExpectSameBothWays(int width, int height, Draw draw) {
    Canvas narrow(width, height);
    WideColumns = false;
    draw();
    Canvas wide(width, height);
    WideColumns = true;
    draw();
    ASSERT_TRUE(wide.PaddingUntouched());
    if (wide.pixels == narrow.pixels) return; // at once; pixel by pixel only to name the first
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(wide.At(x, y), narrow.At(x, y)) << "pixel " << x << "," << y;
}

class WideColumnsTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        if (!WideColumnsAvailable()) GTEST_SKIP() << "this processor draws one column at a time";
    }
    std::mt19937 random{20261206};
    SpriteImage texture = HoledTexture(random);
    int Between(int low, int high) { return low + int(random() % unsigned(high - low + 1)); }
};

TEST_F(WideColumnsTest, CraftsAtEveryTurnAndPlaceDrawTheSamePixels) {
    // Screens of the game's sizes and small odd ones, whose right edge cuts a batch of eight.
    const int sizes[][2] = {{640, 480}, {800, 600}, {37, 29}, {9, 200}, {7, 7}};
    for (auto [width, height] : sizes)
        for (int i = 0; i < 150; ++i) {
            Craft craft{};
            const double scale = i % 10 == 0 ? Between(2, 40) : 1.0; // the joke keys' growth
            flight::MakeCraft(craft, &texture, Between(0, 6283) / 1000.0, scale);
            // Centres on the screen and up to a craft beyond each edge.
            const int x = Between(-60, width + 60), y = Between(-60, height + 60);
            SCOPED_TRACE(testing::Message() << width << "x" << height << " craft " << i);
            ExpectSameBothWays(width, height, [&] { DrawCraftSprite(craft, x, y); });
        }
}

TEST_F(WideColumnsTest, TrianglesWithFarCornersAndEveryOrderDrawTheSamePixels) {
    CurrentTexture = &texture;
    for (int i = 0; i < 400; ++i) {
        // Corners from a few pixels off the screen to the limit of what is drawn at all.
        const int reach = i % 4 == 0 ? int(RasterCornerLimit) : 900;
        int c[6], t[6];
        for (int& v : c)
            v = Between(-reach, reach);
        for (int& v : t)
            v = Between(0, SpriteSize - 1);
        SCOPED_TRACE(testing::Message() << "triangle " << i);
        ExpectSameBothWays(640, 480, [&] {
            DrawTexturedTriangle(c[0], c[1], c[2], c[3], c[4], c[5], t[0], t[1], t[2], t[3], t[4],
                                 t[5]);
        });
    }
}

} // namespace
