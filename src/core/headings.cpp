// headings.cpp -- the heading tables
#include "core/headings.h"

#include <cmath>

#include "core/game_globals.h"

float SinTable[HeadingSteps + 1] = {};
float CosTable[HeadingSteps + 1] = {};

static const GlobalsReset Reset(SinTable, CosTable);

// The game has always taken a full turn as 6.28318 rather than 2 pi, so the last entry is not
// quite the first one again; the step is that turn over 1920.
constexpr double HeadingStepRadians = 0.0032724895833333334;

void BuildHeadingTables() {
    for (int i = 0; i <= HeadingSteps; ++i) {
        double angle = double(i) * HeadingStepRadians;
        CosTable[i] = float(std::cos(angle));
        SinTable[i] = float(std::sin(angle));
    }
}
