// combat_support.h -- what the combat tests share: heading tables, a memory frame to draw into
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "combat/craft.h"
#include "display/display.h"
#include "display/pixels.h"
#include "game_fixture.h"
#include "core/headings.h"
#include "core/program.h"

class CombatTest : public GameTest {
  protected:
    std::vector<std::uint16_t> pixels;

    void SetUp() override {
        GameTest::SetUp();
        BuildHeadingTables();
        PixelFormatInfo = PixelFormat{0xF800, 0x07E0, 0x001F, 0, 5, 11};
    }

    // A cleared 16-bit frame of the screen's size, as if the back buffer were locked.
    void LockMemoryFrame(int width, int height) {
        ScreenWidth = width;
        ScreenHeight = height;
        pixels.assign(std::size_t(width) * height, 0);
        FrameBuffer =
            LockedFrame{reinterpret_cast<std::uint8_t*>(pixels.data()), 2 * width, width, height};
    }
    std::uint16_t Pixel(int x, int y) const { return pixels[std::size_t(y) * ScreenWidth + x]; }
    int LitPixels() const {
        int n = 0;
        for (std::uint16_t p : pixels)
            n += p != 0;
        return n;
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
