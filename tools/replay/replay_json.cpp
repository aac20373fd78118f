// replay_json.cpp -- the recorded events as JSON lines (the runner's --log)
#include "replay_json.h"

#include <cstdio>

#include "shell/game_state.h"

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
