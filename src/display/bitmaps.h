// bitmaps.h -- the picture files loaded into the surfaces and the craft images
#pragma once

// Fills the 20 tile surfaces, the life icon and the cloud from their picture files and sets
// the two colour keys. Not built yet: until the picture loaders exist it leaves the surfaces
// as they are.
void LoadSurfaceBitmaps();
