// game_state.cpp -- the game's state at one moment, as JSON
//
// A state's fields are the game's own globals under their own names, so that a recorded game or
// a replay can be checked against any of them.
#include "shell/game_state.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "app/cheat.h"
#include "core/game_clock.h"
#include "core/program.h"
#include "combat/craft.h"
#include "combat/shots.h"
#include "display/display.h"
#include "world/clouds.h"

std::string JsonNumber(double v) {
    // JSON has no words for infinities or NaN (the joke keys can make corners infinite).
    if (!std::isfinite(v)) return "null";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

std::string JsonEscaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        const char* named = c == '"'    ? "\\\""
                            : c == '\\' ? "\\\\"
                            : c == '\n' ? "\\n"
                            : c == '\t' ? "\\t"
                                        : nullptr;
        if (named) {
            out += named;
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

JsonObject& JsonObject::Field(const char* name, const std::string& value) {
    text_ += text_.size() > 1 ? ",\"" : "\"";
    text_ += name;
    text_ += "\":" + value;
    return *this;
}

JsonObject& JsonObject::Text(const char* name, const std::string& text) {
    return Field(name, "\"" + JsonEscaped(text) + "\"");
}

namespace {

std::string CraftJson(const Craft& c) {
    return JsonObject()
        .Field("PosX", c.PosX)
        .Field("PosY", c.PosY)
        .Field("Heading", c.Heading)
        .Field("Speed", c.Speed)
        .Field("ScreenX", c.ScreenX)
        .Field("ScreenY", c.ScreenY)
        .Field("HitPoints", c.HitPoints)
        .Field("State", c.State)
        .Field("Frame", c.Frame)
        .Field("Countdown", c.Countdown)
        .Field("Level", c.Level)
        .Field("TurnRate", c.TurnRate)
        .Close();
}

template <class List> std::string JsonArray(const List& items) {
    std::string j = "[";
    for (const std::string& item : items)
        j += (j.size() > 1 ? "," : "") + item;
    return j + "]";
}

} // namespace

std::string GameStateJson(double timeSeconds, std::int64_t frame) {
    std::vector<std::string> enemies, shots, clouds;
    for (const Craft& e : EnemyCraft)
        enemies.push_back(CraftJson(e));
    for (const Shot* s = ShotList.First; s; s = s->Next)
        shots.push_back(JsonObject()
                            .Field("PosX", s->PosX)
                            .Field("PosY", s->PosY)
                            .Field("Heading", s->Heading)
                            .Field("Age", s->Age)
                            .Field("ShotOwner", s->ShotOwner)
                            .Close());
    for (const Cloud& c : Clouds)
        clouds.push_back(
            JsonObject().Field("x", c.X).Field("y", c.Y).Field("speed", c.Speed).Close());

    return JsonObject()
               .Field("time", timeSeconds)
               .Field("frame", std::to_string(frame))
               .Field("screenWidth", ScreenWidth)
               .Field("screenHeight", ScreenHeight)
               .Field("CurrentLevel", CurrentLevel)
               .Field("PlayerLives", PlayerLives)
               .Field("EnemiesSpawned", EnemiesSpawned)
               .Field("EnemySpawnLimit", EnemySpawnLimit)
               .Field("EnemiesRemaining", EnemiesRemaining)
               .Field("CheatMode", CheatMode)
               .Field("Paused", Paused)
               .Field("AppActive", AppActive)
               .Field("SoundEnabled", SoundEnabled)
               .Field("GameClock", GameClock)
               .Field("FrameDelta", FrameDelta)
               .Field("FrameRate", FrameRate)
               .Field("ResumeTiming", ResumeTiming)
               .Field("WindSpeed", WindSpeed)
               .Field("WindTimer", WindTimer)
               .Field("player", CraftJson(PlayerCraft))
               .Field("enemies", JsonArray(enemies))
               .Field("shots", JsonArray(shots))
               .Field("clouds", JsonArray(clouds))
               .Close() +
           "\n";
}
