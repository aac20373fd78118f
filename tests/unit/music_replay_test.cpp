// The music of whole games run by the replay runner: every command in the order the game's
// moments call for, with the autopilot playing and scripted keys for the rest.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class MusicReplayTest : public ::testing::Test {
  protected:
    fs::path dir;
    int soundEvents = 0; // every effect played or stopped in the last run
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("skirmo-music-replay-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the game and returns its music as tokens: "O<piece>" open, "P" play from the start,
    // "S" stop, "C" close, "!" a command that failed, "Sting" the end-of-game sound, "Quit".
    std::vector<std::string> Run(const std::string& options, const std::string& script,
                                 const std::string& until = "3000") {
        std::ofstream(dir / "script.txt") << script;
        std::string log = (dir / "log.jsonl").string();
        std::string command = std::string(SKIRMO_REPLAY) + " --data " + SKIRMO_DATA_DIR +
                              " --until " + until + " --script " + (dir / "script.txt").string() +
                              " --log " + log + " " + options + " 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string pieces[] = {"DREAMS",   "CRAZYTRN", "BLACKAN",
                                      "JUMP1984", "BEAUTIF",  "CAIRO"};
        std::vector<std::string> tokens;
        soundEvents = 0;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) {
            auto has = [&](const std::string& s) { return line.find(s) != std::string::npos; };
            if (has("\"event\":\"mci\"")) {
                if (!has("\"result\":\"0\"")) tokens.push_back("!");
                for (int p = 0; p < 6; ++p)
                    if (has("\"command\":\"open " + pieces[p] + ".MID type sequencer alias jazz\""))
                        tokens.push_back("O" + std::to_string(p));
                if (has("\"command\":\"play jazz from 0\"")) tokens.push_back("P");
                if (has("\"command\":\"stop jazz\"")) tokens.push_back("S");
                if (has("\"command\":\"close jazz\"")) tokens.push_back("C");
            }
            if (has("\"event\":\"sound\"")) ++soundEvents;
            if (has("\"op\":\"play\",\"file\":\"terrible.wav\"")) {
                tokens.push_back("Sting");
            } else if (has("\"event\":\"quit\"")) {
                tokens.push_back("Quit");
            }
        }
        return tokens;
    }

    // Reads the tokens as the game's moments, each level expected in its turn; stops at the
    // first token no moment explains, naming it.
    static std::string Story(const std::vector<std::string>& t) {
        std::size_t i = 0;
        auto next = [&](std::vector<std::string> seq) {
            if (i + seq.size() > t.size() ||
                !std::equal(seq.begin(), seq.end(), t.begin() + std::ptrdiff_t(i)))
                return false;
            i += seq.size();
            return true;
        };
        if (!next({"O5", "P"})) return "no title music";
        std::string story = "title";
        int level = 0; // the next level to start
        while (i < t.size()) {
            std::string piece = "O" + std::to_string(level);
            if (level < 5 && next({"S", "C", piece, "P"})) { // a level starts over the last
                story += " L" + std::to_string(level++);
            } else if (next({"S", "P"})) { // away and back
                story += " away-back";
            } else if (next({"Sting", "S", "C", "O0", "P"})) { // game over, retry
                story += " over L0";
                level = 1;
            } else if (next({"Sting", "S", "C", "O5", "P", "Quit"})) { // won, or over and no
                story += " end";
            } else if (next({"S", "C", "O5", "P", "Quit"})) {
                story += " quit";
            } else if (next({"S", "C", "Quit"})) {
                story += " closed";
            } else {
                return story + " then unexplained " + t[i];
            }
        }
        return story;
    }
};

// The autopilot with the ten-shot volley wins; on the way it loses its last life once, and the
// player switches away and back during the first level.
TEST_F(MusicReplayTest, AWholeGameWonHearsEveryPieceInItsTurn) {
#ifdef SKIRMO_SANITIZED
    GTEST_SKIP() << "a whole game is too slow under the sanitizers";
#endif
    std::string story = Story(Run("--bot", "5 B down\n5.1 B up\n5.2 R down\n5.3 R up\n"
                                           "5.4 A down\n5.5 A up\n5.6 S down\n5.7 S up\n"
                                           "5.8 S down\n5.9 S up\n"
                                           "30 focus lost\n31 focus gained\n32 P down\n"
                                           "32.1 P up\n"));
    EXPECT_EQ(story.rfind("title L0 away-back L1", 0), 0u) << story;
    EXPECT_TRUE(story.ends_with(" L4 end")) << story;
    EXPECT_EQ(story.find("unexplained"), std::string::npos) << story;
}

// Without the volley the autopilot loses its lives early on: answered yes, the
// first level's piece opens again with nothing left to close; answered no, the title piece
// plays under the closing pages.
TEST_F(MusicReplayTest, GameOverClosesThePieceAndTheAnswerChoosesTheNext) {
#ifdef SKIRMO_SANITIZED
    GTEST_SKIP() << "a whole game is too slow under the sanitizers";
#endif
    std::string story = Story(Run("--bot", "", "300"));
    EXPECT_EQ(story.rfind("title L0", 0), 0u) << story;
    EXPECT_NE(story.find(" over L0"), std::string::npos) << story;
    EXPECT_EQ(story.find("unexplained"), std::string::npos) << story;

    setenv("SKIRMO_BOT_RETRY", "n", 1);
    story = Story(Run("--bot", ""));
    unsetenv("SKIRMO_BOT_RETRY");
    EXPECT_EQ(story.rfind("title L0 L1", 0), 0u) << story;
    EXPECT_TRUE(story.ends_with(" end")) << story;
    EXPECT_EQ(story.find("over"), std::string::npos) << story;
}

TEST_F(MusicReplayTest, QuittingAndClosingTheWindow) {
    // Space leaves the story and keys pages; the quit prompt comes after a column wipe.
    const std::string pages = "1 SPACE down\n1.1 SPACE up\n2 SPACE down\n2.1 SPACE up\n";
    EXPECT_EQ(
        Story(Run("", pages + "10 ESC down\n10.1 ESC up\n11 Y down\n25 Y up\n"
                              "27 SPACE down\n27.1 SPACE up\n29 SPACE down\n29.1 SPACE up\n")),
        "title L0 quit");
    EXPECT_EQ(Story(Run("", pages + "5 focus lost\n7 focus gained\n9 close\n")),
              "title L0 away-back closed");
}

TEST_F(MusicReplayTest, TickingTheBoxGivesASilentGame) {
    EXPECT_EQ(Story(Run("--bot", "", "20")), "title L0");
    EXPECT_GT(soundEvents, 0);
    EXPECT_TRUE(Run("--bot --no-sound", "", "20").empty());
    EXPECT_EQ(soundEvents, 0);
}

} // namespace
