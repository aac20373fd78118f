// Recorded games: a whole game recorded on the test platform plays again from its recording
// alone, a recording changed in one answer is caught, and what is not a whole recording of this
// format is refused.
#include <gtest/gtest.h>
#include <malloc.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game_fixture.h"
#include "platform/input.h"
#include "platform/recorder.h"
#include "platform/recording.h"
#include "platform/recording_format.h"
#include "replay_json.h"

namespace {

// Away during the dialog, so the game starts paused; back while the box of the missing title
// music is up; P to play, a turn with the gun, away and back, the quit prompt answered Y, and the
// closing pages.
constexpr const char* Played = R"(
0 focus lost
0.2 focus gained
0.6 SPACE down
0.8 SPACE up
1.5 SPACE down
1.7 SPACE up
9 P down
9.1 P up
9.2 LEFT down
9.2 SPACE down
10 LEFT up
10.5 SPACE up
10.6 focus lost
11 focus gained
11.2 P down
11.3 P up
12 ESC down
12.1 ESC up
16 Y down
16.2 Y up
17 SPACE down
17.2 SPACE up
19 SPACE down
19.2 SPACE up
)";

class RecordingTest : public ScratchFolderTest {
  protected:
    static inline RecordedGame recorded;
    static inline std::vector<std::uint8_t> file;
    static inline std::vector<TestEvent> log, played;

    void SetUp() override {
        ScratchFolderTest::SetUp();
        for (const auto& f : std::filesystem::directory_iterator(SKIRMO_DATA_DIR))
            if (f.path().filename() != "CAIRO.MID")
                std::filesystem::create_symlink(f.path(), dir / f.path().filename());
        DescribeGameStateWith([] { return GameStateJson(0, 0); });
        if (file.empty()) Record();
    }

    // The whole program once; what the run stopped for ("" when the program ended by itself).
    static int Play(const TestOptions& o, const RecordedGame* demo, std::string& stopped) {
        ResetGameGlobals();
        TestPlatformStart(o);
        if (demo) {
            // The demo takes the game it is given: a recording is never held twice.
            RecordedGame game = *demo;
            const std::size_t held = mallinfo2().uordblks;
            TestPlayDemo(std::move(game));
            EXPECT_LE(mallinfo2().uordblks, held);
        }
        stopped.clear();
        try {
            return WinMain(nullptr, nullptr, nullptr, 0);
        } catch (const TestStop& stop) {
            stopped = stop.why + ": " + stop.detail;
            return stop.status;
        }
    }

    // Made once for the whole suite: the game as played above, 800x600, seed 7.
    void Record() {
        TestOptions o;
        o.dialog.button = "800x600";
        o.seed = 7;
        std::string error, stopped;
        ASSERT_TRUE(ParseScript(Played, o.script, error)) << error;
        ASSERT_TRUE(StartRecording("game.rec", "test", error)) << error;
        ASSERT_EQ(FinishRecording(Play(o, nullptr, stopped)), 0) << stopped;
        log = TestEvents();
        std::ifstream in("game.rec", std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_TRUE(ReadRecording(file.data(), file.size(), recorded, error)) << error;
    }

    // Plays a recording with options that would make another game, so only its answers count.
    static std::string PlayBack(const RecordedGame& game, int* status = nullptr) {
        std::string stopped;
        int s = Play({}, &game, stopped);
        if (status) *status = s;
        if (std::string differs = TestDemoEnded(s); stopped.empty() && !differs.empty())
            stopped = "not as recorded: " + differs;
        played = TestEvents();
        // What the run left goes without its clean-up, which would ask the recording for more.
        ResetGameGlobals();
        TestPlatformStart({});
        return stopped;
    }

    static std::vector<std::string> Described(const std::vector<TestEvent>& events) {
        std::vector<std::string> out;
        for (const TestEvent& e : events)
            out.push_back(e.kind + "|" + e.caption + "|" + e.text + "|" + e.command + "|" +
                          e.result + "|" + e.op + "|" + e.file + "|" + std::to_string(e.frequency) +
                          "|" + std::to_string(e.volume) + "|" + std::to_string(e.code));
        return out;
    }
};

TEST_F(RecordingTest, AGamePlaysAgainFromItsRecordingAlone) {
    // Every kind of answer is in it.
    auto count = [&](RecordedKind kind) {
        return std::count_if(recorded.events.begin(), recorded.events.end(),
                             [&](const RecordedEvent& e) { return e.kind == kind; });
    };
    for (RecordedKind kind :
         {RecordedKind::WindowMade, RecordedKind::Calendar, RecordedKind::Frequency,
          RecordedKind::DialogCommand, RecordedKind::BoxShown, RecordedKind::BoxAnswered,
          RecordedKind::SoundOutput, RecordedKind::Music, RecordedKind::DisplayMode})
        EXPECT_GE(count(kind), 1) << int(kind);
    EXPECT_EQ(count(RecordedKind::Activation), 2) << "in the dialog and in the box";
    EXPECT_NE(recorded.ending.state.find("\"screenWidth\":800"), std::string::npos);

    int status = -1;
    EXPECT_EQ(PlayBack(recorded, &status), "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Described(played), Described(log)) << "the same boxes, music and sounds";
    // At the same times, also where the game reads no clock: the music starts again when the
    // player comes back.
    for (std::size_t i = 0; i < log.size() && i < played.size(); ++i)
        if (log[i].kind != "quit") {
            EXPECT_NEAR(played[i].timeNs, log[i].timeNs, 1'000'000)
                << log[i].kind << log[i].command;
        }
    // The same again through the file written anew in one chunk.
    RecordedGame again;
    std::string error;
    std::vector<std::uint8_t> whole = WriteRecording(recorded);
    ASSERT_TRUE(ReadRecording(whole.data(), whole.size(), again, error)) << error;
    EXPECT_EQ(PlayBack(again), "");
}

// Moves reading number index (from 0) by counts, leaving every other reading where it was.
void MoveReading(std::vector<ClockRun>& clock, std::int64_t index, std::int64_t counts) {
    std::size_t i = 0;
    for (; index >= clock[i].count; ++i)
        index -= clock[i].count;
    const ClockRun run = clock[i];
    std::vector<ClockRun> parts = {{run.delta, index}, {run.delta + counts, 1}};
    if (index + 1 < run.count) {
        parts.push_back({run.delta - counts, 1});
        parts.push_back({run.delta, run.count - index - 2});
    } else {
        const ClockRun next = clock[i + 1];
        clock.erase(clock.begin() + std::ptrdiff_t(i) + 1);
        parts.push_back({next.delta - counts, 1});
        parts.push_back({next.delta, next.count - 1});
    }
    std::erase_if(parts, [](const ClockRun& r) { return r.count == 0; });
    clock.erase(clock.begin() + std::ptrdiff_t(i));
    clock.insert(clock.begin() + std::ptrdiff_t(i), parts.begin(), parts.end());
}

TEST_F(RecordingTest, OneAnswerChangedIsCaughtWhereItShows) {
    // The first reading in flight, a microsecond late.
    std::int64_t index = 0, reading = 0;
    for (const ClockRun& run : recorded.clock) {
        if (reading + run.delta * run.count >= 9'500'000'000) {
            index += (9'500'000'000 - reading + run.delta - 1) / run.delta;
            break;
        }
        reading += run.delta * run.count;
        index += run.count;
    }
    RecordedGame late = recorded;
    MoveReading(late.clock, index, 1000);
    std::string why = PlayBack(late);
    EXPECT_EQ(why.rfind("not as recorded: ", 0), 0u) << why;
    EXPECT_NE(why.find("state at the end of a frame"), std::string::npos) << why;

    // Space let go one poll later.
    RecordedGame held = recorded;
    for (KeyChange& k : held.keys)
        if (k.key == VK_SPACE && !k.held && k.poll > 1000) {
            ++k.poll;
            break;
        }
    why = PlayBack(held);
    EXPECT_EQ(why.rfind("not as recorded: ", 0), 0u) << why;

    // Another ending: another exit status, another state at the end.
    RecordedGame other = recorded;
    other.ending.status = 4;
    EXPECT_NE(PlayBack(other).find("ended with status 0, the recorded one with 4"),
              std::string::npos);
    other = recorded;
    other.ending.state.replace(other.ending.state.find("\"PlayerLives\":3"), 15,
                               "\"PlayerLives\":2");
    EXPECT_NE(PlayBack(other).find("state at the end differs"), std::string::npos);

    // The player's answer in the dialog, Abort instead of 800x600.
    RecordedGame aborted = recorded;
    for (RecordedEvent& e : aborted.events)
        if (e.kind == RecordedKind::DialogCommand) e.value = IDCANCEL;
    why = PlayBack(aborted);
    EXPECT_EQ(why.rfind("not as recorded: ", 0), 0u) << why;

    // The display's mode refused, written and read again: the game meets the refusal.
    RecordedGame refused = recorded;
    for (RecordedEvent& e : refused.events)
        if (e.kind == RecordedKind::DisplayMode) e.flag = false;
    std::vector<std::uint8_t> bytes = WriteRecording(refused);
    RecordedGame reread;
    std::string error;
    ASSERT_TRUE(ReadRecording(bytes.data(), bytes.size(), reread, error)) << error;
    why = PlayBack(reread);
    EXPECT_EQ(why.rfind("not as recorded: ", 0), 0u) << why;

    // A recording never finished, cut in the middle: the game asks for more than it holds.
    RecordedGame unfinished = recorded;
    unfinished.ended = false;
    unfinished.events.resize(unfinished.events.size() / 2);
    int status = 0;
    why = PlayBack(unfinished, &status);
    EXPECT_EQ(why.rfind("recording ran out: ", 0), 0u) << why;
    EXPECT_EQ(status, 3);

    // Time that never moves, however the file says it: a reading repeated for ever, or the quit
    // prompt polled for ever. Nothing in either lets virtual time pass.
    RecordedGame still = recorded;
    constexpr std::int64_t Forever = std::int64_t(1) << 60;
    still.clock.insert(still.clock.begin() + 1, ClockRun{0, Forever});
    still.totals.clockReadings += Forever;
    RecordedGame asked = recorded;
    auto y = std::find_if(asked.keys.begin(), asked.keys.end(),
                          [](const KeyChange& k) { return k.key == 'Y'; });
    ASSERT_NE(y, asked.keys.end());
    for (auto k = y; k != asked.keys.end(); ++k)
        k->poll += Forever;
    asked.totals.keyPolls += Forever;
    for (const RecordedGame* game : {&still, &asked}) {
        why = PlayBack(*game, &status);
        EXPECT_EQ(why.rfind("recording stands still: ", 0), 0u) << why;
        EXPECT_EQ(status, 3);
    }

    // Other pictures for the landscape: the same game, another picture.
    for (int i = 2; i <= 20; ++i) {
        std::string tile = "TILE" + std::to_string(i) + ".bmp";
        std::filesystem::remove(tile);
        std::filesystem::create_symlink(std::filesystem::path(SKIRMO_DATA_DIR) / "TILE1.bmp", tile);
    }
    why = PlayBack(recorded);
    EXPECT_NE(why.find("the picture of a frame is not"), std::string::npos) << why;
}

TEST_F(RecordingTest, AGameEndedByASignalEndsThereAgain) {
    TestOptions o;
    std::string error, stopped;
    ASSERT_TRUE(ParseScript("2 signal TERM\n", o.script, error)) << error;
    ASSERT_TRUE(StartRecording("term.rec", "test", error)) << error;
    ASSERT_EQ(Play(o, nullptr, stopped), 128 + SIGTERM) << stopped;
    EXPECT_FALSE(Recording()) << "ended with the signal";
    std::ifstream in("term.rec", std::ios::binary);
    std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    RecordedGame game;
    ASSERT_TRUE(ReadRecording(bytes.data(), bytes.size(), game, error)) << error;
    EXPECT_EQ(game.ending.signal, SIGTERM);
    int status = 0;
    EXPECT_EQ(PlayBack(game, &status), "signal TERM: ");
    EXPECT_EQ(status, 128 + SIGTERM);
    // Only where the recorded game was when the signal came.
    game.events.push_back(RecordedEvent{});
    EXPECT_EQ(PlayBack(game).rfind("not as recorded: ", 0), 0u);
}

TEST_F(RecordingTest, ARecordingThatCannotBeMadeIsRefusedAtTheStart) {
    for (const char* path : {"no-such-folder/game.rec", "/dev/full"}) {
        std::string error;
        EXPECT_FALSE(StartRecording(path, "test", error)) << path;
        EXPECT_FALSE(error.empty()) << path;
        EXPECT_FALSE(Recording()) << path;
    }
    // One game, one recording: a second one asked for meanwhile is refused, the first goes on.
    std::string error;
    ASSERT_TRUE(StartRecording("first.rec", "test", error)) << error;
    EXPECT_FALSE(StartRecording("second.rec", "test", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(Recording());
    FinishRecording(0);
    EXPECT_FALSE(std::filesystem::exists("second.rec"));
}

TEST_F(RecordingTest, WhatIsNotAWholeRecordingOfThisFormatIsRefused) {
    RecordedGame game;
    std::string error;
    auto read = [&](const std::vector<std::uint8_t>& bytes) {
        error.clear();
        return ReadRecording(bytes.data(), bytes.size(), game, error);
    };
    std::vector<std::uint8_t> other = file;
    other[18] = 2;
    EXPECT_FALSE(read(other));
    EXPECT_NE(error.find("format version 2"), std::string::npos) << error;
    EXPECT_FALSE(read({'#', '!'}));
    EXPECT_NE(error.find("not a recorded game"), std::string::npos) << error;

    // A byte changed anywhere in a chunk.
    for (std::size_t at = 60; at < file.size(); at += 997) {
        std::vector<std::uint8_t> bad = file;
        bad[at] ^= 0x10;
        EXPECT_FALSE(read(bad)) << "changed at " << at;
    }
    // Cut anywhere: refused, unless between two chunks (where the chunks' own sizes put them),
    // where it is read without its ending and plays only as far as it goes.
    std::vector<std::size_t> boundaries;
    for (std::size_t at = 30 + (file[28] | file[29] << 8); at < file.size();) {
        boundaries.push_back(at);
        at += 8 +
              (file[at] | file[at + 1] << 8 | file[at + 2] << 16 | std::size_t(file[at + 3]) << 24);
    }
    ASSERT_GT(boundaries.size(), 3u);
    std::vector<std::size_t> cuts = boundaries;
    for (std::size_t size = 0; size < file.size(); size += size < 64 ? 1 : 61)
        cuts.push_back(size);
    for (std::size_t size : cuts) {
        bool between = std::find(boundaries.begin(), boundaries.end(), size) != boundaries.end();
        EXPECT_EQ(read({file.begin(), file.begin() + std::ptrdiff_t(size)}), between)
            << "cut at " << size << ": " << error;
        EXPECT_TRUE(!between || !game.ended);
    }
    ASSERT_TRUE(read({file.begin(), file.begin() + std::ptrdiff_t(boundaries.back())}));
    EXPECT_EQ(PlayBack(game).rfind("recording ran out: ", 0), 0u);
}

} // namespace
