"""Small deterministic synthesis kit for the sound effects.

Everything here must give the same bytes on every machine.  Python floats
are IEEE doubles and + - * / are correctly rounded, so plain arithmetic is
safe; the transcendental functions of the C library are not guaranteed to
round identically everywhere, so the one we need (sine) is tabulated once
with the decimal module, and exponential decays are built by repeated
multiplication instead of exp().
"""

from decimal import Decimal, getcontext

from xorshift import XorShift32

TABLE_BITS = 12
TABLE_SIZE = 1 << TABLE_BITS


def _decimal_sine_table(size):
    getcontext().prec = 40
    # pi to 40 digits; the series below converges fast for |x| <= pi.
    pi = Decimal("3.141592653589793238462643383279502884197")
    table = []
    for i in range(size):
        x = 2 * pi * i / size
        if x > pi:
            x -= 2 * pi
        term = x
        total = x
        n = 1
        while abs(term) > Decimal("1e-30"):
            term = -term * x * x / ((2 * n) * (2 * n + 1))
            total += term
            n += 1
        table.append(float(round(total, 15)))
    return table


SINE = _decimal_sine_table(TABLE_SIZE)
PI = 3.141592653589793


def sine(phase):
    """Sine of phase given in turns (1.0 is a full cycle), linearly interpolated."""
    phase -= int(phase)
    if phase < 0:
        phase += 1.0
    pos = phase * TABLE_SIZE
    i = int(pos)
    frac = pos - i
    a = SINE[i & (TABLE_SIZE - 1)]
    b = SINE[(i + 1) & (TABLE_SIZE - 1)]
    return a + (b - a) * frac


class Rng(XorShift32):
    """The sounds' generator, seeded as the noise always was."""

    def __init__(self, seed):
        super().__init__((seed & 0xFFFFFFFF) or 0x9E3779B9)

    def uniform(self):
        """Float in [-1, 1)."""
        return self.next() / 2147483648.0 - 1.0


def decay_factor(tau_samples):
    """Per-sample multiplier that shrinks a value by about 1/e in tau samples."""
    return 1.0 - 1.0 / tau_samples


def onepole_coeff(cutoff, rate):
    """Coefficient of y += a * (x - y) for a low-pass near the given cutoff."""
    w = 2.0 * PI * cutoff / rate
    return w / (1.0 + w)


class OnePole:
    def __init__(self):
        self.y = 0.0

    def lowpass(self, x, a):
        self.y += a * (x - self.y)
        return self.y


class StateVariable:
    """Chamberlin state-variable filter; returns (low, band, high)."""

    def __init__(self):
        self.low = 0.0
        self.band = 0.0

    def run(self, x, cutoff, rate, damping):
        # Run twice per sample: the plain filter turns unstable when the
        # cutoff nears a quarter of the rate, which the hit sound needs.
        f = 2.0 * sine(0.25 * cutoff / rate)  # 2 sin(pi fc / 2fs); sine takes turns
        for _ in range(2):
            high = x - self.low - damping * self.band
            self.band += f * high
            self.low += f * self.band
        return self.low, self.band, high


def glide(start, end, t, length):
    """Exponential-sounding glide from start to end over length samples.

    A quadratic in the fraction stands in for the true exponential curve,
    which would need pow(); the ear only hears that it falls fast, then slowly.
    """
    if t >= length:
        return end
    u = 1.0 - t / length
    return end + (start - end) * u * u


def finish(samples, peak, fade_in=16, fade_out=64):
    """Turn float samples into clean 8-bit unsigned bytes.

    Removes any DC offset, ramps the first and last samples so playback
    starts and stops without a click, scales to the requested peak
    (fraction of full scale) and rounds.  The first and last byte are
    exactly 128, the silent midpoint.
    """
    n = len(samples)
    mean = sum(samples) / n
    out = [s - mean for s in samples]
    for i in range(min(fade_in, n)):
        out[i] *= i / fade_in
    for i in range(min(fade_out, n)):
        out[n - 1 - i] *= i / fade_out
    top = max(abs(s) for s in out)
    gain = peak * 127.0 / top if top > 0 else 0.0
    data = bytearray(n)
    for i, s in enumerate(out):
        v = int(round(128.0 + s * gain))
        data[i] = 1 if v < 1 else (255 if v > 255 else v)
    data[0] = 128
    data[-1] = 128
    return bytes(data)
