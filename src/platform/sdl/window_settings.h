// window_settings.h -- the window as the player left it, kept between runs (platform-internal)
//
// A small text file, $XDG_CONFIG_HOME/velmora/window.conf (~/.config/velmora/window.conf when
// the variable is unset), one setting a line, '#' starting a comment:
//
//   mode window          window or fullscreen: how the game starts (F11 changes it)
//   size 1280 960        the window's inside, in the desktop's points
//   place 320 60         where the window's frame begins on the desktop (its top-left corner)
//
// Any line may be missing (a new window is twice the game's picture, in the middle of the
// screen). A file that cannot be read as these lines is set aside with a warning on standard
// error: the game starts as if there were none, and writes it anew once the player changes
// something. Only a change is written, so a player who never presses F11 gets no file; a file
// written by hand keeps its comments, its order and what the player did not change, and a link
// to it stays a link. A window smaller than a quarter of the small picture shows nothing one
// could play, so a size below that is refused.
#pragma once

#include <string>

struct WindowSettings {
    bool fullscreen = true;
    bool hasSize = false;
    int width = 0, height = 0;
    bool hasPlace = false;
    int x = 0, y = 0;
    bool operator==(const WindowSettings&) const = default;
};

constexpr int SmallestWindowWidth = 160, SmallestWindowHeight = 120;

// Reads the text of the file. On a fault returns false with error = "line N: ..." and leaves
// settings as they were.
bool ParseWindowSettings(const std::string& text, WindowSettings& settings, std::string& error);
// The text that ParseWindowSettings reads back as these settings: the text before (the file as it
// was) with only the lines of what changed rewritten, dropped or added; a new text when the one
// before is empty or no settings file.
std::string FormatWindowSettings(const WindowSettings& settings, const std::string& before = "");

// Where the file lives; empty when neither XDG_CONFIG_HOME (an absolute path) nor HOME says.
std::string WindowSettingsPath();
// The settings in the file, or the defaults when there is none; a broken file is reported on
// standard error and counts as none.
WindowSettings LoadWindowSettings();
// Writes the settings (the folder made first, the file replaced whole, at the end of a link when
// it is one); a failure is reported on standard error once and is never fatal.
void SaveWindowSettings(const WindowSettings& settings);
