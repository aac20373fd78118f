// math_check.cpp -- the game's heading tables and headings, as numbers to compare between builds
//
// scripts/web-deps --check builds this for the desktop and with em++, runs both, and compares
// their output: the page must compute every table entry, arc tangent and heading with the same
// bits as the desktop. Each line is a count and a hash of the results' bits.
// Usage: math_check [PAIRS]   (default 2000000)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "core/exact_math.h"
#include "core/headings.h"

namespace {

struct Hash {
    std::uint64_t value = 14695981039346656037ull;
    long count = 0;
    template <class T> void Add(T number) {
        unsigned char bytes[sizeof number];
        std::memcpy(bytes, &number, sizeof number);
        for (unsigned char b : bytes)
            value = (value ^ b) * 1099511628211ull;
        ++count;
    }
    void Print(const char* what) const {
        std::printf("%s: %ld results, hash %016llx\n", what, count, (unsigned long long)value);
    }
};

template <class T> T FromBits(std::uint64_t bits) {
    T number;
    std::memcpy(&number, &bits, sizeof number);
    return number;
}

} // namespace

int main(int argc, char** argv) {
    long pairs = argc > 1 ? std::atol(argv[1]) : 2000000;
    // mt19937_64 is the same generator in every standard library; its bits are used as they are.
    std::mt19937_64 random(1920);

    BuildHeadingTables();
    Hash tables;
    for (int i = 0; i <= HeadingSteps; ++i) {
        tables.Add(SinTable[i]);
        tables.Add(CosTable[i]);
    }
    tables.Print("heading tables");

    Hash headings;
    for (int a = -25; a < 25; ++a)
        for (int b = -25; b < 25; ++b)
            headings.Add(HeadingToOrigin(float(a), float(b), false));
    for (long i = 0; i < pairs; ++i) {
        std::uint32_t x = std::uint32_t(random()), y = std::uint32_t(random());
        // Any finite floats, and places in a world of 4000 units with a fraction.
        if ((x & 0x7F800000u) == 0x7F800000u || (y & 0x7F800000u) == 0x7F800000u) continue;
        headings.Add(HeadingToOrigin(FromBits<float>(x), FromBits<float>(y), i % 2 == 0));
        float dx = float(int(x % 400000u) - 200000) / 100.0f;
        float dy = float(int(y % 400000u) - 200000) / 100.0f;
        headings.Add(HeadingToOrigin(dx, dy, true));
    }
    headings.Print("headings");

    Hash doubles;
    for (long i = 0; i < pairs; ++i) {
        // Exponents from 2^-30 to 2^62, random digits, either sign.
        std::uint64_t bits = random();
        double x = FromBits<double>((std::uint64_t(993 + bits % 93) << 52) |
                                    (random() & ((1ull << 52) - 1)) | (bits & (1ull << 63)));
        doubles.Add(ExactAtan(x));
        if (x > -0x1p20 && x < 0x1p20) {
            doubles.Add(ExactSin(x));
            doubles.Add(ExactCos(x));
        }
    }
    doubles.Print("arc tangents, sines, cosines");
    return 0;
}
