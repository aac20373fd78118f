"""The game's music: five level pieces and the title piece.

Every piece is our own, written here as themes (scale degrees, durations
in beats), progressions, accompaniment figures and a form; mus_form and
mus_engine turn that into notes and mus_midi into Standard MIDI Files.

The levels rise in intensity: a calm dorian groove at 92 beats per minute
for the first, up to an orchestral rock piece at 152 for the last.  Each
lasts three and a half minutes, long enough for a level flown at an easy
pace; the game does not loop the music.
"""

import pathlib

import mus_engine as E
from mus_form import build


def theme(*bars):
    """One string per bar; each bar must add up to four beats, so a typo in
    a duration fails here instead of shifting the rest of the tune."""
    events = []
    for i, bar in enumerate(bars):
        ev = E.parse_melody(bar)
        if abs(E.length_beats(ev) - 4.0) > 1e-9:
            raise ValueError("bar %d of a theme has %.3f beats: %s" % (i + 1, E.length_beats(ev), bar))
        events += ev
    return events


D = E.DRUM_CHANNEL

# ------------------------------------------------------------------ level 1

DREAMS = {
    "title": "Velmora level 1",
    "bpm": 92,
    "key": (62, "dorian"),
    "key_sig": (0, True),
    "parts": [
        ("Flute", 0, 73, 116, 72, 60, 10),
        ("Clarinet", 1, 71, 106, 52, 60, 20),
        ("Electric Piano", 2, 4, 73, 40, 50, 30),
        ("Warm Pad", 3, 89, 59, 64, 70, 40),
        ("Celesta", 4, 8, 87, 92, 70, 20),
        ("Bass", 5, 33, 117, 64, 20, 0),
        ("Strings", 6, 48, 85, 84, 70, 10),
        ("Drums", D, 8, 123, 64, 40, 0),
    ],
    "roles": {"lead": "Flute", "lead2": "Clarinet", "comp": "Electric Piano", "pad": "Warm Pad",
              "arp": "Celesta", "bass": "Bass", "pad2": "Strings", "drums": "Drums"},
    "ranges": {"pad": (50, 74), "pad2": (55, 79), "comp": (52, 72), "arp": (62, 86), "bass": (26, 38)},
    "themes": {
        "A": theme("4:1.5 5:.5 4:1 2:1", "3:1 2:.5 1:.5 -2:2", "0:1.5 2:.5 4:1 6:1", "5:3 r:1",
                   "6:1.5 7:.5 6:1 4:1", "3:.5 4:.5 3:.5 1:.5 -1:2", "0:1 1:1 3:1 5:1", "4:3 r:1"),
        "B": theme("9:2 7:1 9:1", "8:2 6:2", "7:1 9:1 11:1 10:1", "9:3 r:1",
                   "9:1 7:1 9:1 11:1", "10:2 8:2", "7:1 8:.5 7:.5 5:2", "5:1 4:1 3:2"),
    },
    "progressions": {
        "intro": ["i7", "IV"],
        "A": ["i7", "IV", "i7", "IV", "bIII", "bVII", "IV", "v7"],
        "B": ["bVI", "bVII", "i7", "i7", "bVI", "bVII", "IV", "IV"],
        "brk": ["i7", "bVI", "bIII", "bVII"],
        "build": ["bVI", "bVII", "IV", "v7"],
        "outro": ["i7", "IV", "bVII", "IV", "i7", "IV"],
        "end": ["i7"],
    },
    "bass": {
        "whole": ["R---------------"],
        "soft": ["R-----R---5-----", "R-----R---5---A-"],
        "move": ["R--R--R-R---5-A-"],
    },
    "comp": {"pulse": ["..C-..C-..C-..C-"], "syn": ["C-----C---C-----"]},
    "arp": {"up": ["0-1-2-3-4-3-2-1-"], "fast": ["0123432101234321"]},
    "final_voices": [("pad", 4, 0.5), ("pad2", 3, 0.45), ("bass", 1, 0.6), ("comp", 4, 0.45), ("arp", 4, 0.4)],
    "sections": [
        dict(bars=8, prog="intro", inten=(0.25, 0.4), pad=True, arp="up", bass="whole", drums="pulse",
             drum_bars=range(4, 8), first_crash=False, fill="soft",
             lead2=("lead2", "A", [["aug"]], {"level": 0.8})),
        dict(bars=16, prog="A", inten=(0.45, 0.55), pad=True, comp="pulse", bass="soft", drums="soft",
             fill="soft", lead=("lead", "A", [[], ["orn"]])),
        dict(bars=16, prog="B", inten=(0.5, 0.62), pad2=True, comp="syn", bass="move", drums="pop",
             arp="up", lead2=("lead2", "B", [[], ["dot"]])),
        dict(bars=8, prog="brk", inten=0.35, pad=True, bass="whole", arp="up",
             lead2=("lead2", "A", [["inv", "aug"]])),
        dict(bars=8, prog="build", inten=(0.45, 0.8), pad2=True, bass="move", comp="pulse", roll=True,
             lead=("lead", "A", [[]], {"sequence": True})),
        dict(bars=16, prog="A", shift=2, inten=(0.7, 0.75), pad=True, comp="pulse", bass="move", drums="pop",
             arp="fast", lead=("lead", "A", [[], ["orn"]]),
             lead2=("lead2", "A", [[], ["orn"]], {"octave": -1, "level": 0.7})),
        dict(bars=6, prog="outro", inten=(0.55, 0.3), pad=True, arp="up", bass="whole", drums="pulse",
             fill=None, lead=("lead", "A", [["aug"]])),
        dict(bars=2, prog="end", inten=0.4, final=True),
    ],
}

# ------------------------------------------------------------------ level 2

CRAZYTRN = {
    "title": "Velmora level 2",
    "bpm": 112,
    "key": (67, "mixolydian"),
    "key_sig": (0, False),
    "parts": [
        ("Brass", 0, 61, 110, 58, 45, 0),
        ("Organ", 1, 18, 117, 82, 40, 30),
        ("Clavinet", 2, 7, 98, 40, 30, 0),
        ("Bass", 3, 34, 107, 64, 15, 0),
        ("Guitar", 4, 27, 78, 98, 40, 20),
        ("Strings", 5, 48, 76, 64, 60, 0),
        ("Drums", D, 0, 127, 64, 30, 0),
    ],
    "roles": {"lead": "Brass", "lead2": "Organ", "comp": "Clavinet", "arp": "Guitar", "pad": "Strings",
              "pad2": "Organ", "bass": "Bass", "drums": "Drums"},
    "ranges": {"pad": (55, 76), "pad2": (52, 72), "comp": (55, 74), "arp": (52, 76), "bass": (31, 43)},
    "themes": {
        "A": theme("4:.75 4:.75 2:.5 4:1 7:1", "6:1.5 5:.5 3:2", "3:.75 3:.75 1:.5 3:1 5:1", "4:3 r:1",
                   "5:.75 5:.75 4:.5 5:1 7:1", "7:1.5 8:.5 7:1 5:1", "6:1 5:.5 6:.5 8:1 6:1", "4:2 1:1 r:1"),
        "B": theme("7:1 5:1 6:1 8:1", "7:2 4:2", "5:1 3:1 6:1 5:1", "4:3 r:1",
                   "5:1 7:1 8:1 9:1", "10:2 9:1 7:1", "8:1 6:1 7:1 5:1", "4:2 1:2"),
    },
    "progressions": {
        "intro": ["I", "bVII", "IV", "I"],
        "A": ["I", "bVII", "IV", "I", "vi", "IV", "bVII", "V"],
        "B": ["IV bVII", "I", "IV bVII", "I", "ii", "IV", "bVII IV", "V"],
        "brk": ["vi", "IV", "I", "V"],
        "build": ["IV", "IV", "bVII", "bVII", "ii", "ii", "V", "V"],
        "end": ["I"],
    },
    "bass": {
        "drive8": ["R-R-R-R-R-R-5-A-"],
        "walk": ["R---3---5---A---"],
        "hold": ["R-------R-------"],
    },
    "comp": {"funk": ["C.cC..c.C.cC..c."], "off": ["..C...C...C...C."]},
    # the standard kit is the quietest of the sound font's kits
    "defaults": {"drum_level": 1.15},
    "arp": {"pick": ["0-2-1-2-0-2-1-2-"]},
    "final_voices": [("pad", 4, 0.6), ("pad2", 3, 0.55), ("bass", 1, 0.7), ("comp", 3, 0.6), ("lead", 3, 0.65)],
    "sections": [
        dict(bars=8, prog="intro", inten=(0.4, 0.55), bass="drive8", comp="off", drums="chug", arp="pick",
             bass_gate=0.8),
        dict(bars=16, prog="A", inten=(0.55, 0.62), bass="drive8", comp="funk", drums="chug", pad=True,
             bass_gate=0.8, lead=("lead", "A", [[], ["dot"]])),
        dict(bars=16, prog="B", inten=(0.58, 0.66), bass="walk", arp="pick", drums="pop", pad=True,
             lead2=("lead2", "B", [[], ["orn"]])),
        dict(bars=8, prog="A", inten=0.66, bass="drive8", comp="funk", drums="chug", bass_gate=0.8,
             lead=("lead", "A", [["orn"]]), lead2=("lead2", "A", [["orn"]], {"octave": -1, "level": 0.65})),
        dict(bars=8, prog="brk", inten=(0.4, 0.45), bass="hold", pad2=True, drums="halftime", fill="snare",
             lead=("Clavinet", "A", [["inv", "dot"]])),
        dict(bars=8, prog="build", inten=(0.5, 0.85), bass="drive8", comp="off", roll=True, pad=True,
             lead=("lead", "A", [[]], {"sequence": True})),
        dict(bars=16, prog="A", shift=2, inten=(0.75, 0.8), bass="drive8", comp="funk", drums="rock", pad=True,
             bass_gate=0.8, lead=("lead", "A", [[], ["orn"]]),
             lead2=("lead2", "A", [[], ["orn"]], {"octave": -1, "level": 0.6})),
        dict(bars=8, prog="B", shift=2, inten=0.8, bass="walk", drums="pop", arp="pick", pad=True,
             lead2=("lead2", "B", [["dot"]])),
        dict(bars=6, prog="intro", inten=(0.7, 0.5), bass="drive8", comp="off", drums="chug", fill=None,
             lead=("lead", "A", [["aug"]])),
        dict(bars=2, prog="end", inten=0.6, final=True),
    ],
}

# ------------------------------------------------------------------ level 3

BLACKAN = {
    "title": "Velmora level 3",
    "bpm": 126,
    "key": (60, "harmonic"),
    "key_sig": (-3, True),
    "parts": [
        ("Horns", 0, 60, 108, 58, 60, 0),
        ("Choir", 1, 52, 113, 72, 80, 0),
        ("Strings", 2, 48, 104, 46, 60, 0),
        ("Slow Strings", 3, 49, 65, 80, 70, 0),
        ("Synth Bass", 4, 38, 83, 64, 20, 0),
        ("Cello", 5, 42, 127, 64, 50, 0),
        ("Timpani", 6, 47, 127, 64, 50, 0),
        ("Drums", D, 16, 95, 64, 40, 0),
    ],
    "roles": {"lead": "Horns", "lead2": "Choir", "arp": "Strings", "pad": "Slow Strings",
              "bass": "Synth Bass", "comp": "Cello", "timpani": "Timpani", "drums": "Drums"},
    "ranges": {"pad": (48, 72), "arp": (55, 79), "bass": (24, 36), "comp": (48, 72), "lead2": (55, 76)},
    "themes": {
        "A": theme("0:1.5 4:.5 4:1 3:.5 2:.5", "2:1.5 0:.5 0:2", "5:1.5 7:.5 7:1 5:.5 3:.5", "4:3 6:1",
                   "7:1.5 6:.5 7:1 9:1", "9:1.5 8:.5 7:2", "8:1 7:.5 5:.5 3:1 1:1", "4:2 r:2"),
        "B": theme("7:3 5:1", "4:2 2:2", "3:2 5:1 7:1", "4:4",
                   "9:3 7:1", "8:2 10:2", "8:2 6:2", "4:4"),
    },
    "progressions": {
        "intro": ["i", "i", "bVI", "V"],
        "A": ["i", "bVI", "iv", "V", "i", "bVI", "bVII", "V"],
        "B": ["bVI", "bIII", "iv", "i", "bVI", "bVII", "V", "V"],
        "brk": ["i", "iv", "bVI", "V"],
        "build": ["iv", "iv", "bVI", "bVI", "bVII", "bVII", "V", "V"],
        "end": ["i"],
    },
    "bass": {
        "pulse8": ["R-R-R-R-R-R-R-R-"],
        "gallop": ["R-RRR-RRR-RRR-RR"],
        "hold": ["R-------5-------"],
    },
    "arp": {"ost8": ["0-1-2-1-0-1-2-1-"], "ost": ["0102010201020102"]},
    "final_voices": [("pad", 4, 0.7), ("lead2", 3, 0.65), ("bass", 1, 0.8), ("arp", 3, 0.7), ("lead", 3, 0.7)],
    "sections": [
        dict(bars=8, prog="intro", inten=(0.35, 0.55), arp="ost8", pad=True, timpani="phrase", bass="hold",
             drums="tribal", drum_bars=range(4, 8), first_crash=False),
        dict(bars=16, prog="A", inten=(0.55, 0.65), arp="ost", pad=True, bass="pulse8", drums="tribal",
             timpani="phrase", bass_gate=0.7, lead=("lead", "A", [[], ["orn"]])),
        dict(bars=16, prog="B", inten=(0.6, 0.7), arp="ost", bass="gallop", drums="rock", bass_gate=0.8,
             lead2=("lead2", "B", [[], []]), lead=("lead", "A", [["aug"]], {"octave": -1, "level": 0.6})),
        dict(bars=12, prog="brk", inten=(0.4, 0.45), pad=True, pad_level=0.5, bass="hold", drums="halftime",
             fill="snare", lead=("comp", "A", [["retro"], ["inv"]], {"level": 1.3})),
        dict(bars=8, prog="build", inten=(0.5, 0.85), arp="ost", bass="pulse8", roll=True, bass_gate=0.7,
             lead=("lead", "A", [[]], {"sequence": True})),
        dict(bars=16, prog="A", inten=(0.78, 0.82), arp="ost", pad=True, bass="gallop", drums="drive",
             timpani="downbeats", bass_gate=0.8, lead=("lead", "A", [["orn"], ["dot"]]),
             lead2=("lead2", "A", [[]], {"octave": -1, "level": 0.6})),
        dict(bars=16, prog="B", shift=1, inten=(0.82, 0.88), arp="ost", bass="gallop", drums="drive", pad=True,
             bass_gate=0.8, lead2=("lead2", "B", [[], ["orn"]]),
             lead=("lead", "B", [[], ["orn"]], {"octave": -1, "level": 0.7})),
        dict(bars=14, prog="A", inten=(0.8, 0.6), arp="ost", bass="pulse8", drums="rock", timpani="phrase",
             bass_gate=0.7, lead=("lead", "A", [["aug"]])),
        dict(bars=2, prog="end", inten=0.7, final=True),
    ],
}

# ------------------------------------------------------------------ level 4

JUMP1984 = {
    "title": "Velmora level 4",
    "bpm": 140,
    "key": (64, "aeolian"),
    "key_sig": (1, True),
    "parts": [
        ("Lead Guitar", 0, 30, 88, 64, 50, 0),
        ("Saw Lead", 1, 81, 46, 72, 40, 20),
        ("Rhythm Guitar", 2, 29, 83, 34, 30, 0),
        ("Synth Bass", 3, 39, 65, 64, 15, 0),
        ("Synth Strings", 4, 50, 32, 90, 60, 20),
        ("Synth Arp", 5, 80, 44, 96, 50, 0),
        ("Drums", D, 16, 86, 64, 30, 0),
    ],
    "roles": {"lead": "Lead Guitar", "lead2": "Saw Lead", "comp": "Rhythm Guitar", "bass": "Synth Bass",
              "pad": "Synth Strings", "arp": "Synth Arp", "drums": "Drums"},
    "ranges": {"pad": (52, 76), "comp": (40, 52), "arp": (64, 84), "bass": (28, 40), "lead": (52, 76)},
    "themes": {
        "A": theme("4:.5 4:.5 7:.5 4:.5 7:.5 6:.5 4:1", "5:1.5 4:.5 2:1 0:1", "6:.5 6:.5 8:.5 6:.5 10:.5 8:.5 6:1",
                   "7:3 r:1", "4:.5 4:.5 7:.5 4:.5 9:.5 7:.5 4:1", "9:1.5 7:.5 5:1 4:1", "3:1 5:1 7:1 8:1",
                   "8:2 4:2"),
        "B": theme("9:3 7:1", "8:2 6:2", "6:1 9:1 11:2", "11:3 r:1",
                   "12:2 11:1 9:1", "10:2 8:1 6:1", "8:2 11:2", "8:3 r:1"),
    },
    "progressions": {
        "intro": ["i", "i", "bVI", "bVII"],
        "A": ["i", "bVI", "bVII", "i", "i", "bVI", "iv", "V"],
        "B": ["bVI", "bVII", "bIII", "i", "bVI", "bVII", "V", "V"],
        "brk": ["iv", "bVI", "i", "bVII"],
        "build": ["bVI", "bVI", "bVII", "bVII", "iv", "iv", "V", "V"],
        "end": ["i"],
    },
    "bass": {
        "eights": ["R-R-R-R-R-R-R-R-"],
        "drive": ["R-R-8-R-R-R-8-A-"],
        "gallop": ["R-RRR-RRR-RRR-RR"],
        "hold": ["R-------R---5---"],
    },
    "comp": {"chug": ["C-C-C-C-C-C-C-C-"], "stab": ["C-----C-----C---"]},
    "arp": {"seq": ["0121012101210121"]},
    "final_voices": [("pad", 4, 0.75), ("comp", 3, 0.8), ("bass", 1, 0.85), ("lead", 3, 0.7)],
    "sections": [
        dict(bars=8, prog="intro", inten=(0.5, 0.65), comp="chug", power=True, comp_gate=0.5, bass="eights",
             bass_gate=0.6, drums="rock", drum_bars=range(4, 8), arp="seq", first_crash=False),
        dict(bars=16, prog="A", inten=(0.65, 0.7), comp="chug", power=True, comp_gate=0.5, bass="drive",
             bass_gate=0.7, drums="rock", lead=("lead", "A", [[], ["orn"]])),
        dict(bars=16, prog="B", inten=(0.68, 0.74), comp="stab", power=True, comp_gate=0.9, pad=True,
             bass="eights", bass_gate=0.7, drums="ride", arp="seq", lead2=("lead2", "B", [[], ["dot"]])),
        dict(bars=16, prog="A", inten=(0.72, 0.78), comp="chug", power=True, comp_gate=0.5, bass="gallop",
             drums="drive", lead=("lead", "A", [["dot"], ["orn"]]),
             lead2=("lead2", "A", [["dot"], ["orn"]], {"octave": -1, "level": 0.55})),
        dict(bars=8, prog="brk", inten=(0.45, 0.5), pad=True, arp="seq", bass="hold", drums="halftime",
             fill="snare", lead2=("lead2", "A", [["inv", "aug"]])),
        dict(bars=8, prog="build", inten=(0.55, 0.9), comp="chug", power=True, comp_gate=0.5, bass="eights",
             bass_gate=0.6, roll=True, lead=("lead", "A", [[]], {"sequence": True})),
        dict(bars=16, prog="B", shift=2, inten=(0.85, 0.9), comp="stab", power=True, comp_gate=0.9, pad=True,
             bass="eights", bass_gate=0.7, drums="drive", lead2=("lead2", "B", [["orn"]]),
             lead=("lead", "B", [["orn"]], {"octave": -1, "level": 0.6})),
        dict(bars=16, prog="A", shift=2, inten=(0.9, 0.92), comp="chug", power=True, comp_gate=0.5,
             bass="gallop", drums="drive", lead=("lead", "A", [["orn"], ["dot"]])),
        dict(bars=14, prog="brk", shift=2, inten=(0.85, 0.65), pad=True, arp="seq", bass="drive", bass_gate=0.7,
             drums="rock", lead=("lead", "A", [["aug"]])),
        dict(bars=2, prog="end", shift=2, inten=0.8, final=True),
    ],
}

# ------------------------------------------------------------------ level 5

BEAUTIF = {
    "title": "Velmora level 5",
    "bpm": 152,
    "key": (62, "harmonic"),
    "key_sig": (-1, True),
    "parts": [
        ("Brass", 0, 61, 102, 58, 50, 0),
        ("Lead Guitar", 1, 30, 83, 72, 50, 0),
        ("Strings", 2, 48, 92, 44, 60, 0),
        ("Choir", 3, 52, 69, 86, 80, 0),
        ("Power Guitar", 4, 29, 76, 28, 30, 0),
        ("Synth Bass", 5, 38, 76, 64, 20, 0),
        ("Timpani", 6, 47, 108, 64, 50, 0),
        ("Horns", 7, 60, 82, 92, 60, 0),
        ("Drums", D, 16, 76, 64, 30, 0),
    ],
    "roles": {"lead": "Brass", "lead2": "Lead Guitar", "arp": "Strings", "pad": "Choir", "counter": "Horns",
              "comp": "Power Guitar", "bass": "Synth Bass", "timpani": "Timpani", "drums": "Drums"},
    "ranges": {"pad": (55, 76), "arp": (57, 81), "comp": (38, 50), "bass": (26, 38), "lead": (57, 79),
               "counter": (50, 70)},
    "themes": {
        "A": theme("4:1 4:.5 5:.5 4:1 2:1", "2:1 0:.5 2:.5 5:2", "4:1 4:.5 5:.5 4:1 7:1", "8:1.5 7:.5 6b:2",
                   "7:1 7:.5 9:.5 7:1 4:1", "5:1.5 4:.5 3:2", "1b:1 3:.5 5:.5 3:1 1b:1", "1:1 0:.5 -1:.5 -3:2"),
        "B": theme("10:2 9:1 7:1", "8:2 6b:2", "9:2 11:1 9:1", "12:3 r:1",
                   "12:1 10:1 8b:2", "10:2 8b:1 7:1", "8:2 6:2", "4:3 r:1"),
    },
    "progressions": {
        "intro": ["i", "bVI", "iv", "V"],
        "A": ["i", "bVI", "bIII", "bVII", "i", "iv", "bII", "V"],
        "B": ["iv", "bVII", "bIII", "bVI", "bII", "bII", "V", "V"],
        "brk": ["i", "bVI", "iv", "V"],
        "build": ["bVI", "bVI", "bVII", "bVII", "bII", "bII", "V", "V"],
        "end": ["I"],
    },
    "bass": {
        "eights": ["R-R-R-R-R-R-R-R-"],
        "gallop": ["R-RRR-RRR-RRR-RR"],
        "octs": ["R-8-R-8-R-8-R-8-"],
        "hold": ["R-------R-------"],
    },
    "comp": {"chug": ["C-C-C-C-C-C-C-C-"], "stab": ["C--C--C-C--C--C-"]},
    "arp": {"ost": ["0120120120120120"]},
    "final_voices": [("pad", 4, 0.8), ("counter", 3, 0.8), ("bass", 1, 0.9), ("arp", 4, 0.8),
                     ("lead", 3, 0.85), ("comp", 3, 0.8)],
    "sections": [
        dict(bars=8, prog="intro", inten=(0.5, 0.7), arp="ost", timpani="downbeats", pad=True, bass="octs",
             bass_gate=0.6, drums="march", drum_bars=range(4, 8), first_crash=False, fill="snare"),
        dict(bars=16, prog="A", inten=(0.7, 0.75), arp="ost", comp="chug", power=True, comp_gate=0.5,
             bass="eights", bass_gate=0.6, drums="drive", timpani="phrase",
             lead=("lead", "A", [[], ["dot"]])),
        dict(bars=16, prog="B", inten=(0.72, 0.78), arp="ost", pad=True, comp="stab", power=True, comp_gate=0.8,
             bass="octs", bass_gate=0.6, drums="rock", lead2=("lead2", "B", [[], ["orn"]])),
        dict(bars=16, prog="A", inten=(0.78, 0.82), arp="ost", comp="chug", power=True, comp_gate=0.5,
             bass="gallop", drums="drive", lead=("lead", "A", [["orn"], ["dot"]]),
             counter=("counter", "A", [["aug"]], {"octave": -1, "level": 0.65})),
        dict(bars=12, prog="brk", inten=(0.5, 0.55), pad=True, arp="ost", arp_level=0.6, bass="hold",
             drums="halftime", fill="snare", counter=("counter", "A", [["inv"]])),
        dict(bars=8, prog="build", inten=(0.6, 0.95), arp="ost", bass="eights", bass_gate=0.6, comp="chug",
             power=True, comp_gate=0.5, roll=True, timpani="phrase",
             lead=("lead", "A", [[]], {"sequence": True})),
        dict(bars=16, prog="A", shift=2, inten=(0.9, 0.95), arp="ost", comp="chug", power=True, comp_gate=0.5,
             bass="gallop", drums="double", timpani="downbeats", fill="big",
             lead=("lead", "A", [["orn"], ["dot"]]),
             lead2=("lead2", "A", [["orn"], ["dot"]], {"octave": -1, "level": 0.6})),
        dict(bars=16, prog="B", shift=2, inten=(0.92, 0.95), arp="ost", pad=True, comp="stab", power=True,
             comp_gate=0.8, bass="octs", bass_gate=0.6, drums="drive", fill="big",
             lead2=("lead2", "B", [[], ["orn"]]),
             counter=("counter", "B", [["aug"]], {"octave": -1, "level": 0.6})),
        dict(bars=8, prog="brk", shift=2, inten=0.7, pad=True, bass="eights", bass_gate=0.6, drums="tribal",
             timpani="downbeats"),
        dict(bars=14, prog="A", shift=2, inten=(0.95, 0.9), arp="ost", pad=True, comp="chug", power=True,
             comp_gate=0.5, bass="eights", bass_gate=0.6, drums="drive", timpani="phrase", fill="big",
             lead=("lead", "A", [["aug"]])),
        dict(bars=2, prog="end", shift=2, inten=0.9, final=True),
    ],
}

# -------------------------------------------------------------------- title

CAIRO = {
    "title": "Velmora title",
    "bpm": 100,
    "key": (70, "ionian"),
    "key_sig": (-2, False),
    "parts": [
        ("Trumpets", 0, 56, 110, 60, 60, 0),
        ("Horns", 1, 60, 86, 80, 60, 0),
        ("Strings", 2, 48, 106, 44, 70, 0),
        ("Choir", 3, 52, 77, 84, 80, 0),
        ("Harp", 4, 46, 91, 30, 60, 0),
        ("Oboe", 5, 68, 124, 100, 70, 0),
        ("Basses", 6, 43, 112, 64, 50, 0),
        ("Timpani", 7, 47, 113, 64, 50, 0),
        ("Percussion", D, 48, 89, 64, 50, 0),
    ],
    "roles": {"lead": "Trumpets", "lead2": "Strings", "counter": "Horns", "pad": "Strings", "pad2": "Choir",
              "arp": "Harp", "bass": "Basses", "timpani": "Timpani", "drums": "Percussion"},
    "ranges": {"pad": (53, 74), "pad2": (57, 76), "arp": (55, 82), "bass": (34, 46), "counter": (53, 72)},
    "themes": {
        "A": theme("0:1 4:1.5 3:.5 4:1", "3:1.5 2:.5 0:2", "0:1 4:1.5 3:.5 4:1", "8:2 6:1 4:1",
                   "5:1.5 6:.5 7:1 9:1", "7:1.5 8:.5 7:1 5:1", "3:1 2:.5 1:.5 4:1 6:1", "7:3 r:1"),
        "B": theme("9:2 7:1 5:1", "6:2 4:2", "5:1.5 6:.5 7:1 10:1", "9:3 r:1",
                   "8:2 7:1 5:1", "6:2 4:1 6:1", "7:1 5:1 3:1 5:1", "4:3 r:1"),
    },
    "progressions": {
        "intro": ["I", "IV", "I", "V"],
        "A": ["I", "bVII IV", "I", "V", "vi", "IV", "ii V", "I"],
        "B": ["vi", "iii", "IV", "I", "ii", "V", "IV", "V"],
        "brk": ["i", "bVI", "iv", "V"],
        "build": ["IV", "V", "IV", "V"],
        "coda": ["I", "IV", "I", "V", "IV", "I"],
        "end": ["I"],
    },
    "bass": {"hold": ["R---------------"], "march": ["R-------5-------"], "walk": ["R-----R-5-----5-"]},
    "arp": {"harp": ["0-1-2-3-4-5-4-3-"], "rise": ["0123456701234567"]},
    "final_voices": [("pad", 4, 0.7), ("pad2", 3, 0.65), ("bass", 1, 0.8), ("counter", 3, 0.7),
                     ("lead", 3, 0.75), ("arp", 4, 0.6)],
    "sections": [
        dict(bars=4, prog="intro", inten=(0.3, 0.6), pad2=True, timpani="roll", arp="harp", bass="hold"),
        dict(bars=8, prog="A", inten=0.6, pad=True, bass="march", arp="harp", drums="march", fill="snare",
             timpani="phrase", lead=("lead", "A", [[]])),
        dict(bars=8, prog="A", inten=0.75, pad=True, pad2=True, bass="walk", drums="march", fill="snare",
             lead=("lead", "A", [["orn"]], {"double": -2})),
        dict(bars=8, prog="B", inten=0.6, pad2=True, bass="march", arp="harp",
             lead2=("lead2", "B", [[]]), counter=("counter", "A", [["aug"]], {"octave": -1, "level": 0.6})),
        dict(bars=8, prog="brk", mode="aeolian", inten=(0.35, 0.45), pad2=True, bass="hold", timpani="phrase",
             lead=("Oboe", "A", [["aug"]])),
        dict(bars=4, prog="build", inten=(0.5, 0.9), pad=True, bass="walk", roll=True, arp="rise",
             lead=("lead", "A", [[]], {"sequence": True})),
        dict(bars=8, prog="A", inten=0.9, pad2=True, bass="walk", arp="harp", drums="march", fill="snare",
             timpani="phrase", lead=("lead", "A", [["orn"]], {"double": -2}),
             lead2=("lead2", "A", [[]], {"octave": -1, "level": 0.8}),
             counter=("counter", "B", [["aug"]], {"octave": -1, "level": 0.6})),
        dict(bars=6, prog="coda", inten=(0.8, 0.6), pad=True, pad2=True, bass="march", arp="harp",
             lead=("lead", "A", [["aug"]])),
        dict(bars=2, prog="end", inten=0.7, final=True),
    ],
}

PIECES = [
    ("DREAMS.MID", DREAMS),
    ("CRAZYTRN.MID", CRAZYTRN),
    ("BLACKAN.MID", BLACKAN),
    ("JUMP1984.MID", JUMP1984),
    ("BEAUTIF.MID", BEAUTIF),
    ("CAIRO.MID", CAIRO),
]


def generate(out_dir: pathlib.Path) -> list[pathlib.Path]:
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    written = []
    for name, piece in PIECES:
        path = out_dir / name
        path.write_bytes(build(piece).to_bytes())
        written.append(path)
    return written


def lengths():
    """Seconds of each piece, for checking the form while composing."""
    return {name: build(piece).seconds() for name, piece in PIECES}
