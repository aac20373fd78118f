// The whole game played by the replay runner's autopilot, from the story page to the end of the
// program: won with the cheat word, lost without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// A whole game takes a minute and more under the sanitizers on this small machine, so these run
// in the plain build only (SKIRMO_SANITIZED comes from the sanitizer build).

namespace {

class BotGameTest : public ::testing::Test {
  protected:
    fs::path dir;
    std::vector<std::string> log;

    void SetUp() override {
#ifdef SKIRMO_SANITIZED
        GTEST_SKIP() << "a whole game is too slow under the sanitizers";
#endif
        dir = fs::temp_directory_path() /
              ("skirmo-bot-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }
    std::string Path(const std::string& name) { return (dir / name).string(); }

    // Runs the whole game with the bot; returns the exit status and keeps the log's lines.
    int PlayWholeGame(const std::string& environment, const std::string& args) {
        std::string command = environment + " " + SKIRMO_REPLAY + " --data " + SKIRMO_DATA_DIR +
                              " --bot --until 2400 --log " + Path("log.jsonl") + " " + args +
                              " 2>" + Path("stderr.txt");
        int raw = std::system(command.c_str());
        std::ifstream in(Path("log.jsonl"));
        for (std::string line; std::getline(in, line);)
            log.push_back(line);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    // Index of the first log line at or after from holding every piece, or -1.
    int Find(std::initializer_list<std::string> pieces, int from = 0) const {
        for (int i = from; i < int(log.size()); ++i) {
            bool all = true;
            for (const std::string& p : pieces)
                all = all && log[i].find(p) != std::string::npos;
            if (all) return i;
        }
        return -1;
    }
    int Count(std::initializer_list<std::string> pieces) const {
        int n = 0;
        for (int i = Find(pieces); i >= 0; i = Find(pieces, i + 1))
            ++n;
        return n;
    }
    static double Time(const std::string& line) { return std::atof(line.c_str() + 5); }
};

// Sound slots are told apart by the frequency loading gives each: slot 5, the player's craft
// blowing up, plays at 9000 Hz, slot 6, the end of the game, at 22000 Hz.
const std::initializer_list<std::string> PlayerDestroyed = {"\"op\":\"play\"",
                                                            "\"frequency\":9000,"};
const std::initializer_list<std::string> EndOfGame = {"\"op\":\"play\"", "\"frequency\":22000,"};

TEST_F(BotGameTest, WithTheCheatWordTheBotWinsAllFiveLevels) {
    // Typed once play has begun (the bot leaves the two opening pages with Space).
    std::ofstream(Path("brass.txt")) << "20.00 B down\n20.05 B up\n20.10 R down\n20.15 R up\n"
                                        "20.20 A down\n20.25 A up\n20.30 S down\n20.35 S up\n"
                                        "20.40 S down\n20.45 S up\n";
    ASSERT_EQ(PlayWholeGame("", "--seed 1 --script " + Path("brass.txt")), 0);
    // Level 5's piece, then the end of the game and the closing screens' music.
    int lastLevel = Find({"\"mci\"", "open", "BEAUTIF.MID"});
    ASSERT_GE(lastLevel, 0) << "level 5 never began";
    int won = Find(EndOfGame, lastLevel);
    ASSERT_GE(won, 0) << "the game was not won";
    EXPECT_GE(Find({"\"mci\"", "open", "CAIRO.MID"}, won), 0);
    EXPECT_GE(Find({"\"event\":\"quit\"", "\"code\":0"}, won), 0);
    EXPECT_GE(Find({"\"event\":\"end\"", "program ended"}, won), 0);
}

TEST_F(BotGameTest, WithoutItTheBotLosesThreeLivesAnswersNoAndTheProgramEnds) {
    ASSERT_EQ(PlayWholeGame("SKIRMO_BOT_RETRY=n", "--seed 2"), 0);
    EXPECT_EQ(Count(PlayerDestroyed), 3);
    int lost = Find(EndOfGame);
    ASSERT_GE(lost, 0) << "the game never ended";
    EXPECT_EQ(Count(EndOfGame), 1);
    int title = Find({"\"mci\"", "open", "CAIRO.MID"}, lost);
    ASSERT_GE(title, 0) << "the closing screens' music";
    int end = Find({"\"event\":\"end\"", "program ended"}, title);
    ASSERT_GE(end, 0);
    // The credits and thanks pages, each read for a moment, stand between the answer and the end.
    EXPECT_GT(Time(log[end]) - Time(log[title]), 1.0);
    EXPECT_EQ(Find({"\"mci\"", "open", "DREAMS.MID"}, lost), -1) << "no retry";
}

} // namespace
