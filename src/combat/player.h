// player.h -- the player's craft: its controls and gun, the hits it takes, its explosion and its
// return to the start
//
// The frame step calls the controls in its fixed order; the shots call the hit; the frame's
// composition runs the explosion while the back buffer is locked.
#pragma once

#include <cstdint>

struct Craft;

extern float PlayerLastShotTime; // GameClock at the player's last volley

// The player's turn, in heading steps per second, is this less its speed: faster the slower it
// flies.
constexpr float TurnRateBase = 1060.0f;

// The gun can fire no earlier than 0.4 s after the game's first frame: its clock starts now.
void ArmPlayerGun();
// The arrows: turning by turnStep heading steps (both arrows undo each other), then the speed.
void TurnPlayer(float turnStep);
void ChangePlayerSpeed();
// Flies distance units along the heading, sliding along the world's edges.
void MovePlayer(float distance);
// Space, more than 0.4 s after the last volley: one shot, or with spread (the cheat's) ten.
void FirePlayerGun(bool spread);

// A shot hit the player: one hit point, and at the last one the explosion and a life.
void HitPlayer();
// One frame of the explosion: debris, and for its first third the flash and the wreck (drawn
// only when locked); at its end the craft is back at its start.
void RunPlayerDestruction(bool locked);
// The player at (320, 240) in the world, heading 0, speed 50, all its hit points, with new debris
// (five draws of rand per particle); its picture, state and frame are left to the caller.
void ReturnPlayerToStart();
// Brightens the flash mask's shape around a screen point in the locked FrameBuffer.
void ExplosionFlash(std::int32_t cx, std::int32_t cy);
