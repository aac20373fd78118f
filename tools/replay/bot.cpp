// bot.cpp -- the replay runner's autopilot
//
// Not written yet: attaching it changes nothing, so a run with --bot plays as the script alone.
#include "bot.h"

void AttachBot() {}
