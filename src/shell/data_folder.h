// data_folder.h -- where skirmo finds its data files
#pragma once

#include <string>
#include <vector>

// The folder an installation keeps the data files in, found from where the running executable
// lies (cmake --install puts both under one prefix: games/skirmo and share/games/velmora/), so
// an installation works under whatever prefix it was put. Empty when the executable's own path
// cannot be read.
std::string InstalledDataFolder();

// Where the game's files may be, in the order they are looked for, each once and absolute: the
// current folder, the executable's own folder (a game unpacked in one place), the player's
// $XDG_DATA_HOME/velmora (~/.local/share/velmora when unset), each of $XDG_DATA_DIRS
// (/usr/local/share:/usr/share when unset) with /velmora, the installed data folder, and the
// folder this build installs the data into (for a program run from its build folder).
// A relative path in the variables is ignored, as the desktop's rules for them say.
std::vector<std::string> DataFolders();

// Makes the folder with the game's files the current one: dataOption when it is given (--data:
// the player's word goes, whatever the folder holds), else the first of DataFolders() that holds
// them (world.dat, in any case); when none does, nothing changes and the game names the first
// file it cannot load. The file service is told the folders tried, so that a missing file's
// report lists them. False only when dataOption cannot be entered, with the reason in why.
bool EnterDataFolder(const std::string& dataOption, std::string& why);
