// files.h -- opening the game's own files for reading
#pragma once

#include <cstdio>

// fopen(name, "rb"). The test platform notes the name, so that what is made from the file (a
// sound buffer, say) can be named in its log.
std::FILE* OpenGameFile(const char* name);
