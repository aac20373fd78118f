// reset.cpp -- everything the shared platform code holds, put back as at the program's start
#include "backend.h"
#include "platform/recording/demo_player.h"
#include "gamepad.h"
#include "message_queue.h"
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
