// Start-up to the first frame through the replay runner, in both modes: the pages left with
// Space, the first level's piece when its title has faded in, and the craft set up. (What the
// pages and the titles look like is pinned by the golden frames and the game-flow tests.)
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class LoadingReplayTest : public ::testing::TestWithParam<const char*> {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("skirmo-loading-replay-" + std::to_string(::getpid()) + "-" + GetParam());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) { return (dir / name).string(); }
    std::string Read(const std::string& name) {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static double Field(const std::string& json, const std::string& name, std::size_t from = 0) {
        auto at = json.find("\"" + name + "\":", from);
        return at == std::string::npos ? -12345
                                       : std::strtod(json.c_str() + at + name.size() + 3, nullptr);
    }
};

TEST_P(LoadingReplayTest, StartUpGoesThroughThePagesAndTheTitleToLevelOne) {
    // The story page is white from 2.04 s; Space at 3 s fades it out, the keys page follows
    // until Space at 6 s, and the title fades in until about 9 s, when the level's music starts.
    std::ofstream(Path("keys.txt")) << "3 SPACE down\n3.1 SPACE up\n6 SPACE down\n6.1 SPACE up\n";
    std::string command = std::string(SKIRMO_REPLAY) + " --data " + SKIRMO_DATA_DIR + " --mode " +
                          GetParam() + " --script " + Path("keys.txt") + " --until 12" +
                          " --state-at 0:" + Path("first.json") + " --log " + Path("log.jsonl") +
                          " 2>" + Path("stderr.txt");
    int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << Read("stderr.txt");

    // The first frame: level 0 with its five enemies beyond the world's corners.
    std::string state = Read("first.json");
    EXPECT_NEAR(Field(state, "time"), 11.05, 0.1);
    EXPECT_EQ(Field(state, "CurrentLevel"), 0);
    EXPECT_EQ(Field(state, "EnemiesSpawned"), 5);
    EXPECT_EQ(Field(state, "EnemiesRemaining"), 15);
    EXPECT_EQ(Field(state, "PlayerLives"), 3);
    std::size_t at = state.find("\"enemies\"");
    ASSERT_NE(at, std::string::npos);
    for (int i = 0; i < 5; ++i) {
        at = state.find("\"PosX\":", at + 1);
        double x = Field(state, "PosX", at), y = Field(state, "PosY", at);
        EXPECT_TRUE(x < 0 || x > 2048) << x;
        EXPECT_TRUE(y < 0 || y > 2048) << y;
        EXPECT_EQ(Field(state, "TurnRate", at), 525);
    }

    // The title music until the first title has faded in, then level 1's piece.
    std::string log = Read("log.jsonl");
    std::size_t dreams = log.find("open DREAMS.MID");
    ASSERT_NE(dreams, std::string::npos) << log;
    EXPECT_NEAR(Field(log.substr(log.rfind('{', dreams)), "t"), 9.0, 0.1);
    EXPECT_EQ(log.find("message_box"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(BothModes, LoadingReplayTest, ::testing::Values("640x480", "800x600"));

} // namespace
