// reset.cpp -- everything the shared platform code holds, put back as at the program's start
#include "backend.h"
#include "demo_player.h"
#include "gamepad.h"
#include "messages.h"
#include "signals.h"

void ResetSharedPlatform() {
    ResetDisplayObjects();
    ResetSoundService();
    ClearMessages();
    ResetMci();
    ForgetEndSignals();
    ResetPad();
    StopDemo();
}
