// memory_file.h -- a fuzz input as a file the game's loaders can open by name
//
// The loaders open files by name, as the game does; the input's bytes go into an anonymous
// in-memory file, opened by its /proc name, so that nothing is left behind on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

// Writes the bytes into the one in-memory file and returns its name ("" when the machine
// cannot make one).
inline std::string InputAsFile(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("skirmo-fuzz", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, 0) != 0) return "";
    for (std::size_t done = 0; done < size;) {
        ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) return "";
        done += std::size_t(n);
    }
    return "/proc/self/fd/" + std::to_string(fd);
}
