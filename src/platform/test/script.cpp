// script.cpp -- reading the key script of a replay
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "../input.h"
#include "test_platform.h"

namespace {

int KeyCode(const std::string& name) {
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return name[0];
    if (name == "UP") return VK_UP;
    if (name == "DOWN") return VK_DOWN;
    if (name == "LEFT") return VK_LEFT;
    if (name == "RIGHT") return VK_RIGHT;
    if (name == "SPACE") return VK_SPACE;
    if (name == "ESC") return VK_ESCAPE;
    return 0;
}

} // namespace

bool ParseScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    std::vector<ScriptEvent> parsed;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string timeWord, what, how, extra;
        if (!(words >> timeWord)) continue;
        auto fail = [&](const std::string& expected, const std::string& found) {
            error = "line " + std::to_string(number) + ": expected " + expected + ", found " +
                    (found.empty() ? "the end of the line" : "'" + found + "'");
            return false;
        };
        char* end = nullptr;
        double seconds = std::strtod(timeWord.c_str(), &end);
        if (end == timeWord.c_str() || *end != '\0' || !(seconds >= 0) || seconds > 1e6)
            return fail("a time in seconds (0 or more)", timeWord);
        ScriptEvent e;
        e.timeNs = TestSecondsToNs(seconds);
        words >> what >> how;
        if (what == "close") {
            e.kind = ScriptEvent::Close;
            if (!how.empty()) return fail("nothing after 'close'", how);
        } else if (what == "focus") {
            if (how == "lost")
                e.kind = ScriptEvent::FocusLost;
            else if (how == "gained")
                e.kind = ScriptEvent::FocusGained;
            else
                return fail("'lost' or 'gained' after 'focus'", how);
        } else {
            e.virtualKey = KeyCode(what);
            if (!e.virtualKey)
                return fail("a key (UP DOWN LEFT RIGHT SPACE ESC or A..Z), 'focus' or 'close'",
                            what);
            if (how == "down")
                e.kind = ScriptEvent::KeyDown;
            else if (how == "up")
                e.kind = ScriptEvent::KeyUp;
            else
                return fail("'down' or 'up' after the key", how);
        }
        if (words >> extra) return fail("the end of the line", extra);
        parsed.push_back(e);
    }
    std::stable_sort(parsed.begin(), parsed.end(), [](const ScriptEvent& a, const ScriptEvent& b) {
        return a.timeNs < b.timeNs;
    });
    events = std::move(parsed);
    return true;
}
