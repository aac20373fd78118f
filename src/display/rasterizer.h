// rasterizer.h -- craft pictures drawn turned to their heading
//
// A craft's square picture is mapped onto its rotated quad as two triangles, filled column by
// column with affine texture mapping straight into the locked FrameBuffer. Texel 0 is not drawn.
#pragma once

#include <cstdint>

#include "display/bitmaps.h"

struct Craft;

extern const SpriteImage* CurrentTexture;

// Draws the craft centred on a screen point; a hit image (Frame 1) reverts to Frame 0 after.
void DrawCraftSprite(Craft& craft, std::int32_t screenX, std::int32_t screenY);
// One triangle with CurrentTexture, clipped to the screen. Corners in screen pixels, texture
// coordinates in whole texels, each in the same order.
void DrawTexturedTriangle(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                          std::int32_t x2, std::int32_t y2, std::int32_t tu0, std::int32_t tv0,
                          std::int32_t tu1, std::int32_t tv1, std::int32_t tu2, std::int32_t tv2);
// One column of a triangle, x already on the screen, rows clipped here.
void DrawTexturedColumn(std::int32_t x, std::int32_t yA, std::int32_t yB, std::int32_t uA,
                        std::int32_t uB, std::int32_t vA, std::int32_t vB);
