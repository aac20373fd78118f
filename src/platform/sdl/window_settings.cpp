// window_settings.cpp -- the window as the player left it, kept between runs
#include "window_settings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/emulation/printable.h"
#include "platform/emulation/user_folders.h"

namespace fs = std::filesystem;

namespace {

// Far beyond any desktop, and small enough that no sum of them overflows.
constexpr long Largest = 100000;
// A settings file is a few lines; anything longer is not one.
constexpr off_t LongestFile = 4096;

bool Number(std::istringstream& words, int& value, long least) {
    std::string word;
    if (!(words >> word)) return false;
    char* end = nullptr;
    long n = std::strtol(word.c_str(), &end, 10);
    if (end == word.c_str() || *end != '\0' || n < least || n > Largest) return false;
    value = int(n);
    return true;
}

} // namespace

bool ParseWindowSettings(const std::string& text, WindowSettings& settings, std::string& error) {
    WindowSettings read;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string name, extra;
        if (!(words >> name)) continue;
        auto fault = [&](const std::string& what) {
            error = "line " + std::to_string(number) + ": " + what;
            return false;
        };
        if (name == "mode") {
            std::string mode;
            words >> mode;
            if (mode != "window" && mode != "fullscreen")
                return fault("expected 'mode window' or 'mode fullscreen'");
            read.fullscreen = mode == "fullscreen";
        } else if (name == "size") {
            if (!Number(words, read.width, SmallestWindowWidth) ||
                !Number(words, read.height, SmallestWindowHeight))
                return fault("expected 'size WIDTH HEIGHT' (whole numbers, at least 160 by 120, "
                             "at most 100000)");
            read.hasSize = true;
        } else if (name == "place") {
            if (!Number(words, read.x, -Largest) || !Number(words, read.y, -Largest))
                return fault("expected 'place X Y' (whole numbers from -100000 to 100000)");
            read.hasPlace = true;
        } else {
            return fault("expected mode, size or place, found '" + Printable(name.substr(0, 24)) +
                         "'");
        }
        if (words >> extra) return fault("more than " + name + " takes");
    }
    settings = read;
    return true;
}

std::string FormatWindowSettings(const WindowSettings& s, const std::string& before) {
    const std::string mode = s.fullscreen ? "mode fullscreen" : "mode window";
    const std::string size = "size " + std::to_string(s.width) + " " + std::to_string(s.height);
    const std::string place = "place " + std::to_string(s.x) + " " + std::to_string(s.y);
    WindowSettings was;
    std::string error, text;
    if (before.empty() || !ParseWindowSettings(before, was, error)) {
        text =
            "# Velmora's window as it was left (skirmo(6)); F11 switches the mode\n" + mode + "\n";
        if (s.hasSize) text += size + "\n";
        if (s.hasPlace) text += place + "\n";
        return text;
    }
    // Each setting the player changed: its lines rewritten (their comments kept), or dropped
    // when it is gone; one that is new goes at the end.
    const bool newMode = s.fullscreen != was.fullscreen;
    const bool newSize =
        s.hasSize != was.hasSize || (s.hasSize && (s.width != was.width || s.height != was.height));
    const bool newPlace =
        s.hasPlace != was.hasPlace || (s.hasPlace && (s.x != was.x || s.y != was.y));
    bool hasMode = false;
    std::istringstream lines(before);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t hash = line.find('#');
        std::string name, comment = hash == std::string::npos ? "" : "  " + line.substr(hash);
        std::istringstream(line.substr(0, hash)) >> name;
        const std::string* now = name == "mode" && newMode     ? &mode
                                 : name == "size" && newSize   ? &size
                                 : name == "place" && newPlace ? &place
                                                               : nullptr;
        hasMode = hasMode || name == "mode";
        if (!now)
            text += line + "\n";
        else if ((name != "size" || s.hasSize) && (name != "place" || s.hasPlace))
            text += *now + comment + "\n";
    }
    if (newMode && !hasMode) text += mode + "\n";
    if (newSize && s.hasSize && !was.hasSize) text += size + "\n";
    if (newPlace && s.hasPlace && !was.hasPlace) text += place + "\n";
    return text;
}

std::string WindowSettingsPath() {
    std::string folder = XdgHome("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? "" : folder + "/velmora/window.conf";
}

namespace {

// The file's text; false with why when it is no file to read as settings.
bool ReadSettingsText(const std::string& path, std::string& text, std::string& why) {
    return ReadSmallFile(path, LongestFile, text, why);
}

} // namespace

WindowSettings LoadWindowSettings() {
    WindowSettings settings;
    const std::string path = WindowSettingsPath();
    std::error_code ec;
    if (path.empty() || !fs::exists(fs::symlink_status(path, ec))) return settings;
    auto ignore = [&](const std::string& why) {
        std::fprintf(stderr, "skirmo: ignoring %s: %s; the window starts as it would without it\n",
                     path.c_str(), why.c_str());
        return WindowSettings{};
    };
    std::string text, error;
    if (!ReadSettingsText(path, text, error)) return ignore(error);
    if (!ParseWindowSettings(text, settings, error)) return ignore(error);
    return settings;
}

void SaveWindowSettings(const WindowSettings& settings) {
    static bool told = false;
    const std::string path = WindowSettingsPath();
    if (path.empty()) return;
    std::error_code ec;
    // A link the player made stays a link: the file it leads to is the one replaced.
    fs::path target = path;
    for (int links = 0; links < 16 && fs::is_symlink(target, ec); ++links) {
        fs::path to = fs::read_symlink(target, ec);
        target = to.is_absolute() ? to : target.parent_path() / to;
    }
    std::string before, why;
    if (!ReadSettingsText(target, before, why)) before.clear();
    fs::create_directories(target.parent_path(), ec);
    // Written beside and moved over the old one, so that no half-written file is ever read.
    const std::string temporary = target.string() + ".new";
    bool written = false;
    if (!ec) {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatWindowSettings(settings, before);
        out.close();
        written = bool(out);
    }
    if (written && std::rename(temporary.c_str(), target.c_str()) == 0) return;
    std::remove(temporary.c_str());
    if (!told)
        std::fprintf(stderr, "skirmo: cannot keep the window's settings in %s\n", path.c_str());
    told = true;
}
