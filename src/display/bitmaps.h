// bitmaps.h -- the picture files loaded into the surfaces and the craft images
//
// Tiles, the life icon and the cloud are copied whole by rectangle copies, so they live in
// display surfaces. Craft are drawn texel by texel by the rasterizer, so their pictures are read
// back once into plain memory, 54 by 54 pixels in the display's own 16-bit format.
#pragma once

#include <cstdint>

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
