// Pixel format analysis, colour packing and direct pixel writes, on real 16-bit surfaces.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "display/pixels.h"
#include "platform/ddraw.h"
#include "platform/test/test_platform.h"
#include "platform/window.h"

namespace {

// A display with a flipping pair of the given format, made on the test platform.
struct TestDisplay {
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    explicit TestDisplay(bool format555) {
        TestOptions o;
        o.pixelFormat555 = format555;
        TestPlatformStart(o);
        EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        EXPECT_EQ(dd->SetCooperativeLevel(reinterpret_cast<Window*>(1), DDSCL_EXCLUSIVE), DD_OK);
        EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        EXPECT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    }
    ~TestDisplay() {
        if (primary) primary->Release();
        if (dd) dd->Release();
    }
};

TEST(PixelFormat, AnalysesBothSixteenBitFormats) {
    const struct {
        bool format555;
        PixelFormat expected;
    } cases[] = {{false, {0xF800, 0x07E0, 0x001F, 0, 5, 11}},
                 {true, {0x7C00, 0x03E0, 0x001F, 0, 5, 10}}};
    for (const auto& c : cases) {
        TestDisplay display(c.format555);
        PixelFormat info{};
        ASSERT_EQ(AnalysePixelFormat(display.primary, &info), 1);
        auto fields = [](const PixelFormat& f) {
            return std::tuple(f.RedMask, f.GreenMask, f.BlueMask, f.BlueShift, f.GreenShift,
                              f.RedShift);
        };
        EXPECT_EQ(fields(info), fields(c.expected)) << c.format555;
    }
}

TEST(PixelFormat, MissingSurfaceLeavesInfoUntouched) {
    PixelFormat info{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(AnalysePixelFormat(nullptr, &info), 0);
    EXPECT_EQ(info.RedMask, 1u);
    EXPECT_EQ(info.RedShift, 6);
}

TEST(PackColor, FullChannelsSpillIntoFullFieldsInBothFormats) {
    PixelFormat f565{0xF800, 0x07E0, 0x001F, 0, 5, 11};
    PixelFormat f555{0x7C00, 0x03E0, 0x001F, 0, 5, 10};
    EXPECT_EQ(PackColor(255, 255, 0, &f565), 0xFFE0);
    EXPECT_EQ(PackColor(255, 255, 255, &f565), 0xFFFF);
    EXPECT_EQ(PackColor(255, 255, 0, &f555), 0xFFE0);
    EXPECT_EQ(PackColor(255, 255, 255, &f555), 0xFFFF);
    // The flash adds this raw value to pixels, so its exact bits matter.
    EXPECT_EQ(PackColor(75, 75, 75, &f565), 0x596B);
    EXPECT_EQ(PackColor(75, 75, 75, &f555), 0x2D6B);
    EXPECT_EQ(PackColor(31, 0, 0, &f565), 0xF800);
    EXPECT_EQ(PackColor(0, 0, 31, &f555), 0x001F);
}

TEST(PackColor, UnanalysedFormatIsThePlainOr) {
    PixelFormat none{};
    EXPECT_EQ(PackColor(0x10, 0x20, 0x03, &none), 0x33);
}

TEST(PutPixel, WritesThroughThePitchOfAPaddedSurface) {
    std::uint16_t pixels[10 * 3] = {}; // rows of 20 bytes holding 4 pixels each
    FrameBuffer = LockedFrame{reinterpret_cast<std::uint8_t*>(pixels), 20, 4, 3};
    PutPixel(0, 0, 0xABCD);
    PutPixel(1, 1, 0x0F0F);
    PutPixel(3, 2, 0x1234);
    std::vector<std::uint16_t> expected(30, 0);
    expected[0] = 0xABCD, expected[11] = 0x0F0F, expected[23] = 0x1234;
    EXPECT_EQ(std::vector<std::uint16_t>(pixels, pixels + 30), expected);
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
