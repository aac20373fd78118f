// Setting up, releasing and restoring the display, including every failure path.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "display/display.h"
#include "game_fixture.h"
#include "platform/api/gdi.h"

namespace {

using DisplayTest = GameTest;

TEST_F(DisplayTest, EachFailingStepShowsItsOwnMessageAndReleasesEverything) {
    const std::string sorry = ", if you would, please let help@velmora.example know if you "
                              "recieve this message. Thanks for trying to check this out!";
    const struct {
        TestFailure::Step step;
        int surface;
        std::string text;
    } cases[] = {
        {TestFailure::DisplayCreate, 0, "Sorry, can't initialize directdraw" + sorry},
        {TestFailure::CooperativeLevel, 0, "Couldn't set 'cooperative level'" + sorry},
        {TestFailure::DisplayMode, 0, "Couldn't set video mode" + sorry},
        {TestFailure::Surface, 1, "Failed to create the PRIMARY surface" + sorry},
        {TestFailure::BackBuffer, 0, "Failed to create the backbuffer" + sorry},
        // Creation 1 is the flipping pair, so tile 7 is creation 8.
        {TestFailure::Surface, 8,
         "Failed to create surface for texture #7, please let "
         "help@velmora.example know if you recieve this error. Thanks "
         "for trying to run this program"},
        {TestFailure::Surface, 22, "Couldn't create surface to hold miniature ship image" + sorry},
        {TestFailure::Surface, 23, "Couldn't create surface to hold cloud image" + sorry},
    };
    for (const auto& c : cases) {
        TestOptions o;
        o.failure.step = c.step;
        o.failure.surfaceNumber = c.surface;
        Start(o);
        OpenWindow();
        EXPECT_EQ(InitDisplay(), 0);
        ASSERT_EQ(MessageBoxes().size(), 1u) << c.text;
        EXPECT_EQ(MessageBoxes()[0].caption, "DD Initialization error");
        EXPECT_EQ(MessageBoxes()[0].text, c.text);
        EXPECT_EQ(PrimarySurface, nullptr);
        EXPECT_EQ(TileSurfaces[0], nullptr);
        EXPECT_EQ(TestLiveSurfaces(), 0) << "a failed set-up must release what it made";
    }
}

TEST_F(DisplayTest, SetUpMakesEverySurfaceAndReleasingTwiceDoesNothingMore) {
    ScreenWidth = 800;
    ScreenHeight = 600;
    OpenDisplay();
    DDSURFACEDESC desc{};
    ASSERT_EQ(BackBuffer->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth * desc.dwHeight, 800u * 600u);
    // The pair counts as two, then 20 tiles, the life icon and the cloud.
    EXPECT_EQ(TestLiveSurfaces(), 24);
    EXPECT_EQ(ReleaseDisplay(), 1);
    EXPECT_EQ(TestLiveSurfaces(), 0);
    EXPECT_EQ(ReleaseDisplay(), 0);
}

TEST_F(DisplayTest, RestoringActsOnlyWhileInactiveAndLeavesTheLifeIconToItsReload) {
    OpenDisplay();
    TestLoseSurfaces();
    AppActive = 1;
    RestoreLostSurfaces();
    EXPECT_EQ(PrimarySurface->IsLost(), DDERR_SURFACELOST);
    // A lost surface is neither locked nor drawn on, and nothing waits for it.
    EXPECT_EQ(LockWholeSurface(BackBuffer), 0);
    EXPECT_EQ(GetSurfaceDC(PrimarySurface), nullptr);
    EXPECT_EQ(UnlockWholeSurface(BackBuffer), 0);

    AppActive = 0;
    RestoreLostSurfaces();
    for (LPDIRECTDRAWSURFACE s :
         {PrimarySurface, BackBuffer, TileSurfaces[0], TileSurfaces[19], CloudSurface})
        EXPECT_EQ(s->IsLost(), DD_OK);
    EXPECT_EQ(LifeIconSurface->IsLost(), DDERR_SURFACELOST);
}

TEST_F(DisplayTest, TextFarOffTheSurfaceIsClippedWithoutHarm) {
    OpenDisplay();
    HDC dc = GetSurfaceDC(BackBuffer);
    ASSERT_NE(dc, nullptr);
    for (int x : {INT_MIN, -100000, -5, 630, 639, 640, INT_MAX})
        for (int y : {INT_MIN, -10, 470, 479, 480, INT_MAX})
            EXPECT_EQ(TextOutA(dc, x, y, "Game Paused", 11), 1);
    ReleaseSurfaceDC(BackBuffer, dc);
}

} // namespace
