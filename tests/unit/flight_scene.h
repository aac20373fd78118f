// flight_scene.h -- what the drawing tests share: a screen in plain memory, the display on the
// test platform with surfaces the test fills itself, and craft pictures
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "combat/craft.h"
#include "display/bitmaps.h"
#include "display/display.h"
#include "display/pixels.h"
#include "game_fixture.h"

namespace flight {

// A screen of the given size in plain memory, its rows padded so that a pitch mistake shows,
// locked into FrameBuffer as the rasterizer expects. Unwritten pixels hold Blank.
struct Canvas {
    static constexpr std::uint16_t Blank = 0xBEEF;
    static constexpr int Padding = 6; // pixels beyond each row, never to be written
    int width, height, stride;
    std::vector<std::uint16_t> pixels;
    Canvas(int w, int h) : width(w), height(h), stride(w + Padding) {
        pixels.assign(std::size_t(stride) * std::size_t(h), Blank);
        ScreenWidth = w;
        ScreenHeight = h;
        FrameBuffer = {reinterpret_cast<std::uint8_t*>(pixels.data()), stride * 2, w, h};
    }
    std::uint16_t At(int x, int y) const { return pixels[std::size_t(y * stride + x)]; }
    int Written() const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += At(x, y) != Blank;
        return n;
    }
    bool PaddingUntouched() const {
        for (int y = 0; y < height; ++y)
            for (int x = width; x < stride; ++x)
                if (At(x, y) != Blank) return false;
        return true;
    }
};

// Texel (column c, row r) = 1 + r * 54 + c: never transparent, and every texel tells where it
// was read from.
inline SpriteImage NumberedTexture() {
    SpriteImage image{};
    for (int r = 0; r < SpriteSize; ++r)
        for (int c = 0; c < SpriteSize; ++c)
            image.Pixels[r * SpriteSize + c] = std::uint16_t(1 + r * SpriteSize + c);
    return image;
}

// A craft of the standard 54-by-54 square, turned by the given angle in radians, showing one
// picture in all three frames.
inline void MakeCraft(Craft& craft, const SpriteImage* picture, double angle = 0.0,
                      double scale = 1.0) {
    craft.SpriteWidth = craft.SpriteHeight = SpriteSize;
    const float model[4][2] = {{-27, -27}, {-27, 27}, {27, 27}, {27, -27}};
    for (int i = 0; i < 4; ++i) {
        craft.ModelCorners[i] = {model[i][0], model[i][1]};
        double x = model[i][0] * scale, y = model[i][1] * scale;
        craft.RotatedCorners[i] = {float(x * std::cos(angle) - y * std::sin(angle)),
                                   float(x * std::sin(angle) + y * std::cos(angle))};
    }
    for (const SpriteImage*& image : craft.FrameImages)
        image = picture;
}

// Runs fn(x, y, pixel&) over every pixel of a surface, locked.
template <class Fn> void ForEachPixel(IDirectDrawSurface* surface, Fn fn) {
    ASSERT_EQ(LockWholeSurface(surface), 1);
    for (int y = 0; y < FrameBuffer.Height; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(FrameBuffer.Base + y * FrameBuffer.Pitch);
        for (int x = 0; x < FrameBuffer.Width; ++x)
            fn(x, y, row[x]);
    }
    ASSERT_EQ(UnlockWholeSurface(surface), 1);
}

inline std::uint16_t SurfacePixel(IDirectDrawSurface* surface, int x, int y) {
    std::uint16_t value = 0;
    ForEachPixel(surface, [&](int px, int py, std::uint16_t& p) {
        if (px == x && py == y) value = p;
    });
    return value;
}

} // namespace flight
