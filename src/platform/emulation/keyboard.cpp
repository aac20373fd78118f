// keyboard.cpp -- GetAsyncKeyState: the keys the game polls, the same on every backend
//
// The game spins on this inside its waits, where it reads no message: so each poll also looks
// for an end signal and for a close the game left unread (signals.h). A pad holds the keys it
// stands for (gamepad.h). While recording, each answer is kept; while a demo plays, the recorded
// player's answer is given instead of the machine's.
#include "platform/api/input.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"

#include "backend.h"
#include "gamepad.h"
#include "signals.h"

short GetAsyncKeyState(int vKey) {
    const bool fresh = BackendPoll(Poll::Keyboard);
    EndIfSignalled();
    if (DemoPlaying()) return DemoKey(vKey);
    if (fresh) EndIfCloseWaits(BackendCloseWaiting(), BackendNowNs());
    if (!BackendKeyboardThere()) return RecordKey(vKey, 0);
    // The pad is asked first and always: a question's answer on it is timed by its polls.
    const bool pad = PadHoldsKey(vKey, BackendNowNs());
    const bool held = BackendKeyHeld(vKey) || pad;
    return RecordKey(vKey, held ? short(0x8000) : short(0));
}
