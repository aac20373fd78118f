// keyboard.h -- the keys as the game reads them: held at this poll, or pressed and let go
//
// A key the game acts on once per press is waited on until it is released: the whole game
// stands still meanwhile, with no frame drawn and no clock counted.
#pragma once

#include "platform/api/input.h"

inline bool KeyHeld(int key) { return GetAsyncKeyState(key) < 0; }

inline void WaitForKeyRelease(int key) {
    while (KeyHeld(key)) {
    }
}

// True when the key was held, after waiting for its release.
inline bool KeyPressed(int key) {
    if (!KeyHeld(key)) return false;
    WaitForKeyRelease(key);
    return true;
}
