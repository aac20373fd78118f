// Fuzz target: the wave-file loader, through the RIFF reader, whatever its chunks claim.
#include <cstddef>
#include <cstdint>

#include "memory_file.h"
#include "sound_files_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string name = InputAsFile(data, size);
    if (name.empty()) return 0;
    FreshSoundService();
    PlayWhatWasLoaded(LoadWavSound(name.c_str(), 224));
    ReleaseSound();
    return 0;
}
