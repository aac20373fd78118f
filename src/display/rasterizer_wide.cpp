// rasterizer_wide.cpp -- a triangle's columns drawn eight at a time, row by row
#include "display/rasterizer_wide.h"

#include "core/game_globals.h"
#include "display/bitmaps.h"
#include "display/display.h"
#include "display/pixels.h"
#include "display/rasterizer.h"
#include "core/program.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SKIRMO_WIDE_COLUMNS 1
#endif

bool WideColumns = WideColumnsAvailable();

static const GlobalsReset Reset(WideColumns);

namespace {

#ifdef SKIRMO_WIDE_COLUMNS
[[gnu::target("avx2")]] inline __m256i Load(const std::int32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Swaps a and c in the lanes where the mask is set.
[[gnu::target("avx2")]] inline void SwapWhere(__m256i mask, __m256i& a, __m256i& c) {
    __m256i first = _mm256_blendv_epi8(a, c, mask);
    c = _mm256_blendv_epi8(c, a, mask);
    a = first;
}

// The batch's columns with every step of DrawTexturedColumn done lane by lane: the same integer
// and float operations, so the same results. Each row of the batch is then eight texel reads and
// one store of eight pixels, those lanes whose texel is 0 or whose column does not reach the row
// keeping what was there.
[[gnu::target("avx2")]] void DrawBatchWide(const ColumnBatch& b) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i inBatch =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(b.Count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    __m256i yA = Load(b.YA), yB = Load(b.YB), uA = Load(b.UA), uB = Load(b.UB);
    __m256i vA = Load(b.VA), vB = Load(b.VB);

    // The span runs downwards.
    const __m256i upwards = _mm256_cmpgt_epi32(yA, yB);
    SwapWhere(upwards, yA, yB);
    SwapWhere(upwards, uA, uB);
    SwapWhere(upwards, vA, vB);
    // Spans wholly above or below the screen draw nothing.
    const __m256i visible = _mm256_andnot_si256(
        _mm256_or_si256(_mm256_cmpgt_epi32(zero, yB),
                        _mm256_cmpgt_epi32(yA, _mm256_set1_epi32(ScreenHeight - 1))),
        inBatch);
    if (_mm256_testz_si256(visible, visible)) return;

    __m256i u = _mm256_slli_epi32(uA, 16);
    __m256i v = _mm256_slli_epi32(vA, 16);
    const __m256 pixels =
        _mm256_add_ps(_mm256_cvtepi32_ps(_mm256_sub_epi32(yB, yA)), _mm256_set1_ps(1.0f));
    const __m256i du = _mm256_cvttps_epi32(
        _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_slli_epi32(_mm256_sub_epi32(uB, uA), 16)), pixels));
    const __m256i dv = _mm256_cvttps_epi32(
        _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_slli_epi32(_mm256_sub_epi32(vB, vA), 16)), pixels));
    // Rows above the screen are skipped in one multiplication.
    const __m256i above = _mm256_cmpgt_epi32(zero, yA);
    const __m256 skipped = _mm256_cvtepi32_ps(_mm256_sub_epi32(zero, yA));
    u = _mm256_add_epi32(u, _mm256_and_si256(above, _mm256_cvttps_epi32(_mm256_mul_ps(
                                                        skipped, _mm256_cvtepi32_ps(du)))));
    v = _mm256_add_epi32(v, _mm256_and_si256(above, _mm256_cvttps_epi32(_mm256_mul_ps(
                                                        skipped, _mm256_cvtepi32_ps(dv)))));
    yA = _mm256_max_epi32(yA, zero);
    yB = _mm256_min_epi32(yB, _mm256_set1_epi32(ScreenHeight - 1));

    // The rows any visible lane covers.
    alignas(32) std::int32_t top[8], bottom[8], on[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(top), yA);
    _mm256_store_si256(reinterpret_cast<__m256i*>(bottom), yB);
    _mm256_store_si256(reinterpret_cast<__m256i*>(on), visible);
    std::int32_t firstRow = ScreenHeight, lastRow = -1;
    for (int i = 0; i < 8; ++i)
        if (on[i]) {
            firstRow = top[i] < firstRow ? top[i] : firstRow;
            lastRow = bottom[i] > lastRow ? bottom[i] : lastRow;
        }

    // Each lane's texture position at the first row, counted back from its own first row with the
    // same wrapping arithmetic as the steps forward.
    const __m256i back = _mm256_sub_epi32(_mm256_set1_epi32(firstRow), yA);
    u = _mm256_add_epi32(u, _mm256_mullo_epi32(back, du));
    v = _mm256_add_epi32(v, _mm256_mullo_epi32(back, dv));

    const std::uint16_t* texels = CurrentTexture->Pixels;
    const __m256i texelsAcross = _mm256_set1_epi32(SpriteSize);
    std::uint8_t* row =
        FrameBuffer.Base + std::intptr_t(firstRow) * FrameBuffer.Pitch + 2 * std::intptr_t(b.First);
    for (std::int32_t y = firstRow; y <= lastRow; ++y, row += FrameBuffer.Pitch) {
        const __m256i rowY = _mm256_set1_epi32(y);
        const __m256i onRow = _mm256_andnot_si256(
            _mm256_or_si256(_mm256_cmpgt_epi32(yA, rowY), _mm256_cmpgt_epi32(rowY, yB)), visible);
        __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(v, 16), texelsAcross),
                                         _mm256_srai_epi32(u, 16));
        index = _mm256_and_si256(index, onRow); // lanes off the row read texel 0, harmlessly
        // Eight plain reads, which measured faster than one gather instruction.
        alignas(32) std::int32_t at[8];
        alignas(16) std::uint16_t read[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
        for (int k = 0; k < 8; ++k)
            read[k] = texels[at[k]];
        const __m128i texels16 = _mm_load_si128(reinterpret_cast<const __m128i*>(read));
        const __m128i onRow16 =
            _mm_packs_epi32(_mm256_castsi256_si128(onRow), _mm256_extracti128_si256(onRow, 1));
        const __m128i write16 =
            _mm_andnot_si128(_mm_cmpeq_epi16(texels16, _mm_setzero_si128()), onRow16);
        auto* pixels8 = reinterpret_cast<__m128i*>(row);
        _mm_storeu_si128(pixels8, _mm_blendv_epi8(_mm_loadu_si128(pixels8), texels16, write16));
        u = _mm256_add_epi32(u, du);
        v = _mm256_add_epi32(v, dv);
    }
}
#endif

} // namespace

bool WideColumnsAvailable() {
#ifdef SKIRMO_WIDE_COLUMNS
    // Asked while the program's globals are set up, perhaps before the library has looked at
    // the processor: have it look first.
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return available;
#else
    return false;
#endif
}

void AddColumn(ColumnBatch& batch, std::int32_t x, std::int32_t yA, std::int32_t yB,
               std::int32_t uA, std::int32_t uB, std::int32_t vA, std::int32_t vB) {
    if (batch.Count == ColumnBatch::Lanes || (batch.Count > 0 && x != batch.First + batch.Count))
        DrawColumnBatch(batch);
    if (batch.Count == 0) batch.First = x;
    const int i = batch.Count++;
    batch.YA[i] = yA;
    batch.YB[i] = yB;
    batch.UA[i] = uA;
    batch.UB[i] = uB;
    batch.VA[i] = vA;
    batch.VB[i] = vB;
}

void DrawColumnBatch(ColumnBatch& batch) {
    // A row of eight pixels is read and written whole, so all eight must lie within the locked
    // surface's row, and every row the screen has within the surface; otherwise, and on other
    // processors, the columns are drawn one by one.
    bool wide = false;
#ifdef SKIRMO_WIDE_COLUMNS
    wide = WideColumns && CurrentTexture && batch.First >= 0 &&
           batch.First + ColumnBatch::Lanes <= FrameBuffer.Width &&
           ScreenHeight <= FrameBuffer.Height;
    if (wide) DrawBatchWide(batch);
#endif
    for (int i = 0; i < batch.Count && !wide; ++i)
        DrawTexturedColumn(batch.First + i, batch.YA[i], batch.YB[i], batch.UA[i], batch.UB[i],
                           batch.VA[i], batch.VB[i]);
    batch.Count = 0;
}
