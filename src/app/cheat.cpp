// cheat.cpp -- the cheat word and the joke keys
#include "app/cheat.h"

#include "app/game_globals.h"

std::int32_t CheatMode = 0;
std::int32_t CheatProgress = 0;

static const GlobalsReset Reset([] { CheatMode = CheatProgress = 0; });

// Not built yet: comes with the combat work.
void MatchCheatWord() {}
void ApplyJokeKey(int) {}
