// headings.cpp -- the heading tables
//
// Their sines and cosines and the aim's arc tangent come from exact_math.h, not the C library,
// so that a game plays the same on every machine and in the page.
#include "core/headings.h"

#include <cmath>

#include "core/exact_math.h"
#include "core/game_globals.h"

float SinTable[HeadingSteps + 1] = {};
float CosTable[HeadingSteps + 1] = {};

static const GlobalsReset Reset(SinTable, CosTable);

// The last entry is not quite the first one again: the turn is 6.28318 radians, not 2 pi.
void BuildHeadingTables() {
    for (int i = 0; i <= HeadingSteps; ++i) {
        double angle = double(i) * HeadingStepRadians;
        CosTable[i] = float(ExactCos(angle));
        SinTable[i] = float(ExactSin(angle));
    }
}

float HeadingToOrigin(float dx, float dy, bool roundAngle) {
    // (dx, dy) points away from the origin, so each quadrant is mirrored: the way back.
    if (dy == 0.0f) return dx < 0.0f ? 0.0f : 960.0f;
    if (dx == 0.0f) return dy < 0.0f ? 480.0f : 1440.0f;
    double a = ExactAtan(std::fabs(double(dy)) / std::fabs(double(dx))) * StepsPerRadian;
    // The sum of two floats rounded once to a float is the float sum, so the aim keeps its float
    // arithmetic here with only its angle rounded first.
    if (roundAngle) a = float(a);
    if (dx > 0.0f) return float(dy > 0.0f ? 960.0 + a : 960.0 - a);
    return float(dy > 0.0f ? HeadingSteps - a : a);
}
