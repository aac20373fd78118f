// game_globals.cpp -- the registry of the modules' resets
#include "core/game_globals.h"

#include <vector>

namespace {

// Built on first use: registration runs before main, in no promised order between files.
std::vector<ResetFunction>& Resets() {
    static std::vector<ResetFunction> resets;
    return resets;
}

} // namespace

GlobalsReset::GlobalsReset(ResetFunction reset) { Resets().push_back(reset); }

void ResetGameGlobals() {
    for (ResetFunction reset : Resets())
        reset();
}
