// Fuzz target: the RIFF reader walks a wave file the way the sound loader does; whatever the
// chunk headers claim, it must never read outside the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/dsound.h"
#include "platform/mmsystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/skirmo-riff-fuzz-" + std::to_string(getpid()) + ".wav";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
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
