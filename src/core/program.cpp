// program.cpp -- the program-wide flags and the screen's size
#include "core/program.h"

#include "core/game_globals.h"

HWND MainWindow = nullptr;
std::int32_t AppActive = 1;
std::int32_t Paused = 0;
std::int32_t SoundEnabled = 1;

std::int32_t ScreenWidth = 640;
std::int32_t ScreenHeight = 480;
std::int32_t HalfScreenWidth = 320;
std::int32_t HalfScreenHeight = 240;

static const GlobalsReset Reset(MainWindow, AppActive, Paused, SoundEnabled, ScreenWidth,
                                ScreenHeight, HalfScreenWidth, HalfScreenHeight);
