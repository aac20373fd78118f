// frame_step.h -- one pass of the game: pause, game flow, timing, controls, picture, flip
#pragma once

extern float PlayerLastShotTime; // GameClock at the player's last volley

// The player's turn, in heading steps per second, is this less its speed: faster the slower it
// flies.
constexpr float TurnRateBase = 1060.0f;

// Runs one frame; called by the message loop whenever no message waits and the game is in front.
void FrameStep();
