// pause.h -- P stops the game and starts it again; while stopped, the pause line is all it draws
//
// Switching away pauses too (the window procedure sets Paused); only P resumes.
#pragma once

// Takes the P key, then while paused draws the pause line on the front surface. True while
// paused: the frame step does nothing more.
bool StepPause();
