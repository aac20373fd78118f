// files.cpp -- opening and reading the game's own files
#include "files.h"

#include "backend.h"

std::FILE* OpenGameFile(const char* name) {
    if (!name) return nullptr;
    NoteGameFileOpened(name);
    return std::fopen(name, "rb");
}

GameFileRead ReadGameFile(const char* name, std::size_t maxBytes,
                          std::vector<std::uint8_t>& bytes) {
    std::FILE* in = OpenGameFile(name);
    if (!in) return GameFileRead::Missing;
    bool ok = std::fseek(in, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(in) : -1;
    ok = ok && size >= 0 && std::size_t(size) <= maxBytes && std::fseek(in, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(std::size_t(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    }
    std::fclose(in);
    return ok ? GameFileRead::Read : GameFileRead::Unreadable;
}
