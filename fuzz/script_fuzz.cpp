// Fuzz target: the replay runner's key-script reader must take any bytes without harm, and
// what it accepts must be sorted and within its own ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/test/test_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<ScriptEvent> events;
    std::string error;
    if (ParseScript(text, events, error)) {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i].timeNs < 0 || (i > 0 && events[i].timeNs < events[i - 1].timeNs))
                std::abort();
            if (events[i].virtualKey < 0 || events[i].virtualKey > 255) std::abort();
        }
    } else if (error.rfind("line ", 0) != 0) {
        std::abort(); // every fault names its line
    }
    return 0;
}
