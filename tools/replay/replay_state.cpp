// replay_state.cpp -- the game's state at one moment, as JSON
//
// Each piece of the game adds its own fields here as it arrives, so that a replay can be
// checked against any of them.
#include "replay_state.h"

#include <cstdio>

#include "app/game_clock.h"
#include "app/startup.h"
#include "display/display.h"

namespace {

std::string Number(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

} // namespace

std::string GameStateJson(double timeSeconds, std::int64_t frame) {
    std::string j = "{";
    auto field = [&](const char* name, const std::string& value) {
        if (j.size() > 1) j += ",";
        j += "\"";
        j += name;
        j += "\":" + value;
    };
    field("time", Number(timeSeconds));
    field("frame", std::to_string(frame));
    field("screenWidth", std::to_string(ScreenWidth));
    field("screenHeight", std::to_string(ScreenHeight));
    field("Paused", std::to_string(Paused));
    field("AppActive", std::to_string(AppActive));
    field("SoundEnabled", std::to_string(SoundEnabled));
    field("GameClock", Number(GameClock));
    field("FrameDelta", Number(FrameDelta));
    field("FrameRate", Number(FrameRate));
    field("ResumeTiming", std::to_string(ResumeTiming));
    j += "}\n";
    return j;
}
