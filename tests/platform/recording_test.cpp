// Recorded games: a whole game recorded on the test platform plays again from its recording
// alone, a recording changed in one answer is caught, and what is not a whole recording of this
// format is refused.
#include <gtest/gtest.h>
#include <malloc.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/resource.h>
#include <sys/stat.h>

#include "game_fixture.h"
#include "platform/api/input.h"
#include "platform/recording/recorder.h"
#include "platform/api/recording.h"
#include "platform/recording/recording_format.h"
#include "shell/game_state.h"

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
                               "\"PlayerLives\":\x1B]0;x\x07");
    why = PlayBack(other);
    EXPECT_NE(why.find("state at the end differs"), std::string::npos);
    EXPECT_NE(why.find("\\x1B]0;x\\x07"), std::string::npos) << "shown escaped: " << why;

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

// So does one the platform ended at a close the story page left unread, with status 0.
TEST_F(RecordingTest, AGameEndedByASignalEndsThereAgain) {
    for (auto [script, status, why] : {std::tuple{"2 signal TERM\n", 128 + SIGTERM, "signal TERM"},
                                       std::tuple{"2 close\n", 0, "closed"}}) {
        TestOptions o;
        std::string error, stopped;
        ASSERT_TRUE(ParseScript(script, o.script, error)) << error;
        ASSERT_TRUE(StartRecording("end.rec", "test", error)) << error;
        ASSERT_EQ(Play(o, nullptr, stopped), status) << stopped;
        EXPECT_FALSE(Recording()) << "ended with the " << why;
        std::ifstream in("end.rec", std::ios::binary);
        std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        RecordedGame game;
        ASSERT_TRUE(ReadRecording(bytes.data(), bytes.size(), game, error)) << error;
        EXPECT_EQ(game.ending.signal, status ? SIGTERM : 0);
        EXPECT_EQ(game.ending.status, status);
        int played = -1;
        EXPECT_EQ(PlayBack(game, &played), std::string(why) + ": ");
        EXPECT_EQ(played, status);
        // Only where the recorded game was when the signal came.
        game.events.push_back(RecordedEvent{});
        EXPECT_EQ(PlayBack(game).rfind("not as recorded: ", 0), 0u);
    }
}

TEST_F(RecordingTest, AFullDiskLeavesTheWholeChunksPlayable) {
    // Writes past half the game's file fail, as on a full disk.
    rlimit was{}, half{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    half = {file.size() / 2, was.rlim_max};
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &half), 0);
    TestOptions o;
    o.dialog.button = "800x600";
    o.seed = 7;
    std::string error, stopped;
    ResetGameGlobals(); // and the clock at 0, so chunks are cut where the game's were
    TestPlatformStart({});
    EXPECT_TRUE(ParseScript(Played, o.script, error) && StartRecording("full.rec", "test", error));
    EXPECT_EQ(FinishRecording(Play(o, nullptr, stopped)), 0) << stopped;
    setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, handler);
    std::ifstream in("full.rec", std::ios::binary);
    std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    RecordedGame game;
    ASSERT_TRUE(ReadRecording(bytes.data(), bytes.size(), game, error)) << error;
    EXPECT_EQ(game.cutAt, -1) << "cut back to its last whole chunk";
    EXPECT_EQ(PlayBack(game).rfind("recording ran out: ", 0), 0u);
}

TEST_F(RecordingTest, ARecordingThatCannotBeMadeIsRefusedAtTheStart) {
    // Nothing is changed that is not a recording, or that the game reads (the current folder's
    // files, by any name or case), and a named pipe does not hold the start.
    namespace fs = std::filesystem;
    fs::remove("world.dat");
    fs::copy_file(fs::path(SKIRMO_DATA_DIR) / "world.dat", "world.dat");
    fs::create_directory("away");
    fs::create_symlink(fs::absolute("world.dat"), "away/map");
    std::ofstream("notes.txt") << "not a game";
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    for (const char* path : {"no-such-folder/game.rec", "/dev/full", "world.dat", "away/map",
                             "tile5.BMP", "notes.txt", "pipe"}) {
        std::string error;
        EXPECT_FALSE(StartRecording(path, "test", error)) << path;
        EXPECT_FALSE(error.empty()) << path;
        EXPECT_FALSE(Recording()) << path;
    }
    EXPECT_EQ(fs::file_size("world.dat"), fs::file_size(fs::path(SKIRMO_DATA_DIR) / "world.dat"));
    EXPECT_EQ(fs::file_size("notes.txt"), 10u);
    EXPECT_FALSE(fs::exists("tile5.BMP"));
    // One game, one recording: a second one asked for meanwhile is refused, the first goes on.
    std::string error = "what an earlier call said"; // written only on a failure
    std::ofstream("away/first.rec") << "Velmora recording\n";
    ASSERT_TRUE(StartRecording("away/first.rec", "test", error)) << "a recording: " << error;
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
    // A chunk of one-byte events, each 88 bytes in memory: 4 MiB that would take 352 MiB.
    std::vector<std::uint8_t> raw = {0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x80, 0x80, 0x02};
    raw.resize(raw.size() + (4 << 20), std::uint8_t(RecordedKind::WindowMade));
    raw.push_back(0); // no checks
    std::vector<std::uint8_t> bomb = RecordingHeader(1'000'000, "test"), chunk = PackChunk(raw);
    bomb.insert(bomb.end(), chunk.begin(), chunk.end());
    EXPECT_FALSE(read(bomb));
    EXPECT_NE(error.find("its events stream: more than 256 MiB to hold"), std::string::npos)
        << error;
    // Cut anywhere after its header: read without its ending, as far as its last whole chunk
    // (where the chunks' own sizes put them), and played only as far as it goes.
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
        auto chunk = std::upper_bound(boundaries.begin(), boundaries.end(), size);
        const bool accepted = read({file.begin(), file.begin() + std::ptrdiff_t(size)});
        EXPECT_EQ(accepted, size >= boundaries[0]) << "cut at " << size << ": " << error;
        if (!accepted) continue;
        EXPECT_FALSE(game.ended);
        EXPECT_EQ(game.cutAt, chunk[-1] == size ? -1 : std::int64_t(chunk[-1])) << size;
    }
    ASSERT_TRUE(read({file.begin(), file.begin() + std::ptrdiff_t(boundaries.back()) + 20}));
    EXPECT_EQ(PlayBack(game).rfind("recording ran out: ", 0), 0u);
    // A whole last chunk that claims more than the file holds lies: its stream ends before.
    std::vector<std::uint8_t> liar = file;
    ++liar[boundaries.back()];
    EXPECT_FALSE(read(liar));
    EXPECT_NE(error.find("runs past the file's end"), std::string::npos) << error;
}

} // namespace
