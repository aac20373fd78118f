// headings.cpp -- the heading tables
#include "core/headings.h"

#include <cmath>

#include "core/game_globals.h"

float SinTable[HeadingSteps + 1] = {};
float CosTable[HeadingSteps + 1] = {};

static const GlobalsReset Reset(SinTable, CosTable);

// The last entry is not quite the first one again: the turn is 6.28318 radians, not 2 pi.
void BuildHeadingTables() {
    for (int i = 0; i <= HeadingSteps; ++i) {
        double angle = double(i) * HeadingStepRadians;
        CosTable[i] = float(std::cos(angle));
        SinTable[i] = float(std::sin(angle));
    }
}
