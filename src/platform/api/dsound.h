// dsound.h -- the sound service: static buffers of 8-bit mono samples, mixed by the platform
//
// Each buffer holds its samples, its own playing frequency, a volume (hundredths of a decibel
// of attenuation, 0 = full) and a pan; Play starts it from its current position and returns at
// once. Only what the game uses exists.
#pragma once

#include "wintypes.h"

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_INVALIDPARAM = HRESULT(0x80070057u);
constexpr HRESULT DSERR_NODRIVER = HRESULT(0x88780078u);
constexpr HRESULT DSERR_CONTROLUNAVAIL = HRESULT(0x8878001Eu);

constexpr DWORD DSSCL_NORMAL = 0x00000001;

constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_RIGHT = 10000;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 100000;

constexpr WORD WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "the wave loader reads exactly 18 bytes into it");

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    WAVEFORMATEX* lpwfxFormat;
};

struct SoundBufferData;

class IDirectSoundBuffer {
  public:
    // The whole buffer is one region; the second region is always empty.
    HRESULT Lock(DWORD offset, DWORD bytes, void** region1, DWORD* bytes1, void** region2,
                 DWORD* bytes2, DWORD flags);
    HRESULT Unlock(void* region1, DWORD bytes1, void* region2, DWORD bytes2);
    HRESULT SetCurrentPosition(DWORD position);
    HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags);
    HRESULT Stop();
    // Attenuation in hundredths of a decibel, DSBVOLUME_MIN to 0; needs DSBCAPS_CTRLVOLUME.
    HRESULT SetVolume(LONG volume);
    // Samples per second, DSBFREQUENCY_MIN to DSBFREQUENCY_MAX; needs DSBCAPS_CTRLFREQUENCY.
    HRESULT SetFrequency(DWORD frequency);
    // The pan, the status and the duplicate below serve only the slot operations the game was
    // designed with and never calls (SetSlotPan, GetSlotStatus, DuplicateSoundSlot).
    // Pan: DSBPAN_LEFT to DSBPAN_RIGHT; needs DSBCAPS_CTRLPAN.
    HRESULT SetPan(LONG pan);
    HRESULT GetStatus(DWORD* status);
    DWORD Release();

    SoundBufferData* data = nullptr; // the platform's own
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

class IDirectSound {
  public:
    HRESULT SetCooperativeLevel(HWND window, DWORD level);
    // A static buffer of 8-bit mono PCM (the only format taken) of dwBufferBytes samples.
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, void* outer);
    // A second buffer playing the same samples, with its own position and settings.
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate);
    DWORD Release();
};
using LPDIRECTSOUND = IDirectSound*;

// Opens the default sound output. Fails when there is none.
HRESULT DirectSoundCreate(void* guid, IDirectSound** sound, void* outer);
// Why the last DirectSoundCreate failed, in the platform's own words (SDL's reason on the
// desktop, a fixed sentence when a test run makes it fail), for the game to name in a message
// box; "" when it did not fail. Valid until the next DirectSoundCreate.
const char* SoundOutputError();
