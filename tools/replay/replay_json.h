// replay_json.h -- what the replay runner writes as JSON: states and the log
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/test/test_platform.h"

// The game's globals (clock, flags, roster, the six craft, shots, clouds, wind), with the
// virtual time and the frame count.
std::string GameStateJson(double timeSeconds, std::int64_t frame);
// The recorded events, one JSON object a line: {"t":..., "event":..., ...}.
std::string EventsJsonLines(const std::vector<TestEvent>& events);
