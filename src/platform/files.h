// files.h -- opening the game's own files for reading
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Opens a regular file for reading, as fopen(name, "rb") would; anything else (a folder, a named
// pipe, a device) is refused without waiting, as a missing file is.
std::FILE* OpenGameFile(const char* name);

enum class GameFileRead { Read, Missing, Unreadable };
// Reads a whole game file (opened with OpenGameFile) into bytes. A file that cannot be opened
// is Missing; one that fails to read or holds more than maxBytes is Unreadable, so a bad file
// can never make the game take more memory than it expects.
GameFileRead ReadGameFile(const char* name, std::size_t maxBytes, std::vector<std::uint8_t>& bytes);
