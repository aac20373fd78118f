// Fuzz target: the voice-file loader. Whatever the block header claims, it never reads past the
// file and never fills a slot with more samples than the file holds.
#include <cstddef>
#include <cstdint>

#include "memory_file.h"
#include "sound_files_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string name = InputAsFile(data, size);
    if (name.empty()) return 0;
    FreshSoundService();
    PlayWhatWasLoaded(LoadVocSound(name.c_str()));
    ReleaseSound();
    return 0;
}
