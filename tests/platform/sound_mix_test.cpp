// The sound buffers both platforms share and their mixer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/emulation/backend.h"
#include "platform/api/dsound.h"
#include "platform/test/test_platform.h"

namespace {

constexpr DWORD AllControls =
    DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;

class SoundMixTest : public ::testing::Test {
  protected:
    IDirectSound* sound = nullptr;
    std::vector<IDirectSoundBuffer*> made;

    void SetUp() override {
        TestPlatformStart({});
        ASSERT_EQ(DirectSoundCreate(nullptr, &sound, nullptr), DS_OK);
        ASSERT_NE(sound, nullptr);
    }
    void TearDown() override {
        for (IDirectSoundBuffer* b : made)
            b->Release();
        if (sound) sound->Release();
    }

    // A buffer holding these 8-bit samples at this frequency.
    IDirectSoundBuffer* Make(const std::vector<std::uint8_t>& samples, DWORD frequency = 11025,
                             DWORD flags = AllControls) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, frequency, frequency, 1, 8, 0};
        DSBUFFERDESC desc{sizeof(DSBUFFERDESC), flags, DWORD(samples.size()), 0, &format};
        IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(sound->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
        if (!b) return nullptr;
        made.push_back(b);
        void* region = nullptr;
        DWORD bytes = 0;
        EXPECT_EQ(b->Lock(0, 0, &region, &bytes, nullptr, nullptr, 0), DS_OK);
        EXPECT_EQ(bytes, samples.size());
        std::copy(samples.begin(), samples.end(), static_cast<std::uint8_t*>(region));
        EXPECT_EQ(b->Unlock(region, bytes, nullptr, 0), DS_OK);
        return b;
    }

    // Mixes frames of stereo into silence.
    static std::vector<float> Mix(int frames, int rate) {
        std::vector<float> out(std::size_t(2 * frames), 0.0f);
        MixSoundBuffers(out.data(), frames, rate);
        return out;
    }

    static bool Playing(IDirectSoundBuffer* b) {
        DWORD status = 0;
        EXPECT_EQ(b->GetStatus(&status), DS_OK);
        return (status & DSBSTATUS_PLAYING) != 0;
    }
};

// Sample k is 128 + k, so it mixes as k / 128 and the output is a straight line whose slope
// shows how far the buffer moved per output frame.
std::vector<std::uint8_t> Ramp(int n) {
    std::vector<std::uint8_t> s(std::size_t(n), 0);
    for (int k = 0; k < n; ++k)
        s[std::size_t(k)] = std::uint8_t(128 + k);
    return s;
}

TEST_F(SoundMixTest, BufferAdvancesFrequencyOverRatePerFrameInAnyPiecesAndStopsAtItsEnd) {
    struct Case {
        DWORD frequency;
        int rate;
    };
    for (Case c : {Case{11025, 44100}, Case{7000, 44100}, Case{22050, 22050}, Case{44100, 22050},
                   Case{7000, 48000}}) {
        SCOPED_TRACE(testing::Message() << c.frequency << " Hz at " << c.rate);
        const int n = 100;
        IDirectSoundBuffer* b = Make(Ramp(n), c.frequency);
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
        ASSERT_TRUE(Playing(b));
        const double step = double(c.frequency) / c.rate;
        const int played = int(std::ceil(n / step)); // frames whose position is still inside
        std::vector<float> out = Mix(played + 50, c.rate);
        for (int i = 0; i < played; ++i) {
            double position = i * step;
            // Between the last sample and the end the line bends back towards silence.
            double want = position <= n - 1 ? position / 128.0 : (n - 1) * (n - position) / 128.0;
            ASSERT_NEAR(out[2 * i], want, 1e-5) << "frame " << i;
            ASSERT_EQ(out[2 * i], out[2 * i + 1]) << "frame " << i;
        }
        for (int i = played; i < played + 50; ++i)
            ASSERT_EQ(out[2 * i], 0.0f) << "frame " << i << " after the end";
        EXPECT_FALSE(Playing(b));
        // Mixed again in pieces of 37 frames, the output is the same.
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
        std::vector<float> pieces(out.size(), 0.0f);
        for (int at = 0; at < played + 50; at += 37)
            MixSoundBuffers(pieces.data() + 2 * at, std::min(37, played + 50 - at), c.rate);
        ASSERT_EQ(pieces, out);
        // Stopped at its end, it starts from the beginning when played again.
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
        out = Mix(3, c.rate);
        EXPECT_NEAR(out[2], step / 128.0, 1e-5);
        b->Stop();
    }
}

TEST_F(SoundMixTest, MixAddsToWhatTheOutputHolds) {
    Make(std::vector<std::uint8_t>(64, 192))->Play(0, 0, 0);
    Make(std::vector<std::uint8_t>(64, 96))->Play(0, 0, 0);
    std::vector<float> out(20, 0.25f);
    MixSoundBuffers(out.data(), 10, 11025);
    // 0.25 already there, +0.5 from one buffer, -0.25 from the other.
    for (float v : out)
        EXPECT_FLOAT_EQ(v, 0.5f);
}

TEST_F(SoundMixTest, VolumeAndPanAreAttenuationsInHundredthsOfADecibel) {
    const float top = 127.0f / 128.0f; // a sample of 255
    IDirectSoundBuffer* b = Make(std::vector<std::uint8_t>(400, 255));
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    // Panned right by 20 dB the left side falls to a tenth and the right keeps the volume.
    const struct {
        LONG volume, pan;
        double left, right;
    } cases[] = {{-600, 0, 0.501187, 0.501187},
                 {-600, 2000, 0.0501187, 0.501187},
                 {0, DSBPAN_LEFT, 1.0, 0.0},
                 {DSBVOLUME_MIN, 0, 0.0, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan);
        ASSERT_EQ(b->SetVolume(c.volume), DS_OK);
        ASSERT_EQ(b->SetPan(c.pan), DS_OK);
        std::vector<float> out = Mix(4, 11025);
        EXPECT_NEAR(out[2] / top, c.left, 1e-4);
        EXPECT_NEAR(out[3] / top, c.right, 1e-4);
    }
}

TEST_F(SoundMixTest, DuplicatePlaysTheSameSamplesOnItsOwn) {
    const double half = 0.501187; // -600
    IDirectSoundBuffer* original = Make(Ramp(100));
    ASSERT_EQ(original->SetVolume(-600), DS_OK);
    ASSERT_EQ(original->Play(0, 0, 0), DS_OK);
    Mix(3, 11025); // the original is now at sample 3
    IDirectSoundBuffer* copy = nullptr;
    ASSERT_EQ(sound->DuplicateSoundBuffer(original, &copy), DS_OK);
    made.push_back(copy);

    // The copy takes the original's settings but not its state: it waits at sample 0.
    EXPECT_FALSE(Playing(copy));
    ASSERT_EQ(copy->Play(0, 0, 0), DS_OK);
    std::vector<float> out = Mix(2, 11025);
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(out[2 * i], (3.0 + i) / 128.0 * half + i / 128.0 * half, 1e-6) << i;

    // A volume change on one leaves the other alone.
    ASSERT_EQ(copy->SetVolume(0), DS_OK);
    out = Mix(2, 11025);
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(out[2 * i], (5.0 + i) / 128.0 * half + (2.0 + i) / 128.0, 1e-6) << i;

    // The samples are shared, and so is their lock: while the original is locked the playing
    // copy waits (the mixer would read what the game is writing), then plays what was written.
    ASSERT_EQ(original->Stop(), DS_OK);
    EXPECT_TRUE(Playing(copy));
    void* region = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(original->Lock(0, 0, &region, &bytes, nullptr, nullptr, 0), DS_OK);
    void* other = nullptr;
    DWORD otherBytes = 0;
    EXPECT_EQ(copy->Lock(0, 0, &other, &otherBytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    static_cast<std::uint8_t*>(region)[4] = 128 + 100;
    out = Mix(1, 11025);
    EXPECT_EQ(out[0], 0.0f) << "the copy was left out while the samples were locked";
    EXPECT_EQ(copy->Unlock(region, bytes, nullptr, 0), DSERR_INVALIDPARAM) << "not its lock";
    ASSERT_EQ(original->Unlock(region, bytes, nullptr, 0), DS_OK);
    out = Mix(1, 11025);
    EXPECT_NEAR(out[0], 100.0 / 128.0, 1e-6);

    // Releasing the original leaves the copy playing with the samples it shared.
    original->Release();
    made.erase(made.begin());
    EXPECT_TRUE(Playing(copy));
    out = Mix(1, 11025);
    EXPECT_NEAR(out[0], 5.0 / 128.0, 1e-6);
}

TEST_F(SoundMixTest, ControlsNeedTheirFlagAndRefuseValuesOutOfRange) {
    IDirectSoundBuffer* bare = Make(Ramp(16), 11025, DSBCAPS_STATIC);
    EXPECT_EQ(bare->SetVolume(-600), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(bare->SetFrequency(7000), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(bare->SetPan(100), DSERR_CONTROLUNAVAIL);
    IDirectSoundBuffer* volumeOnly = Make(Ramp(16), 11025, DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME);
    EXPECT_EQ(volumeOnly->SetVolume(-600), DS_OK);
    EXPECT_EQ(volumeOnly->SetFrequency(7000), DSERR_CONTROLUNAVAIL);

    IDirectSoundBuffer* b = Make(Ramp(16));
    EXPECT_EQ(b->SetVolume(DSBVOLUME_MIN), DS_OK);
    EXPECT_EQ(b->SetVolume(DSBVOLUME_MAX), DS_OK);
    EXPECT_EQ(b->SetVolume(DSBVOLUME_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MIN), DS_OK);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MAX), DS_OK);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_MAX + 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetPan(DSBPAN_LEFT), DS_OK);
    EXPECT_EQ(b->SetPan(DSBPAN_RIGHT), DS_OK);
    EXPECT_EQ(b->SetPan(DSBPAN_LEFT - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetPan(DSBPAN_RIGHT + 1), DSERR_INVALIDPARAM);

    // A refused value leaves the last good one in place: full volume, 11025 Hz.
    ASSERT_EQ(b->SetVolume(0), DS_OK);
    ASSERT_EQ(b->SetFrequency(11025), DS_OK);
    ASSERT_EQ(b->SetPan(0), DS_OK);
    EXPECT_NE(b->SetVolume(-20000), DS_OK);
    EXPECT_NE(b->SetFrequency(0), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<float> out = Mix(3, 11025);
    EXPECT_NEAR(out[4], 2.0 / 128.0, 1e-6);
    EXPECT_NEAR(out[5], 2.0 / 128.0, 1e-6);
}

TEST_F(SoundMixTest, BuffersTakeOnlyEightBitMonoPcm) {
    const struct {
        WORD channels, bits;
        DWORD rate, bytes, flags;
        HRESULT want;
    } cases[] = {{1, 8, 11025, 100, DSBCAPS_STATIC, DS_OK},
                 {1, 16, 11025, 100, DSBCAPS_STATIC, DSERR_INVALIDPARAM},
                 {2, 8, 11025, 100, DSBCAPS_STATIC, DSERR_INVALIDPARAM},
                 {1, 8, 50, 100, DSBCAPS_STATIC, DSERR_INVALIDPARAM},
                 {1, 8, 11025, 0, DSBCAPS_STATIC, DSERR_INVALIDPARAM},
                 {1, 8, 11025, 16u << 20, DSBCAPS_STATIC, DS_OK}, // the most a buffer holds
                 {1, 8, 11025, (16u << 20) + 1, DSBCAPS_STATIC, DSERR_INVALIDPARAM},
                 {1, 8, 11025, 100, DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE, DSERR_INVALIDPARAM}};
    for (const auto& c : cases) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, c.channels, c.rate, c.rate, 1, c.bits, 0};
        DSBUFFERDESC desc{sizeof(DSBUFFERDESC), c.flags, c.bytes, 0, &format};
        IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(sound->CreateSoundBuffer(&desc, &b, nullptr), c.want) << c.bits << " " << c.bytes;
        if (b) made.push_back(b);
    }
    EXPECT_EQ(sound->CreateSoundBuffer(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
}

TEST_F(SoundMixTest, LockGivesTheWholeBufferInTheFirstRegion) {
    IDirectSoundBuffer* b = Make(Ramp(50));
    void* r1 = nullptr;
    void* r2 = reinterpret_cast<void*>(1);
    DWORD n1 = 0, n2 = 99;
    ASSERT_EQ(b->Lock(0, 50, &r1, &n1, &r2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 50u);
    EXPECT_EQ(r2, nullptr);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(static_cast<std::uint8_t*>(r1)[49], 128 + 49); // what Make wrote
    // One lock at a time, and a locked buffer is left out of the mix.
    void* again = nullptr;
    DWORD m = 0;
    EXPECT_EQ(b->Lock(0, 0, &again, &m, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<float> out = Mix(4, 11025);
    EXPECT_EQ(out[2], 0.0f);
    ASSERT_EQ(b->Unlock(r1, n1, r2, n2), DS_OK);
    EXPECT_EQ(b->Unlock(r1, n1, r2, n2), DSERR_INVALIDPARAM);
    out = Mix(4, 11025);
    EXPECT_NEAR(out[2], 1.0 / 128.0, 1e-6); // it waited at the start while locked

    // Asking for too much, or nothing, gives what is left from the offset.
    ASSERT_EQ(b->Lock(10, 1000, &r1, &n1, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(n1, 40u);
    EXPECT_EQ(static_cast<std::uint8_t*>(r1)[0], 128 + 10);
    ASSERT_EQ(b->Unlock(r1, n1, nullptr, 0), DS_OK);
    EXPECT_EQ(b->Lock(50, 1, &r1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(SoundMixTest, LoopingWrapsStopHoldsThePositionAndPlayResumes) {
    IDirectSoundBuffer* b = Make(Ramp(10));
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DWORD status = 0;
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    std::vector<float> out = Mix(35, 11025);
    for (int i = 0; i < 35; ++i)
        ASSERT_NEAR(out[2 * i], (i % 10) / 128.0, 1e-6) << i;
    EXPECT_TRUE(Playing(b));

    // Stopped at sample 5, silent while stopped, on from 5 when played without looping.
    ASSERT_EQ(b->Stop(), DS_OK);
    out = Mix(3, 11025);
    EXPECT_EQ(out[2], 0.0f);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    out = Mix(10, 11025);
    EXPECT_NEAR(out[0], 5.0 / 128.0, 1e-6);
    EXPECT_EQ(out[2 * 5], 0.0f); // ended without wrapping
    EXPECT_FALSE(Playing(b));

    // SetCurrentPosition moves it; beyond the end it clamps and the buffer simply ends.
    ASSERT_EQ(b->SetCurrentPosition(7), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    out = Mix(1, 11025);
    EXPECT_NEAR(out[0], 7.0 / 128.0, 1e-6);
    ASSERT_EQ(b->SetCurrentPosition(1000), DS_OK);
    out = Mix(2, 11025);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_FALSE(Playing(b));
}

TEST_F(SoundMixTest, LoopingBufferShorterThanOneStepStillWraps) {
    // 4 samples at 100 kHz mixed at 11025: each frame moves more than twice round the buffer.
    IDirectSoundBuffer* b = Make(Ramp(4), DSBFREQUENCY_MAX);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    std::vector<float> out = Mix(50, 11025);
    const double step = double(DSBFREQUENCY_MAX) / 11025.0;
    for (int i = 0; i < 50; ++i) {
        double p = std::fmod(i * step, 4.0);
        int at = int(p);
        double next = at == 3 ? 0.0 : at + 1.0; // the last sample leads back to the first
        ASSERT_NEAR(out[2 * i], (at + (next - at) * (p - at)) / 128.0, 1e-4) << i;
    }
    EXPECT_TRUE(Playing(b));
}

} // namespace
