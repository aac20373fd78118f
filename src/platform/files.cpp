// files.cpp -- opening and reading the game's own files
#include "files.h"

#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "backend.h"

std::FILE* OpenGameFile(const char* name) {
    if (!name) return nullptr;
    // Only a regular file holds data: a named pipe would hold the game in open() until something
    // wrote to it, and a device could be read for ever. Opened without waiting, such a file is
    // refused as a missing one is.
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status;
    std::FILE* real = nullptr;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && fcntl(fd, F_SETFL, 0) == 0)
        real = fdopen(fd, "rb");
    if (!real) {
        close(fd);
        return nullptr;
    }
    return real;
}

GameFileRead ReadGameFile(const char* name, std::size_t maxBytes,
                          std::vector<std::uint8_t>& bytes) {
    std::FILE* in = OpenGameFile(name);
    bool ok = in && std::fseek(in, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(in) : -1;
    ok = ok && size >= 0 && std::size_t(size) <= maxBytes && std::fseek(in, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(std::size_t(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    }
    if (in) std::fclose(in);
    if (name) BackendGameFileRead(name, ok ? &bytes : nullptr);
    return ok ? GameFileRead::Read : in ? GameFileRead::Unreadable : GameFileRead::Missing;
}
