// message_box.h -- the game's message box, the same on both platforms (platform-internal)
//
// A box owned by the game's window belongs to the game: it stands above the game on its screen,
// takes the keyboard from the window while it is up and gives it back, and the application never
// loses the foreground for it. A window of its own on today's desktops gave none of that for sure
// (it could open behind the full-screen game, and its taking the keyboard read as the player
// switching away, which paused the game), so both backends draw the box into the game's window
// with the dialog's look and run a small modal loop of their own around it. What a message does
// while the box is up is decided here, for both.
#pragma once

#include <vector>

#include "dialog_ui.h"
#include "platform/api/window.h"

struct OwnBox {
    DialogUi* ui = nullptr;
    bool answered = false;
    std::vector<MSG> held; // the window's messages, for the message loop after the box
};

// The box for this caption and text at this scale; ui is null when it cannot be drawn (then the
// backend has nothing better than a box of the desktop's).
OwnBox OpenOwnBox(const char* caption, const char* text, int scale);
// One message of the desktop while the box is up. Enter, Space, Escape and Alt+F4 answer it, as
// they answer the desktop's boxes; the window's close answers it too and is kept for the message
// loop, which closes the game as before. Activation changes reach the window procedure at once,
// as in any modal loop; other keys are the box's and go no further. A message that was queued
// before the box came up (early) is the window's: a key pressed during the game's waits neither
// answers the box nor gets lost, and is kept for the message loop.
void OwnBoxTakes(OwnBox& box, const MSG& msg, bool early);
// A click's result (DialogUiMouseUp) answers the box when it is a command.
void OwnBoxClicked(OwnBox& box, DialogAction action);
// The box is gone: its drawing state is freed and the messages kept go back on the queue.
void CloseOwnBox(OwnBox& box);
