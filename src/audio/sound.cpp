// sound.cpp -- the sound-effect slots
#include "audio/sound.h"

// The sound service comes with its own piece of work; start-up and shut-down already call these.
int InitSound() { return 1; }
void ReleaseSound() {}
