// music_sdl.cpp -- the MIDI sequencer on the real machine: FluidSynth on a thread of its own
//
// The music thread renders a little ahead of the sound output into a ring that the audio
// callback reads. The player is timed by the samples rendered (timing source "sample"), so the
// music runs exactly as fast as it comes out. The game thread never waits for the synthesizer:
// its commands go into a queue that the music thread takes between two short stretches of
// rendering, and a waiting command stops the player's events from reaching the synthesizer,
// so even a piece that takes the synthesizer seconds for one tick (fifty thousand notes at
// once) gives way at once. Whatever a piece holds, it holds up only the music.
#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/emulation/backend.h"
#include "platform/recording/demo_player.h"
#include "platform/emulation/printable.h"
#include "sdl_state.h"

std::vector<std::string> SoundFontPaths = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/soundfonts/default.sf2",
};

namespace {

// MCI-style error numbers: no music device to play on, a piece that would not start, and a
// file the synthesizer would not play.
constexpr DWORD MusicCannotLoadDriver = 266;
constexpr DWORD MusicCannotPlay = 277;
constexpr DWORD MusicBadFile = 296;

// --- what the synthesizer says ---
//
// A broken piece can make the synthesizer say the same thing millions of times a second. Each
// message goes to standard error once; its repeats are counted and told when the next piece
// opens and when the music ends.

struct SaidMessage {
    std::string text;
    long repeats = 0;
};
std::mutex SaidLock;
std::vector<SaidMessage> Said;
long UnlistedMessages = 0; // beyond the first few kinds, only counted
constexpr std::size_t SaidKinds = 16;

void SynthSays(int, const char* said, void*) {
    // It may quote what a music file holds.
    const std::string message = Printable(said ? said : "");
    std::lock_guard<std::mutex> lock(SaidLock);
    for (SaidMessage& m : Said)
        if (m.text == message) {
            ++m.repeats;
            return;
        }
    if (Said.size() < SaidKinds) {
        Said.push_back({message, 0});
        std::fprintf(stderr, "skirmo: music: %s\n", message.c_str());
    } else {
        ++UnlistedMessages;
    }
}

void TellRepeats() {
    std::lock_guard<std::mutex> lock(SaidLock);
    for (SaidMessage& m : Said) {
        if (m.repeats)
            std::fprintf(stderr, "skirmo: music: \"%s\" came %ld more times\n", m.text.c_str(),
                         m.repeats);
        m.repeats = 0;
    }
    if (UnlistedMessages)
        std::fprintf(stderr, "skirmo: music: %ld other messages\n", UnlistedMessages);
    UnlistedMessages = 0;
}

void HearTheSynth() {
    static bool done = false;
    if (done) return;
    done = true;
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN})
        fluid_set_log_function(level, SynthSays, nullptr);
    // Its notes on what it is doing are for its own developers (and cost a formatting each).
    for (int level : {FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
}

// --- the ring from the music thread to the audio callback ---

constexpr std::size_t RingFrames = 16384; // a power of two
float Ring[2 * RingFrames];
std::atomic<std::uint64_t> RingWritten{0}, RingRead{0}; // frames, ever growing
std::atomic<bool> Streaming{false};      // more of the present stretch of music is coming
std::atomic<std::size_t> RenderAhead{0}; // frames: a tenth of a second

std::size_t Ahead() { return std::size_t(RingWritten.load() - RingRead.load()); }

// --- the commands, from the game thread to the music thread ---

enum class Verb { Load, PlayFromStart, Play, Stop, Close, Quit };
struct Command {
    Verb verb;
    std::vector<std::uint8_t> piece;
};
std::mutex QueueLock;
std::condition_variable Wake; // a command, or room in the ring
std::deque<Command> Queue;
std::atomic<bool> GiveWay{false}; // a command waits: the player's events are dropped

void Send(Verb verb, std::vector<std::uint8_t> piece = {}) {
    {
        std::lock_guard<std::mutex> lock(QueueLock);
        Queue.push_back({verb, std::move(piece)});
        GiveWay = true;
    }
    Wake.notify_one();
}

// --- the music thread's own ---

std::thread MusicThread;
fluid_settings_t* Settings = nullptr;
fluid_synth_t* Synth = nullptr;
fluid_player_t* Player = nullptr;
std::vector<std::uint8_t> Piece; // the open MIDI file, so a replay never reads the disk again
// Frames rendered at a time: the output's period, as when the callback rendered the music
// itself, so that the synthesizer renders the very same samples as it did then.
int ChunkFrames = 0;

// Music is rendered only while it can be heard: from a play until a stop has faded it out, or
// until the tail of a finished piece has rung out. That keeps the idle synth off the processor.
bool Rendering = false;
// A stop fades the music over a few milliseconds before cutting every voice: a voice cut in
// mid-swing would click.
int FadeLength = 0;
int FadeLeft = 0; // > 0 while a stop is fading out
// The player itself reports playing for a few seconds past the last event; after that the
// reverb is given this much longer to die away before rendering stops.
constexpr int TailSeconds = 2;
long TailLeft = 0; // frames
int Rate = 0;

void EndStretch() {
    Rendering = false;
    Streaming = false;
}

// Cuts every voice at once; the player's own note-offs may come too late or never.
void SilenceSynth() {
    fluid_synth_all_sounds_off(Synth, -1);
    FadeLeft = 0;
}

int ToSynth(void* synth, fluid_midi_event_t* event) {
    if (GiveWay.load(std::memory_order_relaxed)) return FLUID_OK;
    return fluid_synth_handle_midi_event(synth, event);
}

void DeletePlayer() {
    if (Player) delete_fluid_player(Player);
    Player = nullptr;
}

// A fresh player for the open piece, at its start and not playing.
bool NewPlayer() {
    DeletePlayer();
    Player = new_fluid_player(Synth);
    if (!Player) return false;
    fluid_player_set_loop(Player, 1); // once through, never again by itself
    fluid_player_set_playback_callback(Player, ToSynth, Synth);
    if (fluid_player_add_mem(Player, Piece.data(), Piece.size()) != FLUID_OK) {
        DeletePlayer();
        return false;
    }
    return true;
}

// Every held note is released now; the fade takes what still sounds down before the voices go.
void FadeOut() {
    fluid_synth_all_notes_off(Synth, -1);
    if (Rendering && FadeLeft == 0) FadeLeft = FadeLength;
}

// Starts the player. From the start means a new player: it begins at tick 0 whether the old
// one was stopped halfway or had played to its end.
void Play(bool fromStart) {
    if (Piece.empty()) return;
    if (FadeLeft > 0) SilenceSynth(); // a stop still fading: finish it before the new notes
    if ((fromStart || !Player) && !NewPlayer()) return;
    if (fluid_player_play(Player) != FLUID_OK) return;
    Rendering = true;
    Streaming = true;
    TailLeft = long(TailSeconds) * Rate;
}

// False for the last command.
bool Carry(Command& c) {
    switch (c.verb) {
    case Verb::Load:
        DeletePlayer();
        SilenceSynth();
        EndStretch();
        Piece = std::move(c.piece);
        break;
    case Verb::PlayFromStart:
    case Verb::Play:
        Play(c.verb == Verb::PlayFromStart);
        break;
    case Verb::Stop:
        if (Player) fluid_player_stop(Player);
        FadeOut();
        break;
    case Verb::Close:
        DeletePlayer();
        Piece.clear();
        FadeOut();
        break;
    case Verb::Quit:
        return false;
    }
    return true;
}

void Render(float* chunk) {
    fluid_synth_write_float(Synth, ChunkFrames, chunk, 0, 2, chunk, 1, 2);
    bool last = false;
    if (FadeLeft > 0) {
        int i = 0;
        for (; i < ChunkFrames && FadeLeft > 0; ++i, --FadeLeft) {
            float gain = float(FadeLeft) / float(FadeLength);
            chunk[2 * i] *= gain;
            chunk[2 * i + 1] *= gain;
        }
        if (FadeLeft == 0) {
            std::fill(chunk + 2 * i, chunk + 2 * ChunkFrames, 0.0f);
            SilenceSynth();
            last = true;
        }
    } else if (!Player || fluid_player_get_status(Player) != FLUID_PLAYER_PLAYING) {
        TailLeft -= ChunkFrames;
        last = TailLeft <= 0;
    }
    std::uint64_t at = RingWritten.load();
    for (int i = 0; i < ChunkFrames; ++i) {
        std::size_t slot = std::size_t((at + std::uint64_t(i)) % RingFrames);
        Ring[2 * slot] = chunk[2 * i];
        Ring[2 * slot + 1] = chunk[2 * i + 1];
    }
    RingWritten.store(at + ChunkFrames);
    if (last) EndStretch();
}

void MusicMain() {
    // Before the game's own thread, as the callback is, so that a busy machine takes its time
    // from the game before the music runs dry. Where the system refuses, it still runs.
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
    std::vector<float> chunk(2 * ChunkFrames);
    std::unique_lock<std::mutex> lock(QueueLock);
    for (;;) {
        auto room = [] { return Ahead() + std::size_t(ChunkFrames) <= RenderAhead; };
        // The callback says when it has taken music; the timeout only covers a word missed.
        if (Rendering)
            Wake.wait_for(lock, std::chrono::milliseconds(5),
                          [&] { return !Queue.empty() || room(); });
        else
            Wake.wait(lock, [] { return !Queue.empty(); });
        std::deque<Command> todo;
        todo.swap(Queue);
        GiveWay = false;
        lock.unlock();
        for (Command& c : todo)
            if (!Carry(c)) return;
        while (Rendering && room() && !GiveWay)
            Render(chunk.data());
        lock.lock();
    }
}

// Makes the synth with a General MIDI sound font at the output's rate and starts the music
// thread; false when there is no sound font. Loading the font takes a moment, so it is done
// once, on the first piece.
bool StartMusic(int rate, int period) {
    if (MusicThread.joinable()) return true;
    HearTheSynth();
    std::string font;
    for (const std::string& path : SoundFontPaths)
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            std::fclose(f);
            font = path;
            break;
        }
    if (font.empty()) {
        // Said once, in a box, as a missing dialog font is: every piece fails to open after it,
        // and the game's own message for that sends the player the wrong way.
        // A demo shows the boxes of the machine it was recorded on instead.
        static bool told = false;
        if (!told && !DemoPlaying()) {
            told = true;
            MessageBoxA(BackendWindow(),
                        "No General MIDI sound font was found, so the game cannot play its "
                        "music.\n\nInstall the package fluid-soundfont-gm\n(sudo apt-get "
                        "install fluid-soundfont-gm)\nand start the game again.\n\nUntil then "
                        "every piece of music fails to open, and the game says so.",
                        "Velmora cannot play music", MB_OK);
        }
        return false;
    }
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return false;
    fluid_settings_setnum(settings, "synth.sample-rate", double(rate));
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    // The synth's default gain leaves the pieces near -30 dBFS, well under the effects; this
    // puts them beside the effects with room left for both together.
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    // Pinning a large sound font in memory buys nothing here and warns when not allowed.
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth || fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
        if (synth) delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        return false;
    }
    Settings = settings;
    Synth = synth;
    Rate = rate;
    FadeLength = std::max(1, rate / 200); // 5 ms
    // A tenth of a second ahead rode out a machine with every core busy without a gap; a stop
    // is heard that much later.
    ChunkFrames = std::clamp(period, 64, int(RingFrames / 8));
    RenderAhead = std::clamp(std::size_t(std::max(rate / 10, 2 * ChunkFrames)),
                             std::size_t(2 * ChunkFrames), RingFrames / 2);
    MusicThread = std::thread(MusicMain);
    return true;
}

// The game thread's picture of the alias: a piece was opened and not closed since.
bool PieceOpen = false;

} // namespace

void MixMusic(float* out, int frames) {
    std::uint64_t read = RingRead.load(), written = RingWritten.load();
    std::size_t ready = std::size_t(written - read);
    // Music starts and carries on only with a whole period ready, so no gap opens inside it
    // while the music thread catches up.
    std::size_t take = std::min(ready, std::size_t(frames));
    if (take < std::size_t(frames) && Streaming && ready + std::size_t(frames) <= RenderAhead)
        take = 0;
    for (std::size_t i = 0; i < take; ++i) {
        std::size_t slot = std::size_t((read + i) % RingFrames);
        out[2 * i] += Ring[2 * slot];
        out[2 * i + 1] += Ring[2 * slot + 1];
    }
    RingRead.store(read + take);
    if (Streaming) Wake.notify_one();
}

void EndMusic() {
    if (MusicThread.joinable()) {
        Send(Verb::Quit);
        MusicThread.join();
    }
    DeletePlayer();
    if (Synth) delete_fluid_synth(Synth);
    if (Settings) delete_fluid_settings(Settings);
    Synth = nullptr;
    Settings = nullptr;
    Piece.clear();
    Queue.clear();
    EndStretch();
    FadeLeft = 0;
    RingRead = RingWritten.load();
    PieceOpen = false;
    TellRepeats();
}

bool SynthWouldPlay(const std::vector<std::uint8_t>& piece) {
    // A small synth of the game thread's own, without sound font, reverb or chorus: it only
    // loads the file. The first rendered block makes the player read the file and send the
    // events of tick 0, which are counted, not played.
    static fluid_synth_t* checker = nullptr;
    if (!checker) {
        HearTheSynth();
        fluid_settings_t* settings = new_fluid_settings();
        fluid_settings_setint(settings, "synth.polyphony", 1);
        fluid_settings_setint(settings, "synth.reverb.active", 0);
        fluid_settings_setint(settings, "synth.chorus.active", 0);
        fluid_settings_setint(settings, "synth.lock-memory", 0);
        fluid_settings_setstr(settings, "player.timing-source", "sample");
        checker = new_fluid_synth(settings); // keeps the settings for as long as the program runs
        if (!checker) return false;
    }
    fluid_player_t* player = new_fluid_player(checker);
    if (!player) return false;
    long sent = 0;
    auto count = [](void* sent, fluid_midi_event_t*) {
        ++*static_cast<long*>(sent);
        return int(FLUID_OK);
    };
    fluid_player_set_playback_callback(player, count, &sent);
    fluid_player_set_loop(player, 1);
    bool loaded = fluid_player_add_mem(player, piece.data(), piece.size()) == FLUID_OK &&
                  fluid_player_play(player) == FLUID_OK;
    float block[2 * 64];
    if (loaded) fluid_synth_write_float(checker, 64, block, 0, 2, block, 1, 2);
    // A file that fails to load leaves the player done at once; one that loads but holds
    // nothing (no track read, or nothing in them) sends nothing and lasts no time.
    loaded = loaded && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING &&
             (sent > 0 || fluid_player_get_total_ticks(player) > 0);
    delete_fluid_player(player);
    return loaded;
}

namespace {

DWORD CarryOut(MciVerb verb, const std::vector<std::uint8_t>* piece) {
    if (verb == MciVerb::Open) {
        // The music opens the output itself: a game without effects still has its music.
        int rate = 0, period = 0;
        if (!piece) return MusicCannotPlay;
        if (!SoundOutputForMusic(&rate, &period) || !StartMusic(rate, period))
            return MusicCannotLoadDriver;
        TellRepeats(); // what the last piece made the synthesizer say
        if (!SynthWouldPlay(*piece)) return MusicBadFile;
        Send(Verb::Load, *piece);
        PieceOpen = true;
        return 0;
    }
    if (!MusicThread.joinable())
        return verb == MciVerb::Close || verb == MciVerb::Stop ? 0 : MusicCannotLoadDriver;
    switch (verb) {
    case MciVerb::PlayFromStart:
    case MciVerb::Play:
        if (!PieceOpen) return MusicCannotPlay;
        Send(verb == MciVerb::PlayFromStart ? Verb::PlayFromStart : Verb::Play);
        return 0;
    case MciVerb::Stop:
        Send(Verb::Stop);
        return 0;
    case MciVerb::Close:
        Send(Verb::Close);
        PieceOpen = false;
        return 0;
    case MciVerb::Open:
        break;
    }
    return MusicCannotPlay;
}

} // namespace

DWORD BackendMci(MciVerb verb, const std::vector<std::uint8_t>* piece, const char*) {
    return CarryOut(verb, piece);
}

void BackendMciSent(const char*, DWORD) {}
