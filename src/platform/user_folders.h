// user_folders.h -- the player's own folders, as the desktop names them (platform-internal)
#pragma once

#include <string>

// $variable when it holds an absolute path, else $HOME/underHome; empty when neither is there.
// ("XDG_CONFIG_HOME", ".config") and ("XDG_DATA_HOME", ".local/share") are the desktop's rules
// for settings and for a program's own data.
std::string XdgHome(const char* variable, const char* underHome);

// The player's pictures folder: $XDG_PICTURES_DIR when set, else the XDG_PICTURES_DIR line of
// user-dirs.dirs in the settings folder (as the desktop's file manager reads it, "$HOME/..." or
// an absolute path); empty when neither names one, or when it names the home folder itself (the
// desktop's way of saying there is none).
std::string PicturesFolder();
