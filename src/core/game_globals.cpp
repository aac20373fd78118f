// game_globals.cpp -- the modules' releases and the first values of their globals
#include "core/game_globals.h"

#include <cstring>
#include <vector>

namespace {

struct FirstValue {
    void* Global;
    std::vector<unsigned char> Bytes;
};

// Built on first use: registration runs before main, in no promised order between files.
std::vector<ReleaseFunction>& Releases() {
    static std::vector<ReleaseFunction> releases;
    return releases;
}

std::vector<FirstValue>& FirstValues() {
    static std::vector<FirstValue> values;
    return values;
}

} // namespace

void GlobalsReset::Remember(ReleaseFunction release) {
    if (release) Releases().push_back(release);
}

void GlobalsReset::Remember(void* global, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(global);
    FirstValues().push_back({global, std::vector<unsigned char>(bytes, bytes + size)});
}

void ResetGameGlobals() {
    for (ReleaseFunction release : Releases())
        release();
    for (const FirstValue& value : FirstValues())
        std::memcpy(value.Global, value.Bytes.data(), value.Bytes.size());
}
