// Fuzz target: the RIFF reader walks a wave file the way the sound loader does; whatever the
// chunk headers claim, it must never read outside the file. Any input is taken, the empty one
// included, and nothing is left behind: the bytes go into an anonymous in-memory file that the
// reader opens by its /proc name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "platform/api/dsound.h"
#include "platform/api/mmsystem.h"

namespace {

// The in-memory file, made once; -1 when the machine cannot make one.
int MemoryFile() {
    static const int fd = memfd_create("skirmo-riff-fuzz", MFD_CLOEXEC);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int fd = MemoryFile();
    if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
    for (std::size_t done = 0; done < size;) {
        ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) return 0;
        done += std::size_t(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    HMMIO file = mmioOpenA(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    if (!file) return 0;
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == 0) {
        MMCKINFO chunk{};
        if (mmioDescend(file, &chunk, &riff, 0) == 0) {
            WAVEFORMATEX format{};
            mmioRead(file, reinterpret_cast<char*>(&format), sizeof format);
            mmioAscend(file, &chunk, 0);
            MMCKINFO body{};
            body.ckid = mmioFOURCC('d', 'a', 't', 'a');
            if (mmioDescend(file, &body, &riff, MMIO_FINDCHUNK) == 0) {
                std::vector<char> samples(1 +
                                          (body.cksize < (1u << 20) ? body.cksize : (1u << 20)));
                LONG got = mmioRead(file, samples.data(), LONG(samples.size() - 1));
                if (got < 0 || std::size_t(got) > size) __builtin_trap();
            }
        }
    }
    mmioClose(file, 0);
    return 0;
}
