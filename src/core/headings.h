// headings.h -- directions as heading steps: their sines and cosines, and the heading of a line
//
// 1920 steps make a full turn, taken as 6.28318 radians rather than 2 pi (the game always did).
// Heading 0 points right, 480 down; a growing heading turns clockwise on the screen.
#pragma once

constexpr int HeadingSteps = 1920;
constexpr double FullTurnRadians = 6.28318;
constexpr double HeadingStepRadians = FullTurnRadians / HeadingSteps;
constexpr double StepsPerRadian = HeadingSteps / FullTurnRadians;

// 1921 entries each, so that a heading of exactly 1920.0 can still be looked up.
extern float SinTable[HeadingSteps + 1];
extern float CosTable[HeadingSteps + 1];

void BuildHeadingTables();
// The heading from the point (dx, dy) back to the origin. The angle within its quadrant is taken
// in double; roundAngle rounds it to a float before it is added to the quadrant's first heading,
// as the enemies' aim always did, where the debris round only the sum.
float HeadingToOrigin(float dx, float dy, bool roundAngle);
