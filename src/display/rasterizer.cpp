// rasterizer.cpp -- craft pictures drawn turned to their heading
//
// Triangles are walked column by column: the edges step in single-precision floats, one column
// at a time, and each column's span steps the texture in 16.16 fixed point. Floats appear only
// per column and per triangle; the per-pixel work is integer.
#include "display/rasterizer.h"

#include <cmath>
#include <utility>

#include "core/game_globals.h"
#include "display/display.h"
#include "display/pixels.h"
#include "display/rasterizer_wide.h"
#include "core/program.h"

const SpriteImage* CurrentTexture = nullptr;

static const GlobalsReset Reset(CurrentTexture);

namespace {

// The six running values of the two edges that bound the current column.
struct EdgeValues {
    float Row, U, V;
};

// One update of a running value: the sum is formed in double and rounded once when stored, so
// that the walk gives the same values on every compiler and machine.
inline float Advance(float value, double steps, float increment) {
    return float(double(value) + steps * double(increment));
}

inline void StepEdge(EdgeValues& e, double steps, const EdgeValues& increment) {
    e.Row = Advance(e.Row, steps, increment.Row);
    e.U = Advance(e.U, steps, increment.U);
    e.V = Advance(e.V, steps, increment.V);
}

struct Corner {
    std::int32_t X, Y;
    float U, V;
};

EdgeValues Increments(const Corner& from, const Corner& to) {
    double columns = double(std::int64_t(to.X) - from.X);
    return {float(double(std::int64_t(to.Y) - from.Y) / columns),
            float((double(to.U) - double(from.U)) / columns),
            float((double(to.V) - double(from.V)) / columns)};
}

EdgeValues StartAt(const Corner& c) { return {float(c.Y), c.U, c.V}; }

// Columns go to the batch when triangles are drawn in batches, straight to the screen otherwise.
void DrawColumnBetween(ColumnBatch& batch, std::int32_t column, const EdgeValues& longEdge,
                       const EdgeValues& shortEdge) {
    std::int32_t yA = std::int32_t(longEdge.Row), yB = std::int32_t(shortEdge.Row);
    std::int32_t uA = std::int32_t(longEdge.U), uB = std::int32_t(shortEdge.U);
    std::int32_t vA = std::int32_t(longEdge.V), vB = std::int32_t(shortEdge.V);
    if (WideColumns)
        AddColumn(batch, column, yA, yB, uA, uB, vA, vB);
    else
        DrawTexturedColumn(column, yA, yB, uA, uB, vA, vB);
}

bool WithinCornerLimit(std::int64_t value) {
    return value >= -RasterCornerLimit && value <= RasterCornerLimit;
}

// Walks the triangle's columns from left to right, clipped to the screen.
void WalkTriangle(Corner c0, Corner c1, Corner c2, ColumnBatch& batch) {
    // Only a strictly smaller column swaps, so corners sharing a column keep their order.
    if (c1.X < c0.X) std::swap(c0, c1);
    if (c2.X < c0.X) std::swap(c0, c2);
    if (c2.X < c1.X) std::swap(c1, c2);
    if (c2.X == c0.X) return; // no width

    const std::int32_t lastScreenColumn = ScreenWidth - 1;
    const EdgeValues longStep = Increments(c0, c2);
    EdgeValues longEdge = StartAt(c0);
    EdgeValues shortEdge;

    if (c1.X != c0.X) {
        const EdgeValues shortStep = Increments(c0, c1);
        shortEdge = longEdge;
        std::int32_t column = c0.X;
        if (c0.X < 0) {
            // Off-screen columns on the left are jumped in one multiplication, not stepped.
            double k = c1.X < 0 ? double(c1.X - c0.X) : -double(c0.X);
            StepEdge(longEdge, k, longStep);
            StepEdge(shortEdge, k, shortStep);
            column = 0;
        }
        for (; column < c1.X && column <= lastScreenColumn; ++column) {
            DrawColumnBetween(batch, column, longEdge, shortEdge);
            StepEdge(longEdge, 1.0, longStep);
            StepEdge(shortEdge, 1.0, shortStep);
        }
    } else {
        shortEdge = StartAt(c1);
    }

    if (c2.X == c1.X) return;
    // The short edge carries on from where the first half left it.
    const EdgeValues shortStep = Increments(c1, c2);
    std::int32_t column = c1.X;
    if (c1.X < 0) {
        if (c2.X < 0) return;
        double k = -double(c1.X);
        StepEdge(longEdge, k, longStep);
        StepEdge(shortEdge, k, shortStep);
        column = 0;
    }
    std::int32_t last = c2.X >= ScreenWidth ? lastScreenColumn : c2.X;
    for (; column <= last; ++column) {
        DrawColumnBetween(batch, column, longEdge, shortEdge);
        StepEdge(longEdge, 1.0, longStep);
        StepEdge(shortEdge, 1.0, shortStep);
    }
}

} // namespace

// A corner's screen coordinate, or false when the rotated offset is not a number, infinite, or
// so far out that the integer arithmetic of the walk could overflow. The joke keys grow an
// enemy's corners without bound, so this is a real case, not a theoretical one.
bool CornerOnScreenPlane(std::int32_t centre, float offset, std::int32_t& result) {
    if (!std::isfinite(offset) || std::fabs(offset) > float(RasterCornerLimit)) return false;
    std::int64_t value = std::int64_t(centre) + std::int64_t(offset); // truncates toward zero
    if (!WithinCornerLimit(value)) return false;
    result = std::int32_t(value);
    return true;
}

void DrawTexturedTriangle(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                          std::int32_t x2, std::int32_t y2, std::int32_t tu0, std::int32_t tv0,
                          std::int32_t tu1, std::int32_t tv1, std::int32_t tu2, std::int32_t tv2) {
    if (!CurrentTexture) return;
    // Texel centres.
    Corner c0{x0, y0, float(tu0) + 0.5f, float(tv0) + 0.5f};
    Corner c1{x1, y1, float(tu1) + 0.5f, float(tv1) + 0.5f};
    Corner c2{x2, y2, float(tu2) + 0.5f, float(tv2) + 0.5f};
    for (const Corner* c : {&c0, &c1, &c2})
        if (!WithinCornerLimit(c->X) || !WithinCornerLimit(c->Y)) return;
    ColumnBatch batch;
    WalkTriangle(c0, c1, c2, batch);
    DrawColumnBatch(batch);
}

void DrawTexturedColumn(std::int32_t x, std::int32_t yA, std::int32_t yB, std::int32_t uA,
                        std::int32_t uB, std::int32_t vA, std::int32_t vB) {
    if (yB < yA) {
        std::swap(yA, yB);
        std::swap(uA, uB);
        std::swap(vA, vB);
    }
    // A span wholly above or below the screen draws nothing. Leaving early also keeps the top
    // clip's product below from being formed for a span far above the screen, where it would
    // not fit a 32-bit integer.
    if (yB < 0 || yA >= ScreenHeight) return;

    std::int32_t u = uA * 65536;
    std::int32_t v = vA * 65536;
    // The pixel count, not the row difference, divides: the last pixel samples just short of
    // the far end and never past the texture's edge.
    float pixels = float(std::int64_t(yB) - yA) + 1.0f;
    std::int32_t du = std::int32_t(float((uB - uA) * 65536) / pixels);
    std::int32_t dv = std::int32_t(float((vB - vA) * 65536) / pixels);
    if (yA < 0) {
        float skipped = float(-std::int64_t(yA));
        u += std::int32_t(skipped * float(du));
        v += std::int32_t(skipped * float(dv));
        yA = 0;
    }
    if (yB >= ScreenHeight) yB = ScreenHeight - 1;

    const std::uint16_t* texels = CurrentTexture->Pixels;
    for (std::int32_t y = yA; y <= yB; ++y) {
        std::uint16_t texel = texels[(v >> 16) * SpriteSize + (u >> 16)];
        if (texel != 0) PutPixel(x, y, texel);
        u += du;
        v += dv;
    }
}
