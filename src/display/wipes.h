// wipes.h -- wiping the visible screen to black, and the shape of the explosion flash
#pragma once

#include <cstdint>

constexpr int WipeRows = 3;    // top to bottom, one row every 5 ms
constexpr int WipeColumns = 4; // left to right, one column every 5 ms

constexpr int FlashMaskSize = 150;
// 1 where flashtmp.bmp is not black; column by column: entry (x, y) is FlashMask[x * 150 + y].
extern std::uint32_t FlashMask[FlashMaskSize * FlashMaskSize];

// Blackens the visible screen row by row (WipeRows) or column by column (WipeColumns), paced by
// the clock; leaves PreviousGameClock at its last step.
void ScreenWipe(int mode);
// Reads flashtmp.bmp into FlashMask, once, during loading.
void LoadFlashMask();
