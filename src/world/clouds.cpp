// clouds.cpp -- the clouds and the wind
#include "world/clouds.h"

#include "app/game_globals.h"

Cloud Clouds[CloudCount] = {};
float WindSpeed = 0.0f;
std::int32_t WindTimer = 5;

static const GlobalsReset Reset([] {
    for (Cloud& c : Clouds)
        c = Cloud{};
    WindSpeed = 0.0f;
    WindTimer = 5;
});

// Not built yet: comes with the flight work.
void SeedClouds() {}
void DriftClouds() {}
void ApplyWind() {}
void DrawClouds(std::int32_t, std::int32_t) {}
