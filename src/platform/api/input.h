// input.h -- the keyboard, polled by virtual-key code
#pragma once

#include "wintypes.h"

constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_MENU = 0x12; // Alt
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_F1 = 0x70; // F1 to F12 follow one another
constexpr int VK_F4 = 0x73;
constexpr int VK_F12 = 0x7B;
// Letters and digits are their capital ASCII codes: 'A' .. 'Z', '0' .. '9'.

// The top bit of the result (the result is negative) while the key is held right now. A
// letter's code means the key that types that letter on the player's keyboard layout.
short GetAsyncKeyState(int vKey);
