// user_folders.h -- the player's own folders, as the desktop names them (platform-internal)
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/api/desktop.h" // XdgHome, which the data folder's search asks too

// The player's pictures folder: $XDG_PICTURES_DIR when set, else the XDG_PICTURES_DIR line of
// user-dirs.dirs in the settings folder (as the desktop's file manager reads it, "$HOME/..." or
// an absolute path); empty when neither names one, or when it names the home folder itself (the
// desktop's way of saying there is none).
std::string PicturesFolder();

// The whole text of a small regular file. Opened without waiting, so that a named pipe in its
// place holds nothing up, and looked at once open, so that what is read is what was looked at.
// False, with why, for "not a regular file", "too long to be this file" (over most bytes) or
// "cannot be read".
bool ReadSmallFile(const std::string& path, off_t most, std::string& text, std::string& why);
