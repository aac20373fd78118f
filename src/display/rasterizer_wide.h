// rasterizer_wide.h -- a triangle's columns drawn eight at a time, row by row
//
// Walking one column at a time, a craft costs more in per-column set-up and in guesses at where
// its outline is than in pixels. Where the processor has AVX2, eight neighbouring columns are set
// up together and drawn across, a row of eight pixels at a time, with exactly the samples and
// pixels the one-column walk gives.
#pragma once

#include <cstdint>

// Neighbouring columns of one triangle waiting to be drawn: lane i is screen column First + i,
// with the arguments DrawTexturedColumn would get.
struct ColumnBatch {
    static constexpr int Lanes = 8;
    std::int32_t First = 0;
    int Count = 0;
    std::int32_t YA[Lanes], YB[Lanes], UA[Lanes], UB[Lanes], VA[Lanes], VB[Lanes];
};

// Whether this processor can draw a batch at once. Asked once.
bool WideColumnsAvailable();
// Whether triangles are drawn in batches: starts as WideColumnsAvailable(); the tests turn it off
// to compare with the one-column walk.
extern bool WideColumns;

// Adds one column; a column that does not follow the last one, or a full batch, first draws what
// is waiting.
void AddColumn(ColumnBatch& batch, std::int32_t x, std::int32_t yA, std::int32_t yB,
               std::int32_t uA, std::int32_t uB, std::int32_t vA, std::int32_t vB);
// Draws what is waiting, exactly as DrawTexturedColumn would column by column, and empties it.
void DrawColumnBatch(ColumnBatch& batch);
