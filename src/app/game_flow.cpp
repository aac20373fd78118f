// game_flow.cpp -- loading, levels, and the checks between frames
#include "app/game_flow.h"

#include "app/random.h"
#include "display/display.h"
#include "display/pixels.h"
#include "platform/timer.h"

// So far loading seeds the random numbers and reads the display's pixel format; the levels,
// pictures, sounds and craft come with the loading work.
void LoadGame() {
    GameSrand(std::uint32_t(GetCalendarTime()));
    AnalysePixelFormat(PrimarySurface, &PixelFormatInfo);
}

void StartLevel(int) {}
void CheckGameFlow() {}
void LevelTitleIn(int) {}
void LevelTitleOut(int) {}
