// frame_step.h -- one pass of the game: pause, game flow, timing, controls, picture, flip
#pragma once

// Runs one frame; called by the message loop whenever no message waits and the game is in front.
void FrameStep();
