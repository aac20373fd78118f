// sound.cpp -- the sound-effect slots
#include "audio/sound.h"

#include "app/game_globals.h"

LPDIRECTSOUND SoundDevice = nullptr;
SoundSlot SoundSlots[SoundSlotCount] = {};

static const GlobalsReset Reset([] {
    ReleaseSound();
    for (SoundSlot& s : SoundSlots)
        s = SoundSlot{};
});

// Not built yet: start-up and shut-down already call these; the sound work fills them in.
int InitSound() { return 1; }
int ReleaseSound() { return 1; }
int LoadVocSound(const char*) { return -1; }
int LoadWavSound(const char*, DWORD) { return -1; }
int PlaySoundSlot(int, DWORD) { return 1; }
int StopSoundSlot(int) { return 1; }
int SetSlotVolume(int, int) { return 1; }
int SetSlotFrequency(int, DWORD) { return 1; }
int SetSlotPan(int, LONG) { return 1; }
int StopAllSoundSlots() { return 1; }
long GetSlotStatus(int) { return -1; }
int DuplicateSoundSlot(int) { return -1; }
int ReleaseSoundSlot(int) { return 1; }
int ReleaseAllSoundSlots() { return 1; }
