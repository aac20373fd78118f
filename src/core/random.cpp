// random.cpp -- the game's own pseudo-random numbers
#include "core/random.h"

#include "core/game_globals.h"

std::uint32_t RandomState = 1;

static const GlobalsReset Reset(RandomState);

void GameSrand(std::uint32_t seed) { RandomState = seed; }

int GameRand() {
    RandomState = RandomState * 214013u + 2531011u;
    return int((RandomState >> 16) & 0x7FFF);
}
