// startup.h -- the program's entry, its window and the start-up dialog
#pragma once

#include <cstdint>

#include "platform/api/window.h"

extern std::int32_t LastActivation; // the last activation flag seen, to tell changes from repeats

// The start-up dialog as the dialog service draws it (resource 101) and its title picture.
extern const DialogTemplate StartupDialog;

// Brings up the window, the dialog, sound, display and clock, the title screens and the game,
// then runs the message loop. Returns the quit message's code, or the failure that ended the
// program (exit_status.h): 0 when the player ended it.
int WinMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showState);
LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR StartupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
