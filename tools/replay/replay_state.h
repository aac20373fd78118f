// replay_state.h -- the game's state at one moment, as JSON
#pragma once

#include <cstdint>
#include <string>

// The game's globals (clock, flags, roster, the six craft, shots, clouds, wind), with the
// virtual time and the frame count.
std::string GameStateJson(double timeSeconds, std::int64_t frame);
