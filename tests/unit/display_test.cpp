// Setting up, releasing and restoring the display, including every failure path.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "display/display.h"
#include "display/pixels.h"
#include "game_fixture.h"
#include "platform/gdi.h"
#include "core/program.h"

namespace {

class DisplayTest : public GameTest {
  protected:
    // Runs InitDisplay with one step made to fail; returns the one message box it showed.
    TestEvent FailingInit(TestFailure::Step step, int surfaceNumber = 0) {
        TestOptions o;
        o.failure.step = step;
        o.failure.surfaceNumber = surfaceNumber;
        Start(o);
        OpenWindow();
        EXPECT_EQ(InitDisplay(), 0);
        auto boxes = MessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(DisplayObject, nullptr);
        EXPECT_EQ(PrimarySurface, nullptr);
        EXPECT_EQ(TestLiveSurfaces(), 0) << "a failed set-up must release what it made";
        return boxes.empty() ? TestEvent{} : boxes[0];
    }
};

TEST_F(DisplayTest, EachFailingStepShowsItsOwnMessageAndReleasesEverything) {
    const struct {
        TestFailure::Step step;
        int surface;
        std::string what;
    } cases[] = {
        {TestFailure::DisplayCreate, 0, "Sorry, can't initialize directdraw"},
        {TestFailure::CooperativeLevel, 0, "Couldn't set 'cooperative level'"},
        {TestFailure::DisplayMode, 0, "Couldn't set video mode"},
        {TestFailure::Surface, 1, "Failed to create the PRIMARY surface"},
        {TestFailure::BackBuffer, 0, "Failed to create the backbuffer"},
        {TestFailure::Surface, 22, "Couldn't create surface to hold miniature ship image"},
        {TestFailure::Surface, 23, "Couldn't create surface to hold cloud image"},
    };
    for (const auto& c : cases) {
        TestEvent box = FailingInit(c.step, c.surface);
        EXPECT_EQ(box.caption, "DD Initialization error");
        EXPECT_EQ(box.text, c.what + ", if you would, please let help@velmora.example know if you "
                                     "recieve this message. Thanks for trying to check this out!");
    }
}

TEST_F(DisplayTest, SeventhTileFailureNamesTheTileAndReleasesTheSixBefore) {
    // Creation 1 is the flipping pair, so tile 7 is creation 8.
    TestEvent box = FailingInit(TestFailure::Surface, 8);
    EXPECT_EQ(box.text, "Failed to create surface for texture #7, please let help@velmora.example"
                        " know if you recieve this error. Thanks for trying to run this program");
    for (LPDIRECTDRAWSURFACE tile : TileSurfaces)
        EXPECT_EQ(tile, nullptr);
}

TEST_F(DisplayTest, SuccessfulSetUpMakesTheModeAndAllSurfaces) {
    ScreenWidth = 800;
    ScreenHeight = 600;
    OpenDisplay();
    EXPECT_TRUE(MessageBoxes().empty());
    ASSERT_NE(BackBuffer, nullptr);
    DDSURFACEDESC desc{};
    ASSERT_EQ(BackBuffer->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 800u);
    EXPECT_EQ(desc.dwHeight, 600u);
    ASSERT_EQ(CloudSurface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 64u);
    // The pair counts as two, then 20 tiles, the life icon and the cloud.
    EXPECT_EQ(TestLiveSurfaces(), 24);
    EXPECT_EQ(ReleaseDisplay(), 1);
    EXPECT_EQ(TestLiveSurfaces(), 0);
    EXPECT_EQ(ReleaseDisplay(), 0) << "a second release does nothing";
    EXPECT_EQ(CloudSurface, nullptr);
}

TEST_F(DisplayTest, RestoringActsOnlyWhileInactiveAndLeavesTheLifeIconToItsReload) {
    OpenDisplay();
    TestLoseSurfaces();
    AppActive = 1;
    RestoreLostSurfaces();
    EXPECT_EQ(PrimarySurface->IsLost(), DDERR_SURFACELOST);

    AppActive = 0;
    RestoreLostSurfaces();
    EXPECT_EQ(PrimarySurface->IsLost(), DD_OK);
    EXPECT_EQ(BackBuffer->IsLost(), DD_OK);
    for (LPDIRECTDRAWSURFACE tile : TileSurfaces)
        EXPECT_EQ(tile->IsLost(), DD_OK);
    EXPECT_EQ(CloudSurface->IsLost(), DD_OK);
    EXPECT_EQ(LifeIconSurface->IsLost(), DDERR_SURFACELOST);
}

TEST_F(DisplayTest, LockAndDeviceContextGiveUpOnALostSurfaceInsteadOfHanging) {
    OpenDisplay();
    ASSERT_EQ(LockWholeSurface(BackBuffer), 1);
    EXPECT_EQ(FrameBuffer.Pitch, SurfaceDesc.lPitch);
    EXPECT_NE(FrameBuffer.Base, nullptr);
    ASSERT_EQ(UnlockWholeSurface(BackBuffer), 1);

    TestLoseSurfaces();
    EXPECT_EQ(LockWholeSurface(BackBuffer), 0);
    EXPECT_EQ(GetSurfaceDC(PrimarySurface), nullptr);
    EXPECT_EQ(UnlockWholeSurface(BackBuffer), 0);
}

TEST_F(DisplayTest, TextIsDrawnOpaqueInTheSurfaceFormat) {
    OpenDisplay();
    HDC dc = GetSurfaceDC(PrimarySurface);
    ASSERT_NE(dc, nullptr);
    SetBkColor(dc, RGB(0, 0, 255));
    SetTextColor(dc, RGB(255, 255, 0));
    TextOutA(dc, 230, 230, "Game Paused", 11);
    ReleaseSurfaceDC(PrimarySurface, dc);
    ASSERT_EQ(LockWholeSurface(PrimarySurface), 1);
    int yellow = 0, blue = 0, other = 0;
    for (int y = 220; y < 260; ++y)
        for (int x = 220; x < 400; ++x) {
            auto p =
                *reinterpret_cast<std::uint16_t*>(FrameBuffer.Base + y * FrameBuffer.Pitch + 2 * x);
            if (p == 0xFFE0)
                ++yellow;
            else if (p == 0x001F)
                ++blue;
            else if (p != 0)
                ++other;
        }
    UnlockWholeSurface(PrimarySurface);
    if (yellow == 0 && blue == 0) GTEST_SKIP() << "no DejaVu Sans Bold on this machine";
    EXPECT_GT(yellow, 50);
    EXPECT_GT(blue, 500);
    EXPECT_EQ(other, 0) << "text must be crisp: only ink and paper, no blended edge";
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
