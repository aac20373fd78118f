// data_folder.h -- where skirmo finds its data files
#pragma once

#include <string>

// The folder an installation keeps the data files in, found from where the running executable
// lies (cmake --install puts both under one prefix: games/skirmo and share/games/velmora/), so
// an installation works under whatever prefix it was put. Empty when the executable's own path
// cannot be read.
std::string InstalledDataFolder();

// Makes the folder with the game's files the current one: the current folder when it holds
// them (started from data/, as scripts/run does), otherwise the installed data folder when that
// does. When neither does, nothing changes and the game names the first file it cannot load.
void EnterDataFolder();
