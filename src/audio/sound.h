// sound.h -- the sound-effect slots
#pragma once

// Sets up the sound service (or nothing when the player chose no sound). Returns 1 when ready
// or disabled, 0 on failure. Not built yet: reports ready and does nothing.
int InitSound();
// Releases the slots and the sound service. Not built yet: does nothing.
void ReleaseSound();
