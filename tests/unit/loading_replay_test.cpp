// Start-up to the first frame through the replay runner, in both modes: the story page at its
// fixed place, the first level's title in the middle of the screen, and the craft set up.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Lit {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // inclusive
    int count = 0;
};

// The box around every pixel brighter than dark grey in rows y0 to y1 - 1 of a 24-bit BMP.
Lit LitBox(const std::vector<unsigned char>& b, int y0, int y1) {
    Lit lit;
    int w = b[18] | b[19] << 8, h = b[22] | b[23] << 8, rowBytes = (w * 3 + 3) & ~3;
    for (int y = y0; y < std::min(y1, h); ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &b[54 + std::size_t(h - 1 - y) * rowBytes + x * 3];
            if (std::max({p[0], p[1], p[2]}) < 64) continue;
            lit.left = std::min(lit.left, x), lit.right = std::max(lit.right, x);
            lit.top = std::min(lit.top, y), lit.bottom = std::max(lit.bottom, y);
            ++lit.count;
        }
    return lit;
}

class LoadingReplayTest : public ::testing::TestWithParam<std::pair<int, int>> {
  protected:
    fs::path dir;
    void SetUp() override {
        // A parameterised test's name ends in "/N": one folder per test and mode.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        dir = fs::temp_directory_path() /
              ("skirmo-loading-replay-" + std::to_string(::getpid()) + "-" + name);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) { return (dir / name).string(); }
    std::vector<unsigned char> Read(const std::string& name) {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    double Field(const std::string& json, const std::string& name, std::size_t from = 0) {
        auto at = json.find("\"" + name + "\":", from);
        return at == std::string::npos ? -12345
                                       : std::strtod(json.c_str() + at + name.size() + 3, nullptr);
    }
};

TEST_P(LoadingReplayTest, StartUpShowsThePagesAndTheTitleThenFliesLevelOne) {
    auto [w, h] = GetParam();
    std::ofstream(Path("keys.txt")) << "3 SPACE down\n3.1 SPACE up\n6 SPACE down\n6.1 SPACE up\n";
    // The story page is white from 2.04 s; Space at 3 s fades it out, the keys page follows
    // until Space at 6 s, and the title fades in until about 9 s, when the level's music starts.
    std::string command = std::string(SKIRMO_REPLAY) + " --data " + SKIRMO_DATA_DIR + " --mode " +
                          std::to_string(w) + "x" + std::to_string(h) + " --script " +
                          Path("keys.txt") + " --until 12 --shot-at 2.5:" + Path("story.bmp") +
                          " --shot-at 8.9:" + Path("title.bmp") +
                          " --state-at 0:" + Path("first.json") + " --log " + Path("log.jsonl") +
                          " 2>" + Path("stderr.txt");
    int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0);

    // The story page stands where it stands at 640 by 480, whatever the mode.
    auto story = Read("story.bmp");
    ASSERT_GT(story.size(), 54u);
    Lit page = LitBox(story, 0, h);
    EXPECT_GE(page.left, 50);
    EXPECT_LE(page.left, 52);
    EXPECT_GE(page.top, 50);
    EXPECT_LE(page.top, 56);
    EXPECT_LT(page.right, 640);
    EXPECT_LT(page.bottom, 460) << "the prompt's line is the lowest";
    EXPECT_GT(LitBox(story, 440, 460).count, 100) << "Press Space to continue...";

    // The title in the middle, the loading line at (50, 440), nothing else.
    auto title = Read("title.bmp");
    Lit middle = LitBox(title, 0, 430), bottom = LitBox(title, 430, h);
    EXPECT_GE(middle.left, w / 2 - 80);
    EXPECT_LE(middle.left, w / 2 - 78);
    EXPECT_GE(middle.top, h / 2 - 5);
    EXPECT_LE(middle.bottom, h / 2 - 5 + 17);
    EXPECT_GT(middle.count, 100);
    EXPECT_GE(bottom.left, 50);
    EXPECT_LE(bottom.left, 52);
    EXPECT_LE(bottom.bottom, 440 + 17);

    // The first frame: level 0 with its five enemies beyond the world's corners.
    std::ifstream in(Path("first.json"));
    std::string state((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NEAR(Field(state, "time"), 11.05, 0.1);
    EXPECT_EQ(Field(state, "CurrentLevel"), 0);
    EXPECT_EQ(Field(state, "EnemiesSpawned"), 5);
    EXPECT_EQ(Field(state, "EnemiesRemaining"), 15);
    EXPECT_EQ(Field(state, "PlayerLives"), 3);
    std::size_t enemies = state.find("\"enemies\"");
    ASSERT_NE(enemies, std::string::npos);
    for (std::size_t at = enemies, i = 0; i < 5; ++i) {
        at = state.find("\"PosX\":", at + 1);
        double x = Field(state, "PosX", at), y = Field(state, "PosY", at);
        EXPECT_TRUE(x < 0 || x > 2048) << x;
        EXPECT_TRUE(y < 0 || y > 2048) << y;
        EXPECT_EQ(Field(state, "TurnRate", at), 525);
    }

    // The title music until the first title has faded in, then level 1's piece.
    auto log = Read("log.jsonl");
    std::string text(log.begin(), log.end());
    std::size_t dreams = text.find("open DREAMS.MID");
    ASSERT_NE(dreams, std::string::npos) << text;
    EXPECT_NEAR(Field(text.substr(text.rfind("{", dreams)), "t"), 9.0, 0.1);
    EXPECT_EQ(text.find("message_box"), std::string::npos) << text;
}

TEST_P(LoadingReplayTest, EscapeThenYesShowsCreditsAndThanksAndEndsTheProgram) {
    auto [w, h] = GetParam();
    // Frames from about 4.1 s; Escape at 6 s wipes the columns (3.2 or 4.0 s), Y answers, and
    // Space held from 12 s goes through the credits and the thanks.
    std::ofstream(Path("keys.txt")) << "0 SPACE down\n0.2 SPACE up\n6 ESC down\n6.1 ESC up\n"
                                       "11 Y down\n11.1 Y up\n12 SPACE down\n";
    std::string command = std::string(SKIRMO_REPLAY) + " --data " + SKIRMO_DATA_DIR + " --mode " +
                          std::to_string(w) + "x" + std::to_string(h) + " --script " +
                          Path("keys.txt") + " --until 30 --shot-at 8:" + Path("wipe.bmp") +
                          " --log " + Path("log.jsonl") + " 2>" + Path("stderr.txt");
    int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0);
    auto log = Read("log.jsonl");
    std::string text(log.begin(), log.end());
    EXPECT_NE(text.find("\"event\":\"quit\",\"code\":0"), std::string::npos) << text;
    EXPECT_NE(text.find("\"why\":\"program ended\""), std::string::npos) << text;
    EXPECT_NE(text.find("open CAIRO.MID"), text.rfind("open CAIRO.MID")) << "title music again";
    // Two seconds into the wipe, column by column at 5 ms: 400 columns are black.
    Lit black = LitBox(Read("wipe.bmp"), 0, h);
    EXPECT_NEAR(black.left, 400, 3);
}

INSTANTIATE_TEST_SUITE_P(BothModes, LoadingReplayTest,
                         ::testing::Values(std::make_pair(640, 480), std::make_pair(800, 600)));

} // namespace
