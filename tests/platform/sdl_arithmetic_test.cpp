// The real screen's arithmetic and its key table, tested without a window: the 4:3 fit, the
// whole-number enlargement, the display holding the mouse, clicks mapped into the dialog, and
// the keys in both directions.
#include <gtest/gtest.h>

#include "platform/api/input.h"
#include "platform/sdl/screen_fit.h"
#include "platform/sdl/sdl_state.h"

namespace {

TEST(ScreenFit, KeepsTheShapeWithBarsWhereTheScreenIsWiderOrTaller) {
    EXPECT_EQ(FitPicture(1920, 1080, 640, 480), (FitRect{240, 0, 1440, 1080})) << "bars beside";
    EXPECT_EQ(FitPicture(1280, 1024, 800, 600), (FitRect{0, 32, 1280, 960})) << "bars above";
    EXPECT_EQ(FitPicture(1024, 768, 640, 480), (FitRect{0, 0, 1024, 768})) << "exactly 4:3";
    EXPECT_EQ(FitPicture(641, 481, 640, 480), (FitRect{0, 0, 641, 480}));
    // Sizes beyond what 32 bits hold in between still come out right.
    EXPECT_EQ(FitPicture(60000, 45000, 800, 600), (FitRect{0, 0, 60000, 45000}));
    EXPECT_EQ(FitPicture(0, 768, 640, 480), FitRect{});
    EXPECT_EQ(FitPicture(1024, 768, 0, 480), FitRect{});
}

TEST(ScreenFit, EnlargesByTheSmallestWholeNumberThatReachesTheHeight) {
    EXPECT_EQ(EnlargeFactor(1080, 480), 3); // 2.25 -> 3, then smoothed down
    EXPECT_EQ(EnlargeFactor(960, 480), 2);  // exactly 2: no smoothing needed
    EXPECT_EQ(EnlargeFactor(961, 480), 3);
    EXPECT_EQ(EnlargeFactor(480, 480), 1);
    EXPECT_EQ(EnlargeFactor(300, 600), 1) << "a smaller screen never enlarges";
    EXPECT_EQ(EnlargeFactor(0, 600), 1);
}

TEST(ScreenFit, TheMouseChoosesTheDisplayOrElseThePrimary) {
    const FitRect displays[] = {
        {0, 0, 1920, 1080}, {1920, -200, 2560, 1440}, {-1280, 0, 1280, 1024}};
    EXPECT_EQ(DisplayHolding(100, 100, displays, 3), 0);
    EXPECT_EQ(DisplayHolding(1920, -200, displays, 3), 1) << "the first pixel is inside";
    EXPECT_EQ(DisplayHolding(1919, 500, displays, 3), 0) << "the last pixel of the first";
    EXPECT_EQ(DisplayHolding(-1, 1023, displays, 3), 2);
    EXPECT_EQ(DisplayHolding(-1, 1024, displays, 3), 0) << "off every display: the primary";
    EXPECT_EQ(DisplayHolding(5, 5, displays, 0), 0);
}

TEST(ScreenFit, ClicksMapThroughTheWindowsSizeAsItIsNow) {
    int x = 0, y = 0;
    // A 1024 by 768 window, one pixel a point, a 400 by 300 dialog in the middle.
    WindowToPicture(312, 234, 1024, 768, 1024, 768, 400, 300, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    // The same window on a screen of twice the density: points become two pixels each.
    WindowToPicture(312, 234, 1024, 768, 2048, 1536, 400, 300, &x, &y);
    EXPECT_EQ(x, 624 - 824);
    EXPECT_EQ(y, 468 - 618);
    WindowToPicture(512, 384, 1024, 768, 2048, 1536, 800, 600, &x, &y);
    EXPECT_EQ(x, 400) << "the middle stays the middle";
    EXPECT_EQ(y, 300);
    // Before the window has a size nothing is scaled.
    WindowToPicture(10, 20, 0, 0, 400, 300, 400, 300, &x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    EXPECT_EQ(DialogScale(1080), 1);
    EXPECT_EQ(DialogScale(1440), 2);
    EXPECT_EQ(DialogScale(2160), 3);
}

TEST(KeyTable, EveryKeyTheGameOrTheDesktopNamesGoesBothWays) {
    std::vector<int> keys = {VK_RETURN, VK_ESCAPE, VK_SPACE, VK_TAB, VK_MENU,
                             VK_LEFT,   VK_UP,     VK_RIGHT, VK_DOWN};
    for (int k = VK_F1; k <= VK_F12; ++k)
        keys.push_back(k);
    for (int k = 'A'; k <= 'Z'; ++k)
        keys.push_back(k);
    for (int k = '0'; k <= '9'; ++k)
        keys.push_back(k);
    for (int vk : keys) {
        SDL_Keycode key = KeycodeFor(vk);
        ASSERT_NE(key, SDLK_UNKNOWN) << vk;
        EXPECT_EQ(VirtualKeyOf(key), vk) << vk;
    }
    EXPECT_EQ(KeycodeFor('P'), SDLK_p) << "a letter is the key that types it";
    EXPECT_EQ(KeycodeFor(VK_F4), SDLK_F4);
    EXPECT_EQ(VirtualKeyOf(SDLK_KP_ENTER), VK_RETURN) << "both Enter keys";
    EXPECT_EQ(VirtualKeyOf(SDLK_RALT), VK_MENU) << "both Alt keys";
    EXPECT_EQ(VirtualKeyOf(SDLK_F13), 0);
    EXPECT_EQ(KeycodeFor(0x5B), SDLK_UNKNOWN);
}

} // namespace
