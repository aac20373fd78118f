// compose_frame.cpp -- one picture of the game in the back buffer
#include "world/compose_frame.h"

#include <cstdio>
#include <cstring>

#include "app/game_clock.h"
#include "app/game_globals.h"
#include "display/display.h"
#include "display/pixels.h"
#include "platform/gdi.h"
#include "platform/input.h"

std::int32_t FpsDisplayOn = 0;

static const GlobalsReset Reset([] { FpsDisplayOn = 0; });

namespace {

// Until the landscape is drawn, the frame is cleared to a dark sea blue so that each frame is
// visibly new and the frame-rate line stands on something.
void ClearFrameForNow() {
    if (!LockWholeSurface(BackBuffer)) return;
    std::uint16_t ground = PackColor(2, 6, 10, &PixelFormatInfo);
    for (std::int32_t y = 0; y < ScreenHeight; ++y)
        for (std::int32_t x = 0; x < ScreenWidth; ++x)
            PutPixel(x, y, ground);
    UnlockWholeSurface(BackBuffer);
}

} // namespace

void ComposeFrame() {
    // Formatted every frame whether shown or not; only the first 20 characters are drawn.
    char fpsText[64];
    std::snprintf(fpsText, sizeof fpsText, "last fps rate: %4d ", int(FrameRate));

    if (GetAsyncKeyState('I') < 0) {
        while (GetAsyncKeyState('I') < 0) {
        }
        FpsDisplayOn = FpsDisplayOn ? 0 : 1;
    }

    ClearFrameForNow();

    if (FpsDisplayOn) {
        if (HDC dc = GetSurfaceDC(BackBuffer)) {
            SetBkColor(dc, RGB(0, 0, 255));
            SetTextColor(dc, RGB(255, 255, 0));
            TextOutA(dc, 0, ScreenHeight - 25, fpsText, int(strnlen(fpsText, 20)));
            ReleaseSurfaceDC(BackBuffer, dc);
        }
    }
}

// Not built yet: come with the flight work.
void DrawLives() {}
void ExplosionFlash(std::int32_t, std::int32_t) {}
