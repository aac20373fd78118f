// Pixel format analysis and colour packing on displays of both 16-bit formats, and the checked
// pixel writes of the test builds.
#include <gtest/gtest.h>

#include <tuple>

#include "display/pixels.h"
#include "game_fixture.h"

namespace {

using PixelFormatTest = GameTest;

TEST_F(PixelFormatTest, BothSixteenBitFormatsAreReadAndColoursPackedIntoThem) {
    const struct {
        bool format555;
        PixelFormat expected;
        std::uint16_t white, flash; // the flash adds its colour's raw value, so its bits matter
    } cases[] = {{false, {0xF800, 0x07E0, 0x001F, 0, 5, 11}, 0xFFFF, 0x596B},
                 {true, {0x7C00, 0x03E0, 0x001F, 0, 5, 10}, 0xFFFF, 0x2D6B}};
    for (const auto& c : cases) {
        TestOptions o;
        o.pixelFormat555 = c.format555;
        Start(o);
        OpenDisplay();
        const PixelFormat& f = PixelFormatInfo;
        auto fields = [](const PixelFormat& f) {
            return std::tuple(f.RedMask, f.GreenMask, f.BlueMask, f.BlueShift, f.GreenShift,
                              f.RedShift);
        };
        EXPECT_EQ(fields(f), fields(c.expected)) << c.format555;
        EXPECT_EQ(PackColor(255, 255, 255, &f), c.white);
        EXPECT_EQ(PackColor(75, 75, 75, &f), c.flash);
    }
    PixelFormat untouched{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(AnalysePixelFormat(nullptr, &untouched), 0);
    EXPECT_EQ(untouched.RedShift, 6);
}

#ifdef SKIRMO_CHECKED_PIXELS
TEST(PutPixelDeathTest, TheCheckedBuildsStopAWriteOffTheLockedSurface) {
    std::uint16_t pixels[4 * 3] = {};
    FrameBuffer = LockedFrame{reinterpret_cast<std::uint8_t*>(pixels), 8, 4, 3};
    EXPECT_DEATH(PutPixel(4, 0, 1), "PutPixel\\(4, 0\\) outside the locked 4 by 3 surface");
    EXPECT_DEATH(PutPixel(0, -1, 1), "outside");
    PutPixel(3, 2, 7);
    EXPECT_EQ(pixels[11], 7);
}
#endif

} // namespace
