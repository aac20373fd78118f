// files.cpp -- opening the game's own files for reading
#include "files.h"

#include "backend.h"

std::FILE* OpenGameFile(const char* name) {
    if (!name) return nullptr;
    NoteGameFileOpened(name);
    return std::fopen(name, "rb");
}
