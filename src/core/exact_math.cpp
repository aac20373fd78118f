// exact_math.cpp -- sine, cosine and arc tangent in double-double arithmetic
#include "core/exact_math.h"

#include <limits>

namespace {

// A value as hi + lo, with |lo| at most half of hi's last bit.
struct DoubleDouble {
    double hi;
    double lo;
};

// constants: made by tools/mathgen/mathgen.py
// pi/2 as the sum of three doubles, each the rounded remainder of those before.
constexpr double HalfPi1 = 0x1.921fb54442d18p+0;
constexpr double HalfPi2 = 0x1.1a62633145c07p-54;
constexpr double HalfPi3 = -0x1.f1976b7ed8fbcp-110;
// atan(k / 64) for k = 0 to 64, each as a double and the rounded rest.
constexpr DoubleDouble AtanOfSixtyFourths[65] = {
    {0x0.0p+0, 0x0.0p+0},
    {0x1.fff555bbb729bp-7, -0x1.220c39d4dff50p-61},
    {0x1.ffd55bba97625p-6, -0x1.5ec431444912cp-60},
    {0x1.7fb818430da2ap-5, -0x1.86ef8f794f105p-63},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.3f59f0e7c559dp-4, 0x1.ac4ce285df847p-58},
    {0x1.7ee182602f10fp-4, -0x1.cfb654c0c3d98p-58},
    {0x1.be39ebe6f07c3p-4, 0x1.f7b8f29a05987p-58},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.1e1fafb043727p-3, -0x1.b485914dacf8cp-59},
    {0x1.3d6eee8c6626cp-3, 0x1.61a3b0ce9281bp-57},
    {0x1.5c9811e3ec26ap-3, -0x1.054ab2c010f3dp-58},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.9a6a8e96c8626p-3, 0x1.cf601e7b4348ep-59},
    {0x1.b90d7529260a2p-3, 0x1.17b10d2e0e5abp-61},
    {0x1.d77d5df205736p-3, 0x1.c648d1534597ep-57},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.09dc597d86362p-2, 0x1.62e47390cb865p-56},
    {0x1.18bf5a30bf178p-2, 0x1.30ca4748b1bf9p-57},
    {0x1.278372057ef46p-2, -0x1.077cdd36dfc81p-56},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.44aa436c2af0ap-2, -0x1.5d5e43c55b3bap-56},
    {0x1.530ad9951cd4ap-2, -0x1.2566480884082p-57},
    {0x1.614840309cfe2p-2, -0x1.a725715711f00p-56},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.7d5604b63b3f7p-2, 0x1.69c885c2b249ap-56},
    {0x1.8b24d394a1b25p-2, 0x1.b6d0ba3748fa8p-56},
    {0x1.98cd5454d6b18p-2, 0x1.9e6c988fd0a77p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.b3a911da65c6cp-2, 0x1.ae187b1ca5040p-56},
    {0x1.c0db4c94ec9f0p-2, -0x1.cc1ce70934c34p-56},
    {0x1.cde53432c1351p-2, -0x1.a2cfa4418f1adp-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.e77eb7f175a34p-2, 0x1.0e53dc1bf3435p-56},
    {0x1.f40dd0b541418p-2, -0x1.a3992dc382a23p-57},
    {0x1.0039c73c1a40cp-1, -0x1.b32c949c9d593p-55},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.0c6145b5b43dap-1, 0x1.974fa13b5404fp-58},
    {0x1.1255d9bfbd2a9p-1, -0x1.2bdaee1c0ee35p-58},
    {0x1.1835a88be7c13p-1, 0x1.c621cec00c301p-55},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.23b71e2cc9e6ap-1, 0x1.c421c9f38224ep-57},
    {0x1.2958e59308e31p-1, -0x1.09e73b0c6c087p-56},
    {0x1.2ee628406cbcap-1, 0x1.c5d5e9ff0cf8dp-55},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.39c391cd4171ap-1, -0x1.2304331d8bf46p-55},
    {0x1.3f13fb89e96f4p-1, 0x1.ecf8b492644f0p-56},
    {0x1.445065b795b56p-1, -0x1.f76d0163f79c8p-56},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.4e8de5bb6ec04p-1, 0x1.4a33dbeb3796cp-55},
    {0x1.538f57b89061fp-1, -0x1.1bb74abda520cp-55},
    {0x1.587d81f732fbbp-1, -0x1.5e5c9d8c5a950p-56},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.6220d115d7b8ep-1, -0x1.2b785350ee8c1p-57},
    {0x1.66d663923e087p-1, -0x1.6ea6febe8bbbap-56},
    {0x1.6b798920b3d99p-1, -0x1.a80386188c50ep-55},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.748978fba8e0fp-1, 0x1.7b2a6165884a1p-59},
    {0x1.78f6bbd5d315ep-1, 0x1.406a089803740p-55},
    {0x1.7d528289fa093p-1, 0x1.560821e2f3aa9p-55},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.85d69576cc2c5p-1, 0x1.6b66e7fc8b8c3p-57},
    {0x1.89ff5ff57f1f8p-1, -0x1.55b9a5e177a1bp-55},
    {0x1.8e17aa99cc05ep-1, -0x1.ec182ab042f61p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};
// 1/3, 1/5 and 1/7, the arc tangent series' first coefficients, each as two doubles.
constexpr DoubleDouble OneOver3 = {0x1.5555555555555p-2, 0x1.5555555555555p-56};
constexpr DoubleDouble OneOver5 = {0x1.999999999999ap-3, -0x1.999999999999ap-57};
constexpr DoubleDouble OneOver7 = {0x1.2492492492492p-3, 0x1.2492492492492p-57};
// end of constants
// a + b exactly.
DoubleDouble TwoSum(double a, double b) {
    double s = a + b;
    double bPart = s - a;
    return {s, (a - (s - bPart)) + (b - bPart)};
}

// a + b exactly, when |a| >= |b| or a is zero.
DoubleDouble QuickTwoSum(double a, double b) {
    double s = a + b;
    return {s, b - (s - a)};
}

// a * b exactly, for operands whose product is far from overflow and underflow: each is split
// into halves of 26 bits, whose products a double holds exactly.
DoubleDouble TwoProduct(double a, double b) {
    double p = a * b;
    double ca = 134217729.0 * a, cb = 134217729.0 * b; // 2^27 + 1
    double aHi = ca - (ca - a), bHi = cb - (cb - b);
    double aLo = a - aHi, bLo = b - bHi;
    return {p, ((aHi * bHi - p) + aHi * bLo + aLo * bHi) + aLo * bLo};
}

// c * y exactly for c a whole number of sixty-fourths up to 1, which has seven bits at most:
// c times either half of y is exact, so y alone is split.
DoubleDouble TimesSixtyFourths(double c, double y) {
    double p = c * y;
    double cy = 134217729.0 * y;
    double yHi = cy - (cy - y);
    return {p, (c * yHi - p) + c * (y - yHi)};
}

// a + b for a double b: cheaper than a double-double sum, as exact.
DoubleDouble Add(DoubleDouble a, double b) {
    DoubleDouble s = TwoSum(a.hi, b);
    return QuickTwoSum(s.hi, s.lo + a.lo);
}

DoubleDouble Add(DoubleDouble a, DoubleDouble b) {
    DoubleDouble s = TwoSum(a.hi, b.hi);
    DoubleDouble t = TwoSum(a.lo, b.lo);
    s = QuickTwoSum(s.hi, s.lo + t.hi);
    return QuickTwoSum(s.hi, s.lo + t.lo);
}

DoubleDouble Subtract(DoubleDouble a, DoubleDouble b) { return Add(a, {-b.hi, -b.lo}); }

DoubleDouble Multiply(DoubleDouble a, DoubleDouble b) {
    DoubleDouble p = TwoProduct(a.hi, b.hi);
    return QuickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

DoubleDouble Multiply(DoubleDouble a, double b) {
    DoubleDouble p = TwoProduct(a.hi, b);
    return QuickTwoSum(p.hi, p.lo + a.lo * b);
}

// Long division in two digits: the first digit's remainder is taken exactly enough for the
// second.
DoubleDouble Divide(DoubleDouble a, DoubleDouble b) {
    double q1 = a.hi / b.hi;
    DoubleDouble r = Subtract(a, Multiply(b, q1));
    return QuickTwoSum(q1, r.hi / b.hi);
}

// a / b for a small whole b: q1 * b is within a bit of a.hi, so a.hi - (q1 * b) is exact.
DoubleDouble Divide(DoubleDouble a, double b) {
    double q1 = a.hi / b;
    DoubleDouble p = TwoProduct(q1, b);
    double r = ((a.hi - p.hi) - p.lo) + a.lo;
    return QuickTwoSum(q1, r / b);
}

// sin r and cos r for |r| a little over pi/4 at most, by their Taylor series in Horner's form,
// sin r = r (1 - r^2/(2*3) (1 - r^2/(4*5) (1 - ...))). Fifteen terms leave less than 2^-120.
constexpr int SeriesTerms = 15;

DoubleDouble SinSeries(DoubleDouble r) {
    DoubleDouble r2 = Multiply(r, r);
    DoubleDouble s = {1.0, 0.0};
    for (int n = SeriesTerms; n >= 1; --n)
        s = Subtract({1.0, 0.0}, Divide(Multiply(s, r2), double(2 * n * (2 * n + 1))));
    return Multiply(r, s);
}

DoubleDouble CosSeries(DoubleDouble r) {
    DoubleDouble r2 = Multiply(r, r);
    DoubleDouble c = {1.0, 0.0};
    for (int n = SeriesTerms; n >= 1; --n)
        c = Subtract({1.0, 0.0}, Divide(Multiply(c, r2), double((2 * n - 1) * (2 * n))));
    return c;
}

// x - k pi/2 for the whole k nearest x / (pi/2), and k's remainder by 4 (0 to 3). The products
// of k with pi/2's first two parts are exact, so only the third part's product is rounded, and
// that far below the result's last bit.
DoubleDouble QuarterTurnsOff(double x, int& quadrant) {
    double k = double(static_cast<long long>(x / HalfPi1 + (x < 0.0 ? -0.5 : 0.5)));
    quadrant = int(static_cast<long long>(k) & 3);
    DoubleDouble p1 = TwoProduct(k, HalfPi1), p2 = TwoProduct(k, HalfPi2);
    DoubleDouble r = TwoSum(x, -p1.hi);
    r = Subtract(r, {p1.lo, 0.0});
    r = Subtract(r, p2);
    return Subtract(r, {k * HalfPi3, 0.0});
}

// atan u for |u| <= 1/128: u - u^3/3 + ... - u^15/15 leaves less than 2^-110 of u, and the
// terms from u^9 on stay below 2^-56 of u, so a double carries them.
DoubleDouble AtanSeries(DoubleDouble u) {
    DoubleDouble v = Multiply(u, u);
    double w = v.hi;
    double tail = w * (1.0 / 9 - w * (1.0 / 11 - w * (1.0 / 13 - w * (1.0 / 15))));
    DoubleDouble s = Subtract(OneOver7, {tail, 0.0});
    s = Subtract(OneOver5, Multiply(v, s));
    s = Subtract(OneOver3, Multiply(v, s));
    return Subtract(u, Multiply(Multiply(u, v), s));
}

// atan c + atan u, and pi/2 less that above 1.
DoubleDouble AtanSum(int k, DoubleDouble atanU, bool above) {
    DoubleDouble a = Add(AtanOfSixtyFourths[k], atanU);
    return above ? Subtract({HalfPi1, HalfPi2}, a) : a;
}

// The same with the series after u in doubles, which is all most inputs need: u^3/3 - ... +
// u^11/11 is below 2^-15.5 of u and taken to 2^-49.7 of itself, and the sums below round it
// once more, so the result is within 2^-65 of the arc tangent (the rest of the arithmetic adds
// less than 2^-100).
DoubleDouble AtanSumQuick(int k, DoubleDouble u, bool above) {
    double w = u.hi * u.hi;
    double odd = u.hi * w * (1.0 / 3 - w * (1.0 / 5 - w * (1.0 / 7 - w * (1.0 / 9 - w / 11))));
    const DoubleDouble& c = AtanOfSixtyFourths[k];
    DoubleDouble a = TwoSum(c.hi, u.hi);
    a = QuickTwoSum(a.hi, a.lo + (c.lo + (u.lo - odd)));
    if (!above) return a;
    DoubleDouble b = TwoSum(HalfPi1, -a.hi);
    return QuickTwoSum(b.hi, b.lo + (HalfPi2 - a.lo));
}
constexpr double QuickAtanError = 0x1p-63; // 2^-65 with room

bool SineDomain(double x) { return x >= -0x1p20 && x <= 0x1p20; }

} // namespace

double ExactSin(double x) {
    if (!SineDomain(x)) return std::numeric_limits<double>::quiet_NaN();
    // Below 2^-27, x^3/6 is under a quarter of x's last bit: x is the rounded sine.
    if (x > -0x1p-27 && x < 0x1p-27) return x;
    int quadrant = 0;
    DoubleDouble r = QuarterTurnsOff(x, quadrant);
    DoubleDouble s = quadrant % 2 == 0 ? SinSeries(r) : CosSeries(r);
    if (quadrant >= 2) s = {-s.hi, -s.lo};
    return s.hi + s.lo;
}

double ExactCos(double x) {
    if (!SineDomain(x)) return std::numeric_limits<double>::quiet_NaN();
    // Below 2^-27, x^2/2 is under a quarter of the last bit below 1: 1 is the rounded cosine.
    if (x > -0x1p-27 && x < 0x1p-27) return 1.0;
    int quadrant = 0;
    DoubleDouble r = QuarterTurnsOff(x, quadrant);
    DoubleDouble c = quadrant % 2 == 0 ? CosSeries(r) : SinSeries(r);
    if (quadrant == 1 || quadrant == 2) c = {-c.hi, -c.lo};
    return c.hi + c.lo;
}

double ExactAtan(double x) {
    if (x != x) return x;
    double ax = x < 0.0 ? -x : x;
    // Below 2^-27, x^3/3 is under a quarter of x's last bit: x is the rounded arc tangent. Beyond
    // 2^60, pi/2 - 1/x rounds to pi/2's first part, as do the infinities.
    if (ax < 0x1p-27) return x;
    if (ax > 0x1p60) return x < 0.0 ? -HalfPi1 : HalfPi1;
    // With t = ax, or 1/ax above 1 (atan ax = pi/2 - atan t), and c = k/64 the sixty-fourth
    // nearest t: atan t = atan c + atan u, u = (t - c) / (1 + t c) = (p - c q) / (q + c p) for
    // t = p / q, where c q and c p are held exactly and |u| <= 1/128.
    bool above = ax > 1.0;
    double p = above ? 1.0 : ax, q = above ? ax : 1.0;
    int k = int(p / q * 64.0 + 0.5);
    double c = k / 64.0;
    DoubleDouble cq = TimesSixtyFourths(c, q), cp = TimesSixtyFourths(c, p);
    DoubleDouble u = Divide(Add({-cq.hi, -cq.lo}, p), Add(cp, q));
    // Round the quick sum only if everything within its error bound rounds the same (Ziv's
    // test); about one input in a thousand takes the long way.
    DoubleDouble a = AtanSumQuick(k, u, above);
    double margin = a.hi * QuickAtanError;
    double result = a.hi + (a.lo + margin);
    if (result != a.hi + (a.lo - margin)) {
        a = AtanSum(k, AtanSeries(u), above);
        result = a.hi + a.lo;
    }
    return x < 0.0 ? -result : result;
}
