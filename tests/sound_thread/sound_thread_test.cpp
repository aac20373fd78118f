// The real sound output with its mixer on SDL's audio thread (SDL's dummy driver: no sound card
// needed, the callback still runs on its own thread at the device's pace). What the game thread
// does to buffers while they play must never race the mixer, and no way out of the program may
// leave the mixer running over freed memory. scripts/test also runs these under ThreadSanitizer.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/dsound.h"

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
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            IDirectSound* sound = nullptr;
            if (DirectSoundCreate(nullptr, &sound, nullptr) != DS_OK) _exit(3);
            for (int i = 0; i < 8; ++i) {
                IDirectSoundBuffer* b = Make(sound, 2000);
                Fill(b, 60);
                b->Play(0, 0, DSBPLAY_LOOPING);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(run * 3));
            std::exit(0); // as a return from main: static destruction follows
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "run " << run << " died by signal " << WTERMSIG(status);
        ASSERT_EQ(WEXITSTATUS(status), 0) << "run " << run;
    }
}

} // namespace
