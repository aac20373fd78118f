// The cheat word typed on the keyboard, and the joke keys that scale the enemies' pictures.
#include "app/cheat.h"

#include <string>

#include "combat_support.h"

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

} // namespace
