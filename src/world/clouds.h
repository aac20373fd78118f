// clouds.h -- ten clouds drifting over the ground, and the wind
//
// The clouds live in world coordinates like the ground. The wind changes at random every one to
// five seconds and pushes the clouds and every craft up or down the world.
#pragma once

#include <cstdint>

constexpr int CloudCount = 10;

struct Cloud {
    float X;     // world x of the picture's left edge
    float Y;     // world y of its top edge
    float Speed; // drift to the right, units per second: 20, 40, 60, 80 or 100
};

extern Cloud Clouds[CloudCount];
extern float WindSpeed;        // units per second, positive downward
extern std::int32_t WindTimer; // frames until the wind changes

// Places the clouds (three draws of rand each).
void SeedClouds();
// Moves each cloud right, wrapping round the world.
void DriftClouds();
// Pushes the clouds and the craft by the wind; changes the wind when its timer runs out.
void ApplyWind();
// Copies the visible clouds onto the BackBuffer (unlocked), colour-keyed.
void DrawClouds(std::int32_t viewRight, std::int32_t viewBottom);
