"""The generated sound effects and music, read back the way the game reads them.

Parsed with this test's own readers, so a bug in the generator's writers cannot hide behind
itself.
"""

import pathlib
import struct
import sys
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
DATA = REPO / "data"
sys.path.insert(0, str(REPO / "tools" / "assetgen"))

# name: (playing rates of its slots, shortest and longest duration allowed at those rates)
VOC_FILES = {
    "plyrshot.voc": ((7000, 11000), 0.05, 0.39),  # the player may fire every 0.4 s
    "pickup.voc": ((11020, 10000), 0.05, 0.5),
    "boom.voc": ((8000, 9000), 0.7, 1.4),
}
STING_RATE = 22000
LEVEL_PIECES = ["DREAMS.MID", "CRAZYTRN.MID", "BLACKAN.MID", "JUMP1984.MID", "BEAUTIF.MID"]
TITLE_PIECE = "CAIRO.MID"


# ------------------------------------------------------------------ readers


def read_voc(data):
    """What the game's loader takes from a VOC file: the first block's
    samples (offset from the low byte at 20, length L - 2)."""
    first = data[20]
    end = first + 4 + int.from_bytes(data[first + 1:first + 4], "little")
    return {"signature": data[:20], "header_size": struct.unpack_from("<H", data, 20)[0],
            "block_type": data[first], "time_constant": data[first + 4],
            "packing": data[first + 5], "samples": data[first + 6:end], "end": end}


def read_wav(data):
    """The loader's path: RIFF/WAVE, the first chunk must be 'fmt ' read as an
    18-byte WAVEFORMATEX, then the 'data' chunk found by walking chunks."""
    assert data[:4] == b"RIFF" and data[8:12] == b"WAVE", "not a RIFF WAVE file"
    riff_size = struct.unpack_from("<I", data, 4)[0]
    chunks = {}
    order = []
    pos = 12
    while pos + 8 <= len(data):
        cid = data[pos:pos + 4]
        size = struct.unpack_from("<I", data, pos + 4)[0]
        chunks[cid] = data[pos + 8:pos + 8 + size]
        order.append((cid, size))
        pos += 8 + size + (size & 1)
    fmt = chunks[b"fmt "]
    fields = dict(zip(("tag", "channels", "rate", "byte_rate", "align", "bits"),
                      struct.unpack_from("<HHIIHH", fmt)))
    return dict(fields, riff_size=riff_size, order=order, fmt_size=len(fmt),
                samples=chunks[b"data"])


def _varlen(data, pos):
    value = 0
    while True:
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if not b & 0x80:
            return value, pos


def read_midi(data):
    """Standard MIDI File: header fields and, per track, a list of
    (absolute tick, kind, fields) events.  Handles running status."""
    assert data[:4] == b"MThd", "no MThd"
    hlen, fmt, ntracks, division = struct.unpack_from(">IHHH", data, 4)
    pos = 8 + hlen
    tracks = []
    for _ in range(ntracks):
        assert data[pos:pos + 4] == b"MTrk", "missing MTrk at %d" % pos
        tlen = struct.unpack_from(">I", data, pos + 4)[0]
        body = data[pos + 8:pos + 8 + tlen]
        assert len(body) == tlen, "track runs past the end of the file"
        pos += 8 + tlen
        events = []
        tick = 0
        i = 0
        status = None
        while i < len(body):
            delta, i = _varlen(body, i)
            tick += delta
            b = body[i]
            if b == 0xFF:
                kind = body[i + 1]
                n, i = _varlen(body, i + 2)
                events.append((tick, "meta", (kind, body[i:i + n])))
                i += n
                continue
            if b in (0xF0, 0xF7):
                n, i = _varlen(body, i + 1)
                i += n
                continue
            if b & 0x80:
                status = b
                i += 1
            hi, ch = status & 0xF0, status & 0x0F
            nbytes = 1 if hi in (0xC0, 0xD0) else 2
            args = tuple(body[i:i + nbytes])
            i += nbytes
            if hi == 0x90 and args[1] > 0:
                events.append((tick, "on", (ch,) + args))
            elif hi == 0x80 or hi == 0x90:
                events.append((tick, "off", (ch, args[0])))
            elif hi == 0xB0:
                events.append((tick, "cc", (ch,) + args))
            elif hi == 0xC0:
                events.append((tick, "program", (ch,) + args))
            else:
                events.append((tick, "other", (ch,) + args))
        tracks.append(events)
    assert pos == len(data), "bytes after the last track"
    return {"format": fmt, "division": division, "tracks": tracks}


def paired_notes(tracks):
    """(channel, pitch, start, end) for every note; raises on a note-off
    with no note sounding or a note left sounding at the end of its track."""
    notes = []
    for t, events in enumerate(tracks):
        sounding = {}
        for tick, kind, f in events:
            if kind == "on":
                key = (f[0], f[1])
                if key in sounding:
                    raise AssertionError("track %d: note %s struck again at %d while sounding" % (t, key, tick))
                sounding[key] = tick
            elif kind == "off":
                key = (f[0], f[1])
                if key not in sounding:
                    raise AssertionError("track %d: note-off %s at %d without note-on" % (t, key, tick))
                notes.append((f[0], f[1], sounding.pop(key), tick))
        if sounding:
            raise AssertionError("track %d: notes never released: %s" % (t, sorted(sounding)))
    return notes


def seconds_at(tracks, division, end_tick):
    """Seconds from the start to end_tick, following every tempo change."""
    tempos = sorted((tick, int.from_bytes(f[1], "big"))
                    for events in tracks for tick, kind, f in events if kind == "meta" and f[0] == 0x51)
    if not tempos or tempos[0][0] != 0:
        tempos.insert(0, (0, 500000))  # the file format's default, 120 per minute
    total = 0.0
    for (t0, us), nxt in zip(tempos, tempos[1:] + [(end_tick, 0)]):
        if t0 >= end_tick:
            break
        total += (min(nxt[0], end_tick) - t0) * us / division / 1e6
    return total


def last_tick(tracks):
    return max(events[-1][0] for events in tracks if events)


# -------------------------------------------------------------------- tests


class SoundEffectTest(unittest.TestCase):
    def check_clean(self, name, samples):
        self.assertGreater(len(samples), 100, name)
        self.assertEqual(samples[0], 128, "%s starts off the midpoint (click)" % name)
        self.assertEqual(samples[-1], 128, "%s ends off the midpoint (click)" % name)
        for edge in (samples[:4], samples[-4:]):
            self.assertLessEqual(max(abs(s - 128) for s in edge), 6, "%s jumps at an edge" % name)
        self.assertGreater(min(samples), 0, "%s clips at the bottom" % name)
        self.assertLess(max(samples), 255, "%s clips at the top" % name)
        mean = sum(samples) / len(samples)
        self.assertAlmostEqual(mean, 128.0, delta=1.0, msg="%s has a DC offset" % name)
        # not silence: a real effect swings well away from the midpoint
        self.assertGreater(max(abs(s - 128) for s in samples), 60, "%s is too quiet" % name)

    def test_voc_files_as_the_loader_reads_them(self):
        for name, (rates, shortest, longest) in VOC_FILES.items():
            with self.subTest(file=name):
                data = (DATA / name).read_bytes()
                voc = read_voc(data)
                self.assertEqual(voc["signature"], b"Creative Voice File\x1a")
                self.assertEqual(voc["header_size"], 26)
                self.assertEqual(voc["block_type"], 1, "first block is not sound data")
                self.assertEqual(voc["packing"], 0, "samples are not 8-bit unsigned")
                self.assertLessEqual(voc["end"], len(data), "block length runs past the end of the file")
                rate = 1000000 // (256 - voc["time_constant"])
                self.assertTrue(4000 <= rate <= 12000, "implausible nominal rate %d" % rate)
                samples = voc["samples"]
                self.check_clean(name, samples)
                for hz in rates:
                    seconds = len(samples) / hz
                    self.assertTrue(shortest <= seconds <= longest,
                                    "%s lasts %.2f s at %d Hz" % (name, seconds, hz))

    def test_end_of_game_wave(self):
        data = (DATA / "terrible.wav").read_bytes()
        wav = read_wav(data)
        self.assertEqual(wav["riff_size"], len(data) - 8)
        self.assertEqual(wav["order"][0][0], b"fmt ", "the loader needs the format chunk first")
        self.assertGreaterEqual(wav["fmt_size"], 18, "the loader reads an 18-byte format")
        self.assertEqual((wav["tag"], wav["channels"], wav["bits"], wav["align"]), (1, 1, 8, 1))
        self.assertEqual(wav["byte_rate"], wav["rate"])
        samples = wav["samples"]
        self.check_clean("terrible.wav", samples)
        seconds = len(samples) / STING_RATE
        self.assertTrue(2.0 <= seconds <= 4.0, "sting lasts %.2f s" % seconds)


class MusicTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.songs = {}
        for name in LEVEL_PIECES + [TITLE_PIECE]:
            cls.songs[name] = read_midi((DATA / name).read_bytes())

    def test_every_note_is_released_and_none_is_held_too_long(self):
        for name, song in self.songs.items():
            with self.subTest(file=name):
                notes = paired_notes(song["tracks"])
                self.assertGreater(len(notes), 500)
                longest = max(end - start for _, _, start, end in notes)
                # the closing chord is the longest note: two bars of 4/4
                self.assertLessEqual(longest, 8 * song["division"])
                self.assertTrue(all(end > start for _, _, start, end in notes), "zero-length note")

    def test_each_channel_is_set_up_at_the_start_and_plays(self):
        for name, song in self.songs.items():
            with self.subTest(file=name):
                setup = {}
                for events in song["tracks"]:
                    for tick, kind, f in events:
                        if tick == 0 and kind == "program":
                            setup.setdefault(f[0], set()).add("program")
                        if tick == 0 and kind == "cc" and f[1] == 7:
                            setup.setdefault(f[0], set()).add("volume")
                played = {ch for ch, _, _, _ in paired_notes(song["tracks"])}
                self.assertIn(9, played, "no drums on the percussion channel")
                for ch in played:
                    self.assertEqual(setup.get(ch), {"program", "volume"}, "channel %d not set up at time 0" % ch)
                # every instrument track carries notes
                for t, events in enumerate(song["tracks"][1:], start=1):
                    self.assertTrue(any(k == "on" for _, k, _ in events), "track %d is empty" % t)

    def test_lengths(self):
        for name in LEVEL_PIECES:
            song = self.songs[name]
            seconds = seconds_at(song["tracks"], song["division"], last_tick(song["tracks"]))
            with self.subTest(file=name, seconds=round(seconds, 1)):
                self.assertTrue(180 <= seconds <= 240)
        song = self.songs[TITLE_PIECE]
        seconds = seconds_at(song["tracks"], song["division"], last_tick(song["tracks"]))
        self.assertTrue(60 <= seconds <= 240, "title piece lasts %.1f s" % seconds)

    def test_levels_rise_in_tempo(self):
        def opening_tempo(song):
            return min((tick, int.from_bytes(f[1], "big")) for events in song["tracks"]
                       for tick, kind, f in events if kind == "meta" and f[0] == 0x51)[1]

        tempos = [opening_tempo(self.songs[n]) for n in LEVEL_PIECES]
        # microseconds per quarter: smaller is faster
        self.assertEqual(tempos, sorted(tempos, reverse=True))
        self.assertEqual(len(set(tempos)), len(tempos))


if __name__ == "__main__":
    unittest.main()
