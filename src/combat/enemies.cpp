// enemies.cpp -- the enemies' flight, fire and replacement
#include "combat/enemies.h"

// Not built yet: comes with the combat work.
float HeadingToPlayer(int) { return 0.0f; }
void EnemyTryFire(int, float) {}
void UpdateEnemies() {}
