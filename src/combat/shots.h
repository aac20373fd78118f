// shots.h -- the shots in flight
#pragma once

// Frees every shot. Not built yet: there are no shots to free.
void ClearShots();
