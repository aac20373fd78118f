// sound_buffers.cpp -- sound buffers and their mixing, shared by the real and the test platform
//
// A buffer is a block of 8-bit unsigned mono samples with its own frequency, volume and pan.
// The real platform's audio thread mixes the playing ones (MixSoundBuffers); the game thread
// only flips their settings, under the sound lock, for the few instructions that takes.
#include "platform/api/dsound.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "backend.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"

// The samples of a buffer and of all its duplicates. A lock through any of them covers all: the
// mixer leaves every buffer playing these samples alone while the game writes them.
struct SharedSamples {
    std::vector<std::uint8_t> bytes;
    bool locked = false;
};

struct SoundBufferData {
    std::shared_ptr<SharedSamples> samples; // shared with duplicates
    DWORD flags = 0;
    DWORD frequency = 11025;
    LONG volume = 0;
    LONG pan = 0;
    double position = 0.0; // in samples
    bool playing = false;
    bool looping = false;
    bool locked = false; // this buffer holds the samples' lock
};

const std::vector<std::uint8_t>& SoundBufferSamples(const SoundBufferData& b) {
    return b.samples->bytes;
}
DWORD SoundBufferFrequency(const SoundBufferData& b) { return b.frequency; }
LONG SoundBufferVolume(const SoundBufferData& b) { return b.volume; }
bool SoundBufferLooping(const SoundBufferData& b) { return b.looping; }

namespace {

IDirectSound* TheSound = nullptr;
std::vector<IDirectSoundBuffer*> Buffers;
std::string OutputError; // why the last DirectSoundCreate failed

struct SoundLock {
    SoundLock() { BackendLockSound(); }
    ~SoundLock() { BackendUnlockSound(); }
};

IDirectSoundBuffer* NewBuffer(SoundBufferData data) {
    auto* buffer = new IDirectSoundBuffer;
    buffer->data = new SoundBufferData(std::move(data));
    SoundLock lock;
    Buffers.push_back(buffer);
    return buffer;
}

} // namespace

HRESULT DirectSoundCreate(void*, IDirectSound** sound, void*) {
    BackendCall("DirectSoundCreate");
    if (!sound) return DSERR_INVALIDPARAM;
    *sound = nullptr;
    OutputError.clear();
    if (TheSound) {
        OutputError = "the sound output is open already";
        return DSERR_NODRIVER;
    }
    // A demo's game hears the recorded answer. The machine's own output opens for the viewer all
    // the same, and its answer does not count.
    bool opened = false;
    if (!DemoPlaying())
        opened = BackendOpenSound(OutputError);
    else if ((opened = DemoSoundOutput(OutputError))) {
        std::string mine;
        BackendOpenSound(mine);
    }
    if (!RecordSoundOutput(opened, OutputError)) {
        if (OutputError.empty()) OutputError = "no sound output";
        return DSERR_NODRIVER;
    }
    TheSound = new IDirectSound;
    *sound = TheSound;
    return DS_OK;
}

HRESULT IDirectSound::SetCooperativeLevel(HWND window, DWORD level) {
    return window && level == DSSCL_NORMAL ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT IDirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer,
                                        void*) {
    if (!desc || !buffer || !desc->lpwfxFormat) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    const WAVEFORMATEX& f = *desc->lpwfxFormat;
    // The game declares every buffer as 8-bit mono PCM; nothing else is mixed here.
    if (f.wFormatTag != WAVE_FORMAT_PCM || f.nChannels != 1 || f.wBitsPerSample != 8 ||
        f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX)
        return DSERR_INVALIDPARAM;
    // Static buffers of up to 16 MiB: far beyond any effect, small enough never to matter.
    if (desc->dwBufferBytes < 4 || desc->dwBufferBytes > (16u << 20)) return DSERR_INVALIDPARAM;
    if ((desc->dwFlags & DSBCAPS_LOCHARDWARE) && (desc->dwFlags & DSBCAPS_LOCSOFTWARE))
        return DSERR_INVALIDPARAM;
    SoundBufferData data;
    data.samples = std::make_shared<SharedSamples>();
    data.samples->bytes.assign(desc->dwBufferBytes, 128);
    data.flags = desc->dwFlags;
    data.frequency = f.nSamplesPerSec;
    *buffer = NewBuffer(std::move(data));
    return DS_OK;
}

HRESULT IDirectSound::DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                           IDirectSoundBuffer** duplicate) {
    if (!original || !duplicate) return DSERR_INVALIDPARAM;
    SoundBufferData copy;
    {
        SoundLock lock; // the mixer may be moving the original on right now
        copy = *original->data;
    }
    copy.playing = copy.looping = copy.locked = false;
    copy.position = 0.0;
    *duplicate = NewBuffer(std::move(copy));
    return DS_OK;
}

const char* SoundOutputError() { return OutputError.c_str(); }

namespace {

void FreeBuffer(IDirectSoundBuffer* buffer) {
    delete buffer->data;
    delete buffer;
}

} // namespace

DWORD IDirectSound::Release() {
    BackendCall("IDirectSound::Release");
    if (this == TheSound) {
        // The buffers go with the service that made them, as the real service frees them, so a
        // shut-down that releases only the service leaks nothing.
        std::vector<IDirectSoundBuffer*> left;
        {
            SoundLock lock;
            left.swap(Buffers);
        }
        for (IDirectSoundBuffer* b : left)
            FreeBuffer(b);
        TheSound = nullptr;
        BackendCloseSound();
    }
    delete this;
    return 0;
}

int SoundBufferCount() { return int(Buffers.size()); }

void ResetSoundService() {
    if (TheSound) TheSound->Release();
    OutputError.clear();
}

HRESULT IDirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** region1, DWORD* bytes1,
                                 void** region2, DWORD* bytes2, DWORD) {
    if (!region1 || !bytes1 || data->samples->locked) return DSERR_INVALIDPARAM;
    std::vector<std::uint8_t>& s = data->samples->bytes;
    if (offset >= s.size()) return DSERR_INVALIDPARAM;
    if (bytes == 0 || bytes > s.size() - offset) bytes = DWORD(s.size() - offset);
    SoundLock lock;
    data->locked = data->samples->locked = true;
    *region1 = s.data() + offset;
    *bytes1 = bytes;
    if (region2) *region2 = nullptr;
    if (bytes2) *bytes2 = 0;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Unlock(void*, DWORD, void*, DWORD) {
    if (!data->locked) return DSERR_INVALIDPARAM;
    BackendSoundWritten(*data);
    SoundLock lock;
    data->locked = data->samples->locked = false;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::SetCurrentPosition(DWORD position) {
    SoundLock lock;
    data->position = std::min<double>(position, double(data->samples->bytes.size()));
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Play(DWORD, DWORD, DWORD flags) {
    {
        SoundLock lock;
        data->playing = true;
        data->looping = (flags & DSBPLAY_LOOPING) != 0;
    }
    BackendSoundPlayed(*data);
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Stop() {
    {
        SoundLock lock;
        data->playing = false;
    }
    BackendSoundStopped(*data);
    return DS_OK;
}

namespace {

// A setting the buffer was created to take (its control flag), within its range.
template <class T>
HRESULT SetControl(SoundBufferData* data, DWORD control, T value, T low, T high, T& setting) {
    if (!(data->flags & control)) return DSERR_CONTROLUNAVAIL;
    if (value < low || value > high) return DSERR_INVALIDPARAM;
    SoundLock lock;
    setting = value;
    return DS_OK;
}

} // namespace

HRESULT IDirectSoundBuffer::SetVolume(LONG volume) {
    return SetControl(data, DSBCAPS_CTRLVOLUME, volume, DSBVOLUME_MIN, DSBVOLUME_MAX, data->volume);
}

HRESULT IDirectSoundBuffer::SetFrequency(DWORD frequency) {
    return SetControl(data, DSBCAPS_CTRLFREQUENCY, frequency, DSBFREQUENCY_MIN, DSBFREQUENCY_MAX,
                      data->frequency);
}

HRESULT IDirectSoundBuffer::SetPan(LONG pan) {
    return SetControl(data, DSBCAPS_CTRLPAN, pan, DSBPAN_LEFT, DSBPAN_RIGHT, data->pan);
}

HRESULT IDirectSoundBuffer::GetStatus(DWORD* status) {
    if (!status) return DSERR_INVALIDPARAM;
    SoundLock lock;
    *status = (data->playing ? DSBSTATUS_PLAYING : 0) |
              (data->playing && data->looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

DWORD IDirectSoundBuffer::Release() {
    {
        SoundLock lock;
        Buffers.erase(std::remove(Buffers.begin(), Buffers.end(), this), Buffers.end());
        // A buffer released while it holds the lock gives it back to its duplicates.
        if (data->locked) data->samples->locked = false;
    }
    FreeBuffer(this);
    return 0;
}

void MixSoundBuffers(float* out, int frames, int outputRate) {
    if (!out || frames <= 0 || outputRate <= 0) return;
    for (IDirectSoundBuffer* buffer : Buffers) {
        SoundBufferData& b = *buffer->data;
        if (!b.playing || b.samples->locked) continue;
        const std::vector<std::uint8_t>& s = b.samples->bytes;
        const double size = double(s.size());
        // Attenuation in hundredths of a decibel; pan attenuates the far side the same way.
        float gain = float(std::pow(10.0, double(b.volume) / 2000.0));
        float left = gain * float(b.pan > 0 ? std::pow(10.0, -double(b.pan) / 2000.0) : 1.0);
        float right = gain * float(b.pan < 0 ? std::pow(10.0, double(b.pan) / 2000.0) : 1.0);
        const double step = double(b.frequency) / double(outputRate);
        for (int i = 0; i < frames; ++i) {
            if (b.position >= size) {
                if (!b.looping) {
                    b.playing = false;
                    b.position = 0.0;
                    break;
                }
                // One step can pass the end more than once (a short buffer played fast).
                b.position = std::fmod(b.position, size);
            }
            // Linear interpolation between neighbouring samples keeps the low rates smooth.
            std::size_t at = std::size_t(b.position);
            double frac = b.position - double(at);
            double next = at + 1 < s.size() ? s[at + 1] : (b.looping ? s[0] : 128);
            float v = float(((double(s[at]) * (1.0 - frac) + next * frac) - 128.0) / 128.0);
            out[2 * i] += v * left;
            out[2 * i + 1] += v * right;
            b.position += step;
        }
    }
}
