// shots.cpp -- the shots in flight, and which craft a shot hits
//
// Shots are the only way damage is done: enemies never collide with the player or each other.
#include "combat/shots.h"

#include <cmath>
#include <new>

#include "core/game_clock.h"
#include "core/game_globals.h"
#include "audio/sound.h"
#include "combat/craft.h"
#include "combat/enemies.h"
#include "combat/player.h"
#include "display/display.h"
#include "display/pixels.h"
#include "core/headings.h"
#include "core/program.h"

ShotListRecord ShotList{};
std::uint16_t ShotColours[2] = {};

// Frees the nodes before forgetting them, so a reset never leaks.
static const GlobalsReset Reset(ClearShots, ShotList, ShotColours);

namespace {

constexpr float HitRadius = 24.0f; // from the shot to the craft's centre, strictly below

float DistanceTo(const Shot& shot, const Craft& craft) {
    float dx = shot.PosX - craft.PosX;
    float dy = shot.PosY - craft.PosY;
    return std::sqrt(dx * dx + dy * dy);
}

// Exploding and finished craft are out of the fight: shots fly through them.
bool OutOfTheFight(const Craft& craft) {
    return craft.State == CraftDestroyed || craft.State == CraftFinished;
}

// Tests one shot against the other side; true when it hit something and must go.
bool HitTest(const Shot& shot) {
    if (shot.ShotOwner == ShotByPlayer) {
        // Lower slots first, and one enemy per shot.
        for (Craft& enemy : EnemyCraft) {
            if (OutOfTheFight(enemy)) continue;
            if (DistanceTo(shot, enemy) < HitRadius) {
                HitEnemy(enemy);
                return true;
            }
        }
        return false;
    }
    if (OutOfTheFight(PlayerCraft)) return false;
    if (DistanceTo(shot, PlayerCraft) < HitRadius) {
        HitPlayer();
        return true;
    }
    return false;
}

void PlotClipped(std::int32_t x, std::int32_t y, std::uint16_t colour) {
    if (x >= 0 && x < ScreenWidth && y >= 0 && y < ScreenHeight) PutPixel(x, y, colour);
}

} // namespace

void InitShotList() {
    ShotList.First = nullptr;
    ShotList.Count = 0;
    ShotColours[ShotByPlayer] = PackColor(255, 255, 0, &PixelFormatInfo);
    ShotColours[ShotByEnemy] = PackColor(255, 255, 255, &PixelFormatInfo);
}

void SpawnShot(std::int32_t owner, float x, float y, float heading) {
    Shot* shot = new (std::nothrow) Shot{};
    if (!shot) return; // out of memory: that one shot is simply not fired
    shot->Next = nullptr;
    shot->Speed = ShotSpeed;
    shot->PosX = x;
    shot->PosY = y;
    shot->Heading = heading;
    shot->ShotOwner = owner;
    shot->Colour = ShotColours[owner];
    shot->Age = 0.0f;
    // Appended at the tail, so the list stays in firing order.
    if (!ShotList.First) {
        ShotList.First = shot;
    } else {
        Shot* last = ShotList.First;
        while (last->Next)
            last = last->Next;
        last->Next = shot;
    }
    ShotList.Count += 1;
}

void FreeShot(Shot* node) {
    delete node;
    ShotList.Count -= 1;
}

void ClearShots() {
    Shot* shot = ShotList.First;
    ShotList.First = nullptr;
    while (shot) {
        Shot* next = shot->Next;
        FreeShot(shot);
        shot = next;
    }
    ShotList.Count = 0;
}

void UpdateShots() {
    Shot* previous = nullptr; // the last node that stays
    Shot* shot = ShotList.First;
    while (shot) {
        float d = shot->Speed * FrameDelta;
        int h = int(shot->Heading);
        shot->PosX += CosTable[h] * d;
        shot->PosY += SinTable[h] * d;
        shot->Age += FrameDelta;

        // A shot at the end of its life is gone before it can hit anything in this frame.
        bool remove = shot->Age >= ShotLifetime || HitTest(*shot);
        Shot* next = shot->Next;
        if (remove) {
            if (previous)
                previous->Next = next;
            else
                ShotList.First = next;
            FreeShot(shot);
        } else {
            previous = shot;
        }
        shot = next;
    }
}

void DrawShots(std::int32_t viewRight, std::int32_t viewBottom) {
    std::int32_t left = viewRight - ScreenWidth;
    std::int32_t top = viewBottom - ScreenHeight;
    for (const Shot* shot = ShotList.First; shot; shot = shot->Next) {
        std::int32_t sx = std::int32_t(shot->PosX) - left;
        std::int32_t sy = std::int32_t(shot->PosY) - top;
        // A small plus; the centre is written twice, as the two bars cross there.
        PlotClipped(sx - 1, sy, shot->Colour);
        PlotClipped(sx, sy, shot->Colour);
        PlotClipped(sx + 1, sy, shot->Colour);
        PlotClipped(sx, sy - 1, shot->Colour);
        PlotClipped(sx, sy, shot->Colour);
        PlotClipped(sx, sy + 1, shot->Colour);
    }
}
