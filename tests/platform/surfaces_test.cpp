// The surfaces both platforms share, made as the game's start-up makes them on rows with padding:
// rectangle copies, locking rules, and 5-5-5 pixels through a device context.
#include <gtest/gtest.h>

#include "platform/api/gdi.h"
#include "unit/flight_scene.h"

namespace {

using flight::SurfacePixel;

class SurfaceTest : public GameTest {
  protected:
    TestOptions options = [] {
        TestOptions o;
        o.pitchPadding = 12;
        return o;
    }();
    void SetUp() override {
        Start(options);
        OpenDisplay();
    }
};

// A copy moves the source rectangle; one reaching outside either surface is refused whole.
TEST_F(SurfaceTest, OpaqueCopiesMoveTheRectangleOrNothing) {
    IDirectDrawSurface* tile = TileSurfaces[0];
    flight::ForEachPixel(
        tile, [](int x, int y, std::uint16_t& p) { p = std::uint16_t(100 + y * 64 + x); });
    RECT r{4, 2, 20, 10};
    ASSERT_EQ(BackBuffer->BltFast(600, 470, tile, &r, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(SurfacePixel(BackBuffer, 600, 470), 100 + 2 * 64 + 4);
    EXPECT_EQ(SurfacePixel(BackBuffer, 615, 477), 100 + 9 * 64 + 19);
    EXPECT_EQ(SurfacePixel(BackBuffer, 616, 477), 0) << "nothing beyond the rectangle";
    const RECT whole{0, 0, 32, 32}, past{0, 0, 33, 32}, empty{5, 5, 5, 9};
    const struct {
        int x, y;
        RECT source;
    } refused[] = {{620, 0, whole}, {0, 460, whole}, {0, 0, past}, {0, 0, empty}};
    for (auto c : refused)
        EXPECT_EQ(BackBuffer->BltFast(DWORD(c.x), DWORD(c.y), tile, &c.source, DDBLTFAST_WAIT),
                  DDERR_INVALIDRECT)
            << c.x << "," << c.y;
    EXPECT_EQ(SurfacePixel(BackBuffer, 630, 5), 0) << "a refused copy draws nothing at all";
}

TEST_F(SurfaceTest, ALockedOrLostSurfaceRefusesWhatWouldRaceIt) {
    DDSURFACEDESC d{};
    ASSERT_EQ(BackBuffer->Lock(nullptr, &d, 0, nullptr), DD_OK);
    HDC dc = nullptr;
    EXPECT_NE(BackBuffer->GetDC(&dc), DD_OK);
    EXPECT_NE(BackBuffer->Lock(nullptr, &d, 0, nullptr), DD_OK);
    EXPECT_NE(PrimarySurface->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_EQ(BackBuffer->Unlock(nullptr), DD_OK);
    EXPECT_EQ(BackBuffer->Unlock(nullptr), DDERR_NOTLOCKED);

    TestLoseSurfaces();
    EXPECT_EQ(BackBuffer->Lock(nullptr, &d, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(PrimarySurface->GetDC(&dc), DDERR_SURFACELOST);
    ASSERT_EQ(PrimarySurface->Restore(), DD_OK);
    EXPECT_EQ(BackBuffer->IsLost(), DD_OK) << "the back buffer comes back with its primary";
}

// Some desktops give 5 bits of green, not 6: colours are packed and read back in that layout.
class Surface555Test : public SurfaceTest {
    void SetUp() override {
        options.pixelFormat555 = true;
        SurfaceTest::SetUp();
    }
};

TEST_F(Surface555Test, PixelsThroughADeviceContextRoundTrip) {
    HDC dc = nullptr;
    ASSERT_EQ(BackBuffer->GetDC(&dc), DD_OK);
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(132, 66, 8)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(SetPixel(dc, i, 0, colours[i]), colours[i]);
        EXPECT_EQ(GetPixel(dc, i, 0), colours[i]) << i;
    }
    ASSERT_EQ(BackBuffer->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(SurfacePixel(BackBuffer, 0, 0), 0x7C00);
    EXPECT_EQ(SurfacePixel(BackBuffer, 1, 0), 0x03E0);
    EXPECT_EQ(SurfacePixel(BackBuffer, 2, 0), 0x001F);
}

} // namespace
