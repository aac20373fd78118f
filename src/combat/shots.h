// shots.h -- the shots in flight, and what a hit does
//
// One singly linked list of heap nodes in firing order, appended at the tail; a node is freed
// exactly when it is unlinked.
#pragma once

#include <cstdint>

struct Shot {
    float PosX;
    float PosY;
    float Heading;
    float Speed;            // ShotSpeed
    float Age;              // seconds since fired
    std::int32_t ShotOwner; // ShotByPlayer or ShotByEnemy
    std::uint16_t Colour;
    Shot* Next;
};

struct ShotListRecord {
    Shot* First;
    std::int32_t Count;
};

constexpr float ShotSpeed = 250.0f;  // units per second
constexpr float ShotLifetime = 2.0f; // seconds, so a shot reaches 500 units

constexpr std::int32_t ShotByPlayer = 0;
constexpr std::int32_t ShotByEnemy = 1;

extern ShotListRecord ShotList;
extern std::uint16_t ShotColours[2]; // yellow for the player's, white for the enemies'

// An empty list, and the two shot colours in the display's format.
void InitShotList();
// Appends one shot; an allocation failure drops it silently.
void SpawnShot(std::int32_t owner, float x, float y, float heading);
// Frees one node already unlinked.
void FreeShot(Shot* node);
// Frees every shot.
void ClearShots();
// Moves, ages, expires and hit-tests every shot.
void UpdateShots();
// Plots every shot as a small plus into the locked FrameBuffer, clipped to the screen.
void DrawShots(std::int32_t viewRight, std::int32_t viewBottom);
