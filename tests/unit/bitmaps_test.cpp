// Picture files into surfaces and craft images, the colour keys, the flash mask and the wipes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "core/exit_status.h"
#include "core/game_clock.h"
#include "display/bitmaps.h"
#include "display/display.h"
#include "display/pixels.h"
#include "display/wipes.h"
#include "flight_scene.h"
#include "support/game_files.h"
#include "platform/api/gdi.h"
#include "core/program.h"

namespace fs = std::filesystem;

namespace {

// A 24-bit BMP of width by height whose pixel (x, y) is colour(x, y).
void WriteBmp(const fs::path& path, int width, int height,
              const std::function<COLORREF(int, int)>& colour) {
    files::Write(path, files::Bmp(width, height, [&](int x, int y) {
                     COLORREF c = colour(x, y);
                     return std::uint32_t(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
                 }));
}

// The game's pictures copied into a scratch folder; a display with the pixel format read.
class BitmapTest : public ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        for (const auto& entry : fs::directory_iterator(SKIRMO_DATA_DIR))
            if (entry.path().extension() == ".bmp")
                fs::copy_file(entry.path(), dir / entry.path().filename());
        OpenDisplay();
    }
};

using flight::SurfacePixel;

TEST_F(BitmapTest, EachDamagedPictureIsNamedAndEverythingElseStillLoads) {
    for (const char* name : {"TILE5.bmp", "numleft.bmp", "CLOUD.bmp", "PLAY3.bmp", "flashtmp.bmp"})
        fs::remove(name);
    WriteBmp("TILE6.bmp", 32, 32, [](int, int) { return RGB(255, 0, 0); });
    // 25 bytes: one short of the smallest header, which must not be read past its end.
    std::ofstream("enem1.bmp", std::ios::binary) << "BM this is not a picture!";
    // A header that claims a picture of a billion pixels.
    std::string huge(60, '\0');
    huge[0] = 'B', huge[1] = 'M', huge[14] = 40;
    huge[18] = huge[22] = char(0x80), huge[19] = huge[23] = char(0x80);
    std::ofstream("second2.bmp", std::ios::binary) << huge;
    LoadFlashMask();
    LoadSurfaceBitmaps();
    LoadSpriteImages();
    // One box for each, in the order of loading; each file's own words are checked whole in the
    // damaged-files run of the whole game.
    const char* named[] = {"resource", "TILE5", "miniature ship", "CLOUD",
                           "PLAY3",    "enem1", "second2"};
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), std::size(named));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].caption, "Bitmap loading error");
        EXPECT_NE(boxes[i].text.find(named[i]), std::string::npos) << boxes[i].text;
    }
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(EndingFailure, ExitNoPicture);
    EXPECT_EQ(TestLiveSurfaces(), 24) << "the temporary surfaces are gone again";
    // The files after each failure were still read.
    EXPECT_EQ(SurfacePixel(TileSurfaces[5], 31, 31), 0xF800);
    EXPECT_NE(std::memcmp(&SpriteImageStore.ThirdEnemyImages[2], &SpriteImageStore.PlayerImages[0],
                          sizeof(SpriteImage)),
              0);
    // Black is still the life icon's key, so its black pixels are left out of the copies.
    ASSERT_EQ(BackBuffer->BltFast(0, 0, TileSurfaces[0], nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
    std::uint16_t ground = SurfacePixel(BackBuffer, 5, 5);
    ASSERT_NE(ground, 0);
    ASSERT_EQ(BackBuffer->BltFast(0, 0, LifeIconSurface, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(SurfacePixel(BackBuffer, 5, 5), ground);
}

TEST_F(BitmapTest, WithoutATemporarySurfaceNothingIsLoadedAndTheLoopIsAskedToEnd) {
    ReleaseDisplay();
    LoadSpriteImages();
    LoadFlashMask();
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const TestEvent& box : boxes) {
        EXPECT_EQ(box.caption, "DD Initialization error");
        EXPECT_EQ(box.text, "Couldn't create temporary surface, if you would, please let "
                            "help@velmora.example know if you recieve this message. Thanks for "
                            "trying to check this out!");
    }
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(EndingFailure, ExitNoDisplay);
}

TEST_F(BitmapTest, TheWholeBitmapIsCopiedWhenNoSizeIsGiven) {
    WriteBmp("half.bmp", 64, 64, [](int x, int) { return x < 32 ? RGB(0, 255, 0) : 0; });
    HBITMAP bitmap = LoadImageA(nullptr, "half.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(bitmap, nullptr);
    // Squeezed onto a 32 by 32 tile: its left half is green, its right half black.
    EXPECT_EQ(CopyBitmapToSurface(TileSurfaces[0], bitmap, 0, 0, 0, 0), DD_OK);
    EXPECT_EQ(SurfacePixel(TileSurfaces[0], 15, 20), 0x07E0);
    EXPECT_EQ(SurfacePixel(TileSurfaces[0], 16, 20), 0);
    EXPECT_EQ(CopyBitmapToSurface(nullptr, bitmap, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(TileSurfaces[0], nullptr, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(DeleteObject(bitmap), 1);
}

// Paint programs write 16-bit pictures with colour masks: such a tile keeps every bit of its
// colours on the game's surface of the same 5-6-5 layout.
TEST_F(BitmapTest, APictureWithColourMasksKeepsEveryBitOfItsColours) {
    auto pixel = [](int x, int y) { return std::uint32_t(y * 32 + x) * 0x9E37u & 0xFFFF; };
    files::Write("TILE1.bmp", files::Bmp(32, 32, pixel, 16));
    LoadSurfaceBitmaps();
    int differ = 0;
    for (int at = 0; at < 32 * 32; ++at)
        differ += SurfacePixel(TileSurfaces[0], at % 32, at / 32) != pixel(at % 32, at / 32);
    EXPECT_EQ(differ, 0);
}

TEST_F(BitmapTest, TheFlashMaskIsStoredColumnByColumn) {
    WriteBmp("flashtmp.bmp", 150, 150,
             [](int x, int y) { return x == 10 && y == 20 ? RGB(200, 200, 200) : 0; });
    LoadFlashMask();
    EXPECT_TRUE(MessageBoxes().empty());
    int lit = 0;
    for (std::uint32_t m : FlashMask)
        lit += int(m);
    EXPECT_EQ(lit, 1);
    EXPECT_EQ(FlashMask[1520], 1u);
}

// The wipes on a padded 800 by 600 screen, on the virtual clock.
class WipeTest : public GameTest {
  protected:
    void Prepare() {
        TestOptions o;
        o.pitchPadding = 24;
        Start(o);
        ScreenWidth = 800;
        ScreenHeight = 600;
        OpenDisplay();
        ASSERT_EQ(InitGameClock(), 1);
        ASSERT_EQ(LockWholeSurface(PrimarySurface), 1);
        pitch = FrameBuffer.Pitch;
        base = FrameBuffer.Base;
        std::memset(base, 0x5A, std::size_t(pitch) * 600);
        UnlockWholeSurface(PrimarySurface);
        PreviousGameClock = float(ReadGameClock());
    }
    std::uint8_t* base = nullptr;
    int pitch = 0;
    // Seconds the wipe took, and whether PreviousGameClock was left at its last step.
    double TimedWipe(int mode) {
        double begin = TestNowSeconds();
        ScreenWipe(mode);
        double took = TestNowSeconds() - begin;
        EXPECT_EQ(PreviousGameClock, GameClock);
        EXPECT_NEAR(TestNowSeconds(), PreviousGameClock, 0.001);
        return took;
    }
};

TEST_F(WipeTest, RowsTakeThreeSecondsColumnsFourAndOnlyRowsClearThePadding) {
    for (auto [mode, seconds] : {std::pair{WipeRows, 3.0}, {WipeColumns, 4.0}}) {
        SCOPED_TRACE(mode);
        Prepare();
        EXPECT_NEAR(TimedWipe(mode), seconds, 0.01);
        for (int y = 0; y < 600; ++y) {
            const std::uint8_t* row = base + y * pitch;
            ASSERT_EQ(std::count(row, row + 1600, 0), 1600) << y;
            ASSERT_EQ(std::count(row + 1600, row + pitch, 0), mode == WipeRows ? pitch - 1600 : 0);
        }
    }
}

TEST_F(WipeTest, AnOldPreviousReadingMakesTheFirstStepAtOnce) {
    Prepare();
    PreviousGameClock -= 1.0f;
    double took = TimedWipe(WipeRows);
    EXPECT_NEAR(took, 599 * 0.005, 0.01);
}

} // namespace
