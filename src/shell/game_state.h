// game_state.h -- the game's state as JSON text: what a recording keeps of every frame and of its
// end, and what the replay runner writes for --state-at
#pragma once

#include <cstdint>
#include <string>

// The game's globals (clock, flags, roster, the six craft, shots, clouds, wind), with the
// virtual time and the frame count.
std::string GameStateJson(double timeSeconds, std::int64_t frame);

// A JSON number (null for an infinity or NaN) and the inside of a JSON string.
std::string JsonNumber(double v);
std::string JsonEscaped(const std::string& text);

// One JSON object, written field by field.
class JsonObject {
  public:
    // A value written as JSON already: a number, an object, an array.
    JsonObject& Field(const char* name, const std::string& value);
    JsonObject& Text(const char* name, const std::string& text);
    JsonObject& Field(const char* name, double value) { return Field(name, JsonNumber(value)); }
    JsonObject& Field(const char* name, std::int32_t value) {
        return Field(name, std::to_string(value));
    }
    std::string Close() { return text_ + "}"; }

  private:
    std::string text_ = "{";
};
