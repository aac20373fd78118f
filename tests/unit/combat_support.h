// combat_support.h -- what the combat tests share: heading tables and enemies placed in the fight
#pragma once

#include "combat/craft.h"
#include "display/pixels.h"
#include "game_fixture.h"
#include "core/headings.h"
#include "core/program.h"

class CombatTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        BuildHeadingTables();
        PixelFormatInfo = PixelFormat{0xF800, 0x07E0, 0x001F, 0, 5, 11};
    }

    // An enemy in the fight at a place, full of hit points.
    static Craft& PlaceEnemy(int slot, float x, float y, int level = 0) {
        Craft& e = EnemyCraft[slot];
        e.PosX = x;
        e.PosY = y;
        e.HitPoints = 5;
        e.State = CraftAttacking;
        e.Frame = FrameNormal;
        e.Level = level;
        e.TurnRate = float((level + 1) * 75 + 450);
        return e;
    }
};
