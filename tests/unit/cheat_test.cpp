// The cheat word typed on the keyboard, and the joke keys that scale the enemies' pictures.
#include "app/cheat.h"

#include <string>

#include "app/frame_step.h"
#include "combat/shots.h"
#include "combat_support.h"
#include "flight_scene.h"
#include "platform/input.h"

namespace {

class CheatTest : public CombatTest {
  protected:
    // Types the letters one after another, each held for 50 ms, while the game calls
    // MatchCheatWord once per "frame"; returns the progress after each letter's release.
    std::vector<int> Type(const std::string& letters) {
        TestOptions options;
        double t = 0.1;
        for (char c : letters) {
            options.script.push_back({TestSecondsToNs(t), ScriptEvent::KeyDown, c});
            options.script.push_back({TestSecondsToNs(t + 0.05), ScriptEvent::KeyUp, c});
            t += 0.1;
        }
        std::int32_t mode = CheatMode, progress = CheatProgress;
        Start(options);
        CheatMode = mode; // a new platform, the same game
        CheatProgress = progress;
        std::vector<int> after;
        for (std::size_t i = 0; i < letters.size(); ++i) {
            const std::int64_t end = TestSecondsToNs(0.1 * (i + 1) + 0.08);
            while (TestNowNs() < end)
                MatchCheatWord();
            after.push_back(CheatProgress);
        }
        return after;
    }
};

TEST_F(CheatTest, TheWordInOrderTurnsCheatModeOn) {
    EXPECT_EQ(Type("BRAS"), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(CheatMode, 0);
    // Frames and other keys may come between the letters.
    EXPECT_EQ(Type("QXS"), (std::vector<int>{4, 4, 5}));
    EXPECT_EQ(CheatMode, 1);
}

TEST_F(CheatTest, AKeyOutOfTurnStartsTheWordOver) {
    // A stray first letter resets, and does not count as a new start.
    EXPECT_EQ(Type("BRAB"), (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(Type("RBRASS"), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(CheatMode, 1);

    CheatMode = CheatProgress = 0;
    EXPECT_EQ(Type("BRARSS"), (std::vector<int>{1, 2, 3, 0, 0, 0}));
    EXPECT_EQ(CheatMode, 0);
    EXPECT_EQ(Type("BSS"), (std::vector<int>{1, 0, 0}));
}

TEST_F(CheatTest, AKeyCountsOncePerPressAndTheGameWaitsForItsRelease) {
    TestOptions options;
    options.script = {{TestSecondsToNs(0.0), ScriptEvent::KeyDown, 'B'},
                      {TestSecondsToNs(0.0), ScriptEvent::KeyDown, 'R'},
                      {TestSecondsToNs(0.3), ScriptEvent::KeyUp, 'B'},
                      {TestSecondsToNs(0.5), ScriptEvent::KeyUp, 'R'}};
    Start(options);
    TestSleep(0.01);
    MatchCheatWord();
    // Both held in one frame: B then R, in the order of the word, each after its release.
    EXPECT_GE(TestNowSeconds(), 0.5);
    EXPECT_EQ(CheatProgress, 2);
}

TEST_F(CheatTest, JokeKeysScaleEveryEnemyAndJRestoresThePlayersSquare) {
    const CornerPoint square[4] = {{-27, -27}, {-27, 27}, {27, 27}, {27, -27}};
    for (int i = 0; i < 4; ++i) {
        PlayerCraft.ModelCorners[i] = square[i];
        for (Craft& e : EnemyCraft)
            e.ModelCorners[i] = square[i];
    }
    EnemyCraft[3].State = CraftDestroyed; // whatever the state
    for (int frame = 0; frame < 60; ++frame)
        ApplyJokeKey(0);
    for (const Craft& e : EnemyCraft)
        EXPECT_NEAR(e.ModelCorners[2].X / 27.0f, 304.48f, 0.1f);
    ApplyJokeKey(0);
    ApplyJokeKey(1); // F and G together: 0.99 a frame
    EXPECT_NEAR(EnemyCraft[0].ModelCorners[1].Y / 27.0f, 304.48f * 0.99f, 0.1f);
    ApplyJokeKey(2);
    for (const Craft& e : EnemyCraft)
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(e.ModelCorners[i].X, square[i].X);
            EXPECT_EQ(e.ModelCorners[i].Y, square[i].Y);
        }
    EXPECT_EQ(PlayerCraft.ModelCorners[0].X, -27.0f); // the player is never scaled
}

// The word as the frame step uses it, in flight on the test platform's display.
using CheatInPlayTest = flight::FlightTest;

TEST_F(CheatInPlayTest, TheWordTurnsTheGunIntoAVolleyFromHeadingMinus10ToPlus8) {
    std::vector<ScriptEvent> script{Key(1.5, VK_SPACE, true)};
    for (int i = 0; i < 5; ++i) {
        script.push_back(Key(0.5 + 0.1 * i, "BRASS"[i], true));
        script.push_back(Key(0.55 + 0.1 * i, "BRASS"[i], false));
    }
    Fly(script);
    InitShotList();
    EnemiesSpawned = EnemySpawnLimit = 15;
    SetUpCraftForLevel(); // the enemies beyond the world's corners, too far to fire
    PlayerCraft.Heading = 5.0f;
    while (TestNowSeconds() < 1.4)
        FrameStep();
    EXPECT_EQ(CheatMode, 1);
    EXPECT_EQ(ShotList.Count, 0);
    while (ShotList.Count == 0)
        FrameStep();
    std::vector<float> headings;
    for (const Shot* s = ShotList.First; s; s = s->Next)
        headings.push_back(s->Heading);
    EXPECT_EQ(headings, (std::vector<float>{1915, 1917, 1919, 1, 3, 5, 7, 9, 11, 13}));
}

// With the word typed, F held grows the enemies a tenth a frame, G shrinks them, J restores them.
TEST_F(CheatInPlayTest, TheJokeKeysActEveryFrameOnceTheWordIsTyped) {
    Fly({Key(0, 'F', true), Key(0.5, 'F', false), Key(0.6, 'G', true), Key(0.9, 'G', false),
         Key(1.0, 'J', true)});
    SetUpCraftForLevel();
    CheatMode = 1;
    const float& corner = EnemyCraft[4].ModelCorners[2].X;
    while (TestNowSeconds() < 0.55)
        FrameStep();
    const float grown = corner;
    EXPECT_GT(grown, 27.0f * 10.0f) << "at least 25 frames of a tenth more each";
    while (TestNowSeconds() < 0.95)
        FrameStep();
    EXPECT_LT(corner, grown * 0.5f);
    while (TestNowSeconds() < 1.05)
        FrameStep();
    EXPECT_EQ(corner, 27.0f);
}

} // namespace
