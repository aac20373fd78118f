// sound.cpp -- the sound-effect slots and their loaders
//
// Every buffer is declared as 8-bit mono at 11025 Hz whatever its file says; loading then sets
// each slot's own frequency, which is how one file serves two events at two pitches. Each load
// takes the lowest free slot and keeps it even when the file is missing or bad, so loading can
// name the slots by number and a missing file silences only its own slots.
#include "audio/sound.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/game_globals.h"
#include "core/program.h"
#include "platform/api/byte_order.h"
#include "platform/api/files.h"
#include "platform/api/mmsystem.h"
#include "platform/api/window.h"

LPDIRECTSOUND SoundDevice = nullptr;
SoundSlot SoundSlots[SoundSlotCount] = {};

namespace {

// The platform takes buffers of up to 16 MiB; an effect file beyond that is not one of ours.
constexpr std::size_t MaxSoundFileBytes = std::size_t(16) << 20;

void StopAndReleaseAll() {
    for (SoundSlot& s : SoundSlots) {
        if (s.Buffer) {
            s.Buffer->Stop();
            s.Buffer->Release();
            s.Buffer = nullptr;
        }
    }
    if (SoundDevice) {
        SoundDevice->Release();
        SoundDevice = nullptr;
    }
}

bool ValidSlot(int slot) { return slot >= 0 && slot < SoundSlotCount; }

LPDIRECTSOUNDBUFFER BufferOf(int slot) {
    return ValidSlot(slot) ? SoundSlots[slot].Buffer : nullptr;
}

// One setting of the slot's buffer: 1 when done or there is nothing to set, 0 when refused.
template <class Set> int SetOnSlot(int slot, Set set) {
    if (SoundEnabled == 0) return 1;
    LPDIRECTSOUNDBUFFER b = BufferOf(slot);
    return !b || set(b) == DS_OK ? 1 : 0;
}

// Claims the lowest slot not in use, or -1 when all are taken. The claim stands whatever the
// load then does.
int ClaimSlot() {
    for (int i = 0; i < SoundSlotCount; ++i) {
        if (!SoundSlots[i].InUse) {
            SoundSlots[i].InUse = 1;
            return i;
        }
    }
    return -1;
}

// Creates the slot's buffer for length samples, trying each set of flags in turn.
bool CreateSlotBuffer(int slot, DWORD length, std::initializer_list<DWORD> flagChoices) {
    if (!SoundDevice) return false;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 11025;
    format.nAvgBytesPerSec = 11025;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    format.cbSize = 0;
    for (DWORD flags : flagChoices) {
        DSBUFFERDESC desc{};
        desc.dwSize = 20; // the size the service expects of its description record
        desc.dwFlags = flags;
        desc.dwBufferBytes = length;
        desc.dwReserved = 0;
        desc.lpwfxFormat = &format;
        if (SoundDevice->CreateSoundBuffer(&desc, &SoundSlots[slot].Buffer, nullptr) == DS_OK)
            return true;
        SoundSlots[slot].Buffer = nullptr;
    }
    return false;
}

// Copies the samples into the slot's buffer, across both regions the lock may hand back.
bool FillSlotBuffer(int slot, const std::uint8_t* samples, std::size_t count) {
    LPDIRECTSOUNDBUFFER b = SoundSlots[slot].Buffer;
    void *first = nullptr, *second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (b->Lock(0, DWORD(count), &first, &firstBytes, &second, &secondBytes,
                DSBLOCK_FROMWRITECURSOR) != DS_OK)
        return false;
    std::size_t n = std::min<std::size_t>(firstBytes, count);
    std::memcpy(first, samples, n);
    if (second && secondBytes > 0 && count > n)
        std::memcpy(second, samples + n, std::min<std::size_t>(secondBytes, count - n));
    return b->Unlock(first, firstBytes, second, secondBytes) == DS_OK;
}

} // namespace

// Whatever SoundEnabled says now: the buffers of the last run must go.
static const GlobalsReset Reset(StopAndReleaseAll, SoundDevice, SoundSlots);

bool FindVocSamples(const std::uint8_t* file, std::size_t size, std::size_t& offset,
                    std::size_t& count) {
    // Only the low byte of the first block's offset is read; a standard file says 26.
    if (size < 21) return false;
    std::size_t block = file[20];
    if (block + 4 > size) return false;
    std::size_t length = LittleEndian(file + block + 1, 3);
    // The length counts the time constant and the packing byte before the samples; a block
    // that claims more than the file holds is refused rather than read past its end.
    if (length < 2 || length > size - (block + 4)) return false;
    offset = block + 6;
    count = length - 2;
    return true;
}

int InitSound() {
    if (SoundEnabled == 0) return 1;
    if (!SoundDevice) {
        for (SoundSlot& s : SoundSlots)
            s = SoundSlot{};
        LPDIRECTSOUND device = nullptr;
        if (DirectSoundCreate(nullptr, &device, nullptr) != DS_OK) {
            // The game ends here, as it always did; the player now learns why, and how to
            // play anyway.
            std::string text = "The sound device could not be opened";
            const char* why = SoundOutputError();
            if (why && *why) text = text + ": " + why;
            if (text.back() != '.') text += '.';
            text += "\n\nTo play without sound, tick \"Check this if you don't have a sound "
                    "card\" in the start-up dialog.";
            MessageBoxA(MainWindow, text.c_str(), "Sound initialization error", MB_OK);
            return 0;
        }
        SoundDevice = device;
        if (SoundDevice->SetCooperativeLevel(MainWindow, DSSCL_NORMAL) != DS_OK) {
            MessageBoxA(MainWindow,
                        "The sound device could not be shared with the game window.\n\nTo play "
                        "without sound, tick \"Check this if you don't have a sound card\" in "
                        "the start-up dialog.",
                        "Sound initialization error", MB_OK);
            return 0;
        }
    }
    for (SoundSlot& s : SoundSlots) {
        if (s.Buffer) {
            s.Buffer->Stop();
            s.Buffer->Release();
        }
        s = SoundSlot{};
    }
    return 1;
}

int ReleaseSound() {
    if (SoundEnabled == 0) return 1;
    StopAllSoundSlots();
    StopAndReleaseAll();
    return 1;
}

int LoadVocSound(const char* fileName) {
    if (SoundEnabled == 0) return 1;
    int slot = ClaimSlot();
    if (slot < 0) return -1;
    std::vector<std::uint8_t> file;
    std::size_t offset = 0, count = 0;
    bool ok = fileName && ReadGameFile(fileName, MaxSoundFileBytes, file) == GameFileRead::Read &&
              FindVocSamples(file.data(), file.size(), offset, count) &&
              CreateSlotBuffer(slot, DWORD(count),
                               {DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY |
                                    DSBCAPS_LOCHARDWARE | DSBCAPS_STATIC,
                                DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY |
                                    DSBCAPS_LOCSOFTWARE | DSBCAPS_STATIC}) &&
              FillSlotBuffer(slot, file.data() + offset, count);
    return ok ? slot : -1;
}

int LoadWavSound(const char* fileName, DWORD extraFlags) {
    if (SoundEnabled == 0) return 1;
    int slot = ClaimSlot();
    if (slot < 0) return -1;
    HMMIO in = fileName ? mmioOpenA(fileName, nullptr, MMIO_READ | MMIO_ALLOCBUF) : nullptr;
    if (!in) return -1;
    std::vector<std::uint8_t> samples;
    bool ok = false;
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(in, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR) {
        // Searched for, not taken from where it stands: real files often carry a list chunk
        // of names and dates before it.
        MMCKINFO fmt{};
        fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
        WAVEFORMATEX format{};
        if (mmioDescend(in, &fmt, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR &&
            mmioRead(in, reinterpret_cast<char*>(&format), sizeof format) == LONG(sizeof format) &&
            format.wFormatTag == WAVE_FORMAT_PCM && mmioAscend(in, &fmt, 0) == MMSYSERR_NOERROR) {
            MMCKINFO data{};
            data.ckid = mmioFOURCC('d', 'a', 't', 'a');
            if (mmioDescend(in, &data, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR) {
                // Read in pieces up to the size the header claims, so a header that claims
                // more than the file holds costs no more memory than the file.
                std::size_t want = std::min<std::size_t>(data.cksize, MaxSoundFileBytes);
                ok = true;
                while (samples.size() < want) {
                    std::size_t at = samples.size();
                    std::size_t piece = std::min<std::size_t>(want - at, 64 * 1024);
                    samples.resize(at + piece);
                    LONG n =
                        mmioRead(in, reinterpret_cast<char*>(samples.data() + at), LONG(piece));
                    if (n < 0) ok = false;
                    samples.resize(at + std::size_t(std::max<LONG>(n, 0)));
                    if (n <= 0) break;
                }
            }
        }
    }
    mmioClose(in, 0);
    ok = ok &&
         CreateSlotBuffer(slot, DWORD(samples.size()),
                          {extraFlags | DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE}) &&
         FillSlotBuffer(slot, samples.data(), samples.size());
    return ok ? slot : -1;
}

int PlaySoundSlot(int slot, DWORD flags) {
    if (SoundEnabled == 0) return 1;
    LPDIRECTSOUNDBUFFER b = BufferOf(slot);
    if (!b) return 1;
    if (b->SetCurrentPosition(0) != DS_OK) return 0;
    return b->Play(0, 0, flags) == DS_OK ? 1 : 0;
}

int StopSoundSlot(int slot) {
    if (SoundEnabled == 0) return 1;
    if (LPDIRECTSOUNDBUFFER b = BufferOf(slot)) {
        b->Stop();
        b->SetCurrentPosition(0);
    }
    return 1;
}

void RestartSoundSlot(int slot) {
    StopSoundSlot(slot);
    PlaySoundSlot(slot, 0);
}

int SetSlotVolume(int slot, int percent) {
    // Hundredths of a decibel: 100 percent is no attenuation, 80 percent 6 dB down.
    return SetOnSlot(slot, [&](auto b) { return b->SetVolume(LONG(-30 * (100 - percent))); });
}

int SetSlotFrequency(int slot, DWORD hz) {
    return SetOnSlot(slot, [&](auto b) { return b->SetFrequency(hz); });
}

int SetSlotPan(int slot, LONG pan) {
    return SetOnSlot(slot, [&](auto b) { return b->SetPan(pan); });
}

int StopAllSoundSlots() {
    if (SoundEnabled == 0) return 1;
    for (int i = 0; i < SoundSlotCount; ++i)
        StopSoundSlot(i);
    return 1;
}

long GetSlotStatus(int slot) {
    if (SoundEnabled == 0) return 1;
    LPDIRECTSOUNDBUFFER b = BufferOf(slot);
    if (!b) return -1;
    DWORD status = 0;
    b->GetStatus(&status);
    return long(status);
}

int DuplicateSoundSlot(int slot) {
    if (SoundEnabled == 0) return 1;
    LPDIRECTSOUNDBUFFER original = BufferOf(slot);
    if (!original || !SoundDevice) return -1;
    int copy = ClaimSlot();
    if (copy < 0) return -1;
    if (SoundDevice->DuplicateSoundBuffer(original, &SoundSlots[copy].Buffer) != DS_OK) {
        SoundSlots[copy] = SoundSlot{};
        return -1;
    }
    return copy;
}

int ReleaseSoundSlot(int slot) {
    if (SoundEnabled == 0) return 1;
    if (LPDIRECTSOUNDBUFFER b = BufferOf(slot)) {
        StopSoundSlot(slot);
        b->Release();
        SoundSlots[slot].Buffer = nullptr; // the slot stays in use, as its number was given out
    }
    return 1;
}

int ReleaseAllSoundSlots() {
    if (SoundEnabled == 0) return 1;
    for (int i = 0; i < SoundSlotCount; ++i)
        ReleaseSoundSlot(i);
    return 1;
}
