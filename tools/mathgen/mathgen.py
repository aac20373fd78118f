#!/usr/bin/env python3
"""mathgen.py -- the constants of src/core/exact_math.cpp, computed with exact integers

Prints the block of constants that src/core/exact_math.cpp keeps between its "constants:"
markers: pi/2 in three parts, the arc tangents of k/64 and three reciprocals as pairs of doubles. Each value is
computed to 400 bits in fixed point with Python's integers, and split into doubles with Python's
float(Fraction), which rounds correctly. --check FILE fails if FILE's block differs.
"""
import math
import sys
from fractions import Fraction

BITS = 400
ONE = 1 << BITS
BEGIN = "// constants: made by tools/mathgen/mathgen.py"
END = "// end of constants"


def atan_fixed(x):
    """atan of x (a fixed-point integer, 0 <= x <= ONE), in fixed point."""
    # Three halvings, atan(x) = 2 atan(x / (1 + sqrt(1 + x^2))), leave x below 0.1, where the
    # series gains seven bits a term.
    halvings = 3
    for _ in range(halvings):
        root = math.isqrt(ONE * ONE + x * x)
        x = x * ONE // (ONE + root)
    total, power, n = 0, x, 0
    square = x * x // ONE
    while power:
        term = power // (2 * n + 1)
        total += -term if n % 2 else term
        power = power * square // ONE
        n += 1
    return total << halvings


def pi_fixed():
    # Machin: pi = 16 atan(1/5) - 4 atan(1/239).
    def acot(n):
        total, power, k = 0, ONE // n, 0
        while power:
            term = power // (2 * k + 1)
            total += -term if k % 2 else term
            power //= n * n
            k += 1
        return total

    return 16 * acot(5) - 4 * acot(239)


def parts(value, count):
    """value (a Fraction) as count doubles, each the correctly rounded remainder."""
    out = []
    for _ in range(count):
        d = float(value)
        out.append(d)
        value -= Fraction(d)
    return out


def block():
    half_pi = Fraction(pi_fixed(), 2 * ONE)
    p1, p2, p3 = parts(half_pi, 3)
    lines = [BEGIN,
             "// pi/2 as the sum of three doubles, each the rounded remainder of those before.",
             f"constexpr double HalfPi1 = {p1.hex()};",
             f"constexpr double HalfPi2 = {p2.hex()};",
             f"constexpr double HalfPi3 = {p3.hex()};",
             "// atan(k / 64) for k = 0 to 64, each as a double and the rounded rest.",
             "constexpr DoubleDouble AtanOfSixtyFourths[65] = {"]
    for k in range(65):
        hi, lo = parts(Fraction(atan_fixed(k * ONE // 64), ONE), 2)
        lines.append(f"    {{{hi.hex()}, {lo.hex()}}},")
    lines += ["};",
              "// 1/3, 1/5 and 1/7, the arc tangent series' first coefficients, each as two doubles."]
    for n in (3, 5, 7):
        hi, lo = parts(Fraction(1, n), 2)
        lines.append(f"constexpr DoubleDouble OneOver{n} = {{{hi.hex()}, {lo.hex()}}};")
    lines.append(END)
    return "\n".join(lines) + "\n"


def main():
    text = block()
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        source = open(sys.argv[2]).read()
        start, stop = source.find(BEGIN), source.find(END)
        if start < 0 or stop < 0 or source[start:stop + len(END) + 1] != text:
            print(f"mathgen: the constants in {sys.argv[2]} are not what mathgen.py computes")
            return 1
        print("mathgen: the constants are as computed")
        return 0
    if len(sys.argv) != 1:
        print("usage: mathgen.py [--check FILE]", file=sys.stderr)
        return 2
    sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
