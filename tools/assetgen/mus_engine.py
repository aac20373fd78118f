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

    def to_bytes(self):
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

# Second halves of fill bars: the groove keeps its first two beats.
DRUM_FILLS = {
    "soft": {SIDESTICK: "........x.x.x...", TOM_MID: "..............x.", TOM_LOW: "...............x"},
    "snare": {SNARE: "........x.x.xxxx", KICK: "........x.......", CRASH: ""},
    "toms": {SNARE: "........xx......", TOM_HI: "..........xx....", TOM_MID: "............xx..", TOM_LOW: "..............x.", TOM_FLOOR: "...............x"},
    "big": {SNARE: "........XxxxXx..", TOM_MID: "..............x.", TOM_FLOOR: "...............x", KICK: "........x...x..."},
}


def _grid_hits(grid):
    return [(i, _DRUM_WEIGHT[c]) for i, c in enumerate(grid) if c in _DRUM_WEIGHT]


def play_drums(song, part, sec, style, fill="toms", fill_every=8, crash_every=8,
               first_crash=True, bars=None, level_scale=1.0):
    """A groove over the section, a fill in the last bar of every phrase
    and a crash on every phrase's downbeat."""
    p = song.parts[part]
    pattern = DRUM_STYLES[style]
    for b, bar_tick in enumerate(sec.bar_ticks()):
        if bars is not None and b not in bars:
            continue
        level = sec.level(bar_tick) * level_scale
        grid = dict(pattern)
        if fill and fill_every and (b + 1) % fill_every == 0:
            for drum, g in DRUM_FILLS[fill].items():
                grid[drum] = grid.get(drum, ".").ljust(16, ".")[:8] + g.ljust(16, ".")[8:]
            for drum in (HAT, RIDE, OPEN_HAT, CHINA, TAMB, SHAKER):
                if drum in grid:
                    grid[drum] = grid[drum][:8] + "." * 8
        if crash_every and b % crash_every == 0 and (b > 0 or first_crash):
            grid[CRASH] = "X" + grid.get(CRASH, "").ljust(16, ".")[1:]
            if HAT in grid:
                grid[HAT] = "." + grid[HAT][1:]
        for drum, g in grid.items():
            for step, weight in _grid_hits(g):
                tick = bar_tick + step * STEP
                # fills swell towards the next downbeat
                swell = 1.0 + (0.25 * step / 16 if (b + 1) % max(1, fill_every or 99) == 0 else 0)
                v = velocity(level * weight * swell, metric_accent(tick) // 2, floor=28, ceiling=120)
                p.add(tick, STEP, drum, v)


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
    out = []
    for i, c in enumerate(grid):
        if c in "-.":
            continue
        j = i + 1
        while j < 16 and grid[j] == "-":
            j += 1
        out.append((bar_tick + i * STEP, (j - i) * STEP, c))
    return out


def play_bass(song, part, sec, grids, low=28, gate=0.9, accent=0, level_scale=1.0):
    """Bass line from grids of chord-tone tokens: R root, 3 5 7 chord tones,
    8 the root an octave up, A a step leading into the next chord's root.
    grids is one grid per bar, cycled."""
    p = song.parts[part]
    for b, bar_tick in enumerate(sec.bar_ticks()):
        grid = grids[b % len(grids)]
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
                target = bass_pitch(sec.next_chord_after(tick).root, low)
                pitch = target - 1 if target > root else target + 2
                if pitch < low:
                    pitch += 12
            else:
                raise ValueError(tok)
            v = velocity(sec.level(tick) * level_scale, metric_accent(tick) + accent)
            p.add(tick, int(length * gate), pitch, v)


def play_pad(song, part, sec, low, high, count=4, restrike_every_bar=False, level_scale=0.8, gate=1.0):
    """Sustained chords, voice-led from change to change."""
    p = song.parts[part]
    prev = None
    times = [t for t, _ in sec.changes] + [sec.end]
    for (t, chord), t_next in zip(sec.changes, times[1:]):
        voicing = voice_chord(chord, low, high, prev, count)
        prev = voicing
        segments = [(t, t_next)]
        if restrike_every_bar:
            segments = [(s, min(s + BAR, t_next)) for s in range(t, t_next, BAR)]
        for s, e in segments:
            v = velocity(sec.level(s) * level_scale, 0)
            for n in voicing:
                p.add(s, int((e - s) * gate) - 10, n, v)


def play_comp(song, part, sec, grids, low, high, count=3, gate=0.6, level_scale=1.0, power=False):
    """Rhythmic chords from grids: C a chord, c a softer one, '-' holds.
    With power set, each chord is root, fifth and octave, as a guitar plays."""
    p = song.parts[part]
    prev = None
    for b, bar_tick in enumerate(sec.bar_ticks()):
        grid = grids[b % len(grids)]
        for tick, length, tok in _grid_notes(grid, bar_tick):
            chord = sec.chord_at(tick)
            if power:
                r = bass_pitch(chord.root, low)
                notes = [r, r + 7, r + 12]
            else:
                notes = voice_chord(chord, low, high, prev, count)
                prev = notes
            acc = metric_accent(tick) + (0 if tok == "C" else -14)
            v = velocity(sec.level(tick) * level_scale, acc)
            for n in notes:
                p.add(tick, max(STEP // 2, int(length * gate)), n, v)


def play_arp(song, part, sec, grids, low, high, gate=0.85, level_scale=0.8):
    """Broken chords: digits index the chord's tones upward from the
    voicing's bottom (0 the lowest), continuing into higher octaves."""
    p = song.parts[part]
    prev = None
    for b, bar_tick in enumerate(sec.bar_ticks()):
        grid = grids[b % len(grids)]
        for tick, length, tok in _grid_notes(grid, bar_tick):
            chord = sec.chord_at(tick)
            voicing = voice_chord(chord, low, high, prev, 3)
            prev = voicing
            idx = int(tok)
            octave, i = divmod(idx, len(voicing))
            pitch = voicing[i] + 12 * octave
            v = velocity(sec.level(tick) * level_scale, metric_accent(tick))
            p.add(tick, int(length * gate), pitch, v)


def play_melody(song, part, sec, events, start_tick=None, octave=0, fit=True, gate=0.92,
                level_scale=1.0, legato=False, key=None, double=None):
    """Realise scale-degree events from start_tick.  Notes struck on a
    strong beat that clash with the chord move to the nearest chord tone,
    so one theme can live over several progressions.  Louder on high
    notes, the way a phrase's peak is played.  double adds a second line a
    number of scale steps below (a third is -2)."""
    p = song.parts[part]
    key = key or sec.key
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
                for step in (-1, 1, -2, 2):
                    q = key.pitch(deg + step) + 12 * octave
                    if q % 12 in chord.pcs:
                        pitch = q
                        deg = deg + step
                        break
            contour = (pitch - key.tonic - 12 * octave - 5) * 0.6
            v = velocity(sec.level(tick) * level_scale, metric_accent(tick) // 2 + contour)
            dur = min(length if legato else int(length * gate), sec.end - tick)
            p.add(tick, dur, pitch, v)
            if double is not None:
                # the harmony line takes the chord tone below when the melody
                # sits on one, else the scale step the caller asked for
                q = key.pitch(deg + double) + 12 * octave
                if pitch % 12 in chord.pcs:
                    below = [pitch - i for i in range(3, 10) if (pitch - i) % 12 in chord.pcs]
                    q = below[0] if below else q
                p.add(tick, dur, q, v - 8)
        tick += length
    return tick


def play_final_chord(song, sec, voices, bars=2):
    """Everyone lands on the tonic chord at the section's end and holds.
    voices: (part, low, high, count, level) tuples."""
    chord = sec.changes[-1][1]
    for part, low, high, count, level in voices:
        p = song.parts[part]
        notes = voice_chord(chord, low, high, None, count) if count > 1 else [bass_pitch(chord.root, low)]
        for n in notes:
            p.add(sec.end - bars * BAR, bars * BAR - BEAT // 2, n, velocity(level))
