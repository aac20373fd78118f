// audio_sdl.cpp -- the sound output on the real machine
//
// One SDL audio device plays everything. Its callback, on SDL's audio thread, takes what the
// music thread has rendered (music_sdl.cpp), adds the sound effects on top (MixSoundBuffers)
// and keeps the sum within [-1, 1]. It never waits for the music: the game thread locks the
// device only for the few instructions of an effect's change.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/emulation/backend.h"
#include "platform/recording/demo_player.h"
#include "sdl_state.h"

namespace {

SDL_AudioDeviceID Device = 0;
int Rate = 0;   // frames per second of the open device
int Period = 0; // frames per callback

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

void FillAudio(void*, Uint8* stream, int bytes) {
    float* out = reinterpret_cast<float*>(stream);
    int frames = bytes / int(2 * sizeof(float));
    std::fill(out, out + 2 * frames, 0.0f);
    MixMusic(out, frames);
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

// Who needs the output: the effects (from DirectSoundCreate to its release) and the music
// (from its first piece on: the sound font loads once, so the music keeps the output until the
// program ends). Either may play without the other.
bool EffectsHold = false;
bool MusicHold = false;

void CloseOutput() {
    if (!Device) return;
    SDL_CloseAudioDevice(Device); // waits for the callback to finish
    Device = 0;
    EndMusic();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The callback reads the buffer table and the music's ring, which static destruction frees:
// every way out of the program (a return from main that skipped the releases, exit) closes the
// device first. Registered after those statics were made, so it runs before they are destroyed.
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
    Period = have.samples;
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

bool SoundOutputForMusic(int* rate, int* period) {
    std::string why;
    if (!OpenOutput(why)) return false;
    MusicHold = true;
    *rate = Rate;
    *period = Period;
    return true;
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
    // Then the device, and the music thread with it: a thread still running when the program
    // exits would end it with an abort instead of the status asked for.
    EndQuietLeft = -1;
    CloseOutput();
}

void SoundDeviceRemoved(std::uint32_t which) {
    if (!Device || which != Device) return;
    // An unplugged headset: carry on with the default device. The music thread goes on as it
    // was, so the music goes on from where it was; only the device behind it changes.
    std::string why;
    SDL_CloseAudioDevice(Device); // waits for the callback to finish
    Device = OpenDevice(Rate, why);
    if (!Device) {
        std::fprintf(stderr, "skirmo: the sound output went away: %s\n", why.c_str());
        EndMusic();
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

void BackendGameFileRead(const char*, const std::vector<std::uint8_t>*) {}
void BackendSoundWritten(const SoundBufferData&) {}
void BackendSoundPlayed(const SoundBufferData&) {}
void BackendSoundStopped(const SoundBufferData&) {}
