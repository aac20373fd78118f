// sound.h -- the sound-effect slots
//
// Each effect is loaded once into a numbered slot and played by number. While SoundEnabled is 0
// every operation returns its success result and touches nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/api/dsound.h"

constexpr int SoundSlotCount = 64;

// The slots the game plays.
constexpr int SlotPlayerShot = 0;
constexpr int SlotEnemyHit = 1;
constexpr int SlotEnemyDestroyed = 2;
constexpr int SlotEnemyShot = 3;
constexpr int SlotPlayerHit = 4;
constexpr int SlotPlayerDestroyed = 5;
constexpr int SlotEndOfGame = 6;

struct SoundSlot {
    LPDIRECTSOUNDBUFFER Buffer; // null when the slot has no sound
    std::int32_t InUse;
};

extern LPDIRECTSOUND SoundDevice;
extern SoundSlot SoundSlots[SoundSlotCount];

// Sets up the sound service. Returns 1 when ready (or sound is off), 0 on failure.
int InitSound();
// Stops and releases every slot and the sound service.
int ReleaseSound();
// Load an effect file into the lowest free slot. Return the slot, or -1 when the file could not
// be loaded: the slot then stays taken and silent, so the slots after it keep their numbers.
int LoadVocSound(const char* fileName);
int LoadWavSound(const char* fileName, DWORD extraFlags);
// Play once from the current position (flags 0). Returns 1 played or nothing to play, 0 failure.
int PlaySoundSlot(int slot, DWORD flags);
// Stops and rewinds. Returns 1.
int StopSoundSlot(int slot);
// Cuts the slot's sound off if it still plays and starts it over (stop, then play once).
void RestartSoundSlot(int slot);
int SetSlotVolume(int slot, int percent);
int SetSlotFrequency(int slot, DWORD hz);
int StopAllSoundSlots();

// The rest of the slot operations the game was designed with; the game calls none of them.
int SetSlotPan(int slot, LONG pan);
// The buffer's status word, or -1 for a slot without sound.
long GetSlotStatus(int slot);
// A second slot playing the same sound; -1 on failure.
int DuplicateSoundSlot(int slot);
// Stops the slot and releases its buffer; the slot stays taken, as its number was given out.
int ReleaseSoundSlot(int slot);
int ReleaseAllSoundSlots();

// Where the samples of a Creative Voice file's first block lie in the file's bytes. False when
// the file is too short to say, or the block's length is below 2 or reaches past the end.
bool FindVocSamples(const std::uint8_t* file, std::size_t size, std::size_t& offset,
                    std::size_t& count);
