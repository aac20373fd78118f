// dialog_ui.h -- the start-up dialog drawn and driven by the platform itself
//
// The desktop has no dialog manager of the kind the game was written for, so the platform
// draws the dialog in the classic grey three-dimensional look (raised buttons, sunken check
// box, dark blue caption bar with a close box) into a 32-bit picture, and turns mouse clicks
// and keys into the dialog procedure's commands. Both the real window and the test platform
// use this code, so what the tests see is what the player sees.
//
// Dialog units: 1 horizontal unit is 1.5 pixels, 1 vertical unit is 1.625 pixels (the 8-point
// dialog font). The caption bar and the frame come on top of the template's client area.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/api/window.h"

struct DialogUi;

// What a key press or a mouse click asks of the dialog procedure.
struct DialogAction {
    bool command = false; // true: send WM_COMMAND with this control id (BN_CLICKED)
    int controlId = 0;
};

enum DialogKey { DialogKeyTab, DialogKeyShiftTab, DialogKeySpace, DialogKeyEnter, DialogKeyEscape };

// Creates the dialog's state for a template (focus on the first tab stop, i.e. the default
// button; check boxes unchecked). scale (1, 2, ...) multiplies every pixel for big monitors.
// Returns null when the template is unusable. The title picture is decoded here.
DialogUi* DialogUiCreate(const DialogTemplate* dialogTemplate, int scale);
// A message box in the same look: the caption, the text wrapped at word boundaries (a line feed
// starts a new line; a word wider than a line gets one of its own and widens the box) and one OK
// button (IDOK), focused and default. Enter and Space give IDOK, Escape and the close box
// IDCANCEL; either answers the box. Null when the scale is unusable.
DialogUi* DialogUiCreateMessageBox(const char* caption, const char* text, int scale);
constexpr int MessageBoxTextId = 0xFFFF; // the box's text, for DialogUiTextLines
void DialogUiDestroy(DialogUi* ui);
// The dialog's whole size in pixels, frame and caption included.
int DialogUiWidth(const DialogUi* ui);
int DialogUiHeight(const DialogUi* ui);
// Draws the whole dialog with its top-left corner at (originX, originY) of a 32-bit
// 0x00RRGGBB picture of width by height pixels (pitch in pixels); parts outside are clipped.
void DialogUiDraw(const DialogUi* ui, std::uint32_t* pixels, int width, int height, int pitch,
                  int originX, int originY);
// A key went down. Tab and Shift+Tab move the focus among tab stops; Space clicks the focused
// button or check box; Enter clicks the focused button, or the default button when the focus is
// on something else; Escape is the cancel identifier (IDCANCEL).
DialogAction DialogUiKey(DialogUi* ui, DialogKey key);
// The left mouse button went down / up at a point relative to the dialog's top-left corner.
// A button is clicked when the button goes down and comes up over the same control (it is
// drawn pushed in while held); the caption's close box means IDCANCEL. A click on a tab-stop
// control also moves the focus to it. Clicking a check box flips its check mark.
void DialogUiMouseDown(DialogUi* ui, int x, int y);
DialogAction DialogUiMouseUp(DialogUi* ui, int x, int y);
// The middle of a control in dialog pixels (for scripted clicks); false when there is no such
// control.
bool DialogUiControlCentre(const DialogUi* ui, int controlId, int* x, int* y);
// A click in the middle of the control, when there is one, for its picture's sake: a recorded
// click played again, whose command the caller sends itself.
void DialogUiPressControl(DialogUi* ui, int controlId);
bool DialogUiChecked(const DialogUi* ui, int controlId);
// The lines a static text control shows, as wrapped.
std::vector<std::string> DialogUiTextLines(const DialogUi* ui, int controlId);
// Clicks a button or check box as the mouse would, but leaves the focus where it is (a check box
// ticked ahead of time); nothing for a control the dialog lacks.
DialogAction DialogUiClick(DialogUi* ui, int controlId);
// The pointer moved while the left button is held: a pushed-in button pops out while the
// pointer is off it and goes back in when it returns.
void DialogUiMouseMove(DialogUi* ui, int x, int y);

// The controls that answer a dialog, found in its template by what they are, so that whoever
// answers for the player needs no control numbers: the push button with this label, and the
// check box (the first, when there are several). -1 when there is none.
int DialogButtonLabelled(const DialogTemplate* dialogTemplate, const std::string& label);
int DialogCheckBox(const DialogTemplate* dialogTemplate);
