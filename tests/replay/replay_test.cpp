// The replay runner end to end: the real start-up on the test platform, driven from its command
// line, with its pictures, states and log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

#include "core/program.h"
#include "game_fixture.h"

namespace fs = std::filesystem;

namespace {

// Each test runs in a scratch folder of its own (the runner's relative paths land there).
class ReplayTest : public ScratchFolderTest {
  protected:
    std::string Path(const std::string& name) { return (dir / name).string(); }

    // Runs skirmo-replay with these arguments, and what a shell command writes on its standard
    // input if one is given; returns its exit status.
    int Replay(const std::string& args, const std::string& feed = "") {
        std::string command = (feed.empty() ? "" : feed + " | ") + SKIRMO_REPLAY + " --data " +
                              SKIRMO_DATA_DIR + " " + args + " 2>" + Path("stderr.txt");
        int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string Read(const std::string& name) {
        std::ifstream in(Path(name), std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    // A data folder holding every file but one, made here.
    std::string DataWithout(const std::string& missing, const fs::path& data) {
        fs::create_directories(data);
        for (const auto& file : fs::directory_iterator(SKIRMO_DATA_DIR))
            if (file.path().filename() != missing)
                fs::create_symlink(file.path(), data / file.path().filename());
        return data.string();
    }

    // Space held at the start skips the story and keys pages; then the first level's title fades
    // in and out, and the frame steps begin at about 4.1 s.
    static constexpr const char* SkipPages = "0 SPACE down\n0.2 SPACE up\n";

    // The number after "name": in a JSON object.
    double Field(const std::string& json, const std::string& name) {
        auto at = json.find("\"" + name + "\":");
        if (at == std::string::npos) return -12345;
        return std::strtod(json.c_str() + at + name.size() + 3, nullptr);
    }
};

// P pauses at 5.5 s and resumes at 6.5 s: the step that sees P waits for its release, resumes,
// and is the first frame back. Switching away at 7.5 s pauses again, and coming back stays paused.
// The second run plays the same with a pad's A and Start, and F11 and F12 pressed on the pages,
// in flight and paused: the desktop's keys are nothing to the game, and the pad is the keys.
TEST_F(ReplayTest, PauseAndSwitchingAwayAndTwoRunsWriteTheSameBytes) {
    Write("keys1.txt", std::string(SkipPages) +
                           "5.5 P down\n5.6 P up\n6.5 P down\n6.6 P up\n7.0 I down\n7.1 I up\n"
                           "7.5 focus lost\n8.0 focus gained\n");
    Write("keys2.txt", "0 PAD_A down\n0.2 PAD_A up\n5.5 PAD_START down\n5.6 PAD_START up\n"
                       "6.5 PAD_START down\n6.6 PAD_START up\n7.0 I down\n7.1 I up\n"
                       "7.5 focus lost\n8.0 focus gained\n0.1 F11 down\n0.15 F11 up\n"
                       "2 F12 down\n2.1 F12 up\n5.2 F11 down\n5.3 F11 up\n5.8 F12 down\n"
                       "5.9 F12 up\n6.0 F11 down\n6.1 F11 up\n");
    for (std::string r : {"1", "2"})
        ASSERT_EQ(Replay("--seed 7 --script " + Path("keys" + r + ".txt") +
                         " --until 9 --shot-at 7.3:" + Path("shot" + r + ".bmp") +
                         " --state-at 6:" + Path("p" + r + ".json") + " --state-at 6.5:" +
                         Path("r" + r + ".json") + " --state-at 8.5:" + Path("a" + r + ".json") +
                         " --log " + Path("log" + r + ".jsonl")),
                  0);
    std::string paused = Read("p1.json"), resumed = Read("r1.json"), away = Read("a1.json");
    EXPECT_EQ(Field(paused, "Paused"), 1);
    EXPECT_LT(Field(paused, "GameClock"), 5.7) << "the clock must stand still while paused";
    EXPECT_EQ(Field(resumed, "Paused"), 0);
    EXPECT_FLOAT_EQ(Field(resumed, "FrameDelta"), 0.1f);
    EXPECT_FLOAT_EQ(Field(resumed, "FrameRate"), 10.0f);
    EXPECT_EQ(Field(away, "AppActive"), 1);
    EXPECT_EQ(Field(away, "Paused"), 1);
    EXPECT_FALSE(Read("shot1.bmp").empty());
    for (std::string name : {"shot#.bmp", "p#.json", "r#.json", "a#.json", "log#.jsonl"}) {
        std::string one = name, two = name;
        one.replace(name.find('#'), 1, "1"), two.replace(name.find('#'), 1, "2");
        EXPECT_EQ(Read(one), Read(two)) << name;
    }
}

// The game's own message box is part of the game, not another program: with the title's piece
// or level 1's missing, the game says so and goes on in front, neither paused nor away.
TEST_F(ReplayTest, AMessageBoxIsNoSwitchingAway) {
    Write("keys.txt", "0 SPACE down\n2 SPACE up\n");
    for (const char* piece : {"CAIRO.MID", "DREAMS.MID"}) {
        ASSERT_EQ(Replay("--data " + DataWithout(piece, dir / "without" / piece) + " --script " +
                         Path("keys.txt") + " --until 8 --state-at 7:" + Path("s.json") +
                         " --log " + Path("log.jsonl")),
                  0)
            << Read("stderr.txt");
        EXPECT_NE(Read("log.jsonl").find("MCI music load error"), std::string::npos) << piece;
        std::string state = Read("s.json");
        EXPECT_EQ(Field(state, "Paused"), 0) << piece;
        EXPECT_EQ(Field(state, "AppActive"), 1) << piece;
    }
}

// SIGTERM, SIGINT or SIGHUP ends the program at once wherever it waits, with status 128 + the
// signal: in the dialog, on a page, in a title's fade, in flight, paused, away, in a wipe, at the
// quit prompt and in a message box. The window's close is the game's own where it reads its
// messages (the dialog's Abort, flight, paused, away); where it waits without reading them, the
// platform ends it a moment later, with status 0.
TEST_F(ReplayTest, ASignalEndsTheProgramWhereverItWaits) {
    const std::string quit = std::string(SkipPages) + "6 ESC down\n6.1 ESC up\n";
    const struct {
        const char* where;
        std::string script, options;
        double at;
        bool reading;
    } cases[] = {
        {"dialog", "", "", 0, true},
        {"story page", "", "", 1, false},
        {"title", SkipPages, "", 2, false},
        {"flight", SkipPages, "", 5, true},
        {"paused", std::string(SkipPages) + "5 P down\n5.1 P up\n", "", 6, true},
        {"away", std::string(SkipPages) + "5 focus lost\n", "", 6, true},
        {"wipe", quit, "", 7, false},
        {"quit prompt", quit + "12.5 N down\n12.6 N up\n", "", 12, false},
        {"message box", "", "--fail sound ", 0.2, false},
    };
    const char* signals[] = {"INT", "TERM", "HUP"};
    int turn = 0;
    for (const auto& c : cases)
        for (std::string signal : {signals[turn++ % 3], "close"}) {
            const bool close = signal == "close";
            if (close && c.where == std::string("message box")) continue;
            Write("keys.txt", c.script + std::to_string(c.at) +
                                  (close ? " close\n" : " signal " + signal + "\n"));
            EXPECT_EQ(Replay(c.options + "--script " + Path("keys.txt") + " --until 20 --log " +
                             Path("log.jsonl")),
                      close              ? 0
                      : signal == "INT"  ? 130
                      : signal == "TERM" ? 143
                                         : 129)
                << c.where << " " << signal << ": " << Read("stderr.txt");
            std::string log = Read("log.jsonl");
            std::size_t last = log.rfind("{\"t\":");
            ASSERT_NE(last, std::string::npos) << c.where;
            EXPECT_NEAR(Field(log.substr(last), "t"), c.at + (close && !c.reading ? 0.2 : 0), 0.02)
                << c.where << " " << signal << ": not at once";
            const std::string why = !close      ? "signal " + signal
                                    : c.reading ? "program ended"
                                                : "closed";
            EXPECT_NE(log.find("\"why\":\"" + why + "\"", last), std::string::npos)
                << c.where << "\n"
                << log;
        }
}

// A failing step's message box reaches the log and the program ends with that failure's own
// status, after the window's clean-up where there is one; a window that cannot be made ends
// start-up without a message, and a clock that fails stops it at its message.
TEST_F(ReplayTest, AFailingStartUpStepIsReportedWithItsMessageAndStatus) {
    const struct {
        const char* step;
        const char* box;
        int status;
        bool cleanUp;
    } cases[] = {
        {"display-mode", "\"event\":\"message_box\",\"caption\":\"DD Initialization error\"", 5,
         true},
        {"clock",
         "\"caption\":\"Timer installation error!\",\"text\":\"Please notify "
         "help@velmora.example that Quib the dawdler did a poor job trying to install his timer!\"",
         6, false},
        {"clock-reading", "\"caption\":\"Timer installation error!\"", 6, false},
        {"surface:1", "\"caption\":\"DD Initialization error\"", 5, true},
        {"sound", "\"caption\":\"Sound initialization error\"", 4, true},
        {"window", nullptr, 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            Replay(std::string("--fail ") + c.step + " --until 20 --log " + Path("log.jsonl")),
            c.status)
            << c.step;
        std::string log = Read("log.jsonl");
        if (c.box)
            EXPECT_NE(log.find(c.box), std::string::npos) << log;
        else
            EXPECT_EQ(log.find("message_box"), std::string::npos) << log;
        EXPECT_EQ(log.find("\"event\":\"quit\"") != std::string::npos, c.cleanUp) << c.step;
        EXPECT_NE(log.find("\"why\":\"program ended\""), std::string::npos) << log;
    }
}

TEST_F(ReplayTest, AbortEndsBeforeAnyDisplayExists) {
    EXPECT_EQ(Replay("--abort"), 0) << "the player's own way out";
    // A run that ends inside the dialog frees what the dialog holds (the sanitizer build's leak
    // check fails this run otherwise).
    EXPECT_EQ(Replay("--until 0"), 0);
    // The program is over long before the picture's time: a picture asked for and never made
    // is an error of the run.
    ASSERT_EQ(Replay("--abort --until 5 --shot-at 1:" + Path("after.bmp") + " --log " +
                     Path("log.jsonl")),
              3);
    std::string log = Read("log.jsonl");
    EXPECT_NE(log.find("\"why\":\"program ended\""), std::string::npos) << log;
    EXPECT_EQ(log.find("message_box"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("after.bmp")));
    EXPECT_NE(Read("stderr.txt").find("no picture in " + Path("after.bmp")), std::string::npos);
}

TEST_F(ReplayTest, WhatCannotBeWrittenOrNeverCameIsAnErrorNamingTheFile) {
    std::string nowhere = Path("missing/folder/");
    EXPECT_EQ(Replay("--until 1 --log " + nowhere + "log.jsonl"), 3);
    EXPECT_NE(Read("stderr.txt").find("cannot write " + nowhere + "log.jsonl"), std::string::npos);
    Write("keys.txt", SkipPages);
    EXPECT_EQ(
        Replay("--script " + Path("keys.txt") + " --until 6 --state-at 5.5:" + nowhere + "s.json"),
        3);
    EXPECT_NE(Read("stderr.txt").find("cannot write " + nowhere + "s.json"), std::string::npos);
    EXPECT_EQ(Replay("--until 1 --shot-at 0.5:" + nowhere + "p.bmp"), 3);
    EXPECT_NE(Read("stderr.txt").find(nowhere + "p.bmp"), std::string::npos);
    // No frame step begins at or after 2 s in a run that ends at 1 s.
    EXPECT_EQ(Replay("--until 1 --state-at 2:" + Path("late.json")), 3);
    EXPECT_NE(Read("stderr.txt").find("no state for " + Path("late.json")), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("late.json")));
}

TEST_F(ReplayTest, AStepBegunBeforeTheEndIsFinishedForItsState) {
    // First where the step that the state waits for ends, in a run that goes on past it.
    Write("keys.txt", SkipPages);
    ASSERT_EQ(
        Replay("--script " + Path("keys.txt") + " --until 8 --state-at 5.9:" + Path("whole.json")),
        0);
    double end = Field(Read("whole.json"), "time");
    ASSERT_GT(end, 5.9);
    // Then a run told to stop a millisecond before that step ends: the step began before the
    // stop, so it is finished, and its state is the same to the byte.
    char until[32];
    std::snprintf(until, sizeof until, "%.6f", end - 0.001);
    ASSERT_EQ(Replay("--script " + Path("keys.txt") + " --until " + until +
                     " --state-at 5.9:" + Path("cut.json") + " --log " + Path("log.jsonl")),
              0)
        << Read("stderr.txt");
    EXPECT_EQ(Read("cut.json"), Read("whole.json"));
    EXPECT_NE(Read("log.jsonl").find("\"why\":\"until\""), std::string::npos);
}

// Started elsewhere with the data in the player's data folder, paths are taken from where the
// command ran, and a file missing there is named with every folder looked in; a broken one is
// named as it is spelled, not as the game asked for it.
TEST_F(ReplayTest, AFileMissingFromTheDataFoundIsNamedWithEveryFolderLookedIn) {
    DataWithout("TILE5.bmp", dir / "xdg/velmora");
    fs::remove(dir / "xdg/velmora/TILE6.bmp");
    Write("xdg/velmora/tile6.BMP", "BM, but no picture");
    Write("keys.txt", SkipPages);
    const std::string elsewhere = "cd " + dir.string() + " && XDG_DATA_HOME=" + Path("xdg") +
                                  " XDG_DATA_DIRS=/nowhere " + SKIRMO_REPLAY +
                                  " --script keys.txt --until 6 2>stderr.txt";
    std::system(elsewhere.c_str());
    const std::string home = fs::canonical(dir).string();
    EXPECT_NE(Read("stderr.txt")
                  .find("cannot open TILE5.bmp in " + home +
                        "/xdg/velmora (no such file); looked for the game's files in: " + home +
                        ", " + fs::path(SKIRMO_REPLAY).parent_path().string() + ", " + home +
                        "/xdg/velmora\n"),
              std::string::npos)
        << Read("stderr.txt");
    EXPECT_NE(Read("stderr.txt")
                  .find(": cannot use tile6.BMP in " + home +
                        "/xdg/velmora (not a picture the game can read)\n"),
              std::string::npos);
}

TEST_F(ReplayTest, BadArgumentsAndScriptsAreRefusedClearly) {
    EXPECT_EQ(Replay("--mode 1024x768"), 2);
    EXPECT_NE(Read("stderr.txt").find("--mode: '1024x768'"), std::string::npos);
    Write("bad.txt", "# fine\n0.5 P down\n1.0 Q sideways\n");
    EXPECT_EQ(Replay("--script " + Path("bad.txt")), 2);
    EXPECT_NE(Read("stderr.txt")
                  .find("line 3: expected 'down' or 'up' after the key, found "
                        "'sideways'"),
              std::string::npos)
        << Read("stderr.txt");
    EXPECT_EQ(Replay("--script " + dir.string()), 2);
    EXPECT_NE(Read("stderr.txt").find("is a folder"), std::string::npos);
    fs::resize_file((Write("big.txt", "# big\n"), Path("big.txt")), (16u << 20) + 1);
    EXPECT_EQ(Replay("--script " + Path("big.txt")), 2);
    EXPECT_NE(Read("stderr.txt").find("larger than 16 MiB"), std::string::npos);
    // Nor can a pipe (or a device) give more: its size is known only once it is read.
    EXPECT_EQ(Replay("--until 0 --script /dev/stdin", "yes '1 UP down' | head -c 20000000"), 2);
    EXPECT_NE(Read("stderr.txt").find("larger than 16 MiB"), std::string::npos);
    EXPECT_EQ(Replay("--pitch-pad 3"), 2);
    EXPECT_EQ(Replay("--until 0 --fail nothing"), 2);
    EXPECT_NE(Read("stderr.txt").find("unknown step 'nothing'"), std::string::npos);
    EXPECT_EQ(Replay("--help >" + Path("usage.txt")), 0);
    EXPECT_EQ(Read("usage.txt").rfind("usage: skirmo-replay [--data DIR]", 0), 0u);
    EXPECT_EQ(Replay("--help >/dev/full"), 1);
    EXPECT_NE(Read("stderr.txt").find("cannot write to standard output: No space left on device"), std::string::npos);
    // A named pipe is waited for, saying so, until a writer comes or a signal ends the wait.
    const std::string pipe = Path("pipe"), said = "waiting for something to write into " + pipe;
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(Replay("--script " + pipe, "(sleep 2.5; echo bad >" + pipe + ") & true"), 2);
    EXPECT_NE(Read("stderr.txt").find(said + "\nskirmo-replay: " + pipe + ": line 1"),
              std::string::npos)
        << Read("stderr.txt");
    const std::string term = std::string(SKIRMO_REPLAY) + " --demo " + pipe + " 2>" +
                             Path("stderr.txt") + " & sleep 2.5; kill -TERM $!; wait $!";
    EXPECT_EQ(WEXITSTATUS(std::system(term.c_str())), 143);
    EXPECT_NE(Read("stderr.txt").find(said + "\nskirmo-replay: ended by a signal"),
              std::string::npos)
        << Read("stderr.txt");
    EXPECT_EQ(Replay("--fail surface:24"), 2);
    EXPECT_EQ(Replay("--fail surface:0"), 2);
}

TEST_F(ReplayTest, TwoOutputsInOneFileAreRefused) {
    // The same file, also when named through a link to its folder or with a detour, for each
    // pair of kinds of output.
    fs::create_directory_symlink(dir, dir / "link");
    fs::create_directory(dir / "sub");
    const std::string a = Path("out");
    const std::pair<std::string, std::string> twice[] = {
        {Path("out"), "--state-at 1:" + a + " --shot-at 1:"},
        {Path("link/out"), "--shot-at 1:" + a + " --shot-at 2:"},
        {Path("sub/../out"), "--state-at 1:" + a + " --log "}};
    for (const auto& [other, options] : twice) {
        EXPECT_EQ(Replay("--until 2 " + options + other), 2) << options << other;
        EXPECT_NE(Read("stderr.txt").find("would both write " + other), std::string::npos)
            << Read("stderr.txt");
        EXPECT_FALSE(fs::exists(a)) << options << other;
    }
    // A file that is there already may have a second name of its own.
    Write("old", "kept");
    fs::create_hard_link(Path("old"), Path("hard"));
    EXPECT_EQ(Replay("--until 2 --state-at 1:" + Path("old") + " --log " + Path("hard")), 2);
    EXPECT_EQ(Read("old"), "kept");
}

// A minute of the real game in its window under Xvfb, recorded with skirmo --record (made by
// scripts/desktop-check --record-minute): the gun held in a left turn, a death, then full speed
// and the quit prompt. It plays again to the same end, every frame's picture and the game's
// state at every frame and at the end checked against the real game's; a run that could not
// exit with 3.
TEST_F(ReplayTest, AGameRecordedInTheRealWindowPlaysAgainToItsEnd) {
    const std::string minute = SKIRMO_MINUTE;
    ASSERT_EQ(Replay("--demo " + minute + " --log " + Path("log.jsonl") +
                     " --state-at 60:" + Path("s.json")),
              0)
        << Read("stderr.txt");
    std::string log = Read("log.jsonl");
    EXPECT_NE(log.find("\"why\":\"program ended\""), std::string::npos);
    EXPECT_NE(log.find("\"play\",\"file\":\"pickup.voc\""), std::string::npos) << "hits";
    EXPECT_EQ(Field(Read("s.json"), "PlayerLives"), 2) << "a death";
    EXPECT_EQ(Replay("--demo " + minute + " --seed 3"), 2);
    EXPECT_NE(Read("stderr.txt").find("--seed cannot go with --demo"), std::string::npos);
    EXPECT_EQ(Replay("--demo " + dir.string()), 2);
}

} // namespace
