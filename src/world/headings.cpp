// headings.cpp -- the heading tables and the turning of a craft's quad
#include "world/headings.h"

#include "app/game_globals.h"
#include "combat/craft.h"

float SinTable[HeadingSteps + 1] = {};
float CosTable[HeadingSteps + 1] = {};

static const GlobalsReset Reset([] {
    for (int i = 0; i <= HeadingSteps; ++i)
        SinTable[i] = CosTable[i] = 0.0f;
});

// Not built yet: comes with the loading work.
void BuildHeadingTables() {}
void RotateCraftCorners(Craft&, int) {}
