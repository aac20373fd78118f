// bot.h -- the replay runner's autopilot (--bot)
//
// It plays through the keyboard alone, as a person would: on every keyboard poll it reads the
// game's globals to decide and holds or releases keys (TestSetKey). It never writes the game's
// state. A script may run beside it; a key is down while either holds it.
#pragma once

// Installs the autopilot on the test platform's keyboard poll. Call after TestPlatformStart.
void AttachBot();
