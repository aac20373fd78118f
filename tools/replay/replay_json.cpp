// replay_json.cpp -- the game's state at one moment, and the recorded events, as JSON
//
// A state's fields are the game's own globals under their own names, so that a replay can be
// checked against any of them.
#include "replay_json.h"

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

namespace {

std::string Number(double v) {
    // JSON has no words for infinities or NaN (the joke keys can make corners infinite).
    if (!std::isfinite(v)) return "null";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

std::string Escaped(const std::string& text) {
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

class JsonObject {
  public:
    // A value written as JSON already: a number, an object, an array.
    JsonObject& Field(const char* name, const std::string& value) {
        text_ += text_.size() > 1 ? ",\"" : "\"";
        text_ += name;
        text_ += "\":" + value;
        return *this;
    }
    JsonObject& Text(const char* name, const std::string& text) {
        return Field(name, "\"" + Escaped(text) + "\"");
    }
    JsonObject& Field(const char* name, double value) { return Field(name, Number(value)); }
    JsonObject& Field(const char* name, std::int32_t value) {
        return Field(name, std::to_string(value));
    }
    std::string Close() { return text_ + "}"; }

  private:
    std::string text_ = "{";
};

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

std::string EventsJsonLines(const std::vector<TestEvent>& events) {
    std::string out;
    for (const TestEvent& e : events) {
        char t[32];
        std::snprintf(t, sizeof t, "%.6f", double(e.timeNs) / 1e9);
        JsonObject line;
        line.Field("t", t).Text("event", e.kind);
        if (e.kind == "message_box")
            line.Text("caption", e.caption).Text("text", e.text);
        else if (e.kind == "mci")
            line.Text("command", e.command).Text("result", e.result);
        else if (e.kind == "sound") {
            line.Text("op", e.op)
                .Text("file", e.file)
                .Field("frequency", std::to_string(e.frequency))
                .Field("volume", std::to_string(e.volume));
            if (e.op == "play") line.Field("looping", e.looping ? "true" : "false");
        } else if (e.kind == "quit")
            line.Field("code", e.code);
        else if (e.kind == "end")
            line.Text("why", e.text);
        out += line.Close() + "\n";
    }
    return out;
}
