// game_flow.cpp -- loading, levels, and the checks between frames
#include "app/game_flow.h"

#include "app/random.h"
#include "display/display.h"
#include "display/pixels.h"
#include "platform/timer.h"

void LoadGame() {
    GameSrand(std::uint32_t(GetCalendarTime()));
    AnalysePixelFormat(PrimarySurface, &PixelFormatInfo);
}

void CheckGameFlow() {}
