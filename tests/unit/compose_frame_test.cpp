// One composed frame: the layers in their order, the explosion flash, the life icons, the
// player's destruction sequence and return, and the frame-rate key.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/cheat.h"
#include "core/game_clock.h"
#include "core/program.h"
#include "display/wipes.h"
#include "flight_scene.h"
#include "world/clouds.h"
#include "world/compose_frame.h"
#include "world/landscape.h"

namespace {

class ComposeFrameTest : public GameTest {
  protected:
    SpriteImage playerPicture{}, enemyPicture{}, wreckPicture{};

    void SetUpMode(int width, int height, const TestOptions& options = {}) {
        Start(options);
        ScreenWidth = width;
        ScreenHeight = height;
        HalfScreenWidth = width / 2;
        HalfScreenHeight = height / 2;
        OpenDisplay();
        const PixelFormat* f = &PixelFormatInfo;
        // Twenty tiles told apart by colour, each with a darker border; a round cloud on black.
        for (int t = 0; t < 20; ++t)
            flight::ForEachPixel(TileSurfaces[t], [&](int x, int y, std::uint16_t& p) {
                bool border = x == 0 || y == 0;
                p = PackColor(t % 4 * 5 + (border ? 0 : 6), 20 + t * 2 - (border ? 10 : 0),
                              t / 4 * 3, f);
            });
        flight::ForEachPixel(CloudSurface, [&](int x, int y, std::uint16_t& p) {
            int d = (x - 32) * (x - 32) + (y - 32) * (y - 32);
            p = d < 30 * 30 ? PackColor(28, 58, 28, f) : 0;
        });
        flight::ForEachPixel(LifeIconSurface, [&](int x, int y, std::uint16_t& p) {
            p = std::abs(x - 16) < y / 2 ? PackColor(31, 50, 0, f) : 0;
        });
        DDCOLORKEY black{0, 0};
        CloudSurface->SetColorKey(DDCKEY_SRCBLT, &black);
        LifeIconSurface->SetColorKey(DDCKEY_SRCBLT, &black);
        for (int i = 0; i < 4096; ++i)
            WorldMap[i] = std::uint8_t((i / 64 / 3 + i % 64 / 2) % 20);
        auto paint = [&](SpriteImage& image, std::uint16_t body) {
            for (int r = 0; r < 54; ++r)
                for (int c = 0; c < 54; ++c) {
                    bool wing = std::abs(r - 27) < 27 - c / 2 && c > 6;
                    bool nose = c > 40 && std::abs(r - 27) < 3;
                    image.Pixels[r * 54 + c] = nose ? PackColor(31, 0, 0, f) : wing ? body : 0;
                }
        };
        paint(playerPicture, PackColor(0, 40, 31, f));
        paint(enemyPicture, PackColor(31, 20, 10, f));
        paint(wreckPicture, PackColor(10, 10, 10, f));
        // The flash mask: a filled disc of radius 60.
        for (int x = 0; x < FlashMaskSize; ++x)
            for (int y = 0; y < FlashMaskSize; ++y)
                FlashMask[x * FlashMaskSize + y] = (x - 75) * (x - 75) + (y - 75) * (y - 75) < 3600;
        FrameRate = 60.0f;
        FrameDelta = 1.0f / 60;
    }
    void PlaceCraft(Craft& craft, float x, float y, double angle, const SpriteImage* picture) {
        flight::MakeCraft(craft, picture, angle);
        craft.FrameImages[FrameDestroyed] = &wreckPicture;
        craft.PosX = x;
        craft.PosY = y;
    }
    // A scene with the ground, clouds, the player and four enemies in view (one of them
    // destroyed, one retired), around the player at (px, py).
    void SetUpScene(float px, float py) {
        PlaceCraft(PlayerCraft, px, py, 0.5, &playerPicture);
        const float offsets[5][2] = {{-150, -90}, {120, -60}, {60, 110}, {-220, 140}, {10, 20}};
        for (int i = 0; i < 5; ++i)
            PlaceCraft(EnemyCraft[i], px + offsets[i][0], py + offsets[i][1], 1.0 + i * 1.3,
                       &enemyPicture);
        EnemyCraft[2].State = CraftDestroyed;
        EnemyCraft[2].Frame = FrameDestroyed;
        EnemyCraft[4].Frame = FrameRetired; // right on the player: must not show
        for (int i = 0; i < CloudCount; ++i)
            Clouds[i] = {px - 300 + i * 70, py - 250 + (i * 97) % 450, 20};
        PlayerLives = 3;
    }
    void Show() {
        ComposeFrame();
        DrawLives();
        PrimarySurface->Flip(nullptr, DDFLIP_WAIT);
    }
};

TEST_F(ComposeFrameTest, SceneAt640By480MatchesItsPicture) {
    SetUpMode(640, 480);
    SetUpScene(700, 900);
    Show();
    flight::ExpectScreenMatches("compose_640x480.bmp");
    EXPECT_EQ(PlayerCraft.ScreenX, 320);
    EXPECT_EQ(PlayerCraft.ScreenY, 240);
}

TEST_F(ComposeFrameTest, SceneAt800By600NearTheWorldsCornerMatchesItsPicture) {
    SetUpMode(800, 600);
    SetUpScene(1900, 1950); // the view stops: the player is off centre
    Show();
    flight::ExpectScreenMatches("compose_800x600.bmp");
    EXPECT_EQ(PlayerCraft.ScreenX, 1900 - (2047 - 800));
    EXPECT_EQ(PlayerCraft.ScreenY, 1950 - (2047 - 600));
}

TEST_F(ComposeFrameTest, FlashBrightensTheMasksShapeWithCarriesAndNoSaturation) {
    for (auto [cx, cy] : {std::pair{20, 20}, std::pair{641, 300}}) {
        SetUpMode(640, 480);
        for (int x = 0; x < FlashMaskSize; ++x)
            for (int y = 0; y < FlashMaskSize; ++y)
                FlashMask[x * FlashMaskSize + y] = (x * 7 + y * 3) % 5 != 0;
        auto before = [](int x, int y) { return std::uint16_t(x * 97 + y * 61 + 0xFF00); };
        flight::ForEachPixel(BackBuffer, [&](int x, int y, std::uint16_t& p) { p = before(x, y); });
        ASSERT_EQ(LockWholeSurface(BackBuffer), 1);
        ExplosionFlash(cx, cy);
        ASSERT_EQ(UnlockWholeSurface(BackBuffer), 1);
        // Every pixel under the mask, cut by the screen's edges, gains 75 in each channel, carrying
        // from one into the next; every other pixel is as it was.
        const std::uint16_t add = PackColor(75, 75, 75, &PixelFormatInfo);
        int flashed = 0, wrong = 0;
        flight::ForEachPixel(BackBuffer, [&](int x, int y, std::uint16_t& p) {
            int mx = x - cx + 75, my = y - cy + 75;
            bool inMask = mx >= 0 && mx < 150 && my >= 0 && my < 150 &&
                          FlashMask[mx * FlashMaskSize + my] != 0;
            flashed += inMask;
            wrong += p != (inMask ? std::uint16_t(before(x, y) + add) : before(x, y));
        });
        EXPECT_EQ(wrong, 0) << "flash at " << cx << "," << cy;
        EXPECT_GT(flashed, 1000);
    }
}

TEST_F(ComposeFrameTest, LifeIconsStackUpTheLeftSide) {
    SetUpMode(640, 480);
    for (int lives : {0, 3, 100000}) {
        flight::ForEachPixel(BackBuffer, [](int, int, std::uint16_t& p) { p = 1; });
        PlayerLives = lives;
        DrawLives();
        // Ten places fit on the screen; a count far beyond what the game gives fills them and
        // ends instead of copying to places off the screen.
        for (int i = 0; i < 10; ++i) {
            int y = 480 - 100 - 40 * i;
            bool icon = flight::SurfacePixel(BackBuffer, 10 + 16, y + 31) != 1;
            EXPECT_EQ(icon, i < lives) << lives << " lives, icon " << i;
        }
    }
}

TEST_F(ComposeFrameTest, DestroyedPlayerFlashesThenShowsDebrisThenReturns) {
    SetUpMode(640, 480);
    SetUpScene(1000, 1000);
    for (Craft& e : EnemyCraft)
        e.Frame = FrameRetired;
    PlayerCraft.State = CraftDestroyed;
    PlayerCraft.Frame = FrameDestroyed;
    PlayerCraft.HitPoints = 0;
    PlayerCraft.Countdown = int(FrameRate * 1.5f);
    PlayerCraft.Speed = 120;
    const std::uint16_t wreck = wreckPicture.Pixels[27 * 54 + 20];
    int flashed = 0, frames = 0;
    while (PlayerCraft.State != CraftAttacking && frames < 200) {
        ComposeFrame();
        ++frames;
        EXPECT_EQ(PlayerCraft.HitPoints, 10);
        std::uint16_t centre = flight::SurfacePixel(BackBuffer, 320 - 7, 240);
        if (PlayerCraft.State != CraftAttacking) {
            flashed += centre == wreck;
            EXPECT_EQ(centre == wreck, PlayerCraft.Countdown > 60) << PlayerCraft.Countdown;
        }
    }
    EXPECT_EQ(frames, 90);
    EXPECT_EQ(flashed, 29); // countdown 89 down to 61
    EXPECT_EQ(PlayerCraft.PosX, 320.0f);
    EXPECT_EQ(PlayerCraft.PosY, 240.0f);
    EXPECT_EQ(PlayerCraft.Heading, 0.0f);
    EXPECT_EQ(PlayerCraft.Speed, 50.0f);
    EXPECT_EQ(PlayerCraft.Frame, FrameNormal);
}

TEST_F(ComposeFrameTest, HoldingIWaitsForItsReleaseAndTogglesTheLineOnce) {
    TestOptions o;
    o.script = {{TestSecondsToNs(0.0), ScriptEvent::KeyDown, 'I'},
                {TestSecondsToNs(1.0), ScriptEvent::KeyUp, 'I'}};
    SetUpMode(640, 480, o);
    SetUpScene(1000, 1000);
    ComposeFrame();
    EXPECT_GE(TestNowSeconds(), 1.0);
    EXPECT_EQ(FpsDisplayOn, 1);
    // The line's box is blue behind yellow text at the bottom left, 25 pixels up.
    const std::uint16_t blue = PackColor(0, 0, 255 >> 3, &PixelFormatInfo);
    EXPECT_EQ(flight::SurfacePixel(BackBuffer, 1, 480 - 24), blue);
    ComposeFrame();
    EXPECT_EQ(FpsDisplayOn, 1);
}

// F held without end grows the enemies by a tenth each frame until their corners are infinite
// (and, turned, not numbers). Every frame on the way must stay on the screen; the checked
// PutPixel stops the test at the first pixel off it.
TEST_F(ComposeFrameTest, EnemiesBlownUpByTheJokeKeysNeverDrawOffTheScreen) {
    SetUpMode(640, 480);
    BuildHeadingTables();
    SetUpScene(1000, 1000);
    EnemyCraft[4].Frame = FrameNormal;
    int coveredFrames = 0;
    // Five frames' growth per picture keeps the test short; 200 pictures reach 1.1^1000.
    for (int frame = 0; frame < 200; ++frame) {
        for (int k = 0; k < 5; ++k)
            ApplyJokeKey(0);
        for (int i = 0; i < 5; ++i)
            RotateCraftCorners(EnemyCraft[i], (i * 300 + frame) % 1920);
        ComposeFrame();
        // Somewhere on the way an enemy fills the whole screen, even its far corner.
        coveredFrames +=
            flight::SurfacePixel(BackBuffer, 639, 479) == enemyPicture.Pixels[27 * 54 + 20];
    }
    EXPECT_FALSE(std::isfinite(EnemyCraft[0].RotatedCorners[0].X));
    EXPECT_GT(coveredFrames, 0);
}

} // namespace
