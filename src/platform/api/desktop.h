// desktop.h -- what the program around the game chooses of the desktop before the game starts
#pragma once

#include <string>

// How the game's window starts: as the player left it last time (full screen the first time),
// or as the command line says for this run. F11 switches between the two while the game runs.
enum class WindowChoice { Remembered, Window, Fullscreen };
void ChooseWindowMode(WindowChoice choice);

// $variable when it holds an absolute path, else $HOME/underHome; empty when neither is there.
// ("XDG_CONFIG_HOME", ".config") and ("XDG_DATA_HOME", ".local/share") are the desktop's rules
// for settings and for a program's own data.
std::string XdgHome(const char* variable, const char* underHome);
