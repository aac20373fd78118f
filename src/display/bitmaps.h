// bitmaps.h -- the picture files loaded into the surfaces and the craft images
//
// Tiles, the life icon and the cloud are copied whole by rectangle copies, so they live in
// display surfaces. Craft are drawn texel by texel by the rasterizer, so their pictures are read
// back once into plain memory, 54 by 54 pixels in the display's own 16-bit format.
#pragma once

#include <cstdint>

#include "platform/api/ddraw.h"
#include "platform/api/gdi.h"

constexpr int SpriteSize = 54;

// One craft picture: pixel (column c, row r) is Pixels[r * 54 + c]; 0 is transparent.
struct SpriteImage {
    std::uint16_t Pixels[SpriteSize * SpriteSize];
};

// Four sets of three pictures each (normal, hit, destroyed), filled once at loading.
struct SpriteImageSets {
    SpriteImage PlayerImages[3];      // PLAY1.bmp .. PLAY3.bmp
    SpriteImage FirstEnemyImages[3];  // enem1.bmp, enem2.bmp, dead.bmp
    SpriteImage SecondEnemyImages[3]; // second1.bmp .. second3.bmp
    SpriteImage ThirdEnemyImages[3];  // third1.bmp .. third3.bmp
};
extern SpriteImageSets SpriteImageStore;

// Fills the 20 tile surfaces, the life icon and the cloud from their picture files and sets the
// two colour keys. A picture that fails shows its message and asks the loop to end; the others
// still load.
void LoadSurfaceBitmaps();
// Reads the twelve craft pictures into SpriteImageStore through one temporary surface.
void LoadSpriteImages();

// Stretches the bitmap's rectangle at (x, y), width by height (0: the bitmap's own), onto the
// whole surface. Returns 0, E_FAIL when the surface or the bitmap is missing, or GetDC's failure.
HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int x, int y, int width,
                            int height);
// The raw pixel value the surface stores for a colour, found by writing it into pixel (0, 0)
// and reading it back; the pixel is put back afterwards. CLR_INVALID if the surface won't lock.
DWORD MatchSurfaceColour(IDirectDrawSurface* surface, COLORREF colour);
// Makes the colour the surface's source colour key. Returns SetColorKey's result.
HRESULT SetSurfaceColourKey(IDirectDrawSurface* surface, COLORREF colour);

// An off-screen surface to read a picture back through (the craft images, the flash mask).
// Null when it cannot be made.
IDirectDrawSurface* CreateTemporarySurface(int width, int height);
// The message for a temporary surface that could not be made; asks the loop to end.
void ReportTemporarySurfaceFailure();
// A "Bitmap loading error" message box, and the request to end the loop.
void ReportBitmapFailure(const char* text);
