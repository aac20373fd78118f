// shots.cpp -- the shots in flight
#include "combat/shots.h"

void ClearShots() {}
