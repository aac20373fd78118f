// random.h -- the game's own pseudo-random numbers
//
// The order and values of the draws are part of how enemies behave, so the game carries its own
// generator instead of the C library's, whose rule differs from machine to machine.
#pragma once

#include <cstdint>

extern std::uint32_t RandomState;

// Starts the sequence (once, from the calendar time, at loading).
void GameSrand(std::uint32_t seed);
// state = state * 214013 + 2531011 (mod 2^32); returns bits 16 to 30 of it, 0 to 32767.
int GameRand();
