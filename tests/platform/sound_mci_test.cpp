// The MIDI sequencer's string commands as both platforms read them: which files open, one piece
// and one alias at a time, and every other command refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/mmsystem.h"
#include "platform/test/test_platform.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

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
    // A track chunk around these events.
    static std::string Track(const std::string& events) {
        std::uint32_t n = std::uint32_t(events.size());
        return "MTrk" + std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n)} + events;
    }
    inline static const std::string EndOfTrack{"\x00\xFF\x2F\x00", 4};
    inline static const std::string Note =
        std::string("\x00\x90\x3C\x40\x60\x80\x3C\x00", 8) + EndOfTrack;
};

// A file must parse whole before it opens: a player takes almost anything and then plays
// nothing, so opening is the one place a broken piece can be told.
TEST_F(MciTest, OpensOnlyWholeStandardMidiFiles) {
    EXPECT_EQ(Send("open NOSUCH.MID type sequencer alias jazz"), 275u) << "file not found";
    EXPECT_NE(Send("open world.dat type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("open " + Write("fmt3.mid", Header(3, 1)) + " type sequencer alias jazz"), 0u);
    EXPECT_NE(Send("play jazz from 0"), 0u) << "none of those left the alias open";
    EXPECT_EQ(Send("open " + Write("ok.mid", Header(1, 2) + Track(Note) + Track(Note)) +
                   " type sequencer alias jazz"),
              0u);

    auto read = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), {});
    };
    int pieces = 0;
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() == ".MID") {
            EXPECT_TRUE(IsPlayableMidi(read(entry.path()))) << entry.path();
            ++pieces;
        }
    EXPECT_GE(pieces, 5) << "every piece the game ships opens";
    std::vector<std::uint8_t> dreams = read("DREAMS.MID");
    ASSERT_GT(dreams.size(), 100u);
    auto bad = [&](std::vector<std::uint8_t> f, const char* why) {
        EXPECT_FALSE(IsPlayableMidi(f)) << why;
    };
    auto changed = [&](std::size_t at, std::uint8_t value) {
        auto f = dreams;
        f[at] = value;
        return f;
    };
    bad({dreams.begin(), dreams.begin() + long(dreams.size() / 2)}, "cut in half");
    bad({dreams.begin(), dreams.end() - 1}, "one byte short");
    bad(changed(7, 100), "a header length of 100");
    bad(changed(12, 0xE7), "SMPTE timing (-25 frames a second)");
    bad(changed(11, std::uint8_t(dreams[11] + 1)), "a promised track missing");
    auto trailing = dreams;
    trailing.push_back(0);
    bad(trailing, "a stray byte after the last chunk");
    auto str = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    bad(str("MThd"), "a header cut short");
    bad(str(Header(0, 0)), "no track");
    bad(str(Header(0, 1) + Track("\x00\x90\x3C\x40"s)), "a track without its end");
    bad(str(Header(0, 1) + Track("\x00\x3C\x40"s + EndOfTrack)), "running status from nothing");
    bad(str(Header(0, 1) + Track("\x00\xF3\x01"s + EndOfTrack)), "a system message");
    bad(str(Header(0, 1) + Track("\x00\x90\x3C\xC0"s + EndOfTrack)), "a data byte over 127");
    bad(str(Header(0, 1) + Track("\x00\xFF\x01\x7F"s + EndOfTrack)), "a meta event too long");
    bad(str(Header(0, 1) + Track(Note + "\x00\x90"s)), "an event cut off by the chunk");
    bad(str(Header(0, 2) + Track(Note) + Track(Note)), "format 0 with two tracks");
    // Random bytes where the events should be: none of a thousand tries parses.
    std::uint32_t seed = 12345;
    for (int i = 0; i < 1000; ++i) {
        std::string body;
        for (int j = 0; j < 40; ++j) {
            seed = seed * 1103515245u + 12345u;
            body += char(seed >> 16);
        }
        ASSERT_FALSE(IsPlayableMidi(str(Header(0, 1) + Track(body)))) << i;
    }
    // What does parse: running status, meta and system-exclusive events, an unknown chunk.
    EXPECT_TRUE(IsPlayableMidi(str(Header(0, 1) + std::string("XFIH\0\0\0\2ab", 10) +
                                   Track("\x00\xF0\x02\x7E\xF7\x00\x90\x3C\x40\x60\x3C\x00"
                                         "\x00\xFF\x51\x03\x07\xA1\x20\x00\xC0\x05"s +
                                         EndOfTrack))));
}

TEST_F(MciTest, NoSoundOutputMeansNoMusic) {
    TestOptions o;
    o.failure.step = TestFailure::Sound;
    TestPlatformStart(o);
    EXPECT_EQ(Send("open DREAMS.MID type sequencer alias jazz"), 266u);
    EXPECT_NE(Send("play jazz from 0"), 0u);
}

TEST_F(MciTest, OnePieceAtATimeUnderItsAlias) {
    char reply[16] = "leftover";
    ASSERT_EQ(
        mciSendStringA("open DREAMS.MID type sequencer alias jazz", reply, sizeof reply, nullptr),
        0u);
    EXPECT_EQ(reply[0], '\0') << "an empty reply";
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

} // namespace
