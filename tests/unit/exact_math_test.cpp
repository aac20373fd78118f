// exact_math_test.cpp -- our sine, cosine and arc tangent: correctly rounded, and as the
// desktop's C library made the heading tables and the aim
//
// The golden frames and recorded games were made with glibc's sin, cos and atan: on glibc every
// table entry and the heading of every pair tried must come out as before. SKIRMO_EXACT_MATH_LONG=1
// tries 500 million random pairs and every positive float as a quotient instead of a sample
// (about 15 minutes; not part of the suite).
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "core/exact_math.h"
#include "core/headings.h"

namespace {

#ifdef SKIRMO_SANITIZED
constexpr long Scale = 1; // -O0 with the sanitizers runs the sample ten times slower
#else
constexpr long Scale = 10;
#endif
bool Long() { return std::getenv("SKIRMO_EXACT_MATH_LONG") != nullptr; }

// A finite float of random bits.
float RandomFloat(std::mt19937_64& random) {
    std::uint32_t bits = 0x7F800000u;
    while ((bits & 0x7F800000u) == 0x7F800000u)
        bits = std::uint32_t(random());
    return std::bit_cast<float>(bits);
}

// A double of random digits with its exponent between 2^low and 2^high.
double RandomDouble(std::mt19937_64& random, int low, int high) {
    std::uint64_t exponent = std::uint64_t(1023 + low + int(random() % unsigned(high - low + 1)));
    return std::bit_cast<double>(exponent << 52 | (random() & ((1ull << 52) - 1)));
}

// Whether d is the correctly rounded value of x, judged by the 64-bit long double value of x
// where that lies clearly away from halfway between two doubles; undecided (true) otherwise.
// The C library's long double functions err by about a thousandth of a double's last bit; the
// cases nearer halfway than a hundredth were found with exact arithmetic (tools/mathgen's
// integers) and are listed below.
struct Judge {
    long judged = 0, decided = 0;
    bool operator()(double d, long double x) {
        ++judged;
        long double below = (d + (long double)std::nextafter(d, -INFINITY)) / 2;
        long double above = (d + (long double)std::nextafter(d, INFINITY)) / 2;
        long double room = (above - below) / 128;
        if (std::fabs(x - below) < room || std::fabs(x - above) < room) return true;
        ++decided;
        return x > below && x < above;
    }
};

TEST(ExactMath, RoundsCorrectly) {
    static_assert(LDBL_MANT_DIG >= 64, "the long double reference needs 64 bits");
    struct Case {
        double (*f)(double);
        double x, rounded;
    } hard[] = {
        // Where glibc rounds the wrong way (and the tables' four), and where the quick arc
        // tangent leaves the rounding to the long way.
        {ExactAtan, 0x1.811490d211dcep-4, 0x1.7ff3a89f86346p-4},
        {ExactAtan, 0x1.8b7b353123e9ap+3, 0x1.7d7473702b45ap+0},
        {ExactAtan, 0x1.322960529b37ap+1, 0x1.2cbfcdd63c9d3p+0},
        {ExactAtan, 0x1.6bb6e041f18fdp-3, 0x1.67f616dc792e2p-3},
        {ExactAtan, 0x1.51fb0f6e3714ap-7, 0x1.51f7fe00733e1p-7},
        {ExactAtan, 0x1.baef83fb8112p-23, 0x1.baef83fb810b2p-23},
        {ExactAtan, 0x1.dcdd228f2114ep+22, 0x1.921fb31e89321p+0},
        {ExactAtan, 0x1.179336ef61e5ap+10, 0x1.91e51ad852eb3p+0},
        // Where the quick series alone would round the wrong way, some only if its error bound
        // were taken too small.
        {ExactAtan, 0x1.11f0ff3cec572p-8, 0x1.11f096ad75c2dp-8},
        {ExactAtan, 0x1.6c1c4a01e2dfbp-7, 0x1.6c1873f95610ep-7},
        {ExactAtan, 0x1.5708f01a1cep-6, 0x1.56fc1bfa565aep-6},
        {ExactAtan, 0x1.0c50967b33ed1p-7, 0x1.0c4f0d7f38b83p-7},
        {ExactAtan, 0x1.00941021cf9cep-7, 0x1.0092b87e1f694p-7},
        {ExactAtan, 0x1.29c6f05e62555p+31, 0x1.921fb5428aa67p+0},
        {ExactAtan, 0x1.0495b2c065823p-23, 0x1.0495b2c06580cp-23},
        {ExactAtan, 0x1.be664d122de0fp-13, 0x1.be664ca1111a4p-13},
        {ExactSin, 0x1.acee87794d3a9p-4, 0x1.ac25f216a052bp-4},
        {ExactSin, 0x1.95797c10ab016p-1, 0x1.6c66735c56dbbp-1},
        {ExactSin, 0x1.87dc6a03f16dep+2, -0x1.47018d6450345p-3},
        {ExactCos, 0x1.d87ec13b9f128p+0, -0x1.15f4178a590efp-2},
        // The edges: pi/2's neighbourhood, zeros, huge and tiny arguments, infinities.
        {ExactSin, 0x1.921fb54442d18p+0, 1.0},
        {ExactCos, 0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54},
        {ExactSin, -0.0, -0.0},
        {ExactCos, -0x1p-30, 1.0},
        {ExactAtan, 1.0, 0x1.921fb54442d18p-1},
        {ExactAtan, -0x1p-40, -0x1p-40},
        {ExactAtan, -0x1p61, -0x1.921fb54442d18p+0},
        {ExactAtan, INFINITY, 0x1.921fb54442d18p+0},
    };
    for (const Case& c : hard)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(c.f(c.x)), std::bit_cast<std::uint64_t>(c.rounded))
            << std::hexfloat << c.x;
    EXPECT_TRUE(std::isnan(ExactAtan(NAN)));
    for (double outside : {double(NAN), double(INFINITY), 0x1.0000000000001p20, -0x1p21}) {
        EXPECT_TRUE(std::isnan(ExactSin(outside))) << outside;
        EXPECT_TRUE(std::isnan(ExactCos(outside))) << outside;
    }

    std::mt19937_64 random(27);
    Judge rounds;
    auto check = [&](double x) {
        ASSERT_TRUE(rounds(ExactAtan(x), std::atan((long double)x))) << std::hexfloat << x;
        if (std::fabs(x) > 0x1p20) return;
        ASSERT_TRUE(rounds(ExactSin(x), std::sin((long double)x))) << std::hexfloat << x;
        ASSERT_TRUE(rounds(ExactCos(x), std::cos((long double)x))) << std::hexfloat << x;
    };
    for (int i = 0; i <= HeadingSteps && !HasFatalFailure(); ++i)
        check(double(i) * HeadingStepRadians);
    for (long i = 0; i < 20000 * Scale && !HasFatalFailure(); ++i) {
        double x = RandomDouble(random, -30, 62);
        check(random() % 2 ? x : -x);
    }
    // Within 1/128 of halfway on either side: about 1.6 % undecided.
    EXPECT_GT(rounds.decided, rounds.judged * 97 / 100);
}

#ifdef __GLIBC__

// The tables as glibc's sin and cos made them.
TEST(ExactMath, HeadingTablesAsBefore) {
    BuildHeadingTables();
    for (int i = 0; i <= HeadingSteps; ++i) {
        double angle = double(i) * HeadingStepRadians;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(SinTable[i]),
                  std::bit_cast<std::uint32_t>(float(std::sin(angle))))
            << i;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(CosTable[i]),
                  std::bit_cast<std::uint32_t>(float(std::cos(angle))))
            << i;
    }
}

// HeadingToOrigin as it was, on glibc's atan.
float LibraryHeading(float dx, float dy, bool roundAngle) {
    if (dy == 0.0f) return dx < 0.0f ? 0.0f : 960.0f;
    if (dx == 0.0f) return dy < 0.0f ? 480.0f : 1440.0f;
    double a = std::atan(std::fabs(double(dy)) / std::fabs(double(dx))) * StepsPerRadian;
    if (roundAngle) a = float(a);
    if (dx > 0.0f) return float(dy > 0.0f ? 960.0 + a : 960.0 - a);
    return float(dy > 0.0f ? HeadingSteps - a : a);
}

// The aim (rounded angle) and the debris (unrounded) for every debris particle's offset, pairs of
// special floats, random floats of any size and random places in the world, and positive floats
// as quotients (dx = 1), a sample of them or all of them.
TEST(ExactMath, HeadingsAsBefore) {
    long pairs = 0;
    auto same = [&](float dx, float dy) {
        ++pairs;
        for (bool round : {false, true})
            ASSERT_EQ(std::bit_cast<std::uint32_t>(HeadingToOrigin(dx, dy, round)),
                      std::bit_cast<std::uint32_t>(LibraryHeading(dx, dy, round)))
                << std::hexfloat << dx << ", " << dy << (round ? ", rounded" : "");
    };
    for (int a = -25; a < 25; ++a)
        for (int b = -25; b < 25; ++b)
            same(float(a), float(b)); // what SeedDebris passes
    const float special[] = {0.0f, FLT_TRUE_MIN, FLT_MIN, 0x1p-30f, 0.5f,       1.0f,
                             1.5f, 3.0f,         0x1p30f, FLT_MAX,  1.0000001f, 0.99999994f};
    for (float x : special)
        for (float y : special)
            for (int signs = 0; signs < 4; ++signs)
                same(signs & 1 ? -x : x, signs & 2 ? -y : y);

    std::mt19937_64 random(1920);
    std::uniform_real_distribution<float> world(-2000.0f, 2000.0f);
    const long count = Long() ? 250000000 : 50000 * Scale;
    for (long i = 0; i < count && !HasFatalFailure(); ++i) {
        same(RandomFloat(random), RandomFloat(random));
        same(world(random), world(random));
    }
    const std::uint32_t stride = Long() ? 1 : 20011 / Scale;
    for (std::uint32_t bits = 1; bits < 0x7F800000u && !HasFatalFailure(); bits += stride) {
        float q = std::bit_cast<float>(bits);
        same(bits & 1 ? -1.0f : 1.0f, bits & 2 ? -q : q);
    }
    if (Long()) std::printf("headings: %ld pairs as before, both roundings\n", pairs);
}

#endif

} // namespace
