// The real screen drawn by the processor, its arithmetic tested without a window: the nearest
// stretch of 16-bit rows into 32-bit ones, the rows repeated, only the changed part drawn again,
// and the black bars painted again only when they may have gone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/sdl/screen_scale.h"

namespace {

TEST(ProcessorScreen, ShrinkingDropsSourcePixelsButNeverRunsPastTheEdge) {
    // 800 by 600 on a 640 by 480 desktop.
    std::vector<int> map = ColumnMap(800, 640);
    ASSERT_EQ(map.size(), 640u);
    for (std::size_t i = 1; i < map.size(); ++i)
        EXPECT_GT(map[i], map[i - 1]) << "no source pixel twice when shrinking";
    EXPECT_GE(map.front(), 0);
    EXPECT_LT(map.back(), 800);
    EXPECT_TRUE(ColumnMap(640, 0).empty());
}

// A picture whose every pixel differs from its neighbours, and a table that makes each 16-bit
// pixel a distinct 32-bit one.
struct Picture {
    int w, h, pitch;
    std::vector<std::uint8_t> bytes;
    Picture(int w_, int h_, int padding) : w(w_), h(h_), pitch(w_ * 2 + padding) {
        bytes.assign(std::size_t(pitch) * std::size_t(h), 0xEE);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Set(x, y, std::uint16_t(y * 97 + x * 3 + 1));
    }
    void Set(int x, int y, std::uint16_t p) {
        std::memcpy(&bytes[std::size_t(y) * std::size_t(pitch) + std::size_t(x) * 2], &p, 2);
    }
    std::uint16_t At(int x, int y) const {
        std::uint16_t p;
        std::memcpy(&p, &bytes[std::size_t(y) * std::size_t(pitch) + std::size_t(x) * 2], 2);
        return p;
    }
};

std::vector<std::uint32_t> Table() {
    std::vector<std::uint32_t> table(65536);
    for (std::uint32_t p = 0; p < 65536; ++p)
        table[p] = 0xFF000000u | (p * 2654435761u >> 8);
    return table;
}

struct Screen {
    int w, h;
    std::vector<std::uint32_t> pixels;
    Screen(int w_, int h_) : w(w_), h(h_), pixels(std::size_t(w_) * std::size_t(h_), 0) {}
    std::uint8_t* At(int x, int y) {
        return reinterpret_cast<std::uint8_t*>(&pixels[std::size_t(y) * std::size_t(w) + x]);
    }
};

TEST(ProcessorScreen, EveryScreenPixelShowsItsNearestPictureConvertedAndRowsRepeatExactly) {
    const Picture picture(64, 48, 6); // a pitch wider than the row, as surfaces may have
    const std::vector<std::uint32_t> table = Table();
    const int outW = 144, outH = 108;
    Screen screen(outW + 10, outH + 4); // the picture sits inside, bars around it
    std::vector<int> columns = ColumnMap(picture.w, outW), rows = RowMap(picture.h, outH);
    StretchArea(picture.bytes.data(), picture.pitch, table.data(), columns, rows, 0, outW, 0, outH,
                screen.At(5, 2), std::ptrdiff_t(screen.w) * 4);
    for (int y = 0; y < screen.h; ++y)
        for (int x = 0; x < screen.w; ++x) {
            std::uint32_t want = 0; // the bars are not touched
            if (x >= 5 && x < 5 + outW && y >= 2 && y < 2 + outH) {
                // The picture pixel under the screen pixel's centre; on the border of two,
                // the left one across and the lower one down.
                double cx = (x - 5 + 0.5) * picture.w / outW, cy = (y - 2 + 0.5) * picture.h / outH;
                int sx = int(std::ceil(cx)) - 1, sy = int(std::floor(cy));
                want = table[picture.At(sx, sy)];
            }
            ASSERT_EQ(screen.pixels[std::size_t(y) * std::size_t(screen.w) + x], want)
                << x << "," << y;
        }
}

TEST(ProcessorScreen, OnlyTheChangedPixelsAreFound) {
    Picture before(40, 30, 4), now = before;
    EXPECT_EQ(ChangedArea(before.bytes.data(), now.bytes.data(), 40, 30, now.pitch).w, 0);
    // The bytes past the row's end are no picture.
    now.bytes[std::size_t(now.pitch) * 7 + 80] ^= 0xFF;
    EXPECT_EQ(ChangedArea(before.bytes.data(), now.bytes.data(), 40, 30, now.pitch).w, 0);
    now.Set(39, 29, 0);
    EXPECT_EQ(ChangedArea(before.bytes.data(), now.bytes.data(), 40, 30, now.pitch),
              (FitRect{39, 29, 1, 1}))
        << "the last pixel";
    now.Set(3, 5, 0);
    EXPECT_EQ(ChangedArea(before.bytes.data(), now.bytes.data(), 40, 30, now.pitch),
              (FitRect{3, 5, 37, 25}))
        << "two pixels: the rectangle holding both";
    // One step of a column wipe.
    now = before;
    for (int y = 0; y < 30; ++y)
        now.Set(12, y, 0);
    EXPECT_EQ(ChangedArea(before.bytes.data(), now.bytes.data(), 40, 30, now.pitch),
              (FitRect{12, 0, 1, 30}));
}

TEST(ProcessorScreen, DrawingOnlyTheChangedPartGivesTheWholeNewPicture) {
    const std::vector<std::uint32_t> table = Table();
    for (int outW : {90, 30}) { // enlarged, and shrunk (some changed pixels never show)
        const int outH = outW * 3 / 4;
        Picture before(40, 30, 0), now = before;
        for (int y = 0; y < 30; ++y)
            now.Set(17, y, 0); // a wipe's column
        now.Set(2, 20, 5);
        std::vector<int> columns = ColumnMap(40, outW), rows = RowMap(30, outH);
        Screen shown(outW, outH), fresh(outW, outH);
        StretchArea(before.bytes.data(), before.pitch, table.data(), columns, rows, 0, outW, 0,
                    outH, shown.At(0, 0), outW * 4);
        FitRect changed = ChangedArea(before.bytes.data(), now.bytes.data(), 40, 30, now.pitch);
        int x0, x1, y0, y1;
        ScreenSpan(columns, changed.x, changed.x + changed.w, &x0, &x1);
        ScreenSpan(rows, changed.y, changed.y + changed.h, &y0, &y1);
        ASSERT_LT(x0, x1);
        ASSERT_LT(y0, y1);
        EXPECT_LT(x1 - x0, outW) << "less than the whole width";
        StretchArea(now.bytes.data(), now.pitch, table.data(), columns, rows, x0, x1, y0, y1,
                    shown.At(x0, y0), outW * 4);
        StretchArea(now.bytes.data(), now.pitch, table.data(), columns, rows, 0, outW, 0, outH,
                    fresh.At(0, 0), outW * 4);
        EXPECT_EQ(shown.pixels, fresh.pixels) << outW;
    }
    // A single source column maps to exactly the screen columns showing it.
    std::vector<int> columns = ColumnMap(640, 1440);
    int first, last;
    ScreenSpan(columns, 100, 101, &first, &last);
    ASSERT_LT(first, last);
    for (int x = first; x < last; ++x)
        EXPECT_EQ(columns[std::size_t(x)], 100);
    EXPECT_NE(columns[std::size_t(first) - 1], 100);
    EXPECT_NE(columns[std::size_t(last)], 100);
}

TEST(ProcessorScreen, TheBarsArePaintedOnlyWhenTheyMayHaveGone) {
    WholePaint whole;
    int surface = 0, other = 0;
    const FitRect frame{240, 0, 1440, 1080}, dialog{760, 340, 400, 400};
    EXPECT_TRUE(whole.Needed(&surface, 1920, 1080, frame)) << "the window's first picture";
    EXPECT_FALSE(whole.Needed(&surface, 1920, 1080, frame)) << "the next frame";
    EXPECT_FALSE(whole.Needed(&surface, 1920, 1080, frame));
    whole.Exposed();
    EXPECT_TRUE(whole.Needed(&surface, 1920, 1080, frame)) << "exposed";
    EXPECT_FALSE(whole.Needed(&surface, 1920, 1080, frame)) << "once";
    EXPECT_TRUE(whole.Needed(&other, 1920, 1080, frame)) << "a new surface";
    EXPECT_TRUE(whole.Needed(&other, 1280, 1024, frame)) << "a new size";
    EXPECT_TRUE(whole.Needed(&other, 1280, 1024, dialog)) << "the dialog instead of the game";
    EXPECT_TRUE(whole.Needed(&other, 1280, 1024, frame)) << "and back";
}

} // namespace
