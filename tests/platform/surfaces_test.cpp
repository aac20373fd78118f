// The surfaces both platforms share: rectangle copies, locking rules, and single pixels through
// a device context.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ddraw.h"
#include "platform/gdi.h"
#include "platform/test/test_platform.h"

namespace {

class SurfaceTest : public ::testing::Test {
  protected:
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;

    TestOptions options = [] {
        TestOptions o;
        o.pitchPadding = 12;
        return o;
    }();

    void SetUp() override {
        TestPlatformStart(options);
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(reinterpret_cast<HWND>(1), DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }
    void TearDown() override {
        primary->Release();
        dd->Release();
    }

    IDirectDrawSurface* Plain(int w, int h) {
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = DWORD(w);
        desc.dwHeight = DWORD(h);
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd->CreateSurface(&desc, &s, nullptr), DD_OK);
        return s;
    }

    // Fills a surface with a pattern: pixel (x, y) = base + y * 64 + x.
    static void Fill(IDirectDrawSurface* s, std::uint16_t base) {
        DDSURFACEDESC d{};
        ASSERT_EQ(s->Lock(nullptr, &d, 0, nullptr), DD_OK);
        for (DWORD y = 0; y < d.dwHeight; ++y)
            for (DWORD x = 0; x < d.dwWidth; ++x)
                reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(d.lpSurface) +
                                                 y * DWORD(d.lPitch))[x] =
                    std::uint16_t(base + y * 64 + x);
        ASSERT_EQ(s->Unlock(nullptr), DD_OK);
    }

    static std::uint16_t At(IDirectDrawSurface* s, int x, int y) {
        DDSURFACEDESC d{};
        EXPECT_EQ(s->Lock(nullptr, &d, 0, nullptr), DD_OK);
        std::uint16_t p = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(d.lpSurface) +
                                                           y * d.lPitch)[x];
        EXPECT_EQ(s->Unlock(nullptr), DD_OK);
        return p;
    }
};

// A copy moves the source rectangle; one reaching outside either surface is refused whole.
TEST_F(SurfaceTest, OpaqueCopiesMoveTheRectangleOrNothing) {
    IDirectDrawSurface* tile = Plain(32, 32);
    Fill(tile, 100);
    RECT r{4, 2, 20, 10};
    ASSERT_EQ(back->BltFast(600, 470, tile, &r, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(At(back, 600, 470), 100 + 2 * 64 + 4);
    EXPECT_EQ(At(back, 615, 477), 100 + 9 * 64 + 19);
    EXPECT_EQ(At(back, 616, 477), 0) << "nothing beyond the rectangle";
    const RECT whole{0, 0, 32, 32}, past{0, 0, 33, 32}, empty{5, 5, 5, 9};
    const struct {
        int x, y;
        RECT source;
    } refused[] = {{620, 0, whole}, {0, 460, whole}, {0, 0, past}, {0, 0, empty}};
    for (auto c : refused)
        EXPECT_EQ(back->BltFast(DWORD(c.x), DWORD(c.y), tile, &c.source, DDBLTFAST_WAIT),
                  DDERR_INVALIDRECT)
            << c.x << "," << c.y;
    EXPECT_EQ(At(back, 630, 5), 0) << "a refused copy draws nothing at all";
    tile->Release();
}

TEST_F(SurfaceTest, ALockedOrLostSurfaceRefusesWhatWouldRaceIt) {
    DDSURFACEDESC d{};
    ASSERT_EQ(back->Lock(nullptr, &d, 0, nullptr), DD_OK);
    HDC dc = nullptr;
    EXPECT_NE(back->GetDC(&dc), DD_OK);
    EXPECT_NE(back->Lock(nullptr, &d, 0, nullptr), DD_OK);
    EXPECT_NE(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_EQ(back->Unlock(nullptr), DD_OK);
    EXPECT_EQ(back->Unlock(nullptr), DDERR_NOTLOCKED);

    TestLoseSurfaces();
    EXPECT_EQ(back->Lock(nullptr, &d, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(primary->GetDC(&dc), DDERR_SURFACELOST);
    ASSERT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK) << "the back buffer comes back with its primary";
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
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(132, 66, 8)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(SetPixel(dc, i, 0, colours[i]), colours[i]);
        EXPECT_EQ(GetPixel(dc, i, 0), colours[i]) << i;
    }
    ASSERT_EQ(back->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(At(back, 0, 0), 0x7C00);
    EXPECT_EQ(At(back, 1, 0), 0x03E0);
    EXPECT_EQ(At(back, 2, 0), 0x001F);
}

} // namespace
