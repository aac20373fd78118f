// bitmaps.cpp -- the picture files loaded into the surfaces
#include "display/bitmaps.h"

// The picture loaders come with their own piece of work; the activation path already calls
// this so that it runs in its final order.
void LoadSurfaceBitmaps() {}
