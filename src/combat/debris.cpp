// debris.cpp -- the particles of an explosion
//
// Each craft carries 150 particles, seeded while it is still whole so that nothing random or
// costly happens during the explosion itself: each flies at a constant speed straight out from
// the centre, and is plotted as one pixel.
#include "combat/debris.h"

#include <cmath>

#include "core/game_clock.h"
#include "core/random.h"
#include "combat/craft.h"
#include "display/display.h"
#include "display/pixels.h"
#include "core/headings.h"
#include "core/program.h"

void SeedDebris(Craft& craft) {
    for (int i = 0; i < DebrisCount; ++i) {
        float a = float(GameRand() % 50 - 25);
        float b = float(GameRand() % 50 - 25);
        craft.DebrisSpeed[i] = float(std::sqrt(double(a * a + b * b)) * 5.0);
        craft.DebrisHeading[i] = HeadingToOrigin(a, b, false);
        // Blue is drawn first, then green, then red.
        int blue = GameRand() % 256;
        int green = GameRand() % 256;
        int red = GameRand() % 256;
        craft.DebrisColour[i] = PackColor(red, green, blue, &PixelFormatInfo);
        craft.DebrisX[i] = 0.0f;
        craft.DebrisY[i] = 0.0f;
    }
}

void MoveDebris(Craft& craft) {
    for (int i = 0; i < DebrisCount; ++i) {
        float d = craft.DebrisSpeed[i] * FrameDelta;
        int h = int(craft.DebrisHeading[i]);
        craft.DebrisX[i] += CosTable[h] * d;
        craft.DebrisY[i] += SinTable[h] * d;
    }
}

void DrawDebris(Craft& craft, std::int32_t screenX, std::int32_t screenY) {
    for (int i = 0; i < DebrisCount; ++i) {
        std::int32_t column = screenX + std::int32_t(craft.DebrisX[i]);
        std::int32_t row = screenY + std::int32_t(craft.DebrisY[i]);
        if (column >= 0 && column < ScreenWidth && row >= 0 && row < ScreenHeight)
            PutPixel(column, row, craft.DebrisColour[i]);
    }
}
