// wipes.cpp -- the screen wipes and the flash mask
#include "display/wipes.h"

#include <cstring>

#include "app/game_globals.h"

std::uint32_t FlashMask[FlashMaskSize * FlashMaskSize] = {};

static const GlobalsReset Reset([] { std::memset(FlashMask, 0, sizeof FlashMask); });

// Not built yet: comes with the loading work.
void ScreenWipe(int) {}
void LoadFlashMask() {}
