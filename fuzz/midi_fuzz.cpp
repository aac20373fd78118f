// Fuzz target: opening a piece of music. Only a whole Standard MIDI File opens; anything else
// fails to open, never crashes and never half-plays.
#include <cstddef>
#include <cstdint>
#include <string>

#include "memory_file.h"
#include "platform/api/mmsystem.h"
#include "platform/test/test_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (TestPlatformStart({}), true);
    (void)started;
    TestEvents().clear(); // the record of commands would otherwise grow with every input
    std::string name = InputAsFile(data, size);
    if (name.empty()) return 0;
    std::string open = "open " + name + " type sequencer alias jazz";
    if (mciSendStringA(open.c_str(), nullptr, 0, nullptr) == 0) {
        mciSendStringA("play jazz from 0", nullptr, 0, nullptr);
        mciSendStringA("stop jazz", nullptr, 0, nullptr);
        mciSendStringA("close jazz", nullptr, 0, nullptr);
    }
    return 0;
}
