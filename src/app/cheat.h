// cheat.h -- the cheat word typed during play, and the joke keys it unlocks
#pragma once

#include <cstdint>

extern std::int32_t CheatMode;     // 1 once the word was typed; never cleared
extern std::int32_t CheatProgress; // letters matched so far, 0 to 5

// Watches the word's four keys, each waited on until released.
void MatchCheatWord();
// Scales every enemy's picture: 0 grows (F), 1 shrinks (G), 2 restores (J).
void ApplyJokeKey(int mode);
