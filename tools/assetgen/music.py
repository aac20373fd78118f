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
    "ranges": {"pad": (50, 74), "pad2": (55, 79), "comp": (52, 72), "arp": (62, 86), "bass": (31, 43)},
    "themes": {
        "A": theme("4:1.5 5:.5 4:1 2:1", "3:1 2:.5 1:.5 -2:2", "0:1.5 2:.5 4:1 6:1", "5:3 r:1",
                   "6:1.5 7:.5 6:1 4:1", "3:.5 4:.5 3:.5 1:.5 -1:2", "0:1 1:1 3:1 5:1", "4:3 r:1"),
        "B": theme("9:2 7:1 9:1", "8:2 6:2", "7:1 9:1 11:1 10:1", "9:3 r:1",
                   "9:1 7:1 9:1 11:1", "10:2 8:2", "7:1 8:.5 7:.5 5:2", "5:1 4:1 3:2"),
    },
    "endings": {
        "A": {"close": theme("3:1 2:1 1:1 -1:1", "0:3 r:1")},
        "B": {"close": theme("6:1 5:.5 4:.5 4:1 1:1", "2:1 1:1 0:1.5 r:.5")},
    },
    "progressions": {
        "intro": ["i7", "IV"],
        "A": ["i7", "IV", "i7", "IV", "bIII", "bVII", "IV", "v7"],
        "Ac": ["i7", "IV", "i7", "IV", "bIII", "bVII", "v7", "i7"],
        "B": ["bVI", "bVII", "i7", "i7", "bVI", "bVII", "IV", "IV"],
        "Bc": ["bVI", "bVII", "i7", "i7", "bVI", "bVII", "v7", "i7"],
        "brk": ["i7", "bVI", "bIII", "bVII", "i7", "bVI", "IV", "v7"],
        "end": ["i7"],
    },
    "bass": {
        "whole": ["R---------------", "R-------5-------"],
        "soft": {"bars": ["R-----5---8-----", "R-------3---5---", "R-----5-----u---", "R---5---8---5---"],
                 "bars2": ["R-----5-8-------", "R---3---5-----u-", "R-----8---5-3---", "R-5-----8---d---"],
                 "turn": "R-----5---3---A-", "end": "R-------5-------"},
        "move": {"bars": ["R--8--5-R---3-A-", "R--5--8-5---u-d-", "R---5-8---5-R-A-", "R--3--5-8-----A-"],
                 "bars2": ["R-R-5-8---5-3-A-", "R--8-5--3-5-u-d-", "R-5---8-5-R---A-", "R---3-5---8---A-"],
                 "turn": "R-5-8-5-3-u-d-A-", "two": "R--5----R--5--A-", "end": "R-----------5---"},
    },
    "comp": {
        "pulse": {"bars": ["..C-..C-..C-..C-", "..C-..C-..C-.C--", "..C-..C-...C-.C-", "..C-...C..C-..C-"],
                  "bars2": ["..C-..CC..C-..C-", ".CC-..C-.C..C-C-", "..C-.C-C..C-..C-", "..C-..C-..CC.CC-"],
                  "turn": "..C-..C-C-------", "end": "..C-..C-C-------"},
        "syn": {"bars": ["C-----C---C-----", "C-----C-----C---", "C-------C---C-C-", "C-----C---C---C-"],
                "bars2": ["C---C---C---C---", "C-----C---C-C---", "C--C--C---C-----", "C-----C-C---C---"],
                "turn": "C-----C-C-------"},
        "swell": {"bars": ["C---------------", "C-------C-------", "C-----------C---", "C-----C---------"],
                  "turn": "C-------C---C---"},
    },
    "arp": {
        "up": {"bars": ["0-1-2-3-4-3-2-1-", "0-1-2-3-4---2-1-", "0--1--2-3-4-3-2-", "0-1-2-4-3-2-1---"],
               "bars2": ["0-1-2-3-4-5-4-3-", "0-2-1-3-2-4-3-5-", "0-1-2---4-3-2-1-", "0---2-3-4-3-2-1-"],
               "turn": "0-2-4-----------", "end": "4-3-2-1-0-------"},
        "bells": {"bars": ["4---3---2-1-0---", "0-2-4---3---1---", "2---4-3---1-0---", "0---2---4---3---"],
                  "turn": "4-------2-------"},
    },
    "final_voices": [("pad", 4, 0.5), ("pad2", 3, 0.45), ("bass", 1, 0.6), ("comp", 4, 0.45), ("arp", 4, 0.4)],
    "gain_db": 3.7,
    "defaults": {"fill_names": ("soft", "soft")},
    "sections": [
        # the celesta alone over the pad, the bass coming in after a bar
        dict(bars=4, prog="intro", inten=(0.2, 0.35), pad=True, arp="bells", bass="whole", enter={"bass": 1},
             phrases=(4,), first_crash=False),
        dict(bars=16, prog=("A", "Ac"), inten=(0.4, 0.55), pad=True, sus="all", comp="pulse", bass="soft",
             inner="pad2",
             drums="soft", fill="soft", runs="arp", lead=("lead", "A", [[], ["orn", "close"]], {"suspend": True})),
        dict(bars=16, prog=("B", "Bc"), inten=(0.5, 0.65), pad2="swell", comp="syn", bass="move",
             drums="pop", arp="up", lead2=("lead2", "B", [[], ["dot", "close"]], {"suspend": True}),
             stop=2),
        # the interlude: electric piano and a low clarinet, no drums, very soft
        dict(bars=8, prog="brk", inten=0.15, comp="syn", bass="whole", enter={"bass": 4},
             lead2=("lead2", "A", [["inv", "close"]], {"octave": -1}), stop=1),
        dict(bars=16, prog=("A", "Ac"), inten=(0.6, 0.75), pad=True, sus="all", comp="pulse", bass="move",
             drums="pop", arp="up", tacet={"arp": (0, 4)}, fill="toms",
             lead=("lead", "A", [["dot"], ["orn", "close"]], {"suspend": True}),
             lead2=("lead2", "B", [["aug"]], {"octave": -1, "level": 0.7})),
        dict(bars=8, prog="Bc", inten=(0.75, 0.7), pad2="swell", comp="syn", bass="move", drums="pop", arp="up",
             lead=("lead", "B", [["close"]], {"suspend": True}), fill="toms"),
        dict(bars=8, prog="Ac", inten=(0.5, 0.25), pad=True, sus="all", arp="bells", bass="soft", drums="pulse",
             tacet={"drums": (4, 8)}, lead=("lead2", "A", [["close"]]), fill=False),
        dict(bars=2, prog="end", inten=0.3, final=True),
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
        ("Bass", 3, 34, 95, 64, 15, 0),
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
    "endings": {
        "A": {"close": theme("6:1 5:.5 4:.5 3:1 1:1", "2:.75 1:.75 0:1.5 r:1")},
        "B": {"close": theme("8:1 6:1 4:1 3:.5 1:.5", "0:3 r:1")},
    },
    "progressions": {
        "intro": ["I", "bVII", "IV", "I"],
        "A": ["I", "bVII", "IV", "I", "vi", "IV", "bVII", "V"],
        "Ac": ["I", "bVII", "IV", "I", "vi", "IV", "V", "I"],
        "B": ["IV bVII", "I", "IV bVII", "I", "ii", "IV", "bVII IV", "V"],
        "Bc": ["IV bVII", "I", "IV bVII", "I", "ii", "IV", "V", "I"],
        "brk": ["vi", "IV", "I", "V", "vi", "IV", "ii", "V"],
        "end": ["I"],
    },
    "bass": {
        "drive8": {"bars": ["R-R-8-R-5-R-8-A-", "R-8-R-5-R-3-5-A-", "R-R-8-5-R-8-5-A-", "R-5-8-R-u-d-R-A-"],
                   "bars2": ["R-8-R-8-5-R-u-A-", "R-R-5-8-R-5-8-A-", "R-8-5-R-3-R-5-A-", "R-u-d-R-5-8-5-A-"],
                   "turn": "R-R-8-R-5-3-u-A-", "two": "R-8-5-R-R-8-5-A-", "end": "R-R-8-R-5---d---"},
        # the intro's riff, in threes against the beat
        "riff": {"bars": ["R--R--8-R-5-8-A-", "R--R--8-R-5-R-uA", "R--R--8-R-5-8-d-", "R--5--8-R---8-A-"],
                 "turn": "R--R--8-R-5-3-u-"},
        "walk": {"bars": ["R---3---5---A---", "R---5---8---A---", "R---u---3---A---", "R---5---3---u---"],
                 "bars2": ["R---3-5-8---A---", "R-----5-3---A---", "R---u-3-5---d---", "R---8---5-3-A---"],
                 "turn": "R---5---3---A-A-", "two": "R---5---R---A---"},
        "hits": {"bars": ["R-------........", "R-------........", "R---..R.R-------", "R-------......A-"],
                 "turn": "R-----5-3-u-A---"},
    },
    "comp": {
        "funk": {"bars": ["C.cC..c.C.cC..c.", "C.cC..c.C...C.c.", "C..C.cc.C.cC..c.", "C.cC..c...cC.cc."],
                 "bars2": ["C.cC.cc.C.cC..cC", "..cC..c.C.cC..c.", "C.cC..c.C.c..Cc.", "C..C..c.C.cC.cc."],
                 "turn": "C.cC..c.C-------"},
        "off": {"bars": ["..C...C...C...C.", "..C...C...C..CC.", "..C...C.C.C...C.", "..C...C...C...C."],
                "turn": "..C...C.C-------"},
        "stops": {"bars": ["C-------........", "C-------........", "C---...C-.......", "C-------........"],
                  "turn": "C-------..C.C..."},
        "swell": {"bars": ["C---------------", "C-------C-------", "C-----------C---", "C-----C---------"],
                  "turn": "C-------C---C---"},
    },
    # the standard kit is the quietest of the sound font's kits
    "defaults": {"drum_level": 1.15, "fill_names": ("toms", "snare")},
    "arp": {"pick": {"bars": ["0-2-1-2-0-2-1-2-", "0-2-1-2-0---1-2-", "0-2-1-2-0-2-3---", "0---1-2-0-2-1-2-"],
                     "bars2": ["0-2-1-2-3-2-1-2-", "0-2-1---0-2-1-2-", "0-2---2-0-2-1-2-", "0-2-1-2-0-2-1---"],
                     "turn": "0-2-1-2-0-------"}},
    "final_voices": [("pad", 4, 0.6), ("pad2", 3, 0.55), ("bass", 1, 0.7), ("comp", 3, 0.6), ("lead", 3, 0.65)],
    "gain_db": 2.6,
    "sections": [
        # bass and drums set the groove, the clavinet joins in bar five
        dict(bars=8, prog="intro", inten=(0.4, 0.55), bass="riff", comp="off", drums="chug", arp="pick",
             enter={"comp": 4, "arp": 6}, phrases=(4, 4), bass_gate=0.8),
        dict(bars=16, prog=("A", "Ac"), inten=(0.55, 0.65), bass="drive8", comp="funk", drums="chug",
             pad="swell", sus=True, inner="lead2", bass_gate=0.8, lead=("lead", "A", [[], ["dot", "close"]], {"suspend": True})),
        dict(bars=16, prog=("B", "Bc"), inten=(0.5, 0.62), bass="walk", arp="pick", drums="pop", pad=True,
             sus=True, runs="lead", lead2=("lead2", "B", [[], ["orn", "close"]])),
        dict(bars=8, prog="Ac", inten=0.68, bass="drive8", comp="funk", drums="chug", bass_gate=0.8, inner="pad",
             lead=("lead", "A", [["orn", "close"]]),
             lead2=("lead2", "A", [["close"]], {"octave": -1, "level": 0.65}), stop=2),
        # stop time: the band hits the downbeats under the clavinet's tune
        dict(bars=8, prog="brk", inten=(0.15, 0.25), bass="hits", comp="stops", drums="halftime",
             fill="snare", lead=("Clavinet", "A", [["inv", "dot", "close"]]), stop=1.5),
        dict(bars=16, prog=("A", "Ac"), shift=2, inten=(0.75, 0.85), bass="drive8", comp="funk", drums="rock",
             pad=True, sus=True, bass_gate=0.8, lead=("lead", "A", [["dot"], ["orn", "close"]], {"suspend": True}),
             lead2=("lead2", "A", [[], ["orn", "close"]], {"octave": -1, "level": 0.6})),
        dict(bars=8, prog="Bc", shift=2, inten=0.85, bass="walk", drums="pop", arp="pick", pad=True,
             lead2=("lead2", "B", [["dot", "close"]])),
        dict(bars=8, prog="Ac", shift=2, inten=(0.7, 0.45), bass="drive8", comp="off", drums="chug",
             tacet={"drums": (6, 8)}, fill=False, lead=("lead", "A", [["close"]])),
        dict(bars=2, prog="end", shift=2, inten=0.6, final=True),
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
        ("Synth Bass", 4, 38, 74, 64, 20, 0),
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
    "endings": {
        "A": {"close": theme("8:1 7:.5 5:.5 4:1 1:1", "2:.5 1:.5 0:2 r:1")},
        "B": {"close": theme("8:2 6:1 4:.5 1:.5", "0:3 r:1")},
    },
    "progressions": {
        "intro": ["i", "i", "bVI", "V"],
        "A": ["i", "bVI", "iv", "V", "i", "bVI", "bVII", "V"],
        "Ac": ["i", "bVI", "iv", "V", "i", "bVI", "V", "i"],
        "B": ["bVI", "bIII", "iv", "i", "bVI", "bVII", "V", "V"],
        "Bc": ["bVI", "bIII", "iv", "i", "bVI", "iv", "V", "i"],
        "brk": ["i", "iv", "bVI", "V"],
        "rise": ["iv", "bVI", "bVII", "V"],
        "end": ["i"],
    },
    "bass": {
        "pulse8": {"bars": ["R-R-8---5-R-8-5-", "R-8-R-5---8-u-A-", "R---5-8-R-5-3-A-", "R-8-5-R-8-5-R---"],
                   "bars2": ["R-8-R-8-5---u-A-", "R-R-5-8-5-R-8-AA", "R-5-8---3-5-R-A-", "R---5-8-R-5-3-A-"],
                   "turn": "R-R-8-R-5-3-uuA-", "end": "R-8-5-R-3-------"},
        "gallop": {"bars": ["R-RR8-RR5---R-A-", "R-85R-85R-8-R-A-", "R---R-RR8-RR5-A-", "R-RR8-RR5-RR3-u-"],
                   "bars2": ["R-RR8---5-RR3-A-", "R-85R-RR5---R-u-", "R-RR5-85R---5-A-", "R---R-85R-RR8-A-"],
                   "turn": "R-RR8-RR5-3-u-A-", "end": "R-RR8-RR5-------"},
        "hold": {"bars": ["R-------5-------", "R-------8-------", "R-------3---5---", "R-------5---A---"]},
    },
    "comp": {
        "saw": {"bars": ["C-----C---C-----", "C---C---C---C---", "C-----C-----C---", "C-C-----C-C-----"],
                "turn": "C-----C-C-C-C---"},
        "swell": {"bars": ["C---------------", "C-------C-------", "C-----------C---", "C-----C---------"],
                  "bars2": ["C-----------C-C-", "C---C-----------", "C-------C---C---", "C---------C-----"],
                  "turn": "C-------C-C-C-C-"},
    },
    "arp": {
        "ost8": {"bars": ["0-1-2-1-0-1-2-1-", "0-1-2-1-0-1-2---", "0-1-2-1-0---2-1-", "0---2-1-0-1-2-1-"],
                 "turn": "0-1-2-1-0-------"},
        "ost": {"bars": ["0102010201020102", "0102010201020-2-", "0102010-0102010-", "0-02010201020102"],
                "bars2": ["0102010201-20102", "01020102010-0102", "0102-10201020102", "010201020102-1-2"],
                "turn": "01020102010-----", "end": "0102010201020102"},
    },
    "final_voices": [("pad", 4, 0.7), ("lead2", 3, 0.65), ("bass", 1, 0.8), ("arp", 3, 0.7), ("lead", 3, 0.7)],
    "gain_db": 1.0,
    "defaults": {"fill_names": ("toms", "kit")},
    "sections": [
        # timpani and the string ostinato; choir and drums come in on bar five
        dict(bars=8, prog="intro", inten=(0.3, 0.5), arp="ost8", pad=True, timpani="phrase", bass="hold",
             drums="tribal", enter={"drums": 4, "pad": 4}, phrases=(4, 4), first_crash=False),
        dict(bars=16, prog=("A", "Ac"), inten=(0.55, 0.65), arp="ost", pad="swell", bass="pulse8",
             drums="tribal", timpani="phrase", bass_gate=0.7,
             lead=("lead", "A", [[], ["orn", "close"]], {"suspend": True})),
        dict(bars=16, prog=("B", "Bc"), inten=(0.6, 0.7), arp="ost8", bass="gallop", drums="rock", bass_gate=0.8,
             comp="saw", lead2=("lead2", "B", [[], ["close"]]), runs="lead",
             tacet={"arp": (12, 16)}),
        dict(bars=8, prog="Ac", inten=0.7, arp="ost", pad=True, bass="pulse8", drums="drive", bass_gate=0.7,
             lead=("lead", "A", [["dot", "close"]]), stop=2),
        # the choir alone with the low strings: the quietest part of the piece
        dict(bars=8, prog="brk", inten=(0.15, 0.25), pad=True, sus=True, pad_level=0.6, bass="hold",
             enter={"bass": 4}, lead=("comp", "A", [["retro", "close"]], {"level": 1.2})),
        # the way back: a timpani roll and the ostinato growing over four bars
        dict(bars=4, prog="rise", inten=(0.3, 0.8), arp="ost", bass="pulse8", timpani="roll", bass_gate=0.7,
             phrases=(4,), enter={"bass": 2}),
        dict(bars=16, prog=("A", "Ac"), inten=(0.78, 0.85), arp="ost", pad=True, sus=True, bass="gallop",
             drums="drive", timpani="downbeats", bass_gate=0.8,
             lead=("lead", "A", [["orn"], ["dot", "close"]], {"suspend": True}),
             lead2=("lead2", "A", [[], ["close"]], {"octave": -1, "level": 0.6})),
        dict(bars=16, prog=("B", "Bc"), inten=(0.85, 0.9), arp="ost", bass="gallop", drums="drive",
             comp="saw", bass_gate=0.8, lead2=("lead2", "B", [[], ["close"]]),
             lead=("lead", "B", [["orn"], ["close"]], {"octave": -1, "level": 0.7}), stop=1),
        dict(bars=8, prog="Ac", inten=(0.75, 0.5), arp="ost8", pad="swell", bass="pulse8", drums="rock",
             timpani="phrase", bass_gate=0.7, fill=False, lead=("lead", "A", [["close"]])),
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
        ("Synth Bass", 3, 39, 58, 64, 15, 0),
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
    "endings": {
        "A": {"close": theme("3:.5 5:.5 4:.5 2:.5 1:1 -1:1", "0:3 r:1")},
        "B": {"close": theme("8:1 6:1 4:1 8:1", "7:3 r:1")},
    },
    "progressions": {
        "intro": ["i", "i", "bVI", "bVII"],
        "A": ["i", "bVI", "bVII", "i", "i", "bVI", "iv", "V"],
        "Ac": ["i", "bVI", "bVII", "i", "i", "bVI", "V", "i"],
        "B": ["bVI", "bVII", "bIII", "i", "bVI", "bVII", "V", "V"],
        "Bc": ["bVI", "bVII", "bIII", "i", "bVI", "iv", "V", "i"],
        "brk": ["iv", "bVI", "i", "bVII", "iv", "bVI", "bVII", "V"],
        "build": ["bVI", "bVI", "bVII", "bVII", "iv", "iv", "V", "V"],
        "end": ["i"],
    },
    "bass": {
        "eights": {"bars": ["R-R-8-R-5-R-8-5-", "R-8---R-5-8-u-A-", "R-R-5-8---5-3-A-", "R-8-5-R-8---R-A-"],
                   "bars2": ["R-8-R-8-5-R---A-", "R---5-8-R-5-8-A-", "R-5-8-R-3---R-A-", "R-8-5---R-5-3-u-"],
                   "turn": "R-R-8-R-5-3-uuA-", "end": "R-8-5-R---------"},
        "drive": {"bars": ["R-R-8-R-R-5-8-AA", "R-58---R-5-8-A-A", "R-R-8-5-RR--8-A-", "R-8-R-5-R-8-uuA-"],
                  "bars2": ["R-RR8-R-5-R-8-A-", "R---8-R-5u-8-R-A", "R-8-5-8-R-5--RA-", "RRR-8-5---8-5-A-"],
                  "turn": "R-R-8-R-5-3-u-AA"},
        "gallop": {"bars": ["R-RR8-RR5---R-A-", "R-85R-85R-8-R-A-", "R---R-RR8-RR5-A-", "R-RR8-RR5-RR3-u-"],
                   "turn": "R-RR8-RR5-3-u-A-"},
        "hold": {"bars": ["R-------8---5---", "R-----5-8-------", "R-------5---A---", "R---5-------8---"]},
    },
    "comp": {
        "chug": {"bars": ["C-C-C-C-C-C-C-C-", "C-C-C---C-C-C-C-", "C-C-C-C-C---C-C-", "C---C-C-C-C-C---"],
                 "bars2": ["C-CCC-C-C-CCC-C-", "C-C-C-C-C-C---C-", "C---C-C-C-C-C-C-", "C-C-C-C-CCC-C---"],
                 "turn": "C-C-C-C-C-------", "end": "C-------C-------"},
        "stab": {"bars": ["C-----C-----C---", "C-----C---C-----", "C-----C-----C-C-", "C---C-----C-----"],
                 "turn": "C-----C-C-C-----"},
        "swell": {"bars": ["C---------------", "C-------C-------", "C-----------C---", "C-----C---------"],
                  "turn": "C-------C---C---"},
    },
    "arp": {"seq": {"bars": ["0121012101210121", "0121012101210-2-", "012101210121012-", "0-21012101-10121"],
                    "bars2": ["01210121-1210121", "0121-1210121-121", "012101210-210121", "0121012-01210121"],
                    "turn": "012101210-2-1-0-"},
            "seq8": {"bars": ["0-1-2-1-0-1-2-1-", "0-1-2---0-1-2-1-", "0-1-2-1-0---2---", "0---2-1-0-1-2---"],
                     "bars2": ["0-1-2-1-0-1-2-3-", "0-2-1-2-0---1---", "0-1-2-1---1-2-1-", "0-1---1-0-1-2-1-"],
                     "turn": "0-1-2-1-0-------"}},
    "final_voices": [("pad", 4, 0.75), ("comp", 3, 0.8), ("bass", 1, 0.85), ("lead", 3, 0.7)],
    "gain_db": 1.5,
    "defaults": {"fill_names": ("toms", "snare")},
    "sections": [
        # the arpeggio alone, then the band in bar five
        dict(bars=8, prog="intro", inten=(0.45, 0.65), comp="chug", power=True, comp_gate=0.5, bass="eights",
             bass_gate=0.6, drums="rock", arp="seq", enter={"comp": 4, "bass": 4, "drums": 4}, phrases=(4, 4),
             first_crash=False),
        dict(bars=16, prog=("A", "Ac"), inten=(0.6, 0.7), comp="lock", power=True, comp_gate=0.5, bass="drive",
             inner="pad",
             bass_gate=0.7, drums="rock", lead=("lead", "A", [[], ["orn", "close"]])),
        dict(bars=16, prog=("B", "Bc"), inten=(0.62, 0.72), comp="stab", power=True, comp_gate=0.9, pad=True,
             sus=True, bass="eights", bass_gate=0.7, drums="ride", arp="seq8", tacet={"arp": (8, 12)},
             lead2=("lead2", "B", [[], ["dot", "close"]], {"suspend": True})),
        dict(bars=16, prog=("A", "Ac"), inten=(0.72, 0.78), comp="chug", power=True, comp_gate=0.5, bass="gallop",
             drums="drive", inner="pad", lead=("lead", "A", [["push"], ["dot", "orn", "close"]]),
             lead2=("lead2", "B", [["aug"]], {"octave": -1, "level": 0.55})),
        dict(bars=8, prog="brk", inten=(0.25, 0.35), pad="swell", sus=True, arp="seq8", bass="hold", drums="halftime",
             fill="snare", lead2=("lead2", "A", [["inv", "close"]]), stop=2),
        # the drums alone for two bars, then the climb
        dict(bars=2, prog="brk", inten=0.6, drums="rock", phrases=(2,), fill="big"),
        dict(bars=8, prog="build", inten=(0.55, 0.9), comp="chug", power=True, comp_gate=0.5, bass="eights",
             bass_gate=0.6, roll=True, phrases=(8,), lead=("lead", "A", [[]], {"sequence": True})),
        dict(bars=16, prog=("B", "Bc"), shift=2, inten=(0.85, 0.9), comp="stab", power=True, comp_gate=0.9,
             pad="swell", sus=True, bass="eights", bass_gate=0.7, drums="drive", runs="arp",
             lead2=("lead2", "B", [["push"], ["orn", "close"]], {"suspend": True}),
             lead=("lead", "B", [["orn"], ["push", "close"]], {"octave": -1, "level": 0.6})),
        dict(bars=16, prog=("A", "Ac"), shift=2, inten=(0.9, 0.92), comp="lock", power=True, comp_gate=0.5,
             bass="gallop", drums="drive", inner="pad", lead=("lead", "A", [["orn", "push"], ["dot", "close"]]), stop=1),
        dict(bars=8, prog="Ac", shift=2, inten=(0.7, 0.5), pad=True, arp="seq", bass="drive", bass_gate=0.7,
             drums="rock", fill=False, lead=("lead", "A", [["close"]], {"suspend": True})),
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
        ("Synth Bass", 5, 38, 68, 64, 20, 0),
        ("Timpani", 6, 47, 108, 64, 50, 0),
        ("Horns", 7, 60, 82, 92, 60, 0),
        ("Drums", D, 16, 76, 64, 30, 0),
    ],
    "roles": {"lead": "Brass", "lead2": "Lead Guitar", "arp": "Strings", "pad": "Choir", "counter": "Horns",
              "comp": "Power Guitar", "bass": "Synth Bass", "timpani": "Timpani", "drums": "Drums"},
    "ranges": {"pad": (55, 76), "arp": (57, 81), "comp": (40, 52), "bass": (26, 38), "lead": (57, 79),
               "counter": (50, 70)},
    "themes": {
        "A": theme("4:1 4:.5 5:.5 4:1 2:1", "2:1 0:.5 2:.5 5:2", "4:1 4:.5 5:.5 4:1 7:1", "8:1.5 7:.5 6b:2",
                   "7:1 7:.5 9:.5 7:1 4:1", "5:1.5 4:.5 3:2", "1b:1 3:.5 5:.5 3:1 1b:1", "1:1 0:.5 -1:.5 -3:2"),
        "B": theme("10:2 9:1 7:1", "8:2 6b:2", "9:2 11:1 9:1", "12:3 r:1",
                   "12:1 10:1 8b:2", "10:2 8b:1 7:1", "8:2 6:2", "4:3 r:1"),
    },
    "endings": {
        "A": {"close": theme("4:1 3:.5 2:.5 1:1 -1:1", "0:3 r:1")},
        "B": {"close": theme("8:1 6:1 4:1 1:1", "2:.5 1:.5 0:2 r:1")},
    },
    "progressions": {
        "intro": ["i", "bVI", "iv", "V"],
        "A": ["i", "bVI", "bIII", "bVII", "i", "iv", "bII", "V"],
        "Ac": ["i", "bVI", "bIII", "bVII", "i", "iv", "V", "i"],
        "B": ["iv", "bVII", "bIII", "bVI", "bII", "bII", "V", "V"],
        "Bc": ["iv", "bVII", "bIII", "bVI", "bII", "iv", "V", "i"],
        "brk": ["i", "bVI", "iv", "V"],
        "pivot": ["V", "V"],
        "end": ["I"],
    },
    "bass": {
        "eights": {"bars": ["R-R-8-R-5-R-8-5-", "R-8---R-5-8-u-A-", "R-R-5-8---5-3-A-", "R-8-5-R-8---R-A-"],
                   "bars2": ["R-8-R-8-5-R---A-", "R---5-8-R-5-8-A-", "R-5-8-R-3---R-A-", "R-8-5---R-5-3-u-"],
                   "turn": "R-R-8-R-5-3-uuA-", "end": "R-8-5-R-3-5-8---"},
        "gallop": {"bars": ["R-RR8-RR5---R-A-", "R-85R-85R-8-R-A-", "R---R-RR8-RR5-A-", "R-RR8-RR5-RR3-u-"],
                   "bars2": ["R-RR8---5-RR3-A-", "R-85R-RR5---R-u-", "R-RR5-85R---5-A-", "R---R-85R-RR8-A-"],
                   "turn": "R-RR8-RR5-3-u-A-"},
        "octs": {"bars": ["R-8-R-8-5-8-R-8-", "R-8-5-8-R---3-A-", "R-8-R-8-R-8-5---", "R---R-8-5-8-R-A-"],
                 "turn": "R-8-R-8-5-3-u-A-"},
        "hold": {"bars": ["R-------5-------", "R-----8-5-------", "R-------3---5---", "R-------5---A---"]},
        "pedal": ["R-R-R-R-8-R-8-R-", "RRR-RRR-RRR-RRRR"],
    },
    "comp": {
        "chug": {"bars": ["C-C-C-C-C-C-C-C-", "C-C-C---C-C-C-C-", "C-C-C-C-C---C-C-", "C---C-C-C-C-C---"],
                 "turn": "C-C-C-C-C-------"},
        "stab": {"bars": ["C--C--C-C--C--C-", "C--C--C-C-------", "C--C--C---C--C--", "C--C----C--C--C-"],
                 "turn": "C--C--C-C-C-C---"},
        "swell": {"bars": ["C---------------", "C-------C-------", "C-----------C---", "C-----C---------"],
                  "bars2": ["C-----------C-C-", "C---C-----------", "C-------C---C---", "C---------C-----"],
                  "turn": "C-------C-C-C-C-"},
    },
    "arp": {"ost": {"bars": ["0120120120120120", "012012012012-1-0", "0120-20120120-20", "01201201-1201201"],
                    "bars2": ["0120120120-20120", "012-120120120120", "0120120120120---", "0-20120120120120"],
                    "turn": "012012012-------"},
            "ost8": {"bars": ["0-1-2-0-1-2-0-1-", "0-1-2---1-2-0-1-", "0-1-2-0-1---0-1-", "0---2-0-1-2-0-1-"],
                     "turn": "0-1-2-0---------"}},
    "final_voices": [("pad", 4, 0.8), ("counter", 3, 0.8), ("bass", 1, 0.9), ("arp", 4, 0.8),
                     ("lead", 3, 0.85), ("comp", 3, 0.8)],
    "gain_db": 1.2,
    "defaults": {"fill_names": ("big", "snare")},
    "sections": [
        # a march: timpani and strings, the drums from bar five
        dict(bars=8, prog="intro", inten=(0.45, 0.65), arp="ost8", timpani="downbeats", pad=True, bass="octs",
             bass_gate=0.6, drums="march", enter={"drums": 4, "bass": 2}, phrases=(4, 4), first_crash=False,
             fill="snare"),
        dict(bars=16, prog=("A", "Ac"), inten=(0.65, 0.75), arp="ost8", comp="lock", power=True, comp_gate=0.5,
             inner="counter",
             bass="eights", bass_gate=0.6, drums="drive", timpani="phrase", pad=True, sus="all",
             tacet={"pad": (0, 8)}, runs="lead2", run_step="16",
             lead=("lead", "A", [["push"], ["dot", "close"]], {"suspend": True})),
        dict(bars=16, prog=("B", "Bc"), inten=(0.68, 0.78), arp="ost8", pad=True, sus="all", comp="stab",
             power=True, comp_gate=0.8, bass="octs", bass_gate=0.6, drums="rock",
             lead2=("lead2", "B", [["push"], ["orn", "close"]], {"suspend": True})),
        dict(bars=16, prog=("A", "Ac"), inten=(0.75, 0.82), arp="ost", comp="lock", power=True, comp_gate=0.5,
             bass="gallop", drums="drive", inner="pad", runs="lead2", run_step="16",
             lead=("lead", "A", [["orn", "dot"], ["orn", "push", "close"]]),
             counter=("counter", "A", [["aug"]], {"octave": -1, "level": 0.65})),
        # half time: the horns alone over the choir, then a two-bar stop
        dict(bars=8, prog="brk", inten=(0.3, 0.4), pad="swell", sus=True, arp="ost8", arp_level=0.5, bass="hold",
             drums="halftime", fill="snare", counter=("counter", "A", [["inv", "close"]]), stop=2),
        # into the new key on its dominant: timpani and snare roll
        dict(bars=2, prog="pivot", shift=2, inten=(0.5, 0.9), bass="pedal", roll=True, timpani="roll",
             phrases=(2,)),
        dict(bars=16, prog=("A", "Ac"), shift=2, inten=(0.88, 0.95), arp="ost", comp="lock", power=True,
             comp_gate=0.5, bass="gallop", drums="double", timpani="downbeats",
             lead=("lead", "A", [["orn"], ["dot", "close"]], {"suspend": True}),
             lead2=("lead2", "A", [["orn"], ["push", "close"]], {"octave": -1, "level": 0.6})),
        dict(bars=16, prog=("B", "Bc"), shift=2, inten=(0.9, 0.95), arp="ost8", pad="swell", sus=True, comp="stab",
             power=True, comp_gate=0.8, bass="octs", bass_gate=0.6, drums="drive", runs="arp",
             lead2=("lead2", "B", [[], ["orn", "close"]]),
             counter=("counter", "B", [["aug"]], {"octave": -1, "level": 0.6}), stop=1),
        # drums, timpani and choir: the band gathers for the last statement
        dict(bars=8, prog="brk", shift=2, inten=(0.6, 0.75), pad=True, sus="all", bass="hold", drums="tribal",
             timpani="downbeats", enter={"bass": 4}),
        dict(bars=16, prog=("A", "Ac"), shift=2, inten=(0.95, 0.85), arp="ost", pad=True, comp="chug",
             power=True, comp_gate=0.5, bass="eights", bass_gate=0.6, drums="drive", timpani="phrase",
             fill=False, runs="lead2", lead=("lead", "A", [["push"], ["close"]], {"suspend": True})),
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
    "endings": {
        "A": {"close": theme("3:1 2:.5 1:.5 4:1 6:1", "7:3 r:1")},
        "B": {"close": theme("6:1 5:1 4:1 1:1", "2:.5 1:.5 0:2 r:1")},
    },
    "progressions": {
        "intro": ["I", "IV", "I", "V"],
        "A": ["I", "bVII IV", "I", "V", "vi", "IV", "ii V", "I"],
        "B": ["vi", "iii", "IV", "I", "ii", "V", "IV", "V"],
        "Bc": ["vi", "iii", "IV", "I", "ii", "V", "V", "I"],
        "brk": ["i", "bVI", "iv", "V", "i", "bVI", "iv", "V"],
        "build": ["IV", "V", "vi", "V"],
        "coda": ["I", "IV", "I", "V", "vi", "IV", "V", "I"],
        "end": ["I"],
    },
    "bass": {"hold": ["R---------------", "R-------5-------"],
             "march": {"bars": ["R-------5-------", "R-------3---5---", "R-----5-8-------", "R-------5---A---"],
                       "turn": "R---5---3---A---"},
             "walk": {"bars": ["R-----u-5-----A-", "R---3---5---u---", "R-----5-8---5-A-", "R---5---3-u-d---"],
                      "two": "R-----5-R-----A-", "turn": "R---3---5---A---"}},
    "comp": {"swell": {"bars": ["C---------------", "C-------C-------", "C-----------C---", "C-----C---------"],
                       "turn": "C-------C---C---"}},
    "arp": {"harp": {"bars": ["0-1-2-3-4-5-4-3-", "0-1-2-3-4---3---", "0---2-3-4-5-4-3-", "0-1-2-3-4-3-2---"],
                     "turn": "0-2-4-----------"},
            "rise": {"bars": ["0123456701234567", "0-2-4-6-01234567", "012345670-2-4-6-", "0123456701234567"]}},
    "final_voices": [("pad", 4, 0.7), ("pad2", 3, 0.65), ("bass", 1, 0.8), ("counter", 3, 0.7),
                     ("lead", 3, 0.75), ("arp", 4, 0.6)],
    "gain_db": 4.0,
    "defaults": {"fill_names": ("snare", "snare")},
    "sections": [
        dict(bars=4, prog="intro", inten=(0.25, 0.6), pad2=True, timpani="roll", arp="harp", bass="hold",
             phrases=(4,)),
        dict(bars=8, prog="A", inten=0.6, pad=True, bass="march", arp="harp", drums="march", fill="snare",
             timpani="phrase", lead=("lead", "A", [[]], {"suspend": True})),
        dict(bars=8, prog="A", inten=0.75, pad="swell", pad2=True, bass="walk", drums="march", fill="snare",
             lead=("lead", "A", [["orn"]], {"double": -2}), stop=2),
        dict(bars=8, prog="B", inten=(0.5, 0.6), pad2=True, sus=True, bass="march", arp="harp", runs="arp",
             lead2=("lead2", "B", [[]]), counter=("counter", "A", [["aug"]], {"octave": -1, "level": 0.6})),
        # the minor episode: the oboe alone over the choir, very soft
        dict(bars=8, prog="brk", mode="aeolian", inten=(0.15, 0.3), pad2=True, sus=True, bass="hold",
             timpani="phrase", enter={"bass": 2}, lead=("Oboe", "A", [["aug"]]), stop=1),
        dict(bars=4, prog="build", inten=(0.5, 0.9), pad="swell", bass="walk", timpani="roll", arp="rise",
             phrases=(4,), lead=("counter", "B", [[]], {"octave": -1})),
        dict(bars=8, prog="A", inten=0.9, pad2=True, sus=True, bass="walk", arp="harp", drums="march",
             fill="snare", timpani="phrase", lead=("lead", "A", [["orn"]], {"double": -2, "suspend": True}),
             lead2=("lead2", "A", [[]], {"octave": -1, "level": 0.8}),
             counter=("counter", "B", [["aug"]], {"octave": -1, "level": 0.6}), stop=2),
        dict(bars=8, prog="coda", inten=(0.8, 0.55), pad=True, pad2=True, bass="march", arp="harp",
             lead=("lead", "B", [["close"]], {"suspend": True})),
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
