// desktop.h -- what the program around the game chooses of the desktop before the game starts
#pragma once

// How the game's window starts: as the player left it last time (full screen the first time),
// or as the command line says for this run. F11 switches between the two while the game runs.
enum class WindowChoice { Remembered, Window, Fullscreen };
void ChooseWindowMode(WindowChoice choice);
