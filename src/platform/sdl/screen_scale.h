// screen_scale.h -- the picture drawn by the processor into the window: the arithmetic of the
// conversion and the nearest-pixel stretch, kept free of SDL so that it can be tested alone
// (platform-internal)
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "screen_fit.h"

// The source pixel that screen pixel `at` of a line `to` pixels long shows from a line `from`
// pixels long: sampled at the screen pixel's centre, as a graphics card's nearest filter does.
// A centre exactly on the border of two source pixels takes the first across and the second
// down, as the renderer did before (its rows run bottom to top), so the picture is the same to
// the pixel on either path.
enum class Border { First, Second };
inline int NearestSource(int at, int from, int to, Border border) {
    std::int64_t centre = (2 * std::int64_t(at) + 1) * from; // in units of 1 / (2 * to)
    return int((border == Border::First ? centre - 1 : centre) / (2 * std::int64_t(to)));
}

// The source of every screen pixel of a line. It never goes back.
inline std::vector<int> NearestMap(int from, int to, Border border) {
    std::vector<int> map(to > 0 ? std::size_t(to) : 0);
    for (int i = 0; i < to; ++i)
        map[std::size_t(i)] = NearestSource(i, from, to, border);
    return map;
}
inline std::vector<int> ColumnMap(int from, int to) { return NearestMap(from, to, Border::First); }
inline std::vector<int> RowMap(int from, int to) { return NearestMap(from, to, Border::Second); }

// Screen columns [first, last) of one row: each picks its source pixel and converts it through
// the table (a 16-bit pixel to the window's 32-bit pixel). Neighbours share a source pixel, so
// a picture row is converted once and never per screen pixel through a general blit.
inline void StretchRow(const std::uint16_t* in, const std::uint32_t* table, const int* columns,
                       int first, int last, std::uint32_t* out) {
    for (int x = first; x < last; ++x)
        *out++ = table[in[columns[x]]];
}

// Screen columns [x0, x1) of screen rows [y0, y1) of the stretched picture (16-bit, rows
// picturePitch bytes apart) into out, which points at screen pixel (x0, y0) with rows outPitch
// bytes apart. A screen row that shows the same picture row as the one above is a copy of it.
inline void StretchArea(const std::uint8_t* picture, int picturePitch, const std::uint32_t* table,
                        const std::vector<int>& columns, const std::vector<int>& rows, int x0,
                        int x1, int y0, int y1, std::uint8_t* out, std::ptrdiff_t outPitch) {
    const std::size_t bytes = std::size_t(x1 - x0) * 4;
    for (int y = y0; y < y1; ++y, out += outPitch) {
        if (y > y0 && rows[std::size_t(y)] == rows[std::size_t(y - 1)]) {
            std::memcpy(out, out - outPitch, bytes);
            continue;
        }
        const auto* in = reinterpret_cast<const std::uint16_t*>(
            picture + std::size_t(rows[std::size_t(y)]) * std::size_t(picturePitch));
        StretchRow(in, table, columns.data(), x0, x1, reinterpret_cast<std::uint32_t*>(out));
    }
}

// The screen pixels [*first, *last) whose source lies in [from, to); an empty span when the
// picture is shrunk and none of them shows.
inline void ScreenSpan(const std::vector<int>& map, int from, int to, int* first, int* last) {
    *first = int(std::lower_bound(map.begin(), map.end(), from) - map.begin());
    *last = int(std::lower_bound(map.begin(), map.end(), to) - map.begin());
}

// The smallest rectangle holding every 16-bit pixel that differs between two pictures of
// width by height (rows pitch bytes apart; the bytes past the width do not count); w is 0 when
// nothing differs. A wipe changes one row or column a step, and only that goes to the screen.
inline FitRect ChangedArea(const std::uint8_t* before, const std::uint8_t* now, int width,
                           int height, int pitch) {
    int left = width, right = -1, top = -1, bottom = -1;
    const std::size_t rowBytes = std::size_t(width) * 2;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* a = before + std::size_t(y) * std::size_t(pitch);
        const std::uint8_t* b = now + std::size_t(y) * std::size_t(pitch);
        if (std::memcmp(a, b, rowBytes) == 0) continue;
        if (top < 0) top = y;
        bottom = y;
        auto pixel = [](const std::uint8_t* row, int x) {
            std::uint16_t p;
            std::memcpy(&p, row + 2 * x, 2);
            return p;
        };
        int x = 0;
        while (x < left && pixel(a, x) == pixel(b, x))
            ++x;
        left = std::min(left, x);
        x = width - 1;
        while (x > right && pixel(a, x) == pixel(b, x))
            --x;
        right = std::max(right, x);
    }
    if (top < 0) return {};
    return FitRect{left, top, right - left + 1, bottom - top + 1};
}

// Whether the whole window must be painted, the black bars with the picture, rather than only
// the picture: when its surface is new (the window's first picture, or a new size), when the
// window was exposed, and when the picture moves or changes size (the dialog, a display mode).
// Otherwise the bars are still there and painting them 60 times a second would cost for nothing.
class WholePaint {
  public:
    void Exposed() { exposed_ = true; }
    bool Needed(const void* surface, int w, int h, const FitRect& picture) {
        bool needed =
            exposed_ || surface != surface_ || w != w_ || h != h_ || !(picture == picture_);
        exposed_ = false;
        surface_ = surface;
        w_ = w;
        h_ = h;
        picture_ = picture;
        return needed;
    }

  private:
    bool exposed_ = true;
    const void* surface_ = nullptr;
    int w_ = 0, h_ = 0;
    FitRect picture_{};
};
