"""A small composition engine for the game's music.

Harmony is written as Roman-numeral progressions over a key, melodies as
scale degrees with durations in beats, drums and accompaniment as 16-step
grids per bar.  The engine turns them into notes: it voices chords with
smooth voice leading, fits strong-beat melody notes onto chord tones,
transforms motifs (sequence, inversion, retrograde, augmentation,
ornament), and shapes velocities by metre, phrase and section intensity.
Nothing here is random; the pieces are written out, the engine only does
the bookkeeping a composer would do by hand.
"""

import zlib

from mus_midi import DRUM_CHANNEL, PPQ, Part, song_bytes

BEAT = PPQ
STEP = PPQ // 4  # a sixteenth note
BAR = 4 * PPQ

MODES = {
    "ionian": (0, 2, 4, 5, 7, 9, 11),
    "dorian": (0, 2, 3, 5, 7, 9, 10),
    "phrygian": (0, 1, 3, 5, 7, 8, 10),
    "lydian": (0, 2, 4, 6, 7, 9, 11),
    "mixolydian": (0, 2, 4, 5, 7, 9, 10),
    "aeolian": (0, 2, 3, 5, 7, 8, 10),
    "harmonic": (0, 2, 3, 5, 7, 8, 11),
}

# The sounding range each General MIDI program is written for here: what
# the real instrument plays comfortably, not what the synthesiser accepts.
# A part is folded into it by octaves; a note left outside is an error.
_PROGRAM_RANGES = [
    ((0, 1, 2, 3), 21, 108), ((4, 5), 28, 100), ((6,), 29, 89), ((7,), 29, 88), ((8,), 60, 108),
    ((16, 17, 18), 36, 96), (tuple(range(24, 32)), 40, 88), (tuple(range(32, 38)), 28, 67),
    ((38, 39), 24, 72), ((40,), 55, 103), ((42,), 36, 81), ((43,), 28, 60),
    ((44, 45, 48, 49, 50, 51), 28, 103), ((46,), 24, 103), ((47,), 36, 57), ((52, 53), 40, 81),
    ((56,), 54, 84), ((57,), 40, 77), ((60,), 41, 77), ((61,), 40, 84), ((68,), 58, 91),
    ((71,), 50, 94), ((73,), 60, 96), (tuple(range(80, 96)), 36, 96),
]
PROGRAM_RANGE = {prog: (lo, hi) for progs, lo, hi in _PROGRAM_RANGES for prog in progs}


def fold(pitch, low, high):
    """Move a pitch by octaves into [low, high] (the range must span an octave)."""
    while pitch < low:
        pitch += 12
    while pitch > high:
        pitch -= 12
    return pitch


_NUMERALS = {"I": 0, "II": 2, "III": 4, "IV": 5, "V": 7, "VI": 9, "VII": 11}


# ------------------------------------------------------------------ harmony


class Key:
    def __init__(self, tonic, mode):
        self.tonic = tonic  # MIDI pitch of the tonic in the melody's home octave
        self.scale = MODES[mode]

    def pitch(self, degree, alter=0):
        octave, step = divmod(degree, 7)
        return self.tonic + 12 * octave + self.scale[step] + alter

    def shifted(self, semitones):
        k = Key(self.tonic + semitones, "ionian")
        k.scale = self.scale
        return k


class Chord:
    def __init__(self, root, intervals):
        self.root = root % 12
        self.intervals = intervals
        self.pcs = [(self.root + i) % 12 for i in intervals]

    def tone(self, which):
        """Chord tone by name: R, 3, 5, 7 (7 falls back to the octave)."""
        if which == "R":
            return self.root
        if which == "3":
            return self.pcs[1]
        if which == "5":
            return self.pcs[2]
        if which == "7":
            return self.pcs[3] if len(self.pcs) > 3 else self.root
        raise ValueError(which)


def parse_chord(symbol, key):
    """Roman numeral relative to the key's tonic: case gives the quality,
    b/# alter the root, suffixes o + 7 maj7 sus2 sus4 add9 extend it."""
    s = symbol
    alter = 0
    while s and s[0] in "b#":
        alter += -1 if s[0] == "b" else 1
        s = s[1:]
    i = 0
    while i < len(s) and s[i].upper() in "IVX":
        i += 1
    numeral, rest = s[:i], s[i:]
    root = key.tonic + _NUMERALS[numeral.upper()] + alter
    major = numeral.isupper()
    if rest.startswith("o"):
        ints = [0, 3, 6]
        rest = rest[1:]
    elif rest.startswith("+"):
        ints = [0, 4, 8]
        rest = rest[1:]
    else:
        ints = [0, 4, 7] if major else [0, 3, 7]
    if rest == "7":
        ints.append(10 if ints != [0, 3, 6] else 9)
    elif rest == "maj7":
        ints.append(11)
    elif rest == "sus4":
        ints[1] = 5
    elif rest == "sus2":
        ints[1] = 2
    elif rest == "add9":
        ints.append(14)
    elif rest:
        raise ValueError("unknown chord suffix in " + symbol)
    return Chord(root, ints)


class Section:
    """A stretch of bars with its harmony and its intensity (0 to 1),
    which rises or falls linearly from the first bar to the last."""

    def __init__(self, start_bar, bars, progression, key, intensity):
        self.start_bar = start_bar
        self.bars = bars
        self.key = key
        self.start = start_bar * BAR
        self.end = (start_bar + bars) * BAR
        lo, hi = intensity if isinstance(intensity, tuple) else (intensity, intensity)
        self.intensity = (lo, hi)
        self.changes = []  # (tick, Chord)
        self.phrase_ends = set()  # bars (within the section) that close a phrase
        for b in range(bars):
            halves = progression[b % len(progression)].split()
            span = BAR // len(halves)
            for j, sym in enumerate(halves):
                self.changes.append((self.start + b * BAR + j * span, parse_chord(sym, key)))

    def chord_at(self, tick):
        current = self.changes[0][1]
        for t, c in self.changes:
            if t > tick:
                break
            current = c
        return current

    def next_chord_after(self, tick):
        for t, c in self.changes:
            if t > tick:
                return c
        return self.changes[-1][1]

    def level(self, tick):
        """Intensity at a tick."""
        lo, hi = self.intensity
        if self.end - self.start <= BAR:
            return hi
        u = (tick - self.start) / (self.end - self.start - BAR)
        return lo + (hi - lo) * min(1.0, max(0.0, u))

    def bar_ticks(self):
        return [self.start + b * BAR for b in range(self.bars)]


def metric_accent(tick):
    pos = tick % BAR
    if pos == 0:
        return 10
    if pos % (2 * BEAT) == 0:
        return 6
    if pos % BEAT == 0:
        return 3
    if pos % (BEAT // 2) == 0:
        return 0
    return -5


def velocity(level, accent=0, floor=38, ceiling=112):
    return int(round(floor + (ceiling - floor) * level + accent))


def bass_pitch(pc, low):
    """Lowest pitch of pitch class pc at or above low."""
    return low + (pc - low) % 12


def voice_chord(chord, low, high, previous, count=4):
    """Close-position voicing of count notes within [low, high], chosen to
    move as little as possible from the previous voicing."""
    pcs = chord.pcs[:]
    best = None
    for rot in range(len(pcs)):
        order = pcs[rot:] + pcs[:rot]
        notes = []
        p = bass_pitch(order[0], low)
        notes.append(p)
        i = 1
        while len(notes) < count:
            pc = order[i % len(order)]
            q = notes[-1] + 1 + (pc - notes[-1] - 1) % 12
            notes.append(q)
            i += 1
        if notes[-1] > high:
            continue
        if previous:
            cost = sum(abs(a - b) for a, b in zip(notes, previous))
        else:
            cost = abs(sum(notes) / len(notes) - (low + high) / 2)
        if best is None or cost < best[0]:
            best = (cost, notes)
    if best is None:  # range too narrow for this chord: drop to the bottom
        return [bass_pitch(pc, low) for pc in pcs][:count]
    return best[1]


# ------------------------------------------------------------------- melody


def parse_melody(text):
    """'deg:beats' tokens; deg is a scale degree (0 the tonic, 7 an octave
    up, negative below) with optional # or b, or r for a rest."""
    events = []
    for token in text.split():
        deg, dur = token.split(":")
        beats = float(dur)
        if deg == "r":
            events.append((beats, None, 0))
            continue
        alter = 0
        while deg[-1] in "#b":
            alter += 1 if deg[-1] == "#" else -1
            deg = deg[:-1]
        events.append((beats, int(deg), alter))
    return events


def length_beats(events):
    return sum(e[0] for e in events)


def transpose(events, steps):
    return [(d, None if g is None else g + steps, a) for d, g, a in events]


def invert(events, axis):
    return [(d, None if g is None else 2 * axis - g, a) for d, g, a in events]


def retrograde(events):
    return list(reversed(events))


def augment(events, factor):
    return [(d * factor, g, a) for d, g, a in events]


def fragment(events, beats):
    out = []
    total = 0.0
    for d, g, a in events:
        if total >= beats:
            break
        d = min(d, beats - total)
        out.append((d, g, a))
        total += d
    return out


def ornament(events):
    """Fill leaps of a third or more after long notes with a passing note,
    the way a player decorates a theme the second time round."""
    out = []
    for i, (d, g, a) in enumerate(events):
        nxt = events[i + 1][1] if i + 1 < len(events) else None
        if g is not None and nxt is not None and d >= 1.0 and abs(nxt - g) >= 2:
            step = 1 if nxt > g else -1
            out.append((d - 0.5, g, a))
            out.append((0.5, nxt - step, 0))
        else:
            out.append((d, g, a))
    return out


def dotted(events):
    """Pairs of equal eighths become dotted eighth and sixteenth."""
    out = []
    i = 0
    while i < len(events):
        d, g, a = events[i]
        if d == 0.5 and i + 1 < len(events) and events[i + 1][0] == 0.5:
            out.append((0.75, g, a))
            out.append((0.25,) + events[i + 1][1:])
            i += 2
        else:
            out.append((d, g, a))
            i += 1
    return out


def anticipate(events):
    """Push notes that fall on the half bar an eighth early, taking the time
    from a long note before them: the syncopation a band plays on a tune's
    second time through."""
    out = [list(e) for e in events]
    t = 0.0
    for i, e in enumerate(out):
        if i and e[1] is not None and t % 2.0 == 0 and out[i - 1][1] is not None and out[i - 1][0] >= 1.0:
            out[i - 1][0] -= 0.5
            e[0] += 0.5
        t += events[i][0]
    return [tuple(e) for e in out]


def fit_length(events, beats):
    """Cut or pad with rest to exactly the given length."""
    out = fragment(events, beats)
    total = length_beats(out)
    if total < beats:
        out.append((beats - total, None, 0))
    return out


# -------------------------------------------------------------------- song


class Song:
    def __init__(self, title, bpm, key_sharps=0, key_minor=False):
        self.title = title
        self.parts = {}
        self.order = []
        self.tempo_map = [(0, bpm)]
        self.bar = 0
        self.sections = []
        self.key_sharps = key_sharps
        self.key_minor = key_minor
        self.end_tick = 0
        self.loosened = False

    def part(self, name, channel, program, volume, pan=64, reverb=40, chorus=0):
        p = Part(name, channel, program, volume, pan, reverb, chorus)
        self.parts[name] = p
        self.order.append(name)
        return p

    def section(self, bars, progression, key, intensity):
        sec = Section(self.bar, bars, progression, key, intensity)
        self.sections.append(sec)
        self.bar += bars
        self.end_tick = max(self.end_tick, sec.end)
        return sec

    def tempo(self, tick, bpm):
        self.tempo_map = [t for t in self.tempo_map if t[0] != tick]
        self.tempo_map.append((tick, bpm))
        self.tempo_map.sort()

    def ritardando(self, start_tick, end_tick, bpm_from, bpm_to):
        """Slow down beat by beat."""
        beats = max(1, (end_tick - start_tick) // BEAT)
        for i in range(beats + 1):
            bpm = bpm_from + (bpm_to - bpm_from) * i / beats
            self.tempo(start_tick + i * BEAT, bpm)

    def seconds(self, tick=None):
        tick = self.end_tick if tick is None else tick
        total = 0.0
        points = [(t, self._uspq(b)) for t, b in self.tempo_map] + [(tick, 0)]
        for (t0, us), (t1, _) in zip(points, points[1:]):
            if t0 >= tick:
                break
            total += (min(t1, tick) - t0) * us / PPQ / 1e6
        return total

    @staticmethod
    def _uspq(bpm):
        return int(round(60000000 / bpm))

    def expression(self, part, points):
        """CC11 (expression) through (tick, value) points, one value per
        eighth note in between, so a phrase can swell and ease off."""
        p = self.parts[part]
        last = None
        for (t0, v0), (t1, v1) in zip(points, points[1:]):
            for t in range(t0, t1, BEAT // 2):
                v = int(round(v0 + (v1 - v0) * (t - t0) / (t1 - t0)))
                if v != last:
                    p.controls.append((t, 11, max(0, min(127, v))))
                    last = v
        t, v = points[-1]
        if v != last:
            p.controls.append((t, 11, v))

    def check_ranges(self):
        for name in self.order:
            p = self.parts[name]
            if p.channel == DRUM_CHANNEL or p.program not in PROGRAM_RANGE:
                continue
            lo, hi = PROGRAM_RANGE[p.program]
            bad = sorted({(n[2], n[0] // BAR + 1) for n in p.notes if not lo <= n[2] <= hi})
            if bad:
                raise ValueError("%s: %s plays outside %d-%d: (pitch, bar) %s" % (self.title, name, lo, hi, bad[:6]))

    def loosen(self):
        """A few ticks and velocity points of looseness, the same on every
        run: each part has its own fixed sequence of small deviations.  Notes
        on a bar line stay put (the band lands together on the one), the
        others may come a few ticks early or late; the note's end does not
        move."""
        for name in self.order:
            p = self.parts[name]
            seed = zlib.crc32(name.encode("ascii")) or 1
            drums = p.channel == DRUM_CHANNEL
            out = []
            for start, length, pitch, vel in sorted(p.notes):
                seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
                shift = 0 if start % BAR == 0 else (seed >> 8) % 9 - 4
                if drums:
                    shift //= 2
                dv = (seed >> 16) % 7 - 3
                if length - shift < STEP // 4:
                    shift = 0
                out.append((start + shift, length - shift, pitch, max(1, min(127, vel + dv))))
            p.notes = out

    def to_bytes(self):
        self.check_ranges()
        if not self.loosened:  # once: a second call must give the same bytes
            self.loosen()
            self.loosened = True
        tempo = [(t, self._uspq(b)) for t, b in self.tempo_map]
        parts = [self.parts[n] for n in self.order]
        return song_bytes(self.title, tempo, parts, self.end_tick, self.key_sharps, self.key_minor)


# ------------------------------------------------------------- the players


# Drum grids: one 16-step string per drum, X accent, x normal, o ghost.
_DRUM_WEIGHT = {"X": 1.0, "x": 0.78, "o": 0.45}

KICK, SNARE, SIDESTICK, CLAP, HAT, PEDAL_HAT, OPEN_HAT = 36, 38, 37, 39, 42, 44, 46
CRASH, RIDE, RIDE_BELL, TAMB, COWBELL, SHAKER, CHINA = 49, 51, 53, 54, 56, 70, 52
TOM_HI, TOM_MID, TOM_LOW, TOM_FLOOR = 50, 47, 45, 43

DRUM_STYLES = {
    "pulse": {KICK: "x.......x.......", SIDESTICK: "....o.......o...", HAT: "o.o.o.o.o.o.o.o."},
    "soft": {KICK: "x.......x..x....", SIDESTICK: "....x.......x...", HAT: "x.o.x.o.x.o.x.o.", SHAKER: "oooooooooooooooo"},
    "pop": {KICK: "X.....x.x.......", SNARE: "....X.......X...", HAT: "x.o.x.o.x.o.x.o.", TAMB: "....x.......x..."},
    "chug": {KICK: "X.......x.x.....", SNARE: "o.o.X.o.o.o.X.oo", HAT: "xoxoxoxoxoxoxoxo"},
    "halftime": {KICK: "X......x..x.....", SNARE: "........X.......", HAT: "x.x.x.x.x.x.x.x.", RIDE: "x...x...x...x..."},
    "tribal": {KICK: "X..x..x...x..x..", TOM_LOW: "..x...x...x...x.", TOM_FLOOR: "x.....x.x.....x.", SNARE: "....x.......x..."},
    "rock": {KICK: "X.....x.x.x.....", SNARE: "....X.......X...", HAT: "x.x.x.x.x.x.x.x.", OPEN_HAT: "..............x."},
    "ride": {KICK: "X.....x.x.x.....", SNARE: "....X.......X...", RIDE: "x.x.X.x.x.x.X.x.", PEDAL_HAT: "....x.......x..."},
    "drive": {KICK: "X.x.x.x.X.x.x.x.", SNARE: "....X.......X...", RIDE: "X.x.X.x.X.x.X.x.", CHINA: "..............x."},
    "double": {KICK: "XxxxXxxxXxxxXxxx", SNARE: "....X.......X...", CRASH: "x.......x.......", HAT: "..x...x...x...x."},
    "march": {KICK: "X.......X.......", SNARE: "x.oox.o.x.oox.oo", CRASH: "", HAT: ""},
}

# Fills: the groove gives way to these from the step where the fill starts
# (a beat, two or three before the next phrase), so a fill is as long as the
# room the melody leaves.
DRUM_FILLS = {
    "soft": {SIDESTICK: "....x...x.x.x...", TOM_MID: "......x.......x.", TOM_LOW: "...............x"},
    "snare": {SNARE: "....x.x.x.x.xxxx", KICK: "....x...x.......", CRASH: ""},
    "toms": {SNARE: "....x.x.xx......", TOM_HI: "......x...xx....", TOM_MID: "............xx..",
             TOM_LOW: "..............x.", TOM_FLOOR: "...............x"},
    "big": {SNARE: "....X.x.XxxxXx..", TOM_MID: "......x.......x.", TOM_FLOOR: "...............x",
            KICK: "....x...x...x..."},
    "kit": {SNARE: "....x..x..x.....", TOM_HI: "............x...", TOM_LOW: ".............x..",
            TOM_FLOOR: "..............xx", KICK: "....x.....x....."},
}

_CYMBALS = (HAT, RIDE, OPEN_HAT, CHINA, TAMB, SHAKER, RIDE_BELL, PEDAL_HAT)


def _grid_hits(grid):
    return [(i, _DRUM_WEIGHT[c]) for i, c in enumerate(grid) if c in _DRUM_WEIGHT]


def play_drums(song, part, sec, style, fills=None, crashes=(), bars=None, level_scale=1.0):
    """A groove over the section.  fills maps a bar to (fill name, first
    step): from that step the fill replaces the groove and the cymbals stop.
    crashes are the bars whose downbeat gets a crash (phrase starts)."""
    p = song.parts[part]
    pattern = DRUM_STYLES[style]
    fills = fills or {}
    for b, bar_tick in enumerate(sec.bar_ticks()):
        if bars is not None and b not in bars:
            continue
        level = sec.level(bar_tick) * level_scale
        grid = dict(pattern)
        fill_from = None
        if b in fills:
            name, fill_from = fills[b]
            for drum, g in DRUM_FILLS[name].items():
                grid[drum] = grid.get(drum, "").ljust(16, ".")[:fill_from] + g.ljust(16, ".")[fill_from:]
            for drum in _CYMBALS:
                if drum in grid:
                    grid[drum] = grid[drum][:fill_from] + "." * (16 - fill_from)
        if b in crashes:
            grid[CRASH] = "X" + grid.get(CRASH, "").ljust(16, ".")[1:]
            if HAT in grid:
                grid[HAT] = "." + grid[HAT][1:]
        for drum, g in grid.items():
            for step, weight in _grid_hits(g):
                tick = bar_tick + step * STEP
                # fills swell towards the next downbeat
                swell = 1.0 + (0.3 * (step - fill_from) / 16 if fill_from is not None and step >= fill_from else 0)
                v = velocity(level * weight * swell, metric_accent(tick) // 2, floor=28, ceiling=120)
                p.add(tick, STEP, drum, v)


def play_run(song, part, sec, start, end, target, step, level_scale=0.8, key=None):
    """A scale run filling [start, end) that arrives a step from target (a
    pitch) as the next phrase begins: rising and falling in turn, falling
    where a rising one would leave the instrument's range and the other
    way round."""
    p = song.parts[part]
    key = key or sec.key
    lo, hi = PROGRAM_RANGE.get(p.program, (0, 127))
    count = (end - start) // step
    if count < 2:
        return
    target = fold(target, lo + 12, hi)
    rising = (start // BAR) % 2 == 0
    for direction in ((1, -1) if rising else (-1, 1)):
        pitches = []
        q = target
        for _ in range(count):
            q = scale_step(key, q, -direction)
            pitches.append(q)
        if lo <= min(pitches) and max(pitches) <= hi:
            break
    else:
        return  # no room for it either way
    pitches.reverse()
    start = end - count * step
    for i, q in enumerate(pitches):
        t = start + i * step
        v = velocity(sec.level(t) * level_scale * (0.8 + 0.25 * i / count), metric_accent(t) // 2)
        p.add(t, int(step * 0.9), q, v)


def play_roll(song, part, sec, drum=SNARE, kick=True):
    """A build: the snare goes from quarters to eighths to sixteenths while
    it grows louder, ending on a crash at the next section's downbeat."""
    p = song.parts[part]
    n = sec.bars
    for b, bar_tick in enumerate(sec.bar_ticks()):
        frac = b / max(1, n - 1)
        step = BEAT if frac < 0.34 else (BEAT // 2 if frac < 0.67 else STEP)
        if b == n - 1:
            step = STEP
        for t in range(bar_tick, bar_tick + BAR, step):
            level = sec.level(t)
            p.add(t, STEP, drum, velocity(level * (0.55 + 0.45 * (t - sec.start) / (sec.end - sec.start)), 0, 25, 118))
        if kick:
            for t in range(bar_tick, bar_tick + BAR, BEAT):
                p.add(t, STEP, KICK, velocity(sec.level(t), 4, 30, 112))
    p.add(sec.end, BEAT, CRASH, 118)
    p.add(sec.end, STEP, KICK, 118)


def _grid_notes(grid, bar_tick):
    """Tokens of a 16-step grid with their lengths: '-' holds, '.' rests."""
    if len(grid) != 16:
        raise ValueError("a grid has 16 steps: %r" % grid)
    out = []
    for i, c in enumerate(grid):
        if c in "-.":
            continue
        j = i + 1
        while j < 16 and grid[j] == "-":
            j += 1
        out.append((bar_tick + i * STEP, (j - i) * STEP, c))
    return out


def pick_grid(figure, sec, b):
    """A figure is a list of one-bar grids played in turn, or a dict of
    them by the bar's place in the phrase: 'bars' in turn, 'turn' in the
    last bar of a phrase (leading into the next), 'end' in the section's
    last bar, 'two' in bars whose harmony changes in mid-bar, 'bars2' from
    the ninth bar on."""
    if isinstance(figure, (list, tuple)):
        return figure[b % len(figure)]
    if b == sec.bars - 1 and "end" in figure:
        return figure["end"]
    if b in sec.phrase_ends and "turn" in figure:
        return figure["turn"]
    if b >= 8 and "bars2" in figure:
        # the second statement: the part varies its figure the second time round
        bars = figure["bars2"]
        return bars[b % len(bars)]
    bar = sec.start + b * BAR
    if "two" in figure and any(bar < t < bar + BAR for t, _ in sec.changes):
        return figure["two"]
    bars = figure["bars"]
    return bars[b % len(bars)]


def scale_step(key, pitch, direction):
    """The next pitch of the key's scale above (1) or below (-1) pitch."""
    pcs = {(key.tonic + i) % 12 for i in key.scale}
    q = pitch + direction
    while q % 12 not in pcs:
        q += direction
    return q


def play_bass(song, part, sec, figure, low=28, gate=0.9, accent=0, level_scale=1.0):
    """Bass line from grids of tokens: R root, 3 5 7 chord tones above it,
    8 the root an octave up, A a step leading into the next chord's root
    (one that does not rub against the chord under it),
    u and d a scale step up or down from the previous bass note (passing
    notes).  Everything stays within two octaves above low."""
    p = song.parts[part]
    lo, hi = PROGRAM_RANGE.get(p.program, (0, 127))
    lo, hi = max(lo, low), min(hi, low + 23)
    prev = None
    for b, bar_tick in enumerate(sec.bar_ticks()):
        grid = pick_grid(figure, sec, b)
        for tick, length, tok in _grid_notes(grid, bar_tick):
            chord = sec.chord_at(tick)
            root = bass_pitch(chord.root, low)
            if tok == "R":
                pitch = root
            elif tok == "8":
                pitch = root + 12
            elif tok in "357":
                pitch = root + (chord.tone(tok) - chord.root) % 12
            elif tok == "A":
                # a semitone below the next root, unless that rubs against the
                # chord still sounding; then the scale step above or below it
                target = bass_pitch(sec.next_chord_after(tick).root, low)
                pitch = None
                for q in (target - 1, scale_step(sec.key, target, 1), scale_step(sec.key, target, -1)):
                    if all((q - pc) % 12 not in (1, 11) for pc in chord.pcs):
                        pitch = q
                        break
                if pitch is None:
                    pitch = root + (chord.tone("5") - chord.root) % 12
            elif tok in "ud":
                pitch = scale_step(sec.key, prev if prev is not None else root, 1 if tok == "u" else -1)
            else:
                raise ValueError(tok)
            pitch = fold(pitch, lo, hi)
            prev = pitch
            v = velocity(sec.level(tick) * level_scale, metric_accent(tick) + accent)
            p.add(tick, int(length * gate), pitch, v)


def play_pad(song, part, sec, low, high, count=4, restrike_every_bar=False, level_scale=0.8, gate=1.0,
             sus=False):
    """Sustained chords, voice-led from change to change.  With sus set, at
    every second change on a bar line (every one with sus="all") a voice that would step down into
    the new chord holds its old note over the bar line first, for one beat
    or for two (in turn): a suspension, prepared in the chord before and
    resolved by step."""
    p = song.parts[part]
    prev = None
    prev_idx = {}
    times = [t for t, _ in sec.changes] + [sec.end]
    bar_changes = 0
    for (t, chord), t_next in zip(sec.changes, times[1:]):
        voicing = voice_chord(chord, low, high, prev, count)
        held = {}
        if prev and t % BAR == 0:
            bar_changes += 1
            if sus and (sus == "all" or bar_changes % 2 == 0) and t_next - t >= 3 * BEAT:
                hold = BEAT if bar_changes % 4 == 2 else 2 * BEAT
                for j, (old, new) in enumerate(zip(prev, voicing)):
                    i = prev_idx.get(old)
                    if (old % 12 not in chord.pcs and 1 <= old - new <= 2 and i is not None
                            and i < len(p.notes) and p.notes[i][2] == old):
                        held[j] = hold
                        # the old chord's note is tied over, not struck again
                        s0, _, q, v0 = p.notes[i]
                        p.notes[i] = (s0, t + hold - s0, q, v0)
                        break
        prev = voicing
        prev_idx = {}
        segments = [(t, t_next)]
        if restrike_every_bar:
            segments = [(s, min(s + BAR, t_next)) for s in range(t, t_next, BAR)]
        for s, e in segments:
            v = velocity(sec.level(s) * level_scale, 0)
            for j, n in enumerate(voicing):
                start = s + held.get(j, 0) if s == t else s
                prev_idx[n] = len(p.notes)
                p.add(start, int(e - start - (e - s) * (1 - gate)) - 10, n, v)


def play_comp(song, part, sec, grids, low, high, count=3, gate=0.6, level_scale=1.0, power=False, room=(),
              sus=False):
    """Rhythmic chords from grids: C a chord, c a softer one, '-' holds.
    With power set, each chord is root, fifth and octave, as a guitar plays.
    Off the beat, no chord is struck where the melody strikes a note (room
    holds the melody's onsets): the comping answers the tune instead of
    doubling its rhythm.  With sus set, the first chord of a bar that
    brings a new harmony keeps a voice of the old chord a step above its
    place (a suspension), and the bar's next chord resolves it."""
    p = song.parts[part]
    lo, hi = PROGRAM_RANGE.get(p.program, (0, 127))
    prev = None
    for b, bar_tick in enumerate(sec.bar_ticks()):
        grid = pick_grid(grids, sec, b)
        hits = [h for h in _grid_notes(grid, bar_tick) if not (h[0] % BEAT and h[0] in room)]
        for k, (tick, length, tok) in enumerate(hits):
            chord = sec.chord_at(tick)
            if power:
                r = bass_pitch(chord.root, low)
                notes = [r, r + 7, r + 12]
            else:
                notes = voice_chord(chord, low, high, prev, count)
                struck = notes
                if (sus and prev and tick == bar_tick and k + 1 < len(hits)
                        and sec.chord_at(hits[k + 1][0]) is chord and sec.chord_at(tick - 1) is not chord):
                    for j, (old, new) in enumerate(zip(prev, notes)):
                        if old % 12 not in chord.pcs and 1 <= old - new <= 2:
                            struck = notes[:j] + [old] + notes[j + 1:]
                            break
                prev = notes
                notes = struck
            acc = metric_accent(tick) + (0 if tok == "C" else -14)
            v = velocity(sec.level(tick) * level_scale, acc)
            for n in notes:
                p.add(tick, max(STEP // 2, int(length * gate)), fold(n, lo, hi), v)


def play_arp(song, part, sec, grids, low, high, gate=0.85, level_scale=0.8, room=()):
    """Broken chords: digits index the chord's tones upward from the
    voicing's bottom (0 the lowest), continuing into higher octaves.  Like
    the comping, it leaves out off-beat notes where the melody strikes."""
    p = song.parts[part]
    prev = None
    for b, bar_tick in enumerate(sec.bar_ticks()):
        grid = pick_grid(grids, sec, b)
        for tick, length, tok in _grid_notes(grid, bar_tick):
            if tick % BEAT and tick in room:
                continue
            chord = sec.chord_at(tick)
            voicing = voice_chord(chord, low, high, prev, 3)
            prev = voicing
            idx = int(tok)
            octave, i = divmod(idx, len(voicing))
            pitch = fold(voicing[i] + 12 * octave, *PROGRAM_RANGE.get(p.program, (0, 127)))
            v = velocity(sec.level(tick) * level_scale, metric_accent(tick))
            p.add(tick, int(length * gate), pitch, v)


def _nearest_chord_tone(key, deg, chord, octave):
    for step in (-1, 1, -2, 2):
        q = key.pitch(deg + step) + 12 * octave
        if q % 12 in chord.pcs:
            return q, deg + step
    return None, deg


def realise_melody(sec, events, key, octave=0, fit=True, start_tick=None, suspend=False):
    """Scale-degree events to [start, length, pitch, degree] notes.

    Notes struck on a strong beat that clash with the chord move to the
    nearest chord tone, so one theme can live over several progressions.
    A note held into a new chord is checked against that chord too: if it
    was a chord tone where it began and steps down onto a tone of the new
    chord next, it is a suspension and stays; otherwise it is cut at the
    change and struck again on a tone of the new chord.  With suspend set,
    a line stepping down onto a new chord at a bar line is made into such a
    suspension on purpose: the old note is held a beat into the bar."""
    notes = []
    tick = sec.start if start_tick is None else start_tick
    for beats, deg, alter in events:
        length = int(round(beats * BEAT))
        if deg is not None and tick < sec.end:
            pitch = key.pitch(deg, alter) + 12 * octave
            chord = sec.chord_at(tick)
            strong = tick % (2 * BEAT) == 0 and length >= BEAT // 2
            # a long note a semitone off a chord tone is a clash, not a passing note
            rubs = length >= BEAT and any((pitch - pc) % 12 in (1, 11) for pc in chord.pcs)
            if fit and (strong or rubs) and pitch % 12 not in chord.pcs:
                q, d = _nearest_chord_tone(key, deg, chord, octave)
                if q is not None:
                    pitch, deg = q, d
            notes.append([tick, min(length, sec.end - tick), pitch, deg])
        tick += length

    def steps_down_onto(i, chord):
        if i + 1 >= len(notes):
            return False
        nxt = notes[i + 1]
        a = notes[i]
        return nxt[0] == a[0] + a[1] and 1 <= a[2] - nxt[2] <= 2 and nxt[2] % 12 in chord.pcs

    if suspend:
        for i in range(len(notes) - 1):
            a, b = notes[i], notes[i + 1]
            if b[0] % BAR or b[0] != a[0] + a[1] or b[1] < BEAT * 3 // 2:
                continue
            old, new = sec.chord_at(a[0]), sec.chord_at(b[0])
            if (a[2] % 12 in old.pcs and a[2] % 12 not in new.pcs and 1 <= a[2] - b[2] <= 2
                    and b[2] % 12 in new.pcs and sec.chord_at(b[0] - 1) is old):
                delay = BEAT if b[1] >= 2 * BEAT else BEAT // 2
                a[1] += delay
                b[0] += delay
                b[1] -= delay

    out = []
    for i, n in enumerate(notes):
        start, length, pitch, deg = n
        pieces = [n]
        for ct, chord in sec.changes:
            if not start < ct < start + length or pitch % 12 in chord.pcs:
                continue
            prepared = pitch % 12 in sec.chord_at(start).pcs
            if prepared and steps_down_onto(i, chord) and start + length - ct <= 2 * BEAT:
                break  # a suspension, resolved by the next note
            n[1] = ct - start
            if start + length - ct >= BEAT // 2:
                q, _ = _nearest_chord_tone(key, deg, chord, octave)
                if q is not None:
                    pieces.append([ct, start + length - ct, q, deg])
            break
        out += pieces
    return [tuple(x) for x in out]


def play_melody(song, part, sec, events, start_tick=None, octave=0, fit=True, gate=0.92,
                level_scale=1.0, legato=False, key=None, double=None, suspend=False):
    """Realise scale-degree events from start_tick (see realise_melody),
    folded by octaves into the instrument's range.  Louder on high notes,
    the way a phrase's peak is played.  double adds a second line a number
    of scale steps below (a third is -2).  Returns the notes as
    (start, length, pitch), lengths before articulation."""
    p = song.parts[part]
    key = key or sec.key
    notes = realise_melody(sec, events, key, octave, fit, start_tick, suspend)
    lo, hi = PROGRAM_RANGE.get(p.program, (0, 127))
    if notes:
        # move the whole line by octaves rather than break its contour
        shift = 0
        top, bottom = max(n[2] for n in notes), min(n[2] for n in notes)
        while top + shift > hi and bottom + shift - 12 >= lo:
            shift -= 12
        while bottom + shift < lo and top + shift + 12 <= hi:
            shift += 12
        notes = [(t, L, fold(q + shift, lo, hi), d) for t, L, q, d in notes]
    for tick, length, pitch, deg in notes:
        chord = sec.chord_at(tick)
        contour = (pitch - key.tonic - 12 * octave - 5) * 0.6
        v = velocity(sec.level(tick) * level_scale, metric_accent(tick) // 2 + contour)
        dur = length if legato else int(length * gate)
        p.add(tick, dur, pitch, v)
        if double is not None:
            # the harmony line takes the chord tone below when the melody
            # sits on one, else a third or so below
            below = [pitch - i for i in range(3, 10) if (pitch - i) % 12 in chord.pcs]
            q = below[0] if below else key.pitch(deg + double) + 12 * octave + (pitch - key.pitch(deg) - 12 * octave)
            p.add(tick, dur, fold(q, lo, hi), v - 8)
    return [n[:3] for n in notes]


def play_counterline(song, part, sec, low, high, level_scale=0.6, hold=BEAT):
    """A slow inner line built from suspensions: at each change of chord
    the line keeps its note if the new chord has it, and if not, holds it
    over (it was a tone of the chord before: prepared) when a tone of the
    new chord lies a step below, resolving down onto it after hold ticks;
    otherwise it moves to the nearest tone of the new chord.  Halfway
    through a long chord it climbs to the next chord tone above, so the
    next change can suspend again."""
    p = song.parts[part]
    chord0 = sec.changes[0][1]
    cur = min((q for q in range(low, high + 1) if q % 12 in chord0.pcs), key=lambda q: abs(q - (low + high) // 2))
    times = [t for t, _ in sec.changes] + [sec.end]
    notes = []  # [start, end, pitch]
    for (t, chord), t_next in zip(sec.changes, times[1:]):
        below = [q for q in (cur - 1, cur - 2) if q % 12 in chord.pcs and q >= low]
        if cur % 12 in chord.pcs and notes:
            if t_next - notes[-1][0] <= 2 * BAR:
                notes[-1][1] = t_next  # a common tone is simply held
            else:
                notes.append([t, t_next, cur])  # or struck again after two bars
            start = t
        elif below and notes and t_next - t > hold and t + hold - notes[-1][0] <= 2 * BAR:
            notes[-1][1] = t + hold
            cur = below[0]
            notes.append([t + hold, t_next, cur])
            start = t + hold
        else:
            cur = min((q for q in range(low, high + 1) if q % 12 in chord.pcs), key=lambda q: (abs(q - cur), q))
            notes.append([t, t_next, cur])
            start = t
        if t_next - start >= 2 * BEAT + hold:
            mid = start + (t_next - start) // 2 // BEAT * BEAT
            up = [q for q in range(cur + 1, cur + 6) if q % 12 in chord.pcs and q <= high]
            if up and mid > start:
                notes[-1][1] = mid
                cur = up[0]
                notes.append([mid, t_next, cur])
    for start, end, q in notes:
        p.add(start, end - start - 20, q, velocity(sec.level(start) * level_scale, metric_accent(start) // 2))


def play_final_chord(song, sec, voices, bars=2):
    """Everyone lands on the tonic chord at the section's end and holds.
    voices: (part, low, high, count, level) tuples."""
    chord = sec.changes[-1][1]
    for part, low, high, count, level in voices:
        p = song.parts[part]
        notes = voice_chord(chord, low, high, None, count) if count > 1 else [bass_pitch(chord.root, low)]
        for n in notes:
            p.add(sec.end - bars * BAR, bars * BAR - BEAT // 2, n, velocity(level))
