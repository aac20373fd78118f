// Fuzz target: the picture path. A file is loaded at a tile's, a craft's and the flash mask's
// sizes and copied onto surfaces the way loading copies it; the craft picture is read back as
// the sprite loader reads it. Any bytes: a picture or a clean refusal.
#include <cstddef>
#include <cstdint>

#include "core/game_globals.h"
#include "core/program.h"
#include "display/bitmaps.h"
#include "display/display.h"
#include "display/pixels.h"
#include "memory_file.h"
#include "platform/api/gdi.h"
#include "platform/test/test_platform.h"
#include "platform/api/window.h"

// Where the craft picture is read back to, as the sprite loader reads it.
SpriteImage FuzzSprite;

namespace {

// One display for the whole run: the 640 by 480 pair with its tile and cloud surfaces, and a
// craft-sized surface.
IDirectDrawSurface* SetUpDisplay() {
    TestPlatformStart({});
    MainWindow = TestOpenWindow(640, 480);
    if (!InitDisplay()) __builtin_trap();
    AnalysePixelFormat(PrimarySurface, &PixelFormatInfo);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = SpriteSize;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* craft = nullptr;
    if (DisplayObject->CreateSurface(&desc, &craft, nullptr) != DD_OK) __builtin_trap();
    return craft;
}

void LoadOnto(const std::string& name, IDirectDrawSurface* surface, int w, int h) {
    HBITMAP picture = LoadImageA(nullptr, name.c_str(), IMAGE_BITMAP, w, h, LR_LOADFROMFILE);
    CopyBitmapToSurface(surface, picture, 0, 0, w, h);
    if (picture) DeleteObject(picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static IDirectDrawSurface* const craft = SetUpDisplay();
    TestEvents().clear(); // whatever the copies record would otherwise grow with every input
    std::string name = InputAsFile(data, size);
    if (name.empty()) return 0;
    LoadOnto(name, TileSurfaces[0], 32, 32);
    LoadOnto(name, CloudSurface, 64, 64);
    SetSurfaceColourKey(CloudSurface, RGB(0, 0, 0));
    LoadOnto(name, craft, SpriteSize, SpriteSize);
    // The whole file at its own size, as a copy with width and height 0 takes it.
    HBITMAP own = LoadImageA(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    CopyBitmapToSurface(TileSurfaces[1], own, 0, 0, 0, 0);
    if (own) DeleteObject(own);
    if (LockWholeSurface(craft)) {
        for (int r = 0; r < SpriteSize; ++r)
            for (int c = 0; c < SpriteSize; ++c)
                FuzzSprite.Pixels[r * SpriteSize + c] = *reinterpret_cast<const std::uint16_t*>(
                    FrameBuffer.Base + r * FrameBuffer.Pitch + 2 * c);
        UnlockWholeSurface(craft);
    }
    return 0;
}
