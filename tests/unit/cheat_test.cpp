// The cheat word typed on the keyboard: letters out of turn and held keys (the golden won game
// types it, and shows its volley and its joke keys).
#include "app/cheat.h"

#include <string>

#include "game_fixture.h"

namespace {

class CheatTest : public GameTest {
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

TEST_F(CheatTest, AKeyOutOfTurnStartsTheWordOverAndOthersChangeNothing) {
    // A stray first letter resets, and does not count as a new start.
    EXPECT_EQ(Type("BRAB"), (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(Type("RBRQASS"), (std::vector<int>{0, 1, 2, 2, 3, 4, 5}));
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

} // namespace
