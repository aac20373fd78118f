// The MIDI sequencer's string commands as both platforms read them: which files open, one piece
// and one alias at a time, and every other command refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/mmsystem.h"
#include "platform/test/test_platform.h"

namespace fs = std::filesystem;

namespace {

class MciTest : public ::testing::Test {
  protected:
    std::string oldDir;
    fs::path scratch;

    // Commands name files relative to the data folder, as the game's do.
    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldDir = cwd;
        ASSERT_EQ(chdir(SKIRMO_DATA_DIR), 0);
        TestPlatformStart({});
        // Named by process too: other builds may run the same test at the same time.
        scratch = fs::temp_directory_path() /
                  ("sound_mci_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(scratch);
    }
    void TearDown() override {
        mciSendStringA("close jazz", nullptr, 0, nullptr);
        fs::remove_all(scratch);
        ASSERT_EQ(chdir(oldDir.c_str()), 0);
    }

    static DWORD Send(const std::string& command) {
        return mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    }

    // A file in the scratch folder, named by a path without spaces.
    std::string Write(const char* name, const std::string& bytes) {
        fs::path p = scratch / name;
        std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        EXPECT_EQ(p.string().find(' '), std::string::npos);
        return p.string();
    }

    static std::string Header(char format, char tracks) {
        return std::string("MThd\0\0\0\6\0", 9) + format + std::string(1, '\0') + tracks +
               std::string("\0\x60", 2);
    }
};

TEST_F(MciTest, OpensOnlyStandardMidiFiles) {
    EXPECT_NE(Send("open NOSUCH.MID type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("open world.dat type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("open terrible.wav type sequencer alias jazz"), 0u);
    // Files that start like MIDI but break the header's rules.
    EXPECT_NE(Send("open " + Write("short.mid", "MThd") + " type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("open " + Write("fmt3.mid", Header(3, 1)) + " type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("open " + Write("none.mid", Header(0, 0)) + " type sequencer alias jazz"), 0u);
    // None of those left the alias open.
    EXPECT_NE(Send("play jazz from 0"), 0u);

    EXPECT_EQ(Send("open " + Write("ok.mid", Header(1, 2)) + " type sequencer alias jazz"), 0u);
    EXPECT_EQ(Send("close jazz"), 0u);
    EXPECT_EQ(Send("open DREAMS.MID type sequencer alias jazz"), 0u);
}

TEST_F(MciTest, OnePieceAtATimeUnderItsAlias) {
    ASSERT_EQ(Send("open DREAMS.MID type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("open CAIRO.MID type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("open CAIRO.MID type sequencer alias other"), 0u);
    EXPECT_EQ(Send("play jazz from 0"), 0u);
    EXPECT_EQ(Send("stop jazz"), 0u);
    EXPECT_EQ(Send("play jazz"), 0u);
    EXPECT_EQ(Send("close jazz"), 0u);
    // Closed: the alias is gone and another piece may open.
    EXPECT_NE(Send("play jazz from 0"), 0u);
    EXPECT_NE(Send("close jazz"), 0u);
    EXPECT_EQ(Send("open CAIRO.MID type sequencer alias jazz"), 0u);
    EXPECT_EQ(Send("play jazz from 0"), 0u);
}

TEST_F(MciTest, RefusesWrongAliasesAndUnknownCommands) {
    ASSERT_EQ(Send("open DREAMS.MID type sequencer alias jazz"), 0u);
    for (const char* command :
         {"play blues from 0", "play blues", "stop blues", "close blues", "play JAZZ", "pause jazz",
          "play jazz from 5", "play jazz from", "play jazz to 0", "stop jazz now", "open",
          "open DREAMS.MID", "open DREAMS.MID type waveaudio alias jazz", "jazz", "", "  ",
          "seek jazz to start"}) {
        SCOPED_TRACE(command);
        EXPECT_NE(Send(command), 0u);
    }
    EXPECT_NE(mciSendStringA(nullptr, nullptr, 0, nullptr), 0u);
    // The piece is still open under its alias after all that.
    EXPECT_EQ(Send("play jazz from 0"), 0u);
    // Extra spaces between words are only separators.
    EXPECT_EQ(Send("  stop   jazz "), 0u);
}

TEST_F(MciTest, EveryCommandIsRecordedWithItsResult) {
    char reply[16] = "leftover";
    EXPECT_EQ(
        mciSendStringA("open DREAMS.MID type sequencer alias jazz", reply, sizeof reply, nullptr),
        0u);
    EXPECT_EQ(reply[0], '\0');
    Send("play jazz from 0");
    Send("pause jazz");
    std::vector<TestEvent> mci;
    for (const TestEvent& e : TestEvents())
        if (e.kind == "mci") mci.push_back(e);
    ASSERT_EQ(mci.size(), 3u);
    EXPECT_EQ(mci[0].command, "open DREAMS.MID type sequencer alias jazz");
    EXPECT_EQ(mci[0].result, "0");
    EXPECT_EQ(mci[1].command, "play jazz from 0");
    EXPECT_EQ(mci[1].result, "0");
    EXPECT_EQ(mci[2].command, "pause jazz");
    EXPECT_NE(mci[2].result, "0");
}

} // namespace
