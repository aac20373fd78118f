// headings.cpp -- the heading tables and the turning of a craft's quad
#include "world/headings.h"

#include <cmath>

#include "app/game_globals.h"
#include "combat/craft.h"

float SinTable[HeadingSteps + 1] = {};
float CosTable[HeadingSteps + 1] = {};

static const GlobalsReset Reset([] {
    for (int i = 0; i <= HeadingSteps; ++i)
        SinTable[i] = CosTable[i] = 0.0f;
});

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

void RotateCraftCorners(Craft& craft, int h) {
    float c = CosTable[h];
    float s = SinTable[h];
    // Always from the model corners: turning the turned corners again would let the square drift.
    for (int k = 0; k < 4; ++k) {
        float x = craft.ModelCorners[k].X;
        float y = craft.ModelCorners[k].Y;
        craft.RotatedCorners[k].X = x * c - y * s;
        craft.RotatedCorners[k].Y = y * c + x * s;
    }
}
