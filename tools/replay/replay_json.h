// replay_json.h -- what the replay runner writes as JSON lines: the log (states: game_state.h)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/test/test_platform.h"

// The recorded events, one JSON object a line: {"t":..., "event":..., ...}.
std::string EventsJsonLines(const std::vector<TestEvent>& events);
