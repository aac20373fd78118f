// skirmo's start-up around the game: its options, and where it looks for the game's files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/command_line.h"
#include "shell/data_folder.h"
#include "game_fixture.h"
#include "platform/api/files.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder, left as the current folder was, and an environment variable set for the
// test's length.
class LaunchTest : public ScratchFolderTest {
  protected:
    std::vector<std::pair<std::string, std::string>> saved; // name, value ("\1" when unset)
    void TearDown() override {
        for (auto at = saved.rbegin(); at != saved.rend(); ++at)
            at->second == "\1" ? unsetenv(at->first.c_str())
                               : setenv(at->first.c_str(), at->second.c_str(), 1);
        NoteDataFoldersTried({});
        ScratchFolderTest::TearDown();
    }
    void Env(const std::string& name, const char* value) {
        const char* old = std::getenv(name.c_str());
        saved.emplace_back(name, old ? old : "\1");
        value ? setenv(name.c_str(), value, 1) : unsetenv(name.c_str());
    }
    std::string Make(const std::string& path) {
        fs::create_directories((dir / path).parent_path());
        std::ofstream(dir / path) << "1";
        return (dir / path).parent_path().string();
    }
};

TEST(CommandLine, ValuesComeEitherWayAndBadOnesAreRefusedNamingTheOption) {
    const std::string folder = fs::temp_directory_path().string();
    const struct {
        std::vector<std::string> args;
        int status;
        std::string said; // on standard error, one line
    } cases[] = {
        {{"--data", folder, "--mode=800x600", "--no-sound"}, -1, ""},
        {{"--data=" + folder, "--mode", "640x480", "--no-sound", "--sound"}, -1, ""},
        {{"--mode", "1024x768"}, 2, "--mode: '1024x768' is not 640x480 or 800x600"},
        {{"--mode=800X600"}, 2, "--mode: '800X600'"},
        {{"--data", folder + "/no-such"}, 2, "--data: '" + folder + "/no-such' is not a folder"},
        {{"--mode"}, 2, "--mode needs a value"},
        {{"--sound=yes"}, 2, "--sound takes no value"},
        {{"--modes", "640x480"}, 2, "unknown option '--modes'"},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv{const_cast<char*>("skirmo")};
        for (const std::string& a : c.args)
            argv.push_back(const_cast<char*>(a.c_str()));
        CommandLine line;
        ::testing::internal::CaptureStderr();
        int status = ReadCommandLine(int(argv.size()), argv.data(), line);
        std::string said = ::testing::internal::GetCapturedStderr();
        SCOPED_TRACE(c.args[0] + " ... " + said);
        EXPECT_EQ(status, c.status);
        if (c.status == 2) {
            EXPECT_NE(said.find("skirmo: " + c.said), std::string::npos);
            EXPECT_EQ(said.find('\n'), said.size() - 1);
        } else {
            EXPECT_EQ(said, "");
            EXPECT_EQ(line.dataFolder, folder);
            EXPECT_EQ(line.mode, c.args[2] == "640x480" ? "640x480" : "800x600");
            EXPECT_EQ(line.noSound, c.args.back() == "--no-sound") << "the last one counts";
        }
    }
}

// The folders in their order, each once, relative paths in the variables left out; and the first
// that holds the map (in any case) becomes the current folder.
TEST_F(LaunchTest, TheDataAreLookedForInOrderInTheFirstFolderThatHoldsThem) {
    fs::create_directories(dir / "here");
    fs::current_path(dir / "here");
    const std::string exe = fs::read_symlink("/proc/self/exe").parent_path().string();
    const std::string installed = InstalledDataFolder(), d = dir.string();
    Env("HOME", (d + "/home").c_str());
    Env("XDG_DATA_HOME", nullptr);
    Env("XDG_DATA_DIRS", nullptr);
    EXPECT_EQ(DataFolders(),
              (std::vector<std::string>{d + "/here", exe, d + "/home/.local/share/velmora",
                                        "/usr/local/share/velmora", "/usr/share/velmora", installed,
                                        SKIRMO_PREFIX_DATA_DIR}));
    Env("XDG_DATA_HOME", "relative");
    EXPECT_EQ(DataFolders()[2], d + "/home/.local/share/velmora");
    Env("XDG_DATA_HOME", (d + "/mine/").c_str());
    Env("XDG_DATA_DIRS", (d + "/one::relative:" + d + "/two/:" + d + "/one").c_str());
    EXPECT_EQ(DataFolders(),
              (std::vector<std::string>{d + "/here", exe, d + "/mine/velmora", d + "/one/velmora",
                                        d + "/two/velmora", installed, SKIRMO_PREFIX_DATA_DIR}));

    std::string why;
    Make("one/velmora/world.dat");
    Make("two/velmora/WORLD.DAT");
    ASSERT_TRUE(EnterDataFolder("", why));
    EXPECT_EQ(fs::current_path(), d + "/one/velmora");
    fs::remove(dir / "one/velmora/world.dat");
    fs::current_path(dir / "here");
    ASSERT_TRUE(EnterDataFolder("", why));
    EXPECT_EQ(fs::current_path(), d + "/two/velmora") << "the map's name in another case";
    Make("mine/velmora/World.dat");
    Make("here/world.dat");
    fs::current_path(dir / "here");
    ASSERT_TRUE(EnterDataFolder("", why));
    EXPECT_EQ(fs::current_path(), d + "/here");
    // --data is the player's word: taken whatever it holds.
    ASSERT_TRUE(EnterDataFolder(d + "/one", why));
    EXPECT_EQ(fs::current_path(), d + "/one");
    EXPECT_FALSE(EnterDataFolder(d + "/none", why));
    EXPECT_NE(why, "");
}

// An exact name first; else the folder's entry in another case, seen again after a rename; of
// several, the closest spelling that can be read.
TEST_F(LaunchTest, GameFilesAreFoundWithoutRegardToCase) {
    const std::string d = Make("data/tile5.bmp") + "/";
    EXPECT_EQ(FindGameFile((d + "TILE5.bmp").c_str()), d + "tile5.bmp");
    fs::rename(d + "tile5.bmp", d + "Tile5.BMP");
    EXPECT_EQ(FindGameFile((d + "TILE5.bmp").c_str()), d + "Tile5.BMP");
    // Where a folder's times have whole seconds only, another second is still a change.
    timespec second[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, d.c_str(), second, 0), 0);
    EXPECT_EQ(FindGameFile((d + "TILE5.bmp").c_str()), d + "Tile5.BMP");
    fs::rename(d + "Tile5.BMP", d + "tile5.bmp");
    second[0].tv_sec = second[1].tv_sec = 1000000001;
    ASSERT_EQ(utimensat(AT_FDCWD, d.c_str(), second, 0), 0);
    EXPECT_EQ(FindGameFile((d + "TILE5.bmp").c_str()), d + "tile5.bmp");
    fs::create_directory(d + "TILE5.BMP"); // first in byte order, but no file
    EXPECT_EQ(FindGameFile((d + "TILE5.bmp").c_str()), d + "tile5.bmp");
    fs::remove(d + "TILE5.BMP");
    Make("data/TILE5.BMP");
    Make("data/TILE5.bMp");
    EXPECT_EQ(FindGameFile((d + "TILE5.bmp").c_str()), d + "TILE5.bMp");
    Make("data/TILE5.bmp");
    EXPECT_EQ(FindGameFile((d + "TILE5.bmp").c_str()), d + "TILE5.bmp");
    EXPECT_EQ(FindGameFile((d + "TILE5.bm").c_str()), d + "TILE5.bm");
    Make("data/zap.voc"); // both ends of the alphabet
    EXPECT_EQ(FindGameFile((d + "ZAP.VOC").c_str()), d + "zap.voc");
    fs::current_path(d);
    EXPECT_EQ(FindGameFile("tile5.BMP"), "tile5.bmp");
}

} // namespace
