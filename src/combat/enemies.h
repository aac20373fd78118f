// enemies.h -- the five enemy slots: their arrival, flight, fire, the hits they take (the
// retreat on damage, the explosion) and their replacement
#pragma once

struct Craft;

// A fresh enemy in the slot, beyond one of the world's corners (five draws of the game's rand).
void SpawnEnemy(int slot);
// The heading from the enemy's centre to the player's, in [0, 1920).
float HeadingToPlayer(int slot);
// Fires one shot if the enemy is aimed, ready and lucky.
void EnemyTryFire(int slot, float distance);
// A shot hit the enemy: one hit point; a damaged enemy retreats, at the last point it explodes.
void HitEnemy(Craft& enemy);
// One frame of every enemy slot.
void UpdateEnemies();
