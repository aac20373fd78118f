// compose_frame.h -- one picture of the game in the back buffer
//
// Landscape and clouds by rectangle copies, then one lock of the back buffer for the shots,
// debris, craft and the explosion flash; the frame-rate line on I; the life icons last.
#pragma once

#include <cstdint>

extern std::int32_t FpsDisplayOn; // I toggles the frame-rate line

// Builds the frame in BackBuffer; also moves and hit-tests the shots and runs the player's
// destruction sequence and return.
void ComposeFrame();
// One life icon per remaining life, stacked up the left side.
void DrawLives();
