// debris.h -- the 150 particles a craft bursts into
#pragma once

#include <cstdint>

struct Craft;

// New random velocities and colours (five draws of rand per particle), all at the centre.
void SeedDebris(Craft& craft);
// One frame of flight for every particle.
void MoveDebris(Craft& craft);
// Plots the particles around a screen point into the locked FrameBuffer, clipped to the screen.
void DrawDebris(Craft& craft, std::int32_t screenX, std::int32_t screenY);
