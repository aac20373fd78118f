// script.cpp -- reading the key script of a replay
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/emulation/gamepad.h"
#include "platform/api/input.h"
#include "platform/emulation/printable.h"
#include "test_platform.h"

namespace {

// A pad's button, its d-pad or its left stick pushed all the way; -1 for any other name.
int PadInput(const std::string& name) {
    static const std::pair<const char*, int> Names[] = {{"PAD_A", PadSouth},
                                                        {"PAD_B", PadEast},
                                                        {"PAD_BACK", PadBack},
                                                        {"PAD_START", PadStart},
                                                        {"PAD_UP", PadUp},
                                                        {"PAD_DOWN", PadDown},
                                                        {"PAD_LEFT", PadLeft},
                                                        {"PAD_RIGHT", PadRight},
                                                        {"PAD_STICK_LEFT", PadStickLeft},
                                                        {"PAD_STICK_RIGHT", PadStickRight},
                                                        {"PAD_STICK_UP", PadStickUp},
                                                        {"PAD_STICK_DOWN", PadStickDown}};
    for (const auto& [padName, input] : Names)
        if (name == padName) return input;
    return -1;
}

int KeyCode(const std::string& name) {
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return name[0];
    if (name == "UP") return VK_UP;
    if (name == "DOWN") return VK_DOWN;
    if (name == "LEFT") return VK_LEFT;
    if (name == "RIGHT") return VK_RIGHT;
    if (name == "SPACE") return VK_SPACE;
    if (name == "ESC") return VK_ESCAPE;
    if (name == "ALT") return VK_MENU;
    if (name == "TAB") return VK_TAB;
    if (name == "ENTER") return VK_RETURN;
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' && name[1] >= '1' &&
        name[1] <= '9') {
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12 && std::to_string(n) == name.substr(1)) return VK_F1 + n - 1;
    }
    return 0;
}

// What a fault quotes of the line: a short excerpt, unprintable bytes as \xNN.
std::string Excerpt(const std::string& text) {
    constexpr std::size_t Longest = 24;
    std::string out = Printable(text.substr(0, Longest));
    if (text.size() > Longest) out += "...";
    return out;
}

constexpr std::size_t LongestLine = 4096;

} // namespace

bool ParseScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    std::vector<ScriptEvent> parsed;
    for (int number = 1; std::getline(lines, line); ++number) {
        auto refuse = [&](const std::string& what) {
            error = "line " + std::to_string(number) + ": " + what + ": '" + Excerpt(line) + "'";
            return false;
        };
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0)
            return refuse("a byte-order mark; the script is plain ASCII text");
        if (line.find('\0') != std::string::npos) return refuse("a NUL byte");
        if (line.size() > LongestLine)
            return refuse("longer than " + std::to_string(LongestLine) + " bytes");
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string timeWord, what, how, extra;
        if (!(words >> timeWord)) continue;
        auto fail = [&](const std::string& expected, const std::string& found) {
            // Built up in steps: one long chain of + trips a false alarm of the optimiser's
            // overlap check in release builds.
            error = "line " + std::to_string(number) + ": expected " + expected + ", found ";
            if (found.empty())
                error += "the end of the line";
            else
                error.append(1, '\'').append(Excerpt(found)).append(1, '\'');
            return false;
        };
        char* end = nullptr;
        double seconds = std::strtod(timeWord.c_str(), &end);
        if (end == timeWord.c_str() || *end != '\0' || !(seconds >= 0) || seconds > 1e6)
            return fail("a time in seconds (0 or more)", timeWord);
        ScriptEvent e;
        e.timeNs = TestSecondsToNs(seconds);
        words >> what >> how;
        if (what == "signal") {
            e.kind = ScriptEvent::Signal;
            if (how == "TERM")
                e.signal = SIGTERM;
            else if (how == "INT")
                e.signal = SIGINT;
            else if (how == "HUP")
                e.signal = SIGHUP;
            else
                return fail("'TERM', 'INT' or 'HUP' after 'signal'", how);
        } else if (what == "close") {
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
            e.pad = PadInput(what);
            if (!e.virtualKey && e.pad < 0)
                return fail("a key (UP DOWN LEFT RIGHT SPACE ESC ALT TAB ENTER, F1..F12 or A..Z), "
                            "a pad's (PAD_A PAD_B PAD_BACK PAD_START PAD_UP PAD_DOWN PAD_LEFT "
                            "PAD_RIGHT PAD_STICK_...), 'focus', 'close' or 'signal'",
                            what);
            const bool pad = e.pad >= 0;
            if (how == "down")
                e.kind = pad ? ScriptEvent::PadDown : ScriptEvent::KeyDown;
            else if (how == "up")
                e.kind = pad ? ScriptEvent::PadUp : ScriptEvent::KeyUp;
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
