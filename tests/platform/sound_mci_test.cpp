// The MIDI sequencer's open as both platforms read it: which files open, and none without a sound
// output (the golden logs hold every command of whole games with its result).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "platform/emulation/backend.h"
#include "platform/api/mmsystem.h"
#include "platform/test/test_platform.h"
#include "support/midi_files.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// Commands name files relative to where the game runs, as the game's do: the game's data, and
// files of the test's own, in a folder of its own.
class MciTest : public ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        for (const auto& f : fs::directory_iterator(SKIRMO_DATA_DIR))
            fs::create_symlink(f.path(), dir / f.path().filename());
    }

    static DWORD Send(const std::string& command) {
        return mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    }

    static std::string Write(const char* name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return name;
    }
};

// Opening reads the file whole: a missing one is not found, and one the synthesizer would not
// play, or one bigger than any piece of music, is a bad file. Which files the synthesizer plays
// is held to the synthesizer itself in the sound thread tests.
TEST_F(MciTest, OpensWhatTheSynthesizerWouldPlay) {
    using namespace midi;
    EXPECT_EQ(Send("open NOSUCH.MID type sequencer alias jazz"), 275u) << "file not found";
    EXPECT_EQ(Send("open world.dat type sequencer alias jazz"), 296u);
    EXPECT_EQ(Send("open " + Write("fmt3.mid", Header(3, 1) + Track(Note)) +
                   " type sequencer alias jazz"),
              296u);
    std::string notes = "\x00\x90\x3C\x40"s;
    while (notes.size() <= std::size_t(1) << 20)
        notes += "\x00\x3C\x40"s;
    std::string big = Header(0, 1) + Track(notes + EndOfTrack);
    ASSERT_TRUE(IsPlayableMidi(Bytes(big)));
    EXPECT_EQ(Send("open " + Write("big.mid", big) + " type sequencer alias jazz"), 296u)
        << "a piece of over 1 MiB";
    EXPECT_NE(Send("play jazz from 0"), 0u) << "none of those left the alias open";
    EXPECT_EQ(Send("open " + Write("ok.mid", Header(1, 2) + Track(Note) + Track(Note)) +
                   " type sequencer alias jazz"),
              0u);
    int pieces = 0;
    for (const auto& entry : fs::directory_iterator("."))
        if (entry.path().extension() == ".MID") {
            std::ifstream in(entry.path(), std::ios::binary);
            EXPECT_TRUE(IsPlayableMidi({std::istreambuf_iterator<char>(in), {}})) << entry.path();
            ++pieces;
        }
    EXPECT_GE(pieces, 5) << "every piece the game ships opens";
}

TEST_F(MciTest, NoSoundOutputMeansNoMusic) {
    TestOptions o;
    o.failure.step = TestFailure::Sound;
    TestPlatformStart(o);
    EXPECT_EQ(Send("open DREAMS.MID type sequencer alias jazz"), 266u);
    EXPECT_NE(Send("play jazz from 0"), 0u);
}

} // namespace
