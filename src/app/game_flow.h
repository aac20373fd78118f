// game_flow.h -- loading, levels, lives, and the prompts between frames
#pragma once

// Loads everything once after the title pages and sets up the first level.
void LoadGame();
// Sets up one level behind its title fades: shots, music, map, craft, roster.
void StartLevel(int level);
// Between frames: level won, game over prompt, quit prompt.
void CheckGameFlow();
