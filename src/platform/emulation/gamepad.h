// gamepad.h -- a game pad as the keys the game polls (platform-internal)
//
// The game knows only keys, so a pad holds keys: the left stick and the d-pad turn (Left,
// Right) and change speed (Up, Down), the south button fires and leaves the text pages (Space),
// Start pauses (P), Back asks to quit (Escape), and the south and east buttons answer the
// questions (Y and N). Both backends feed what the pads hold into here and ask it on every
// keyboard poll, so nothing in the game changes. Every pad counts: any pad holding a button
// holds its key.
#pragma once

#include <cstdint>

enum PadControl {
    PadSouth, // A on most pads
    PadEast,  // B
    PadBack,
    PadStart,
    PadUp, // the d-pad
    PadDown,
    PadLeft,
    PadRight,
    PadControlCount
};

// What the pads hold now; the left stick from -32768 (left, up) to 32767 (right, down).
struct PadInputs {
    bool held[PadControlCount] = {};
    int stickX = 0;
    int stickY = 0;
};

// The stick counts as a key once pushed past half way: a player resting a thumb on it turns no
// one, and a diagonal push turns and changes speed at once.
constexpr int PadStickThreshold = 16384;

// A question waits for a fresh press. Holding the south button to fire while the last life goes
// must not answer "try again?" by itself, nor Back pressed while firing quit at once: a button
// already held when the game begins asking counts only after it is let go and pressed again.
// The game asks by polling Y and N in a tight loop; a pause longer than this between two polls
// of one means a new question. The other way round, the south button that answered a question
// stands for Space again only after it is let go: the answer must not also leave the page that
// follows (the keyboard's Y is no Space either).
constexpr std::int64_t PadQuestionGapNs = 250'000'000;

// The pads' state from now on; a button let go forgets that it was held into a question.
void SetPadInputs(const PadInputs& inputs);
// True when the pads hold the key with this virtual-key code now (nowNs on the caller's clock,
// which only needs to move on).
bool PadHoldsKey(int virtualKey, std::int64_t nowNs);
// The key whose message a press of the button posts, as a key pressed on the keyboard posts its
// own (the game's message box is answered with it).
int PadControlKey(PadControl control);
// Nothing held, no question under way (a pad unplugged, a new test run).
void ResetPad();
