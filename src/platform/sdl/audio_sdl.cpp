// audio_sdl.cpp -- sound output and the MIDI sequencer on the real machine
//
// Being written: until then there is no sound output, so the sound service cannot be created
// and no piece of music can be opened.
#include "../backend.h"

bool BackendOpenSound() { return false; }
void BackendCloseSound() {}
void BackendLockSound() {}
void BackendUnlockSound() {}
void BackendSoundPlayed(const SoundBufferData&) {}
void BackendSoundStopped(const SoundBufferData&) {}
DWORD BackendMci(MciVerb, const char*, const char*) { return 1; }
void BackendMciSent(const char*, DWORD) {}
