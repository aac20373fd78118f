"""Standard MIDI File writer (format 1) for the generated music.

A song is a conductor track (name, tempo map, metre, key) plus one track per
instrument, each on its own channel.  Notes are kept as (start, length,
pitch, velocity) in ticks and turned into paired note-on/note-off events
only here, so a stuck note cannot be written: overlapping notes of the same
pitch on one channel are shortened to end where the next one starts.
"""

import struct

PPQ = 480
DRUM_CHANNEL = 9  # General MIDI percussion, "channel 10" to musicians


def _varlen(value):
    if value < 0:
        raise ValueError("negative delta time")
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def _chunk(kind, payload):
    return kind + struct.pack(">I", len(payload)) + payload


def _meta(kind, data):
    return bytes([0xFF, kind]) + _varlen(len(data)) + data


class Part:
    """One instrument: a channel with its sound settings and its notes."""

    def __init__(self, name, channel, program, volume, pan=64, reverb=40, chorus=0):
        self.name = name
        self.channel = channel
        self.program = program
        self.volume = volume
        self.pan = pan
        self.reverb = reverb
        self.chorus = chorus
        self.notes = []  # (start, length, pitch, velocity)
        self.controls = []  # (tick, controller, value) after time 0

    def add(self, start, length, pitch, velocity):
        if length <= 0:
            return
        if not 0 <= pitch <= 127:
            raise ValueError("pitch %d out of range in %s" % (pitch, self.name))
        velocity = max(1, min(127, int(velocity)))
        self.notes.append((int(start), int(length), int(pitch), velocity))

    def clear(self, start, end, since=0):
        """Silence [start, end): notes starting there go, notes sounding
        into it stop at start.  Only notes from index since on are touched,
        so one role's notes can be thinned without another's."""
        kept = self.notes[:since]
        for n in self.notes[since:]:
            s, length, pitch, vel = n
            if start <= s < end:
                continue
            if s < start < s + length:
                n = (s, start - s, pitch, vel)
            kept.append(n)
        self.notes = kept

    def resolved_notes(self):
        """Notes sorted, with same-pitch overlaps cut so each pitch sounds
        at most once at a time (a second note-on would leave the pairing of
        note-offs ambiguous to some players)."""
        by_pitch = {}
        for n in sorted(self.notes):
            by_pitch.setdefault(n[2], []).append(n)
        result = []
        for pitch, notes in by_pitch.items():
            kept = []
            for start, length, p, vel in notes:
                if kept and kept[-1][0] == start:
                    # two notes struck together: keep the louder, longer one
                    prev = kept[-1]
                    kept[-1] = (start, max(prev[1], length), p, max(prev[3], vel))
                    continue
                if kept and kept[-1][0] + kept[-1][1] > start:
                    prev = kept[-1]
                    kept[-1] = (prev[0], start - prev[0], prev[2], prev[3])
                kept.append((start, length, p, vel))
            result.extend(kept)
        result.sort()
        return result


def _track_bytes(events, end_tick):
    """events: (tick, order, bytes); order puts controls before note-offs
    before note-ons at one tick, so a re-struck note is released first."""
    events.sort(key=lambda e: (e[0], e[1]))
    out = bytearray()
    now = 0
    for tick, _, data in events:
        out += _varlen(tick - now) + data
        now = tick
    last = max(end_tick, now)
    out += _varlen(last - now) + _meta(0x2F, b"")
    return bytes(out)


def song_bytes(title, tempo_map, parts, end_tick, key_sharps=0, key_minor=False):
    """tempo_map: [(tick, microseconds per quarter)], starting at tick 0."""
    conductor = [(0, 0, _meta(0x03, title.encode("ascii")))]
    conductor.append((0, 0, _meta(0x58, bytes([4, 2, 24, 8]))))
    conductor.append((0, 0, _meta(0x59, struct.pack(">bB", key_sharps, 1 if key_minor else 0))))
    for tick, uspq in tempo_map:
        conductor.append((tick, 1, _meta(0x51, uspq.to_bytes(3, "big"))))
    tracks = [_track_bytes(conductor, end_tick)]
    for part in parts:
        ch = part.channel
        ev = [(0, 0, _meta(0x03, part.name.encode("ascii")))]
        # on the percussion channel the program picks the drum kit
        ev.append((0, 1, bytes([0xC0 | ch, part.program])))
        for order, (cc, val) in enumerate(
            ((7, part.volume), (10, part.pan), (91, part.reverb), (93, part.chorus)), start=2
        ):
            ev.append((0, order, bytes([0xB0 | ch, cc, val])))
        for tick, cc, val in part.controls:
            ev.append((tick, 6, bytes([0xB0 | ch, cc, val])))
        for start, length, pitch, vel in part.resolved_notes():
            ev.append((start, 10, bytes([0x90 | ch, pitch, vel])))
            ev.append((start + length, 8, bytes([0x80 | ch, pitch, 64])))
        tracks.append(_track_bytes(ev, end_tick))
    header = _chunk(b"MThd", struct.pack(">HHH", 1, len(tracks), PPQ))
    return header + b"".join(_chunk(b"MTrk", t) for t in tracks)
