"""Arranges a piece section by section from a description of its form.

A piece names its instruments by role (lead, pad, bass, drums, ...), gives
its themes and progressions, and lists its sections.  Each section says
which roles play and how: which theme the lead plays and how it is varied
on each pass, which drum groove, which bass and comping figures, how its
bars group into phrases, where roles enter or drop out, whether the band
stops before the next section, and whether it is the ending.

The melody is placed first; the rest of the band is arranged around it:
the comping and broken chords leave out off-beat strokes where the tune
strikes, and where a phrase ends and the tune holds or rests, the drums
and a fill instrument play into the next phrase.
"""

import mus_engine as E

TRANSFORMS = {
    "orn": E.ornament,
    "dot": E.dotted,
    "push": E.anticipate,
    "retro": E.retrograde,
    "aug": lambda ev: E.augment(ev, 2.0),
}


def _apply(events, ops, endings=None):
    for op in ops:
        if op.startswith("inv"):
            # invert around the theme's first note, which keeps the line in register
            axis = next(g for _, g, _ in events if g is not None)
            events = E.invert(events, axis)
        elif op.startswith("+") or op.startswith("-"):
            events = E.transpose(events, int(op))
        elif op == "close":
            # the statement's closing bars: the theme's own cadence onto the tonic
            tail = endings["close"]
            events = E.fit_length(events, E.length_beats(events) - E.length_beats(tail)) + tail
        else:
            events = TRANSFORMS[op](events)
    return events


def sequence_up(motif, bars, step=1):
    """A build-up figure: the motif's opening bar, climbing a scale step
    each bar.  It starts below the theme's own register so that the climb
    ends a few steps above it, not an octave out of the instrument's range."""
    cell = E.fit_length(motif, 4.0)
    out = []
    for b in range(bars):
        out += E.transpose(cell, (b - bars // 2 + 1) * step)
    return out


def theme_passes(theme, bars, passes, endings=None):
    """Fill the section with the 8-bar theme, one entry of passes (a list of
    transform names) per repetition; the last entry repeats if needed."""
    out = []
    beats_left = bars * 4.0
    i = 0
    while beats_left > 0:
        ops = passes[min(i, len(passes) - 1)]
        ev = _apply(list(theme), ops, endings)
        take = E.fit_length(ev, min(beats_left, E.length_beats(ev)))
        out += take
        beats_left -= E.length_beats(take)
        i += 1
    return out


def _progression(piece, names):
    if isinstance(names, str):
        names = [names]
    out = []
    for n in names:
        out += piece["progressions"][n]
    return out


def build(piece):
    song = E.Song(piece["title"], piece["bpm"], *piece.get("key_sig", (0, False)))
    for line in piece["parts"]:
        name, channel, program, volume = line[:4]
        # one gain for the whole piece keeps the six equally loud
        volume = max(1, min(127, int(round(volume * 10 ** (piece.get("gain_db", 0.0) / 40)))))
        song.part(name, channel, program, volume, *line[4:])
    roles = piece["roles"]
    tonic, mode = piece["key"]
    for section_def in piece["sections"]:
        s = dict(piece.get("defaults", {}))
        s.update(section_def)
        key = E.Key(tonic + s.get("shift", 0), s.get("mode", mode))
        sec = song.section(s["bars"], _progression(piece, s["prog"]), key, s["inten"])
        _phrases(sec, s)
        _play_section(song, piece, roles, sec, s)
    return song


def _phrases(sec, s):
    """Bars that end a phrase: the section's own grouping if it gives one
    (phrases=(4, 6, 6)), else statements of eight bars with their halves."""
    lengths = s.get("phrases")
    if lengths is None:
        lengths = [min(4, sec.bars - b) for b in range(0, sec.bars, 4)]
    if sum(lengths) != sec.bars:
        raise ValueError("phrases %s do not fill %d bars" % (lengths, sec.bars))
    b = 0
    sec.phrase_starts = []
    for n in lengths:
        sec.phrase_starts.append(b)
        b += n
        sec.phrase_ends.add(b - 1)


def _role_part(roles, name):
    return roles[name] if name in roles else name


class _Windows:
    """Plays each role and then silences it where the section says it rests:
    enter={'bass': 4} keeps the bass out of the first four bars,
    tacet={'pad': (8, 12)} rests it in bars 8 to 11."""

    def __init__(self, song, sec, s, roles):
        self.song, self.sec, self.s, self.roles = song, sec, s, roles

    def play(self, role, player, *args, **kw):
        part = self.song.parts[_role_part(self.roles, role)]
        since = len(part.notes)
        player(*args, **kw)
        rests = []
        if role in self.s.get("enter", {}):
            rests.append((0, self.s["enter"][role]))
        if role in self.s.get("tacet", {}):
            rests.append(self.s["tacet"][role])
        for b0, b1 in rests:
            part.clear(self.sec.start + b0 * E.BAR, self.sec.start + b1 * E.BAR, since)
        return since


def _play_section(song, piece, roles, sec, s):
    ranges = piece["ranges"]
    themes = piece["themes"]
    w = _Windows(song, sec, s, roles)

    # the tune first: everyone else plays around it
    melody = []
    for layer in ("lead", "lead2", "counter"):
        voice = s.get(layer)
        if not voice:
            continue
        part, theme_name, passes = voice[:3]
        opts = voice[3] if len(voice) > 3 else {}
        theme = themes[theme_name]
        if opts.get("sequence"):
            ev = sequence_up(theme, sec.bars, opts.get("step", 1))
        else:
            ev = theme_passes(theme, sec.bars, passes, piece.get("endings", {}).get(theme_name))
        if opts.get("delay"):
            ev = [(opts["delay"], None, 0)] + E.fit_length(ev, sec.bars * 4.0 - opts["delay"])
        notes = []
        w.play(layer, lambda: notes.extend(E.play_melody(
            song, _role_part(roles, part), sec, ev, octave=opts.get("octave", 0),
            level_scale=opts.get("level", 1.0), legato=opts.get("legato", False),
            double=opts.get("double"), suspend=opts.get("suspend", False))))
        melody += notes
    room = {t for t, _, _ in melody}
    gaps = _phrase_gaps(sec, melody)

    for role, count in (("pad", 4), ("pad2", 3)):
        how = s.get(role)
        if not how:
            continue
        lo, hi = ranges[role]
        if how is True:
            w.play(role, E.play_pad, song, roles[role], sec, lo, hi, count=count,
                   level_scale=s.get("pad_level", 0.75), sus=s.get("sus", False))
        else:
            # a named figure: the sustained part re-strikes its chords in a rhythm
            w.play(role, E.play_comp, song, roles[role], sec, piece["comp"][how], lo, hi, count=count,
                   gate=0.95, level_scale=s.get("pad_level", 0.75) * 0.9, sus=s.get("sus", False))
    if s.get("bass"):
        w.play("bass", E.play_bass, song, roles["bass"], sec, piece["bass"][s["bass"]], low=ranges["bass"][0],
               gate=s.get("bass_gate", 0.9))
    if s.get("comp"):
        lo, hi = ranges["comp"]
        if s["comp"] == "lock":
            # the riff in unison: the guitar takes the bass line's rhythm
            bass = piece["bass"][s["bass"]]
            figure = ["".join("C" if c not in "-." else c for c in E.pick_grid(bass, sec, b))
                      for b in range(sec.bars)]
        else:
            figure = piece["comp"][s["comp"]]
        w.play("comp", E.play_comp, song, roles["comp"], sec, figure, lo, hi,
               count=s.get("comp_count", 3), gate=s.get("comp_gate", 0.6),
               level_scale=s.get("comp_level", 0.85), power=s.get("power", False), room=room,
               sus=s.get("sus", False))
    if s.get("arp"):
        lo, hi = ranges["arp"]
        w.play("arp", E.play_arp, song, roles["arp"], sec, piece["arp"][s["arp"]], lo, hi,
               level_scale=s.get("arp_level", 0.7), room=room)
    if s.get("inner"):
        # a slow line of suspensions in an instrument the section leaves free
        role = s["inner"]
        lo, hi = ranges.get(role, (55, 72))
        w.play(role, E.play_counterline, song, _role_part(roles, role), sec, lo, hi,
               level_scale=s.get("inner_level", 0.55))
    if s.get("runs"):
        _runs(song, roles, sec, s, gaps, melody)
    if s.get("drums"):
        fills, crashes = _drum_plan(sec, s, gaps)
        w.play("drums", E.play_drums, song, roles["drums"], sec, s["drums"], fills=fills, crashes=crashes,
               bars=s.get("drum_bars"), level_scale=s.get("drum_level", 1.0))
    if s.get("roll"):
        E.play_roll(song, roles["drums"], sec)
    if s.get("timpani"):
        w.play("timpani", _timpani, song, roles["timpani"], sec, s["timpani"])
    if s.get("final"):
        _ending(song, piece, roles, sec, s)
    if s.get("stop"):
        # the band stops dead before the next section; only the drums go on
        t = sec.end - int(s["stop"] * E.BEAT)
        for name in song.order:
            if song.parts[name].channel != E.DRUM_CHANNEL:
                song.parts[name].clear(t, sec.end)
    _expression(song, sec, s)


def _phrase_gaps(sec, melody):
    """For each phrase-ending bar, the tick from which the tune leaves room
    (it rests, or has held its last note for a beat), rounded up to a beat;
    None where it is busy to the bar's end.  With no tune in the section
    the last two beats are free."""
    gaps = {}
    for b in sorted(sec.phrase_ends):
        bar = sec.start + b * E.BAR
        end = bar + E.BAR
        if not melody:
            gaps[b] = bar + 2 * E.BEAT
            continue
        sounding = [(t, L) for t, L, _ in melody if t < end and t + L > bar]
        free = bar
        for t, L in sounding:
            free = max(free, min(t + L, t + E.BEAT) if t + L < end else t + E.BEAT)
        free = -(-free // E.BEAT) * E.BEAT
        gaps[b] = free if end - free >= E.BEAT else None
    return gaps


def _drum_plan(sec, s, gaps):
    """Fills where phrases end, as long as the room the tune leaves there
    (at most three beats); a crash where the next statement of eight bars
    begins after a fill of two beats or more.  The section's last phrase gets the
    section's own fill, a short one the second fill name."""
    names = s.get("fill_names", ("toms", "soft"))
    fills = {}
    crashes = set()
    last = max(sec.phrase_ends)
    for i, b in enumerate(sorted(sec.phrase_ends)):
        free = gaps.get(b)
        if s.get("fill") is False:
            break
        if b == last and s.get("fill") and free is None:
            free = sec.start + b * E.BAR + 3 * E.BEAT
        if free is None:
            continue
        step = max(4, (free - sec.start - b * E.BAR) // E.STEP)
        if b == last and s.get("fill"):
            name = s["fill"]
        else:
            name = names[0] if step <= 8 else names[1]
        fills[b] = (name, step)
        # a crash marks the start of a new statement, not of every phrase
        if b + 1 < sec.bars and step <= 8 and (b + 1) % 8 == 0:
            crashes.add(b + 1)
    if s.get("first_crash", True):
        crashes.add(0)
    return fills, crashes


def _runs(song, roles, sec, s, gaps, melody):
    """The fill instrument's answer where the tune pauses: a scale run
    that lands on the next phrase's first note (or the next chord's root).
    Its own figure makes room for it."""
    role = s["runs"]
    part = _role_part(roles, role)
    step = {"8": E.BEAT // 2, "16": E.STEP, "3": E.BEAT // 3}[s.get("run_step", "8")]
    for b, free in gaps.items():
        if free is None:
            continue
        end = sec.start + (b + 1) * E.BAR
        nxt = [q for t, _, q in sorted(melody) if t >= end]
        target = nxt[0] if nxt else 60 + (sec.next_chord_after(end - 1).root - 60) % 12
        free = max(free, end - 2 * E.BEAT)  # a run of two beats at most
        song.parts[part].clear(free, end)
        E.play_run(song, part, sec, free, end, target, step, level_scale=s.get("run_level", 0.75))


def _expression(song, sec, s):
    """Expression (CC11) for every pitched part: the section's level sets
    the base, and each phrase swells towards its last third and eases off
    into its cadence."""
    swell = s.get("swell", 10)
    starts = sec.phrase_starts + [sec.bars]
    for name in song.order:
        p = song.parts[name]
        if p.channel == E.DRUM_CHANNEL:
            continue
        points = []
        for b0, b1 in zip(starts, starts[1:]):
            t0, t1 = sec.start + b0 * E.BAR, sec.start + b1 * E.BAR
            peak = t0 + (t1 - t0) * 2 // 3
            points += [(t0, _expr(sec.level(t0))), (peak, _expr(sec.level(peak)) + swell),
                       (t1 - E.BEAT, _expr(sec.level(t1 - E.BEAT)))]
        song.expression(name, points)


def _expr(level):
    return int(round(127 * (0.5 + 0.45 * level)))


_TIMPANI_ANSWERS = [(), ((2.5, 0),), ((2, 1),), ((1.5, 0), (3, 1)), ((3, 0), (3.5, 1)), ((2, 0), (2.5, 1))]


def _timpani(song, part, sec, pattern):
    """Timpani on the root: 'downbeats' on every bar's first beat, 'phrase'
    at every phrase's start and a swelling roll into the next section,
    'roll' only the roll."""
    p = song.parts[part]
    for b, t in enumerate(sec.bar_ticks()):
        chord = sec.chord_at(t)
        pitch = E.bass_pitch(chord.root, 40)
        if pattern == "downbeats" or (pattern == "phrase" and b in sec.phrase_starts):
            p.add(t, E.BEAT, pitch, E.velocity(sec.level(t), 8))
        if pattern == "downbeats":
            # answers inside the bar, by its place in the phrase
            k = b - max(x for x in sec.phrase_starts if x <= b)
            fifth = E.fold(pitch + 7, 36, 57)
            for beat, q in _TIMPANI_ANSWERS[k % len(_TIMPANI_ANSWERS)]:
                p.add(t + int(beat * E.BEAT), E.BEAT // 2, fifth if q else pitch,
                      E.velocity(sec.level(t) * 0.8, 0))
    if pattern in ("phrase", "roll"):
        b = sec.bars - 1
        last = sec.start + b * E.BAR + 2 * E.BEAT
        pitch = E.bass_pitch(sec.chord_at(last).root, 40)
        for i, t in enumerate(range(last, last + 2 * E.BEAT, E.STEP)):
            p.add(t, E.STEP, pitch, E.velocity(sec.level(t) * (0.4 + 0.6 * i / 8)))


def _ending(song, piece, roles, sec, s):
    """The closing section is two bars long: the two bars before it slow
    down, then everybody lands on its chord with a crash and holds."""
    bpm = piece["bpm"]
    song.ritardando(sec.start - 2 * E.BAR, sec.start, bpm, bpm * 0.8)
    ranges = piece["ranges"]
    voices = []
    for role, count, level in piece["final_voices"]:
        lo, hi = ranges.get(role, (55, 79))  # a middle register suits any melody instrument
        voices.append((roles[role], lo, hi, count, level))
    E.play_final_chord(song, sec, voices, bars=2)
    p = song.parts[roles["drums"]]
    t = sec.end - 2 * E.BAR
    p.add(t, E.BEAT, E.CRASH, 110)
    p.add(t, E.BEAT, E.KICK, 110)
    if "timpani" in roles:
        pitch = E.bass_pitch(sec.changes[-1][1].root, 40)
        tp = song.parts[roles["timpani"]]
        for i, tt in enumerate(range(t, t + 2 * E.BAR - E.BEAT, E.STEP)):
            tp.add(tt, E.STEP, pitch, max(30, 100 - i * 2))
