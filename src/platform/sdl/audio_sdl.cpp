// audio_sdl.cpp -- sound output and the MIDI sequencer on the real machine
//
// One SDL audio device plays everything. Its callback, on SDL's audio thread, renders the music
// with FluidSynth straight into the device's buffer, adds the sound effects on top
// (MixSoundBuffers) and keeps the sum within [-1, 1]. The music player is timed by the samples
// rendered, so it runs exactly as fast as the sound comes out, with no thread of its own. The
// game thread touches the synth and the player only while holding the device's lock.
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../backend.h"
#include "sdl_state.h"

namespace {

// MCI-style error numbers: no music device to play on, and a piece that would not start.
constexpr DWORD MusicCannotLoadDriver = 266;
constexpr DWORD MusicCannotPlay = 277;

// Where Debian's General MIDI sound fonts live, the most complete first.
constexpr const char* SoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/soundfonts/default.sf2",
};

SDL_AudioDeviceID Device = 0;
int Rate = 0; // frames per second of the open device

// The synth lives from the first piece opened until the sound output closes: loading the sound
// font takes a moment, so it is done once.
fluid_settings_t* Settings = nullptr;
fluid_synth_t* Synth = nullptr;
fluid_player_t* Player = nullptr;
std::vector<std::uint8_t> Piece; // the open MIDI file, so a replay never reads the disk again

// Music is rendered only while it can be heard: from a play until a stop has faded it out, or
// until the tail of a finished piece has rung out. That keeps the idle synth off the processor.
bool MusicRendering = false;
// A stop fades the music over a few milliseconds before cutting every voice: a voice cut in
// mid-swing would click.
int FadeLength = 0;
int FadeLeft = 0; // > 0 while a stop is fading out
// The player itself reports playing for a few seconds past the last event; after that the
// reverb is given this much longer to die away before rendering stops.
constexpr int TailSeconds = 2;
long TailLeft = 0; // frames

// The program ending (SoundOutputEnd): everything fades out over EndFadeLength frames, then a few
// buffers of silence go out, so that what the device still holds is quiet when it closes.
constexpr int EndQuietBuffers = 3;
int EndFadeLength = 1;
int EndFadeLeft = 0;
int EndQuietLeft = -1; // buffers of silence still to go; -1 while not ending

struct DeviceLock {
    DeviceLock() { BackendLockSound(); }
    ~DeviceLock() { BackendUnlockSound(); }
};

// Loud passages with effects on top stay inside [-1, 1] without a hard edge: up to the knee the
// signal passes untouched, above it the excess is bent smoothly towards full scale.
inline float Limit(float x) {
    constexpr float Knee = 0.85f;
    float a = std::fabs(x);
    if (a <= Knee) return x;
    float bent = Knee + (1.0f - Knee) * std::tanh((a - Knee) / (1.0f - Knee));
    return x < 0 ? -bent : bent;
}

// Cuts every voice at once; the player's own note-offs may come too late or never.
void SilenceSynth() {
    if (Synth) fluid_synth_all_sounds_off(Synth, -1);
    FadeLeft = 0;
}

void RenderMusic(float* out, int frames) {
    fluid_synth_write_float(Synth, frames, out, 0, 2, out, 1, 2);
    if (FadeLeft > 0) {
        int i = 0;
        for (; i < frames && FadeLeft > 0; ++i, --FadeLeft) {
            float gain = float(FadeLeft) / float(FadeLength);
            out[2 * i] *= gain;
            out[2 * i + 1] *= gain;
        }
        if (FadeLeft == 0) {
            std::fill(out + 2 * i, out + 2 * frames, 0.0f);
            SilenceSynth();
            MusicRendering = false;
        }
        return;
    }
    if (!Player || fluid_player_get_status(Player) != FLUID_PLAYER_PLAYING) {
        TailLeft -= frames;
        if (TailLeft <= 0) MusicRendering = false;
    }
}

void FillAudio(void*, Uint8* stream, int bytes) {
    float* out = reinterpret_cast<float*>(stream);
    int frames = bytes / int(2 * sizeof(float));
    if (MusicRendering && Synth)
        RenderMusic(out, frames);
    else
        std::fill(out, out + 2 * frames, 0.0f);
    MixSoundBuffers(out, frames, Rate);
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = Limit(out[i]);
    if (EndQuietLeft < 0) return;
    if (EndFadeLeft == 0 && EndQuietLeft > 0) --EndQuietLeft;
    for (int i = 0; i < frames; ++i) {
        float gain = float(EndFadeLeft) / float(EndFadeLength);
        if (EndFadeLeft > 0) --EndFadeLeft;
        out[2 * i] *= gain;
        out[2 * i + 1] *= gain;
    }
}

void DeletePlayer() {
    if (Player) delete_fluid_player(Player);
    Player = nullptr;
}

// A fresh player for the open piece, at its start and not playing. Called with the lock held.
bool NewPlayer() {
    DeletePlayer();
    Player = new_fluid_player(Synth);
    if (!Player) return false;
    fluid_player_set_loop(Player, 1); // once through, never again by itself
    if (fluid_player_add_mem(Player, Piece.data(), Piece.size()) != FLUID_OK) {
        DeletePlayer();
        return false;
    }
    return true;
}

void DeleteSynth() {
    DeletePlayer();
    if (Synth) delete_fluid_synth(Synth);
    if (Settings) delete_fluid_settings(Settings);
    Synth = nullptr;
    Settings = nullptr;
    MusicRendering = false;
    FadeLeft = 0;
}

// Creates the synth with a General MIDI sound font at the device's rate. Done outside the lock
// (the sound font takes a while to load); the callback sees the synth only once it is ready.
bool EnsureSynth() {
    if (Synth) return true;
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return false;
    fluid_settings_setnum(settings, "synth.sample-rate", double(Rate));
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    // The synth's default gain leaves the pieces near -30 dBFS, well under the effects; this
    // puts them beside the effects with room left for both together.
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    // Pinning a large sound font in memory buys nothing here and warns when not allowed.
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    bool loaded = false;
    for (const char* font : SoundFonts) {
        if (!synth) break;
        if (std::FILE* f = std::fopen(font, "rb")) {
            std::fclose(f);
            if (fluid_synth_sfload(synth, font, 1) != FLUID_FAILED) {
                loaded = true;
                break;
            }
        }
    }
    if (!loaded) {
        std::fprintf(stderr, "skirmo: no General MIDI sound font to play music with\n");
        if (synth) delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        return false;
    }
    DeviceLock lock;
    Settings = settings;
    Synth = synth;
    return true;
}

DWORD OpenMusic(const std::vector<std::uint8_t>& piece) {
    if (!EnsureSynth()) return MusicCannotLoadDriver;
    {
        DeviceLock lock;
        DeletePlayer();
        SilenceSynth();
        MusicRendering = false;
    }
    if (piece.empty()) return MusicCannotPlay;
    DeviceLock lock;
    Piece = piece;
    return NewPlayer() ? 0 : MusicCannotPlay;
}

// Starts the player. From the start means a new player: it begins at tick 0 whether the old
// one was stopped halfway or had played to its end.
DWORD PlayMusic(bool fromStart) {
    DeviceLock lock;
    if (!Synth || Piece.empty()) return MusicCannotPlay;
    if (FadeLeft > 0) SilenceSynth(); // a stop still fading: finish it before the new notes
    if ((fromStart || !Player) && !NewPlayer()) return MusicCannotPlay;
    if (fluid_player_play(Player) != FLUID_OK) return MusicCannotPlay;
    MusicRendering = true;
    TailLeft = long(TailSeconds) * Rate;
    return 0;
}

// Every held note is released now; the callback fades out what still sounds and then cuts the
// voices. Called with the lock held.
void FadeOutMusic() {
    if (!Synth) return;
    fluid_synth_all_notes_off(Synth, -1);
    if (MusicRendering && FadeLeft == 0) FadeLeft = FadeLength;
}

DWORD StopMusic() {
    DeviceLock lock;
    if (!Player) return 0;
    fluid_player_stop(Player);
    FadeOutMusic();
    return 0;
}

DWORD CloseMusic() {
    DeviceLock lock;
    DeletePlayer();
    Piece.clear();
    FadeOutMusic();
    return 0;
}

} // namespace

namespace {

// Who needs the output: the effects (from DirectSoundCreate to its release) and the music
// (from its first piece on: the sound font loads once, so the music keeps the output until the
// program ends). Either may play without the other.
bool EffectsHold = false;
bool MusicHold = false;

void CloseOutput() {
    if (!Device) return;
    SDL_CloseAudioDevice(Device); // waits for the callback to finish
    Device = 0;
    DeleteSynth();
    Piece.clear();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The callback reads the buffer table and the synth, which static destruction frees: every way
// out of the program (a return from main that skipped the releases, exit) closes the device
// first. Registered after those statics were made, so it runs before they are destroyed.
void CloseOutputAtExit() {
    // The game's handles die with the program: its buffers go too, so nothing is left behind.
    ResetSoundService();
    EffectsHold = MusicHold = false;
    CloseOutput();
}

// Opens the default device at the given rate (0: the device's own). Null with the reason.
SDL_AudioDeviceID OpenDevice(int rate, std::string& why) {
    SDL_AudioSpec want{}, have{};
    want.freq = rate > 0 ? rate : 44100;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 512; // about 12 ms: a shot is heard when it is fired
    want.callback = FillAudio;
    // The mixer and the synth work at any rate, so take the device's own; SDL converts the rest.
    // A device reopened for a synth already running keeps the synth's rate.
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                               rate > 0 ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (!id) {
        why = SDL_GetError();
        return 0;
    }
    Rate = have.freq;
    return id;
}

bool OpenOutput(std::string& why) {
    if (Device) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        std::fprintf(stderr, "skirmo: no sound output: %s\n", why.c_str());
        return false;
    }
    Device = OpenDevice(0, why);
    if (!Device) {
        std::fprintf(stderr, "skirmo: no sound output: %s\n", why.c_str());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    static bool exitHookSet = false;
    if (!exitHookSet) exitHookSet = std::atexit(CloseOutputAtExit) == 0;
    FadeLength = std::max(1, Rate / 200); // 5 ms
    SDL_PauseAudioDevice(Device, 0);
    return true;
}

} // namespace

bool BackendOpenSound(std::string& why) {
    if (!OpenOutput(why)) return false;
    EffectsHold = true;
    return true;
}

void BackendCloseSound() {
    EffectsHold = false;
    if (!MusicHold) CloseOutput();
}

void SoundOutputEnd() {
    if (!Device) return;
    {
        DeviceLock lock;
        EndFadeLength = EndFadeLeft = std::max(1, Rate / 100); // 10 ms
        EndQuietLeft = EndQuietBuffers;
    }
    // A few buffers' time; a device that stopped asking for sound is closed all the same.
    const Uint64 giveUp = SDL_GetTicks64() + 150;
    for (;;) {
        BackendLockSound();
        bool quiet = EndQuietLeft == 0;
        BackendUnlockSound();
        if (quiet || SDL_GetTicks64() >= giveUp) break;
        SDL_Delay(2);
    }
    // The callback is done for good; the synth and the buffers it read go with the process
    // (freeing the sound font only costs time now).
    SDL_CloseAudioDevice(Device);
    Device = 0;
    EndQuietLeft = -1;
}

void SoundDeviceRemoved(std::uint32_t which) {
    if (!Device || which != Device) return;
    // An unplugged headset: carry on with the default device. The synth and its player stay as
    // they are, so the music goes on from where it was; only the device behind them changes.
    std::string why;
    SDL_CloseAudioDevice(Device); // waits for the callback to finish
    Device = OpenDevice(Rate, why);
    if (!Device) {
        std::fprintf(stderr, "skirmo: the sound output went away: %s\n", why.c_str());
        DeleteSynth();
        Piece.clear();
        return;
    }
    SDL_PauseAudioDevice(Device, 0);
}

void BackendLockSound() {
    if (Device) SDL_LockAudioDevice(Device);
}

void BackendUnlockSound() {
    if (Device) SDL_UnlockAudioDevice(Device);
}

bool BackendNamesSoundBuffers() { return false; }
void BackendSoundPlayed(const SoundBufferData&) {}
void BackendSoundStopped(const SoundBufferData&) {}

DWORD BackendMci(MciVerb verb, const std::vector<std::uint8_t>* piece, const char*) {
    // The music opens the output itself: a game without effects still has its music.
    if (verb == MciVerb::Open) {
        std::string why;
        if (!OpenOutput(why)) return MusicCannotLoadDriver;
        MusicHold = true;
    }
    if (!Device) return verb == MciVerb::Close || verb == MciVerb::Stop ? 0 : MusicCannotLoadDriver;
    switch (verb) {
    case MciVerb::Open:
        return piece ? OpenMusic(*piece) : MusicCannotPlay;
    case MciVerb::PlayFromStart:
        return PlayMusic(true);
    case MciVerb::Play:
        return PlayMusic(false);
    case MciVerb::Stop:
        return StopMusic();
    case MciVerb::Close:
        return CloseMusic();
    }
    return MusicCannotPlay;
}

void BackendMciSent(const char*, DWORD) {}
