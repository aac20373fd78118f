// compose_frame.h -- one picture of the game in the back buffer
#pragma once

#include <cstdint>

extern std::int32_t FpsDisplayOn; // I toggles the frame-rate line

// Builds the frame in BackBuffer. So far: a plain ground in place of the landscape, and the
// frame-rate line on I; the landscape, clouds, shots and craft join as they are built.
void ComposeFrame();
