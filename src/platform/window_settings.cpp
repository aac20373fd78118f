// window_settings.cpp -- the window as the player left it, kept between runs
#include "window_settings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "printable.h"
#include "user_folders.h"

namespace fs = std::filesystem;

namespace {

// Far beyond any desktop, and small enough that no sum of them overflows.
constexpr long Largest = 100000;
// A settings file is a few lines; anything longer is not one.
constexpr std::uintmax_t LongestFile = 4096;

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
            if (!Number(words, read.width, 1) || !Number(words, read.height, 1))
                return fault("expected 'size WIDTH HEIGHT' (whole numbers from 1 to 100000)");
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

std::string FormatWindowSettings(const WindowSettings& s) {
    std::string text = "# Velmora's window as it was left (skirmo(6)); F11 switches the mode\n";
    text += s.fullscreen ? "mode fullscreen\n" : "mode window\n";
    if (s.hasSize)
        text += "size " + std::to_string(s.width) + " " + std::to_string(s.height) + "\n";
    if (s.hasPlace) text += "place " + std::to_string(s.x) + " " + std::to_string(s.y) + "\n";
    return text;
}

std::string WindowSettingsPath() {
    std::string folder = XdgHome("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? "" : folder + "/velmora/window.conf";
}

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
    // Never a wait on a pipe or a device, nor a read of something that is no settings file.
    if (!fs::is_regular_file(path, ec)) return ignore("not a regular file");
    if (fs::file_size(path, ec) > LongestFile || ec) return ignore("too long to be this file");
    std::ifstream in(path, std::ios::binary);
    if (!in) return ignore("cannot be read");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    if (!ParseWindowSettings(text, settings, error)) return ignore(error);
    return settings;
}

void SaveWindowSettings(const WindowSettings& settings) {
    static bool told = false;
    const std::string path = WindowSettingsPath();
    if (path.empty()) return;
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    // Written beside and moved over the old one, so that no half-written file is ever read.
    const std::string temporary = path + ".new";
    bool written = false;
    if (!ec) {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatWindowSettings(settings);
        out.close();
        written = bool(out);
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return;
    std::remove(temporary.c_str());
    if (!told)
        std::fprintf(stderr, "skirmo: cannot keep the window's settings in %s\n", path.c_str());
    told = true;
}
