// Whole games run by the replay runner, told by their music: every command in the order the
// game's moments call for, with the autopilot playing and scripted keys for the rest.
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
    std::vector<std::string> tokens;
    std::vector<double> times; // when each token happened
    int soundEvents = 0;       // every effect played or stopped
    int playerLost = 0;        // the player's craft blowing up: slot 5 plays at 9000 Hz
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("skirmo-music-replay-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs the game and returns its story (below) from the log's tokens: "O<piece>" open, "P"
    // play from the start, "S" stop, "C" close, "!" a command that failed, "Sting" the
    // end-of-game sound, "Quit" a quit with code 0, "End" the program's end, "Until" the run's.
    std::string Run(const std::string& options, const std::string& script,
                    const std::string& until = "3000") {
        std::ofstream(dir / "script.txt") << script;
        std::string log = (dir / "log.jsonl").string();
        std::string command = std::string(SKIRMO_REPLAY) + " --data " + SKIRMO_DATA_DIR +
                              " --until " + until + " --script " + (dir / "script.txt").string() +
                              " --log " + log + " " + options + " 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string pieces[] = {"DREAMS",   "CRAZYTRN", "BLACKAN",
                                      "JUMP1984", "BEAUTIF",  "CAIRO"};
        tokens.clear(), times.clear();
        soundEvents = playerLost = 0;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) {
            auto has = [&](const std::string& s) { return line.find(s) != std::string::npos; };
            auto add = [&](const std::string& token) {
                tokens.push_back(token);
                times.push_back(std::atof(line.c_str() + 5)); // {"t":
            };
            if (has("\"event\":\"mci\"")) {
                if (!has("\"result\":\"0\"")) add("!");
                for (int p = 0; p < 6; ++p)
                    if (has("\"command\":\"open " + pieces[p] + ".MID type sequencer alias jazz\""))
                        add("O" + std::to_string(p));
                if (has("\"command\":\"play jazz from 0\"")) add("P");
                if (has("\"command\":\"stop jazz\"")) add("S");
                if (has("\"command\":\"close jazz\"")) add("C");
            }
            if (has("\"event\":\"sound\"")) ++soundEvents;
            if (has("\"op\":\"play\"") && has("\"frequency\":9000,")) ++playerLost;
            if (has("\"op\":\"play\",\"file\":\"terrible.wav\"")) add("Sting");
            if (has("\"event\":\"quit\"")) add(has("\"code\":0}") ? "Quit" : "!");
            if (has("\"event\":\"end\"")) add(has("\"why\":\"program ended\"") ? "End" : "Until");
        }
        return Story();
    }

    // Reads the tokens as the game's moments, each level expected in its turn; stops at the
    // first token no moment explains, naming it.
    std::string Story() const {
        const std::vector<std::string>& t = tokens;
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
            } else if (next({"Sting", "S", "C", "O5", "P", "Quit", "End"})) { // won, or over and no
                story += " end";
            } else if (next({"S", "C", "O5", "P", "Quit", "End"})) {
                story += " quit";
            } else if (next({"S", "C", "Quit", "End"})) {
                story += " closed";
            } else if (next({"Until"})) {
                story += " until";
            } else {
                return story + " then unexplained " + t[i];
            }
        }
        return story;
    }
};

// The autopilot with the ten-shot volley wins all five levels; on the way it loses its last life
// once, and the player switches away and back during the first level.
TEST_F(MusicReplayTest, AWholeGameWonHearsEveryPieceInItsTurn) {
#ifdef SKIRMO_SANITIZED
    GTEST_SKIP() << "a whole game is too slow under the sanitizers";
#endif
    std::string story = Run("--bot", "5 B down\n5.1 B up\n5.2 R down\n5.3 R up\n"
                                     "5.4 A down\n5.5 A up\n5.6 S down\n5.7 S up\n"
                                     "5.8 S down\n5.9 S up\n"
                                     "30 focus lost\n31 focus gained\n32 P down\n32.1 P up\n");
    EXPECT_EQ(story.rfind("title L0 away-back L1", 0), 0u) << story;
    EXPECT_TRUE(story.ends_with(" L4 end")) << story;
    EXPECT_EQ(story.find("unexplained"), std::string::npos) << story;
}

// Without the volley the autopilot loses its three lives: answered yes, the first level's piece
// opens again with nothing left to close; answered no, the title piece plays under the credits
// and thanks pages, each read for a moment, and the program ends.
TEST_F(MusicReplayTest, GameOverClosesThePieceAndTheAnswerChoosesTheNext) {
#ifdef SKIRMO_SANITIZED
    GTEST_SKIP() << "a whole game is too slow under the sanitizers";
#endif
    std::string story = Run("--bot", "", "300");
    EXPECT_EQ(story.rfind("title L0", 0), 0u) << story;
    EXPECT_NE(story.find(" over L0"), std::string::npos) << story;
    EXPECT_EQ(story.find("unexplained"), std::string::npos) << story;

    setenv("SKIRMO_BOT_RETRY", "n", 1);
    story = Run("--bot", "");
    unsetenv("SKIRMO_BOT_RETRY");
    EXPECT_EQ(story.rfind("title L0 L1", 0), 0u) << story;
    EXPECT_TRUE(story.ends_with(" end")) << story;
    EXPECT_EQ(story.find("over"), std::string::npos) << story;
    EXPECT_EQ(playerLost, 3);
    ASSERT_GE(times.size(), 4u);
    EXPECT_GT(times.end()[-1] - times.end()[-4], 1.0) << "from the title piece to the end";
}

TEST_F(MusicReplayTest, QuittingClosingTheWindowAndAltF4) {
    // Space leaves the story and keys pages; the quit prompt comes after a column wipe.
    const std::string pages = "1 SPACE down\n1.1 SPACE up\n2 SPACE down\n2.1 SPACE up\n";
    EXPECT_EQ(Run("", pages + "10 ESC down\n10.1 ESC up\n11 Y down\n25 Y up\n"
                              "27 SPACE down\n27.1 SPACE up\n29 SPACE down\n29.1 SPACE up\n"),
              "title L0 quit");
    EXPECT_EQ(Run("", pages + "5 focus lost\n7 focus gained\n9 close\n"),
              "title L0 away-back closed");
    EXPECT_EQ(Run("", pages + "6 ALT down\n6.05 F4 down\n6.1 F4 up\n6.1 ALT up\n", "10"),
              "title L0 closed");
    EXPECT_EQ(Run("", pages + "6 F4 down\n6.1 F4 up\n", "7"), "title L0 until")
        << "F4 alone is only a key";
}

TEST_F(MusicReplayTest, TickingTheBoxGivesASilentGame) {
    EXPECT_EQ(Run("--bot", "", "20"), "title L0 until");
    EXPECT_GT(soundEvents, 0);
    EXPECT_EQ(Run("--bot --no-sound", "", "20"), "no title music");
    EXPECT_EQ(tokens, std::vector<std::string>{"Until"});
    EXPECT_EQ(soundEvents, 0);
}

} // namespace
