// files.h -- opening the game's own files for reading
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The name a game file is found under: name itself when it is a file the game can read; else an
// entry of its folder that differs from it only in the case of its letters, as the game asks for
// "TILE5.bmp" and "tile5.bmp" alike (the desktop it was written for ignored case): the first that
// can be read of those with the fewest letters in another case, then in byte order (capitals
// first). When none can be read: name, or the closest spelling when nothing has that name. A
// folder is listed once, and again only after it changed, as the game opens its files at every
// level start.
std::string FindGameFile(const char* name);

// Opens a regular file for reading, as fopen(name, "rb") would, under the name FindGameFile
// finds; anything else (a folder, a named pipe, a device) is refused without waiting, as a
// missing file is.
std::FILE* OpenGameFile(const char* name);

// The folders the program looked in for the game's files, in order, the one it chose (now the
// current folder) last. From then on a game file that cannot be opened is reported with a line
// on standard error naming it and its folder, the first such line also these folders: the
// game's own message may say no more than "check the directory". None (as before the first
// call) means no such lines.
void NoteDataFoldersTried(std::vector<std::string> folders);

// A game file that was opened but is of no use to the game (why says how) is reported as one
// that cannot be opened is, naming the file found for name: that is the one to mend.
void ReportBadGameFile(const char* name, const char* why);

enum class GameFileRead { Read, Missing, Unreadable };
// Reads a whole game file (opened with OpenGameFile) into bytes. A file that cannot be opened
// is Missing; one that fails to read or holds more than maxBytes is Unreadable, so a bad file
// can never make the game take more memory than it expects.
GameFileRead ReadGameFile(const char* name, std::size_t maxBytes, std::vector<std::uint8_t>& bytes);
