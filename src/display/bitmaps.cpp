// bitmaps.cpp -- the picture files loaded into the surfaces and the craft images
#include "display/bitmaps.h"

#include <cstring>

#include "app/game_globals.h"

SpriteImageSets SpriteImageStore{};

static const GlobalsReset Reset([] { std::memset(&SpriteImageStore, 0, sizeof SpriteImageStore); });

// Not built yet: the picture loaders come with the loading work.
void LoadSurfaceBitmaps() {}
void LoadSpriteImages() {}
