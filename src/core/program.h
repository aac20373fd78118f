// program.h -- what the whole program shares: its window, whether it runs, the screen's size
// and the world's
//
// Start-up sets these (the window, the dialog's choices), the window procedure and the pause
// key change the two flags, and every part of the game reads them.
#pragma once

#include <cstdint>

#include "platform/api/window.h"

extern HWND MainWindow;           // the game window; owner of every message box
extern std::int32_t AppActive;    // 1 while the game is in front; frame steps run only then
extern std::int32_t Paused;       // 1 while paused (P, or switching away)
extern std::int32_t SoundEnabled; // 0 when the player ticked "no sound card"

extern std::int32_t ScreenWidth;  // 640 or 800, set by the start-up dialog
extern std::int32_t ScreenHeight; // 480 or 600
extern std::int32_t HalfScreenWidth;
extern std::int32_t HalfScreenHeight;

// The world is this many units square, one unit one screen pixel, x to the right and y down.
constexpr std::int32_t WorldSize = 2048;
