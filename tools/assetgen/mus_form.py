"""Arranges a piece section by section from a description of its form.

A piece names its instruments by role (lead, pad, bass, drums, ...), gives
its themes and progressions, and lists its sections.  Each section says
which roles play and how: which theme the lead plays and how it is varied
on each pass, which drum groove, which bass and comping figures, whether
it builds up to the next section, and whether it is the ending.
"""

import mus_engine as E

TRANSFORMS = {
    "orn": E.ornament,
    "dot": E.dotted,
    "retro": E.retrograde,
    "aug": lambda ev: E.augment(ev, 2.0),
}


def _apply(events, ops):
    for op in ops:
        if op.startswith("inv"):
            # invert around the theme's first note, which keeps the line in register
            axis = next(g for _, g, _ in events if g is not None)
            events = E.invert(events, axis)
        elif op.startswith("+") or op.startswith("-"):
            events = E.transpose(events, int(op))
        else:
            events = TRANSFORMS[op](events)
    return events


def sequence_up(motif, bars, step=1):
    """The build-up figure: the motif's opening bar, climbing a scale step
    each bar.  It starts below the theme's own register so that the climb
    ends a few steps above it, not an octave out of the instrument's range."""
    cell = E.fit_length(motif, 4.0)
    out = []
    for b in range(bars):
        out += E.transpose(cell, (b - bars // 2 + 1) * step)
    return out


def theme_passes(theme, bars, passes):
    """Fill the section with the 8-bar theme, one entry of passes (a list of
    transform names) per repetition; the last entry repeats if needed."""
    out = []
    beats_left = bars * 4.0
    i = 0
    while beats_left > 0:
        ops = passes[min(i, len(passes) - 1)]
        ev = _apply(list(theme), ops)
        take = E.fit_length(ev, min(beats_left, E.length_beats(ev)))
        out += take
        beats_left -= E.length_beats(take)
        i += 1
    return out


def build(piece):
    song = E.Song(piece["title"], piece["bpm"], *piece.get("key_sig", (0, False)))
    for line in piece["parts"]:
        song.part(*line)
    roles = piece["roles"]
    tonic, mode = piece["key"]
    themes = piece["themes"]
    for section_def in piece["sections"]:
        s = dict(piece.get("defaults", {}))
        s.update(section_def)
        key = E.Key(tonic + s.get("shift", 0), s.get("mode", mode))
        prog = piece["progressions"][s["prog"]]
        sec = song.section(s["bars"], prog, key, s["inten"])
        _play_section(song, piece, roles, themes, sec, s)
    return song


def _play_section(song, piece, roles, themes, sec, s):
    ranges = piece["ranges"]
    if s.get("pad"):
        lo, hi = ranges["pad"]
        E.play_pad(song, roles["pad"], sec, lo, hi, count=4, level_scale=s.get("pad_level", 0.75))
    if s.get("pad2"):
        lo, hi = ranges["pad2"]
        E.play_pad(song, roles["pad2"], sec, lo, hi, count=3, level_scale=s.get("pad_level", 0.75))
    if s.get("bass"):
        E.play_bass(song, roles["bass"], sec, piece["bass"][s["bass"]], low=ranges["bass"][0],
                    gate=s.get("bass_gate", 0.9))
    if s.get("comp"):
        lo, hi = ranges["comp"]
        E.play_comp(song, roles["comp"], sec, piece["comp"][s["comp"]], lo, hi,
                    count=s.get("comp_count", 3), gate=s.get("comp_gate", 0.6),
                    level_scale=s.get("comp_level", 0.85), power=s.get("power", False))
    if s.get("arp"):
        lo, hi = ranges["arp"]
        E.play_arp(song, roles["arp"], sec, piece["arp"][s["arp"]], lo, hi,
                   level_scale=s.get("arp_level", 0.7))
    if s.get("drums"):
        E.play_drums(song, roles["drums"], sec, s["drums"], fill=s.get("fill", "toms"),
                     fill_every=s.get("fill_every", 8), crash_every=s.get("crash_every", 8),
                     first_crash=s.get("first_crash", True), bars=s.get("drum_bars"),
                     level_scale=s.get("drum_level", 1.0))
    if s.get("roll"):
        E.play_roll(song, roles["drums"], sec)
    if s.get("timpani"):
        _timpani(song, roles["timpani"], sec, s["timpani"])
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
            ev = theme_passes(theme, sec.bars, passes)
        if opts.get("delay"):
            ev = [(opts["delay"], None, 0)] + E.fit_length(ev, sec.bars * 4.0 - opts["delay"])
        E.play_melody(song, roles[part] if part in roles else part, sec, ev,
                      octave=opts.get("octave", 0), level_scale=opts.get("level", 1.0),
                      legato=opts.get("legato", False), double=opts.get("double"))
    if s.get("final"):
        _ending(song, piece, roles, sec, s)


def _timpani(song, part, sec, pattern):
    """Timpani on the root: 'downbeats' on every bar's first beat, 'phrase'
    on every fourth bar, 'roll' a swelling roll through the last bar."""
    p = song.parts[part]
    for b, t in enumerate(sec.bar_ticks()):
        chord = sec.chord_at(t)
        pitch = E.bass_pitch(chord.root, 40)
        if pattern == "downbeats" or (pattern == "phrase" and b % 4 == 0):
            p.add(t, E.BEAT, pitch, E.velocity(sec.level(t), 8))
    if pattern in ("roll", "phrase"):
        last = sec.end - E.BAR
        pitch = E.bass_pitch(sec.chord_at(last).root, 40)
        for i, t in enumerate(range(last, sec.end, E.STEP)):
            p.add(t, E.STEP, pitch, E.velocity(sec.level(t) * (0.4 + 0.6 * i / 16)))


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
