// The real sound output with its mixer on SDL's audio thread (SDL's dummy driver: no sound card
// needed, the callback still runs on its own thread at the device's pace), and the music on a
// thread of its own. What the game thread does to buffers while they play must never race the
// mixer, no piece of music may hold up the game thread, and no way out of the program may leave
// either thread running over freed memory. scripts/test also runs these under ThreadSanitizer.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/midi_files.h"
#include "platform/emulation/backend.h"
#include "platform/api/dsound.h"
#include "platform/api/mmsystem.h"
#include "platform/sdl/sdl_state.h"

namespace {

constexpr DWORD AllControls =
    DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;

IDirectSoundBuffer* Make(IDirectSound* sound, DWORD samples) {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 22050, 1, 8, 0};
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), AllControls, samples, 0, &format};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(sound->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    return b;
}

// Writes the samples under the buffer's lock, taking a while about it as a loader reading from
// the disk does, so that the mixer comes round in the middle.
void Fill(IDirectSoundBuffer* b, std::uint8_t value, int pauseMicroseconds = 0) {
    void* region = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(b->Lock(0, 0, &region, &bytes, nullptr, nullptr, 0), DS_OK);
    for (DWORD i = 0; i < bytes; ++i) {
        static_cast<std::uint8_t*>(region)[i] = std::uint8_t(value + i % 7);
        if (i == bytes / 2 && pauseMicroseconds)
            std::this_thread::sleep_for(std::chrono::microseconds(pauseMicroseconds));
    }
    ASSERT_EQ(b->Unlock(region, bytes, nullptr, 0), DS_OK);
}

class SoundThread : public ::testing::Test {
  protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

DWORD Send(const std::string& command) {
    return mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

// Runs body in a child process, which then ends by exit() as the program does, and collects its
// standard error. The status is the child's exit status, or -1 when it was still there after
// the given time (it is killed then); ending is how long exit() took to close what the body
// opened (the sound output and the music with it).
struct ChildEnd {
    int status = -1;
    std::string err; // the first 16 KiB
    std::size_t errBytes = 0;
    double ending = 1e9; // seconds
};
ChildEnd InChild(const std::function<int()>& body, int seconds) {
    int out[2];
    if (pipe(out) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 2);
        close(out[0]);
        close(out[1]);
        // Message boxes go to standard error only, never onto a desktop's screen.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        // Registered first, so run last of what exit() runs.
        std::atexit([] { std::fputs("<ended>", stderr); });
        int status = body();
        std::fputs("<exit>", stderr);
        std::exit(status);
    }
    close(out[1]);
    ChildEnd end;
    auto now = [] { return std::chrono::steady_clock::now(); };
    auto deadline = now() + std::chrono::seconds(seconds), exiting = deadline;
    auto left = [&] {
        return int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now()).count());
    };
    char buffer[65536];
    for (pollfd p{out[0], POLLIN, 0}; left() > 0 && poll(&p, 1, left()) > 0;) {
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break; // the child has gone
        std::string_view got(buffer, std::size_t(n));
        if (got.find("<exit>") != got.npos) exiting = now();
        if (got.find("<ended>") != got.npos)
            end.ending = std::chrono::duration<double>(now() - exiting).count();
        end.errBytes += std::size_t(n);
        end.err.append(got).resize(std::min<std::size_t>(end.err.size(), 16384));
    }
    close(out[0]);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (left() <= 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return end;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    end.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return end;
}

// While duplicates play, the game writes the samples they share, turns their knobs, plays and
// stops them, duplicates and releases: for half a second of the mixer's time.
TEST_F(SoundThread, TheGameThreadNeverRacesTheMixer) {
    IDirectSound* sound = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &sound, nullptr), DS_OK) << SoundOutputError();
    // The mixer really runs by itself: a short sound plays to its end without the game.
    IDirectSoundBuffer* shortOne = Make(sound, 200);
    Fill(shortOne, 100);
    ASSERT_EQ(shortOne->Play(0, 0, 0), DS_OK);
    DWORD status = DSBSTATUS_PLAYING;
    for (int i = 0; i < 200 && (status & DSBSTATUS_PLAYING); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        shortOne->GetStatus(&status);
    }
    ASSERT_EQ(status, 0u) << "the mixer never played the sound through";
    IDirectSoundBuffer* original = Make(sound, 40000);
    Fill(original, 100);
    std::vector<IDirectSoundBuffer*> copies;
    for (int i = 0; i < 3; ++i) {
        IDirectSoundBuffer* copy = nullptr;
        ASSERT_EQ(sound->DuplicateSoundBuffer(original, &copy), DS_OK);
        ASSERT_EQ(copy->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        copies.push_back(copy);
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        Fill(original, std::uint8_t(round), 2000); // the copies play these very samples
        copies[round % 3]->SetVolume(-(round % 50) * 100);
        copies[round % 3]->SetFrequency(DWORD(8000 + round % 20 * 1000));
        copies[round % 3]->SetPan((round % 21 - 10) * 1000);
        copies[(round + 1) % 3]->GetStatus(&status);
        if (round % 10 == 0) {
            IDirectSoundBuffer* extra = nullptr;
            ASSERT_EQ(sound->DuplicateSoundBuffer(copies[0], &extra), DS_OK);
            extra->Play(0, 0, 0);
            extra->Release();
        }
        if (round % 7 == 0) copies[2]->Stop(), copies[2]->SetCurrentPosition(0);
        if (round % 7 == 3) copies[2]->Play(0, 0, DSBPLAY_LOOPING);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // Released with everything still playing: the service frees the buffers left.
    sound->Release();
}

// The program ends with the output open and buffers playing, by returning from main or by
// exit, skipping every release: the output must close before static destruction frees what the
// mixer reads. Each run is a child process; a crash shows in its status.
TEST_F(SoundThread, EndingTheProgramWithTheOutputOpenIsClean) {
    for (int run = 0; run < 10; ++run) {
        ChildEnd end = InChild(
            [run] {
                IDirectSound* sound = nullptr;
                if (DirectSoundCreate(nullptr, &sound, nullptr) != DS_OK) return 3;
                for (int i = 0; i < 8; ++i) {
                    IDirectSoundBuffer* b = Make(sound, 2000);
                    Fill(b, 60);
                    b->Play(0, 0, DSBPLAY_LOOPING);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(run * 3));
                return 0; // then exit(), as a return from main: static destruction follows
            },
            20);
        ASSERT_EQ(end.status, 0) << "run " << run << "\n" << end.err;
    }
}

// A piece opens exactly when the synthesizer plays something of it, and the test platform, which
// has no synthesizer, judges every file as the real one does.
TEST_F(SoundThread, PiecesOpenExactlyWhenTheSynthesizerWouldPlayThem) {
    using namespace midi;
    std::string hostile = Header(0, 1) + "XFIH\xFF\xFF\xFF\xFC"s + Track(Note);
    struct Case {
        const char* what;
        std::string file;
        bool plays;
    } cases[] = {
        {"two tracks of notes", Header(1, 2) + Track(Note) + Track(Note), true},
        {"127 tracks", Header(1, 127) + Tracks(127, Note), true},
        {"128 tracks", Header(1, 128) + Tracks(128, Note), false},
        {"a tempo of two bytes", Header(0, 1) + Track("\x00\xFF\x51\x02\x07\xA1"s + Note), false},
        {"a time signature of three bytes",
         Header(0, 1) + Track("\x00\xFF\x58\x03\x04\x02\x18"s + Note), false},
        {"a key signature of three bytes",
         Header(0, 1) + Track("\x00\xFF\x59\x03\x00\x00\x00"s + Note), false},
        {"an SMPTE offset of four bytes",
         Header(0, 1) + Track("\x00\xFF\x54\x04\x00\x00\x00\x00"s + Note), false},
        {"an escaped system-exclusive event", Header(0, 1) + Track("\x00\xF7\x02\x7E\x7F"s + Note),
         false},
        {"a chunk before the first track", Header(0, 1) + "XFIH\0\0\0\2ab"s + Track(Note), false},
        {"a chunk after the last track", Header(0, 1) + Track(Note) + "XFIH\0\0\0\2ab"s, true},
        {"running status, meta and system-exclusive events",
         Header(0, 1) + Track("\x00\xF0\x02\x7E\xF7\x00\x90\x3C\x40\x60\x3C\x00"
                              "\x00\xFF\x51\x03\x07\xA1\x20\x00\xC0\x05"s +
                              EndOfTrack),
         true},
        {"a track without its end", Header(0, 1) + Track("\x00\x90\x3C\x40\x60\x80\x3C\x00"s),
         true},
        {"bytes after the last track", Header(0, 1) + Track(Note) + "zz", true},
        {"bytes after a track's end inside its chunk",
         Header(1, 2) + Track(Note + "zz") + Track(Note), true},
        {"a last track longer than the file", Header(0, 1) + "MTrk" + Be32(99) + Note, true},
        {"only an empty system-exclusive event", Header(0, 1) + Track("\x00\xF0\x00"s + EndOfTrack),
         false},
        {"a silent bar", Header(0, 1) + Track("\x83\x00\xFF\x2F\x00"s), true},
        {"only the end of a track", Header(0, 1) + Track(EndOfTrack), false},
        {"fewer tracks than promised", Header(1, 3) + Track(Note) + Track(Note), false},
        {"SMPTE timing", Header(0, 1, 0xE728) + Track(Note), false},
        {"a chunk past 2 GiB before the track", hostile, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsPlayableMidi(Bytes(c.file)), c.plays);
        // The synthesizer's loader never returns on the last case: it is never asked.
        if (c.file != hostile) {
            EXPECT_EQ(SynthWouldPlay(Bytes(c.file)), c.plays);
        }
    }
    // Changed bytes (in the header's numbers, and in a track of every kind of event) and cut
    // ends: the two judges agree. The track runs to the end of the file, so however a change
    // is read, no second chunk is ever looked for.
    const std::string body = "\x00\xFF\x03\x01t\x00\xFF\x51\x03\x07\xA1\x20"
                             "\x00\xFF\x58\x04\x04\x02\x18\x08\x00\xC0\x05\x00\xB0\x07\x64"
                             "\x00\x90\x3C\x40\x30\x40\x40\x30\x80\x3C\x00\x00\xF0\x03\x7E\x01\xF7"
                             "\x10\xE0\x00\x40\x00\xFF\x01\x02hi\x60\x80\x40\x00"s +
                             EndOfTrack;
    const std::string piece = Header(0, 1) + Track(body);
    const std::uint8_t telling[] = {0x00, 0x01, 0x02, 0x03, 0x7F, 0x80,
                                    0x81, 0xF0, 0xF7, 0xFF, 0x2F};
    std::uint32_t seed = 2024;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    int disagreements = 0;
    for (int i = 0; i < 3000 && disagreements < 5; ++i) {
        std::string m = piece;
        for (unsigned k = next() % 3; k < 3; ++k) {
            std::size_t at = next() % 5 ? 22 + next() % (m.size() - 22) : 8 + next() % 6;
            m[at] = char(next() % 2 ? telling[next() % sizeof telling] : next());
        }
        if (next() % 4 == 0) m.resize(22 + next() % (m.size() - 22));
        bool ours = IsPlayableMidi(Bytes(m)), synth = SynthWouldPlay(Bytes(m));
        // The draw is seeded: its number is enough to make the same file again.
        if (ours != synth) {
            ++disagreements;
            ADD_FAILURE() << "draw " << i << ": ours " << ours << ", the synthesizer's " << synth;
        }
    }
}

// A valid piece with fifty thousand notes on its first tick keeps the synthesizer busy for
// seconds and made it say millions of lines. Every command of the game's must still return at
// once, each message of the synthesizer's be said once, and the program end at once.
TEST_F(SoundThread, NoPieceHoldsUpTheGameOrFloodsTheTerminal) {
    using namespace midi;
    std::string path = ::testing::TempDir() + "flood" + std::to_string(getpid()) + ".mid";
    std::string notes;
    for (int i = 0; i < 50000; ++i)
        notes += "\x00\x90\x3C\x40\x00\x80\x3C\x00"s;
    std::ofstream(path, std::ios::binary) << Header(0, 1) + Track(notes + EndOfTrack);
    ChildEnd end = InChild(
        [&] {
            if (Send("open " + path + " type sequencer alias jazz") != 0) return 3;
            Send("play jazz from 0");
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // deep in the first tick
            auto start = std::chrono::steady_clock::now();
            for (const char* command : {"stop jazz", "play jazz from 0", "stop jazz", "close jazz"})
                Send(command);
            if (Send("open " SKIRMO_DATA_DIR "/DREAMS.MID type sequencer alias jazz") != 0)
                return 4;
            Send("play jazz from 0");
            bool prompt = std::chrono::steady_clock::now() - start < std::chrono::seconds(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the piece plays on
            return prompt ? 0 : 2;
        },
        20);
    std::remove(path.c_str());
    EXPECT_EQ(end.status, 0) << "2: a command waited for the synthesizer, -1: the program hung\n"
                             << end.err.substr(0, 2000);
    EXPECT_LT(end.ending, 1.0) << "seconds to end the program";
    std::istringstream lines(end.err);
    std::set<std::string> seen;
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(seen.insert(line).second) << "said again: " << line;
    EXPECT_LT(end.errBytes, 4096u);
}

// Without a General MIDI sound font no piece opens. The player is told why, and which package
// to install, once in a message box, not at every piece.
TEST_F(SoundThread, AMissingSoundFontIsToldOnceInABox) {
    ChildEnd end = InChild(
        [] {
            SoundFontPaths = {"/nonexistent/default-GM.sf2"};
            for (int i = 0; i < 3; ++i)
                if (Send("open " SKIRMO_DATA_DIR "/DREAMS.MID type sequencer alias jazz") != 266)
                    return 2;
            return 0;
        },
        20);
    EXPECT_EQ(end.status, 0) << end.err;
    const std::string box = "Velmora cannot play music: No General MIDI sound font";
    std::size_t first = end.err.find(box);
    EXPECT_NE(first, std::string::npos) << end.err;
    EXPECT_EQ(end.err.find(box, first + 1), std::string::npos) << end.err;
    EXPECT_NE(end.err.find("fluid-soundfont-gm"), std::string::npos);
}

// The music reaches the output as the synthesizer renders it, sample for sample: rendered on its
// own thread, handed over in the ring and mixed in the callback, nothing is lost, repeated or
// moved. SDL's disk driver takes the output, slower than real time so that nothing runs dry.
TEST_F(SoundThread, TheMusicComesOutAsTheSynthesizerRendersIt) {
    std::string out = ::testing::TempDir() + "music" + std::to_string(getpid()) + ".raw";
    ChildEnd end = InChild(
        [&] {
            setenv("SDL_AUDIODRIVER", "disk", 1);
            setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
            setenv("SDL_DISKAUDIODELAY", "25", 1);
            if (Send("open " SKIRMO_DATA_DIR "/DREAMS.MID type sequencer alias jazz") != 0)
                return 3;
            Send("play jazz from 0");
            std::this_thread::sleep_for(std::chrono::seconds(2));
            return 0;
        },
        30);
    ASSERT_EQ(end.status, 0) << end.err;
    std::ifstream in(out, std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), {});
    std::remove(out.c_str());
    std::vector<float> recorded(raw.size() / sizeof(float));
    std::memcpy(recorded.data(), raw.data(), recorded.size() * sizeof(float));
    auto first = std::find_if(recorded.begin(), recorded.end(), [](float v) { return v != 0; });
    ASSERT_NE(first, recorded.end()) << "no music came out";
    // The same piece on a synthesizer set up as the game's, rendered a period at a time.
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", 44100);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    fluid_synth_t* synth = new_fluid_synth(settings);
    ASSERT_NE(fluid_synth_sfload(synth, SoundFontPaths[0].c_str(), 1), FLUID_FAILED);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add(player, SKIRMO_DATA_DIR "/DREAMS.MID");
    fluid_player_play(player);
    const std::size_t frames = 43 * 512; // half a second
    std::vector<float> expected(2 * frames);
    for (std::size_t at = 0; at < frames; at += 512)
        fluid_synth_write_float(synth, 512, expected.data(), int(2 * at), 2, expected.data(),
                                int(2 * at + 1), 2);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    // The first rendered frames may be silent: line up on the first sound in both.
    auto start = std::find_if(expected.begin(), expected.end(), [](float v) { return v != 0; });
    std::size_t from = std::size_t(start - expected.begin()) & ~std::size_t(1);
    std::size_t at = std::size_t(first - recorded.begin()) & ~std::size_t(1);
    ASSERT_GE(recorded.size() - at, expected.size() - from) << "less than half a second came out";
    for (std::size_t i = from; i < expected.size(); ++i)
        ASSERT_EQ(recorded[at + i - from], expected[i]) << "frame " << (i - from) / 2;
}

} // namespace
