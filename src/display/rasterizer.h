// rasterizer.h -- craft pictures drawn turned to their heading
//
// A craft's square picture is mapped onto its rotated quad as two triangles, filled column by
// column with affine texture mapping straight into the locked FrameBuffer. Texel 0 is not drawn.
#pragma once

#include <cstdint>

#include "display/bitmaps.h"

extern const SpriteImage* CurrentTexture;

// Corners farther than this from the screen's origin (in pixels) are not drawn: the quad is
// skipped whole. Within it every step of the walk fits its integers and floats exactly enough;
// beyond it a craft blown up by the joke keys (or a corner that is not a number) could overflow
// the conversions. A quad this large covers the whole screen with one or two texels anyway.
constexpr std::int64_t RasterCornerLimit = std::int64_t(1) << 24;

// The screen coordinate of a corner offset from a centre; false when the offset is not finite
// or the corner lies beyond RasterCornerLimit.
bool CornerOnScreenPlane(std::int32_t centre, float offset, std::int32_t& result);
// One triangle with CurrentTexture, clipped to the screen. Corners in screen pixels, texture
// coordinates in whole texels (0 to 53), each in the same order. Draws nothing when a corner is
// beyond RasterCornerLimit.
void DrawTexturedTriangle(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                          std::int32_t x2, std::int32_t y2, std::int32_t tu0, std::int32_t tv0,
                          std::int32_t tu1, std::int32_t tv1, std::int32_t tu2, std::int32_t tv2);
// One column of a triangle, x already on the screen, rows clipped here; u and v are texel
// indices within the 54 by 54 picture.
void DrawTexturedColumn(std::int32_t x, std::int32_t yA, std::int32_t yB, std::int32_t uA,
                        std::int32_t uB, std::int32_t vA, std::int32_t vB);
