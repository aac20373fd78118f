// game_flow.h -- loading, levels, and the checks between frames
#pragma once

// Loads everything once after the title pages and sets up the first level. So far it seeds the
// random numbers and reads the display's pixel format; the levels, pictures, sounds and craft
// are added as they are built.
void LoadGame();
// Between frames: level won, game over, quit. Nothing to check until the levels exist.
void CheckGameFlow();
