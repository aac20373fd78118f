// The text pages, the level titles and the three checks between frames, on the virtual clock,
// looked at through pictures of the screen taken while they run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/game_clock.h"
#include "app/game_flow.h"
#include "app/text_screens.h"
#include "audio/music.h"
#include "combat/craft.h"
#include "combat/shots.h"
#include "display/display.h"
#include "display/pixels.h"
#include "game_fixture.h"
#include "platform/gamepad.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "core/program.h"

namespace {

// A 24-bit picture as the test platform writes it, read back top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels.at(std::size_t(y) * width + x); }
};

Picture ReadPicture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    Picture p;
    if (b.size() < 54) return p;
    p.width = b[18] | b[19] << 8;
    p.height = b[22] | b[23] << 8;
    int rowBytes = (p.width * 3 + 3) & ~3;
    if (b.size() < 54 + std::size_t(rowBytes) * p.height) return Picture{};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* q = &b[54 + std::size_t(p.height - 1 - y) * rowBytes + x * 3];
            p.pixels.push_back(RGB(q[2], q[1], q[0]));
        }
    return p;
}

int Brightest(COLORREF c) { return std::max({GetRValue(c), GetGValue(c), GetBValue(c)}); }

// The brightest channel anywhere in rows y0 to y1 - 1 of a picture.
int BrightestIn(const Picture& p, int y0, int y1) {
    int most = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < p.width; ++x)
            most = std::max(most, Brightest(p.At(x, y)));
    return most;
}

class FlowTest : public ScratchFolderTest {
  protected:
    std::vector<std::pair<double, std::string>> shots;

    // A name for a picture of the screen at virtual time t.
    std::string Shot(double t) {
        std::string file = (dir / ("shot" + std::to_string(shots.size()) + ".bmp")).string();
        shots.push_back({t, file});
        return file;
    }
    // The display in the given mode with its clock, running in the data folder, keys from the
    // script; pictures asked for with Shot before are taken as their times come.
    void Run(std::vector<ScriptEvent> script, int width = 640, int height = 480) {
        TestOptions o;
        o.script = std::move(script);
        o.shots = shots;
        Start(o);
        std::filesystem::current_path(SKIRMO_DATA_DIR);
        ScreenWidth = width;
        ScreenHeight = height;
        OpenDisplay();
        ASSERT_EQ(InitGameClock(), 1);
        PreviousGameClock = float(ReadGameClock());
    }
    // The brightest channel on the visible screen right now.
    int BrightestOnScreen() {
        std::string now = (dir / "now.bmp").string();
        return TestWriteScreen(now) ? BrightestIn(ReadPicture(now), 0, ScreenHeight) : -1;
    }
    // The music commands sent so far.
    std::vector<std::string> MusicCommands() {
        std::vector<std::string> c;
        for (const TestEvent& e : TestEvents())
            if (e.kind == "mci") c.push_back(e.command);
        return c;
    }
    // True when the lit pixels of the picture in the box at (x, y) are exactly those of the text
    // drawn there in white on black, and there are some.
    bool ShowsText(const Picture& p, int x, int y, const std::string& text) {
        HDC dc = GetSurfaceDC(BackBuffer);
        SetBkColor(dc, RGB(0, 0, 0));
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, x, y, text.c_str(), int(text.size()));
        ReleaseSurfaceDC(BackBuffer, dc);
        if (!LockWholeSurface(BackBuffer)) return false;
        int lit = 0, wrong = 0;
        for (int row = y; row < y + 20; ++row)
            for (int col = x; col < std::min(x + 600, ScreenWidth); ++col) {
                auto ref = *reinterpret_cast<std::uint16_t*>(FrameBuffer.Base +
                                                             row * FrameBuffer.Pitch + 2 * col);
                bool want = ref != 0, got = Brightest(p.At(col, row)) > 128;
                lit += want;
                wrong += want != got;
            }
        // Clear what the reference left behind.
        std::memset(FrameBuffer.Base, 0, std::size_t(FrameBuffer.Pitch) * ScreenHeight);
        UnlockWholeSurface(BackBuffer);
        return lit > 20 && wrong == 0;
    }
};

// --- text pages ---

TEST_F(FlowTest, EachPageFadesInToWhiteWaitsForSpaceAndFadesOut) {
    // A page is white from 2.04 s after it begins until Space, then fades out in 2.04 s: with
    // Space every 5 s, the pages begin about 5.04 s apart.
    std::string grey = Shot(1.0), white = Shot(2.5), out = Shot(4.0);
    std::string thanks = Shot(7.5), congratulations = Shot(12.5), keys = Shot(17.5);
    std::vector<ScriptEvent> script;
    for (double t : {3, 8, 13, 18}) {
        script.push_back(Key(t, VK_SPACE, true));
        script.push_back(Key(t + 0.1, VK_SPACE, false));
    }
    Run(script);
    ShowTextScreen(StoryScreen);
    EXPECT_NEAR(TestNowSeconds(), 5.04, 0.03);
    // What is left is a grey too dark to tell from the background.
    EXPECT_LT(BrightestOnScreen(), 16);
    ShowTextScreen(ThanksScreen);
    ShowTextScreen(CongratulationsScreen);
    ShowTextScreen(KeysScreen);

    Picture g = ReadPicture(grey), w = ReadPicture(white), o = ReadPicture(out);
    ASSERT_EQ(w.width, 640);
    EXPECT_NEAR(BrightestIn(g, 40, 350), 125, 8);
    EXPECT_TRUE(ShowsText(w, 50, 50, "Welcome!"));
    EXPECT_TRUE(ShowsText(w, 50, 130,
                          "in the Alien \"conventional wisdom\" - to mount an all out invasion."));
    EXPECT_TRUE(ShowsText(w, 50, 440, "Press Space to continue..."));
    EXPECT_EQ(GetRValue(w.At(0, 0)), 0);
    EXPECT_NEAR(BrightestIn(o, 40, 350), 255 - 125, 8);
    EXPECT_EQ(BrightestIn(o, 435, 460), 0) << "the prompt is erased once Space is pressed";

    Picture t = ReadPicture(thanks), c = ReadPicture(congratulations), k = ReadPicture(keys);
    EXPECT_TRUE(ShowsText(t, 50, 440, "Press Space to exit..."));
    EXPECT_TRUE(ShowsText(t, 70, 250, "    www.velmora.example"));
    EXPECT_TRUE(ShowsText(c, 50, 50, "Congradulations - you've been the game!"));
    EXPECT_TRUE(ShowsText(c, 70, 150, "play the game, type in BRASS while the actual"));
    EXPECT_TRUE(ShowsText(k, 70, 240, "    The idea is simple, your ship currently occupies"));
    EXPECT_TRUE(ShowsText(k, 70, 350, "   - but by all means TAKE YOUR TIME!"));
}

TEST_F(FlowTest, SpaceHeldSkipsThroughPagesAndAnEarlyPressFadesOutFromDarkGrey) {
    std::string early = Shot(0.08);
    Run({Key(0.05, VK_SPACE, true), Key(0.1, VK_SPACE, false), Key(1.0, VK_SPACE, true)});
    ShowTextScreen(KeysScreen);
    // Pressed 0.05 s in: out again from a grey of about 6 within a tenth of a second.
    EXPECT_LT(TestNowSeconds(), 0.2);
    EXPECT_LT(BrightestIn(ReadPicture(early), 0, 480), 16);
    // Held: each page leaves its fade-in after one pass.
    TestSleep(1.0);
    PreviousGameClock = float(ReadGameClock());
    double begin = TestNowSeconds();
    ShowTextScreen(CreditsScreen);
    ShowTextScreen(ThanksScreen);
    ShowTextScreen(CongratulationsScreen);
    EXPECT_LT(TestNowSeconds() - begin, 0.1);
}

// --- level start ---

TEST_F(FlowTest, ALevelStartsBehindItsTitleInTheMiddleOfTheScreen) {
    // Just before the title's fade-out erases the loading line.
    std::string title640 = Shot(2.0);
    Run({});
    CurrentLevel = 2;
    SpawnShot(ShotByPlayer, 10, 10, 0);
    StartLevel(2);
    // Two fades of about 2.04 s each.
    EXPECT_NEAR(TestNowSeconds(), 4.08, 0.05);
    Picture p = ReadPicture(title640);
    EXPECT_TRUE(ShowsText(p, 240, 235, "Initializing level 3"));
    EXPECT_TRUE(ShowsText(p, 50, 440, "Initializing stuff, one moment please..."));
    EXPECT_LT(BrightestOnScreen(), 16) << "both lines are gone afterwards";

    EXPECT_EQ(ResumeTiming, 1);
    EXPECT_EQ(ShotList.Count, 0);
    EXPECT_EQ(EnemiesSpawned, 5);
    EXPECT_EQ(EnemySpawnLimit, 15);
    EXPECT_EQ(EnemiesRemaining, 15);
    EXPECT_EQ(PlayerCraft.PosX, 320.0f);
    EXPECT_EQ(EnemyCraft[0].FrameImages[0], &SpriteImageStore.SecondEnemyImages[0]);
    EXPECT_EQ(MusicCommands().back(), "play jazz from 0") << "which piece is the music tests'";
}

// --- between frames ---

TEST_F(FlowTest, TheLastEnemyOfLevelThreeWipesRowsAndStartsLevelFour) {
    Run({});
    CurrentLevel = 2;
    PlayerLives = 0;
    EnemiesRemaining = 3;
    PlayerCraft.Countdown = 2; // not yet the last frame of the explosion
    CheckGameFlow();
    EXPECT_LT(TestNowSeconds(), 0.001) << "nothing happens while the level goes on";
    EXPECT_EQ(CurrentLevel, 2);

    PlayerLives = 2;
    EnemiesRemaining = 0;
    CheckGameFlow();
    EXPECT_EQ(CurrentLevel, 3);
    EXPECT_EQ(PlayerLives, 2);
    EXPECT_EQ(EnemiesRemaining, 15);
    EXPECT_EQ(PlayerCraft.PosX, 320.0f);
    EXPECT_EQ(EnemyCraft[3].Level, 3);
    EXPECT_NEAR(TestNowSeconds(), 2.4 + 4.08, 0.06);
    EXPECT_TRUE(AppActive);
    EXPECT_FALSE(QuitRequested());
}

TEST_F(FlowTest, WinningTheLastLevelShowsTheClosingPagesInOrderAndEnds) {
    // Each page is white from 2.04 s after it begins until Space, and fades out in 2.04 s.
    std::string congratulations = Shot(4.9), credits = Shot(9.5), thanks = Shot(14.5);
    Run({Key(5, VK_SPACE, true), Key(5.1, VK_SPACE, false), Key(10, VK_SPACE, true),
         Key(10.1, VK_SPACE, false), Key(15, VK_SPACE, true), Key(15.1, VK_SPACE, false)});
    CurrentLevel = 4;
    EnemiesRemaining = 0;
    OpenMusic(4);
    PlayMusicFromStart();
    CheckGameFlow();
    EXPECT_TRUE(
        ShowsText(ReadPicture(congratulations), 50, 50, "Congradulations - you've been the game!"));
    EXPECT_TRUE(ShowsText(ReadPicture(credits), 50, 50, "Credits"));
    EXPECT_TRUE(ShowsText(ReadPicture(thanks), 50, 50, "Thanks for checking this out!"));
    EXPECT_EQ(AppActive, 0);
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(CurrentLevel, 4);
}

TEST_F(FlowTest, GameOverAsksOnTheLastFrameOfTheExplosionAndYesStartsAgain) {
    std::string prompt = Shot(3.5);
    Run({Key(4, 'Y', true), Key(4.5, 'Y', false)});
    CurrentLevel = 3;
    PlayerLives = 0;
    PlayerCraft.State = CraftDestroyed;
    PlayerCraft.Countdown = 1;
    SpawnShot(ShotByEnemy, 100, 100, 0);
    CheckGameFlow();
    Picture p = ReadPicture(prompt);
    EXPECT_TRUE(ShowsText(p, 50, 50, "Oops! Couldn't get it done this time eh?"));
    EXPECT_TRUE(ShowsText(p, 50, 70, "Would you like to try again? (y or n)"));
    EXPECT_EQ(GetBValue(p.At(52, 58)), 0) << "yellow on black";
    EXPECT_EQ(CurrentLevel, 0);
    EXPECT_EQ(PlayerLives, 3);
    EXPECT_EQ(ShotList.Count, 0);
    EXPECT_EQ(EnemiesRemaining, 15);
    // The explosion finishes on its own and puts the player back later.
    EXPECT_EQ(PlayerCraft.State, CraftDestroyed);
    // The prompt's wait is not taken out of the clock, so the title's first pass counts a full
    // tenth of a second.
    EXPECT_NEAR(TestNowSeconds(), 4.0 + 3.98, 0.03);
    EXPECT_EQ(AppActive, 1);
    EXPECT_FALSE(QuitRequested());
}

TEST_F(FlowTest, GameOverAnsweredNoShowsCreditsAndThanksAndEnds) {
    std::string credits = Shot(6);
    Run({Key(4, 'N', true), Key(4.5, 'N', false), Key(8, VK_SPACE, true)});
    PlayerLives = 0;
    PlayerCraft.Countdown = 1;
    CheckGameFlow();
    EXPECT_TRUE(ShowsText(ReadPicture(credits), 50, 50, "Credits"));
    EXPECT_EQ(AppActive, 0);
    EXPECT_TRUE(QuitRequested());
}

TEST_F(FlowTest, EscapeWipesColumnsAndNoGoesBackToTheSameLevel) {
    Run({Key(0, VK_ESCAPE, true), Key(0.5, VK_ESCAPE, false), Key(4, 'N', true),
         Key(4.2, 'N', false)});
    // Something on the screen for the wipe to take away.
    ASSERT_EQ(LockWholeSurface(PrimarySurface), 1);
    std::memset(FrameBuffer.Base, 0xFF, std::size_t(FrameBuffer.Pitch) * 480);
    UnlockWholeSurface(PrimarySurface);
    CurrentLevel = 1;
    PlayerCraft.PosX = 777;
    CheckGameFlow();
    EXPECT_NEAR(TestNowSeconds(), 4.0, 0.01);
    EXPECT_EQ(CurrentLevel, 1);
    EXPECT_EQ(PlayerCraft.PosX, 777.0f);
    EXPECT_EQ(AppActive, 1);
    EXPECT_FALSE(QuitRequested());
    EXPECT_TRUE(MusicCommands().empty()) << "the music plays on";
    EXPECT_EQ(BrightestOnScreen(), 0) << "the prompt is erased";
}

TEST_F(FlowTest, QuitConfirmedWithYHeldAtOnceShowsCreditsAndThanksAndEnds) {
    Run({Key(0, VK_ESCAPE, true), Key(0.5, VK_ESCAPE, false), Key(1, 'Y', true),
         Key(5, VK_SPACE, true)});
    CheckGameFlow();
    EXPECT_EQ(AppActive, 0);
    EXPECT_TRUE(QuitRequested());
    // Y was already held when the prompt came: answered at the end of the 3.2 s wipe, when the
    // title music starts again.
    double titleMusic = -1;
    for (const TestEvent& e : TestEvents())
        if (e.kind == "mci" && e.command == "open CAIRO.MID type sequencer alias jazz")
            titleMusic = double(e.timeNs) / 1e9;
    EXPECT_NEAR(titleMusic, 3.2, 0.01);
}

// Back asks to quit; A held to fire meanwhile does not answer the question when it comes, only a
// press of A made while it asks does.
TEST_F(FlowTest, APadButtonHeldIntoTheQuitQuestionAnswersOnlyWhenPressedAgain) {
    auto pad = [](double t, int control, bool down) {
        ScriptEvent e{TestSecondsToNs(t), down ? ScriptEvent::PadDown : ScriptEvent::PadUp};
        e.pad = control;
        return e;
    };
    Run({pad(0, PadSouth, true), pad(0, PadBack, true), pad(0.5, PadBack, false),
         pad(4, PadSouth, false), pad(4.5, PadSouth, true), Key(6, VK_SPACE, true)});
    CheckGameFlow();
    EXPECT_TRUE(QuitRequested());
    double titleMusic = -1;
    for (const TestEvent& e : TestEvents())
        if (e.kind == "mci" && e.command == "open CAIRO.MID type sequencer alias jazz")
            titleMusic = double(e.timeNs) / 1e9;
    EXPECT_NEAR(titleMusic, 4.5, 0.01);
}

} // namespace
