// main.cpp -- skirmo-replay: the real game, headless, on a virtual clock
//
// Runs the game's own start-up on the test platform with the dialog answered from the command
// line and the keys from a script, or with everything a recorded game read (--demo), and writes
// pictures, states and a log at chosen virtual times. Two runs with the same arguments write the
// same bytes.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "shell/command_line.h"
#include "shell/data_folder.h"
#include "platform/api/recording.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recording_format.h"
#include "platform/test/test_platform.h"
#include "bot.h"
#include "replay_json.h"
#include "shell/game_state.h"

namespace {

const char* const Usage =
    "usage: skirmo-replay [--data DIR] [--mode 640x480|800x600] [--no-sound] [--abort]\n"
    "                     [--seed N] [--fps N] [--pixel-format 565|555] [--pitch-pad BYTES]\n"
    "                     [--script FILE] [--bot] [--until SECONDS] [--state-at T:FILE.json]...\n"
    "                     [--shot-at T:FILE.bmp]... [--log FILE.jsonl] [--fail STEP]\n"
    "       skirmo-replay --demo FILE [--data DIR] [--until SECONDS] [--state-at T:FILE.json]...\n"
    "                     [--shot-at T:FILE.bmp]... [--log FILE.jsonl]\n"
    "  STEP: window, display-create, cooperative-level, display-mode, surface:N (N from 1 to\n"
    "        23), back-buffer, clock, clock-reading, sound\n";

[[noreturn]] void Die(const std::string& message) {
    std::fprintf(stderr, "skirmo-replay: %s\n%s", message.c_str(), Usage);
    std::exit(2);
}

double ParseSeconds(const std::string& text, const char* what) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(v >= 0) || v > 1e6)
        Die(std::string(what) + ": '" + text + "' is not a time in seconds");
    return v;
}

long ParseInteger(const std::string& text, const char* what, long low, long high) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        Die(std::string(what) + ": '" + text + "' is not a whole number from " +
            std::to_string(low) + " to " + std::to_string(high));
    return v;
}

// "T:FILE" -> (T, FILE)
std::pair<double, std::string> ParseTimedFile(const std::string& text, const char* what) {
    auto colon = text.find(':');
    if (colon == std::string::npos || colon + 1 >= text.size())
        Die(std::string(what) + " needs T:FILE, got '" + text + "'");
    return {ParseSeconds(text.substr(0, colon), what), text.substr(colon + 1)};
}

// Every path on the command line means what it means where the command was run, also after
// --data has moved the current directory.
std::string FromHere(const std::string& path) {
    std::error_code error;
    std::filesystem::path p = std::filesystem::absolute(path, error);
    return error ? path : p.string();
}

// A script is a small text file, a recording a minute of play in a few hundred KiB. Whatever the
// path names (a pipe, a device), no more than the largest and one byte is read before it is
// refused; a pipe is waited for, but a signal ends the wait.
constexpr std::size_t LargestScript = std::size_t(16) << 20;

volatile std::sig_atomic_t Signalled = 0;
void NoteSignal(int signal) { Signalled = signal; }

// Waits until a pipe has something to read or its writer is gone. Nobody may ever open a named
// pipe's other end: that is said after a second, and SIGTERM or SIGINT ends the wait.
void AwaitInput(int file, const std::string& path) {
    struct sigaction note {
    }, term{}, interrupt{};
    note.sa_handler = NoteSignal; // no SA_RESTART: the wait returns
    sigaction(SIGTERM, &note, &term);
    sigaction(SIGINT, &note, &interrupt);
    pollfd wanted{file, POLLIN, 0};
    for (int waited = 0; !Signalled && poll(&wanted, 1, 1000) == 0;)
        if (++waited == 1)
            std::fprintf(stderr, "skirmo-replay: waiting for something to write into %s\n",
                         path.c_str());
    sigaction(SIGTERM, &term, nullptr);
    sigaction(SIGINT, &interrupt, nullptr);
    if (Signalled) {
        std::fprintf(stderr, "skirmo-replay: ended by a signal while waiting for %s\n",
                     path.c_str());
        std::exit(128 + Signalled);
    }
}

std::string ReadInput(const std::string& path, std::size_t largest, const std::string& what) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) Die(path + " is a folder, not " + what);
    // A named pipe's open would wait, without a word, for a writer that may never come.
    int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) Die("cannot read " + path + ": " + std::strerror(errno));
    std::string text;
    char chunk[1 << 16];
    for (bool awaited = false; text.size() <= largest;) {
        std::size_t want = std::min(sizeof chunk, largest + 1 - text.size());
        ssize_t got = read(file, chunk, want);
        if (got < 0 && errno == EINTR) continue;
        // A named pipe that nobody has opened yet reads as ended, an open one as empty for now.
        std::error_code fifo;
        if ((got < 0 && errno == EAGAIN) ||
            (got == 0 && !awaited && text.empty() &&
             std::filesystem::is_fifo(std::filesystem::canonical(path, fifo), fifo))) {
            AwaitInput(file, path);
            awaited = true;
            continue;
        }
        if (got < 0) Die("cannot read " + path + ": " + std::strerror(errno));
        if (got == 0) break;
        text.append(chunk, std::size_t(got));
    }
    close(file);
    if (text.size() > largest)
        Die(path + " is larger than " + std::to_string(largest >> 20) + " MiB: not " + what);
    return text;
}

// A recorded game, whole and of this format, or the command line's end.
RecordedGame ReadDemo(const std::string& path) {
    std::string bytes = ReadInput(path, LargestRecordingFile, "a recording");
    RecordedGame game;
    std::string error;
    if (!ReadRecording(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), game,
                       error))
        Die(path + ": " + error);
    if (!game.ended)
        std::fprintf(stderr, "skirmo-replay: %s\n", NoEndingWarning(path, game).c_str());
    return game;
}

// Two outputs in one file would leave only the one written last. The same file may be named
// two ways: through a link, a detour, or a second hard link to it.
void RefuseSharedOutputs(const std::vector<std::pair<std::string, std::string>>& outputs) {
    for (std::size_t i = 0; i < outputs.size(); ++i)
        for (std::size_t j = 0; j < i; ++j) {
            const std::string &a = outputs[j].second, &b = outputs[i].second;
            std::error_code e1, e2, e3;
            bool same = std::filesystem::weakly_canonical(a, e1) ==
                            std::filesystem::weakly_canonical(b, e2) &&
                        !e1 && !e2;
            if (same || std::filesystem::equivalent(a, b, e3))
                Die(outputs[j].first + " and " + outputs[i].first + " would both write " + b);
        }
}

TestFailure ParseFailure(const std::string& text) {
    TestFailure f;
    if (text == "display-create")
        f.step = TestFailure::DisplayCreate;
    else if (text == "cooperative-level")
        f.step = TestFailure::CooperativeLevel;
    else if (text == "display-mode")
        f.step = TestFailure::DisplayMode;
    else if (text == "clock")
        f.step = TestFailure::Clock;
    else if (text == "clock-reading")
        f.step = TestFailure::ClockReading;
    else if (text == "sound")
        f.step = TestFailure::Sound;
    else if (text == "window")
        f.step = TestFailure::Window;
    else if (text == "back-buffer")
        f.step = TestFailure::BackBuffer;
    else if (text.rfind("surface:", 0) == 0) {
        f.step = TestFailure::Surface;
        // The flipping pair, the 20 tiles, the life icon and the cloud.
        f.surfaceNumber = int(ParseInteger(text.substr(8), "--fail surface", 1, 23));
    } else
        Die("--fail: unknown step '" + text + "'");
    return f;
}

} // namespace

int main(int argc, char** argv) {
    TestOptions options;
    std::string dataDir, logPath, demoPath;
    RecordedGame demo;
    bool bot = false;
    std::vector<std::string> given; // the options named, for those a demo cannot go with
    std::vector<std::pair<double, std::string>> states;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        given.push_back(a);
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) Die(a + " needs a value");
            return args[++i];
        };
        if (a == "--data")
            dataDir = value();
        else if (a == "--mode") {
            options.dialog.button = value();
            if (!IsScreenMode(options.dialog.button))
                Die("--mode: '" + options.dialog.button + "' is neither 640x480 nor 800x600");
        } else if (a == "--no-sound")
            options.dialog.tickCheckBox = true;
        else if (a == "--abort")
            options.abort = true;
        else if (a == "--seed")
            options.seed = ParseInteger(value(), "--seed", 0, 0x7FFFFFFF);
        else if (a == "--fps")
            options.refreshRate = int(ParseInteger(value(), "--fps", 1, 1000));
        else if (a == "--pixel-format") {
            std::string f = value();
            if (f == "565")
                options.pixelFormat555 = false;
            else if (f == "555")
                options.pixelFormat555 = true;
            else
                Die("--pixel-format: '" + f + "' is neither 565 nor 555");
        } else if (a == "--pitch-pad") {
            std::string pad = value();
            options.pitchPadding = int(ParseInteger(pad, "--pitch-pad", 0, 4096));
            // Rows of 16-bit pixels must start on an even address.
            if (options.pitchPadding % 2)
                Die("--pitch-pad: '" + pad + "' is odd; give an even number");
        } else if (a == "--script") {
            std::string path = value(), error;
            if (!ParseScript(ReadInput(path, LargestScript, "a script"), options.script, error))
                Die(path + ": " + error);
        } else if (a == "--bot")
            bot = true;
        else if (a == "--until")
            options.untilSeconds = ParseSeconds(value(), "--until");
        else if (a == "--state-at") {
            states.push_back(ParseTimedFile(value(), "--state-at"));
            states.back().second = FromHere(states.back().second);
        } else if (a == "--shot-at") {
            options.shots.push_back(ParseTimedFile(value(), "--shot-at"));
            options.shots.back().second = FromHere(options.shots.back().second);
        } else if (a == "--log")
            logPath = FromHere(value());
        else if (a == "--fail")
            options.failure = ParseFailure(value());
        else if (a == "--demo") {
            demoPath = value();
            demo = ReadDemo(demoPath);
        } else if (a == "--help" || a == "-h") {
            std::fputs(Usage, stdout);
            return StandardOutputWritten("skirmo-replay") ? 0 : 1;
        } else
            Die("unknown option '" + a + "'");
    }
    // A recorded game brings its own answers to everything these would set.
    for (const char* own : {"--mode", "--no-sound", "--abort", "--seed", "--fps", "--pixel-format",
                            "--pitch-pad", "--script", "--bot", "--fail"})
        if (!demoPath.empty() && std::find(given.begin(), given.end(), own) != given.end())
            Die(std::string(own) + " cannot go with --demo: the recording answers for it");
    std::vector<std::pair<std::string, std::string>> outputs; // (option, path)
    for (const auto& state : states)
        outputs.emplace_back("--state-at", state.second);
    for (const auto& shot : options.shots)
        outputs.emplace_back("--shot-at", shot.second);
    if (!logPath.empty()) outputs.emplace_back("--log", logPath);
    RefuseSharedOutputs(outputs);
    // Without --data the runner finds the data as skirmo does, so an installation can be tried.
    if (std::string why; !EnterDataFolder(dataDir, why))
        Die("cannot enter " + dataDir + ": " + why);

    std::stable_sort(states.begin(), states.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    TestPlatformStart(options);
    if (!demoPath.empty()) TestPlayDemo(std::move(demo));
    DescribeGameStateWith([] { return GameStateJson(0, 0); });
    if (bot) AttachBot();
    std::size_t nextState = 0;
    std::int64_t frames = 0;
    std::vector<std::string> unwritten; // states, pictures and the log that did not come out
    TestSetFrameStepHook([&](std::int64_t beginNs, bool atEnd) {
        if (!atEnd) return;
        ++frames;
        // A state is written at the end of the first frame step that began at or after its time.
        while (nextState < states.size() && TestSecondsToNs(states[nextState].first) <= beginNs) {
            const std::string& path = states[nextState++].second;
            std::ofstream out(path, std::ios::binary);
            out << GameStateJson(TestNowSeconds(), frames);
            out.close();
            if (!out) {
                std::fprintf(stderr, "skirmo-replay: cannot write %s\n", path.c_str());
                unwritten.push_back(path);
            }
        }
    });
    // A step that began before --until and that a state waits for is finished first.
    TestFinishFrameStepsAtUntil([&](std::int64_t beginNs) {
        return nextState < states.size() && TestSecondsToNs(states[nextState].first) <= beginNs;
    });

    int status = 0;
    TestEvent end;
    end.kind = "end";
    try {
        status = WinMain(nullptr, nullptr, nullptr, 0);
        end.text = "program ended";
        if (std::string differs = TestDemoEnded(status); !differs.empty()) {
            std::fprintf(stderr, "skirmo-replay: %s: %s\n", demoPath.c_str(), differs.c_str());
            end.text = "not as recorded";
            status = 3;
        }
    } catch (const TestStop& stop) {
        end.text = stop.why;
        status = stop.status;
        if (!stop.detail.empty())
            std::fprintf(stderr, "skirmo-replay: %s: %s\n", demoPath.c_str(), stop.detail.c_str());
    }
    TestRecord(end);
    // What the run ended without: the program ended first, or no frame step began in time.
    for (; nextState < states.size(); ++nextState) {
        std::fprintf(stderr,
                     "skirmo-replay: no state for %s: no frame step began at or after %g s "
                     "before the run ended\n",
                     states[nextState].second.c_str(), states[nextState].first);
        unwritten.push_back(states[nextState].second);
    }
    for (const std::string& path : TestUnwrittenShots()) {
        std::fprintf(stderr,
                     "skirmo-replay: no picture in %s: it could not be written, or the "
                     "run ended before its time\n",
                     path.c_str());
        unwritten.push_back(path);
    }
    if (!logPath.empty()) {
        std::ofstream log(logPath, std::ios::binary);
        log << EventsJsonLines(TestEvents());
        log.close();
        if (!log) {
            std::fprintf(stderr, "skirmo-replay: cannot write %s\n", logPath.c_str());
            unwritten.push_back(logPath);
        }
    }
    // Asked for and missing is an error whatever the game's own result was.
    return unwritten.empty() ? status : 3;
}
