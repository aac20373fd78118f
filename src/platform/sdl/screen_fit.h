// screen_fit.h -- the real screen's arithmetic, kept free of SDL so that it can be tested alone
// (platform-internal)
#pragma once

#include <cstdint>

struct FitRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const FitRect&) const = default;
};

// The largest rectangle of a w by h picture's shape that fits an outW by outH screen, centred:
// the 4:3 picture with black bars beside or above it. Empty when either size is not positive.
inline FitRect FitPicture(int outW, int outH, int w, int h) {
    if (outW <= 0 || outH <= 0 || w <= 0 || h <= 0) return {};
    int fitW = outW, fitH = int(std::int64_t(outW) * h / w);
    if (fitH > outH) {
        fitH = outH;
        fitW = int(std::int64_t(outH) * w / h);
    }
    return FitRect{(outW - fitW) / 2, (outH - fitH) / 2, fitW, fitH};
}

// The whole number the picture is first enlarged by with nearest sampling before it is smoothed
// to its final height: the smallest that reaches it, so the smoothing only ever shrinks.
inline int EnlargeFactor(int finalHeight, int pictureHeight) {
    if (finalHeight <= 0 || pictureHeight <= 0) return 1;
    int factor = (finalHeight + pictureHeight - 1) / pictureHeight;
    return factor < 1 ? 1 : factor;
}

// The display holding the point (the mouse), or the first (primary) display when none does.
inline int DisplayHolding(int x, int y, const FitRect* displays, int count) {
    for (int i = 0; i < count; ++i) {
        const FitRect& d = displays[i];
        if (x >= d.x && x < d.x + d.w && y >= d.y && y < d.y + d.h) return i;
    }
    return 0;
}

// A point in window coordinates as a point of a picture of pictureW by pictureH centred on the
// renderer's output of outW by outH pixels, the window being winW by winH points now (a high
// density screen has more pixels than points; the sizes may change while the picture shows).
inline void WindowToPicture(int x, int y, int winW, int winH, int outW, int outH, int pictureW,
                            int pictureH, int* px, int* py) {
    double sx = winW > 0 ? double(outW) / winW : 1.0;
    double sy = winH > 0 ? double(outH) / winH : 1.0;
    *px = int(x * sx) - (outW - pictureW) / 2;
    *py = int(y * sy) - (outH - pictureH) / 2;
}

// The dialog's scale on a screen of this many pixels down: twice or more on big monitors, so
// that it stays readable.
inline int DialogScale(int outH) { return outH >= 1400 ? outH / 700 : 1; }
