// enemies.h -- how the five enemy slots fly, fire, retreat and are replaced
#pragma once

// The heading from the enemy's centre to the player's, in [0, 1920).
float HeadingToPlayer(int slot);
// Fires one shot if the enemy is aimed, ready and lucky.
void EnemyTryFire(int slot, float distance);
// One frame of every enemy slot.
void UpdateEnemies();
