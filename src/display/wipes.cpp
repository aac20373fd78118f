// wipes.cpp -- the screen wipes and the flash mask
//
// A wipe writes straight into the visible surface, one row or column every 5 ms by the game's
// own clock, so it takes the same time on every machine and the frame after it measures only
// the time since its last step.
#include "display/wipes.h"

#include <cstring>
#include <string>

#include "core/game_clock.h"
#include "core/game_globals.h"
#include "core/texts.h"
#include "display/bitmaps.h"
#include "display/display.h"
#include "display/pixels.h"
#include "core/program.h"

std::uint32_t FlashMask[FlashMaskSize * FlashMaskSize] = {};

static const GlobalsReset Reset(FlashMask);

namespace {

// Spins on the clock until 5 ms have passed since the last step, and makes this the last step.
void WaitForNextWipeStep() {
    do {
        GameClock = float(ReadGameClock());
    } while (GameClock - PreviousGameClock < 0.005f);
    PreviousGameClock = GameClock;
}

} // namespace

void ScreenWipe(int mode) {
    // The wipe keeps the visible surface's memory to itself; only the pitch is shared.
    LockedFrame kept = FrameBuffer;
    if (!LockWholeSurface(PrimarySurface)) return;
    std::uint8_t* base = FrameBuffer.Base;
    std::int32_t pitch = FrameBuffer.Pitch;
    FrameBuffer = kept;
    FrameBuffer.Pitch = pitch;

    if (mode == WipeRows) {
        for (std::int32_t y = 0; y < ScreenHeight; ++y) {
            WaitForNextWipeStep();
            // The whole pitch, bytes past the visible width included.
            std::memset(base + std::size_t(y) * std::size_t(pitch), 0, std::size_t(pitch));
        }
    } else if (mode == WipeColumns) {
        for (std::int32_t x = 0; x < ScreenWidth; ++x) {
            WaitForNextWipeStep();
            for (std::int32_t y = 0; y < ScreenHeight; ++y)
                reinterpret_cast<std::uint16_t*>(base + std::size_t(y) * std::size_t(pitch))[x] = 0;
        }
    }
    UnlockWholeSurface(PrimarySurface);
}

void LoadFlashMask() {
    IDirectDrawSurface* temporary = CreateTemporarySurface(FlashMaskSize, FlashMaskSize);
    if (!temporary) {
        ReportTemporarySurfaceFailure();
        return;
    }
    HBITMAP bitmap = LoadImageA(nullptr, "flashtmp.bmp", IMAGE_BITMAP, FlashMaskSize, FlashMaskSize,
                                LR_LOADFROMFILE);
    if (CopyBitmapToSurface(temporary, bitmap, 0, 0, FlashMaskSize, FlashMaskSize) != DD_OK)
        ReportBitmapFailure(("couldn't load bitmap resource, contact " +
                             std::string(SupportAddress) + ", thank you!")
                                .c_str());
    if (LockWholeSurface(temporary)) {
        // Stored column by column: the flash walks the mask that way.
        for (int y = 0; y < FlashMaskSize; ++y) {
            const auto* row =
                reinterpret_cast<const std::uint16_t*>(FrameBuffer.Base + y * FrameBuffer.Pitch);
            for (int x = 0; x < FlashMaskSize; ++x)
                FlashMask[x * FlashMaskSize + y] = row[x] != 0 ? 1u : 0u;
        }
        UnlockWholeSurface(temporary);
    }
    temporary->Release();
    if (bitmap) DeleteObject(bitmap);
}
