"""Sound effects of the game: gun shot, hit, explosion and the end-of-game sting.

The game plays each effect as raw 8-bit unsigned mono samples at a rate
chosen per slot, whatever the file says:

    plyrshot.voc  7000 Hz (player fires)        11000 Hz (enemy fires)
    pickup.voc   11020 Hz (enemy hit)           10000 Hz (player hit)
    boom.voc      8000 Hz (enemy destroyed)      9000 Hz (player destroyed)
    terrible.wav 22000 Hz (end of the game, won or lost)

So each effect is designed at its lowest playing rate, keeps its energy
well below that rate's Nyquist frequency, and still sounds right when
played faster and higher.  The rate written into each file header is only
informative (other tools use it); the game ignores it.
"""

import pathlib
import struct

from snd_dsp import (
    OnePole,
    Rng,
    StateVariable,
    decay_factor,
    finish,
    glide,
    onepole_coeff,
    sine,
)


# ---------------------------------------------------------------- file writers


def voc_bytes(samples, nominal_rate):
    """Creative Voice file: 26-byte header, one sound-data block, terminator.

    The game's loader reads only the low byte of the header size at offset
    20, then the first block's 3-byte length L (time-constant byte, packing
    byte and samples), and copies L - 2 samples.
    """
    version = 0x010A
    check = (~version + 0x1234) & 0xFFFF
    header = b"Creative Voice File\x1a" + struct.pack("<HHH", 26, version, check)
    time_constant = 256 - (1000000 + nominal_rate // 2) // nominal_rate
    length = len(samples) + 2
    block = bytes([1]) + length.to_bytes(3, "little") + bytes([time_constant, 0])
    return header + block + samples + b"\x00"


def wav_bytes(samples, rate):
    """RIFF WAVE, PCM, 8-bit mono, with the format chunk right after the RIFF
    header and written with its 18-byte form (extra size 0), which is what
    the game's loader reads."""
    fmt = struct.pack("<HHIIHHH", 1, 1, rate, rate, 1, 8, 0)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(samples)) + samples
    if len(samples) % 2:
        body += b"\x00"  # RIFF chunks are padded to an even size
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ------------------------------------------------------------------- effects


def make_shot():
    """Blaster shot: a bright zap falling in pitch over a short noise crack
    and a small low thump.  0.27 s at 7000 Hz, 0.17 s at 11000 Hz."""
    rate = 7000
    n = 1900
    rng = Rng(0x5407)
    lp_noise = OnePole()
    out = []
    phase = 0.0
    thump_phase = 0.0
    env_zap = 1.0
    env_noise = 1.0
    env_thump = 1.0
    k_zap = decay_factor(0.075 * rate)
    k_noise = decay_factor(0.012 * rate)
    k_thump = decay_factor(0.04 * rate)
    a_noise = onepole_coeff(2200, rate)
    for i in range(n):
        f = glide(1500.0, 170.0, i, 0.22 * rate)
        phase += f / rate
        # a soft square: fundamental plus a third of the third harmonic
        # (the harmonic is faded out while it would fold back above Nyquist)
        third = min(1.0, max(0.0, (0.5 * rate - 3.0 * f) / 400.0))
        zap = sine(phase) + 0.33 * third * sine(3 * phase)
        noise = lp_noise.lowpass(rng.uniform(), a_noise)
        thump_phase += glide(130.0, 60.0, i, 0.08 * rate) / rate
        thump = sine(thump_phase)
        attack = min(1.0, i / 24.0)
        out.append(attack * (0.55 * env_zap * zap + 0.9 * env_noise * noise + 0.5 * env_thump * thump))
        env_zap *= k_zap
        env_noise *= k_noise
        env_thump *= k_thump
    return finish(out, peak=0.62, fade_in=8, fade_out=200), 8000


def make_hit():
    """Metallic hit: a clank of inharmonic partials on a short noise tick.
    0.22 s at 11020 Hz, slightly longer and lower at 10000 Hz."""
    rate = 11020
    n = 2450
    rng = Rng(0x41C7)
    svf = StateVariable()
    partials = [  # frequency, amplitude, decay time (s)
        (540.0, 0.9, 0.070),
        (1451.0, 0.6, 0.050),
        (2270.0, 0.45, 0.035),
        (3180.0, 0.3, 0.022),
    ]
    phases = [0.0] * len(partials)
    envs = [1.0] * len(partials)
    ks = [decay_factor(d * rate) for _, _, d in partials]
    env_tick = 1.0
    k_tick = decay_factor(0.006 * rate)
    blip_phase = 0.0
    env_blip = 1.0
    k_blip = decay_factor(0.03 * rate)
    out = []
    for i in range(n):
        s = 0.0
        for j, (f, amp, _) in enumerate(partials):
            phases[j] += f / rate
            s += amp * envs[j] * sine(phases[j])
            envs[j] *= ks[j]
        _, band, _ = svf.run(rng.uniform(), 3000.0, rate, 0.7)
        blip_phase += glide(950.0, 620.0, i, 0.05 * rate) / rate
        s += 0.9 * env_tick * band + 0.5 * env_blip * sine(blip_phase)
        env_tick *= k_tick
        env_blip *= k_blip
        attack = min(1.0, i / 10.0)
        out.append(attack * s)
    return finish(out, peak=0.78, fade_in=16, fade_out=300), 11025


def make_boom():
    """Explosion: a crack, a body of noise whose brightness closes down, a
    low rumble, a falling thump and a scatter of debris crackles.
    1.1 s at 8000 Hz, 0.98 s at 9000 Hz."""
    rate = 8000
    n = 8800
    rng = Rng(0xB00B5)
    crackle_rng = Rng(0xC4AC)
    body = StateVariable()
    rumble1 = OnePole()
    rumble2 = OnePole()
    a_rumble = onepole_coeff(140, rate)
    env_crack = 1.0
    k_crack = decay_factor(0.018 * rate)
    env_body = 1.0
    k_body = decay_factor(0.30 * rate)
    env_rumble = 1.0
    k_rumble = decay_factor(0.45 * rate)
    thump_phase = 0.0
    env_thump = 1.0
    k_thump = decay_factor(0.16 * rate)
    crackle = 0.0
    k_crackle = decay_factor(0.004 * rate)
    out = []
    for i in range(n):
        white = rng.uniform()
        cutoff = glide(2600.0, 160.0, i, 0.8 * rate)
        low, _, _ = body.run(white, cutoff, rate, 1.1)
        r = rumble2.lowpass(rumble1.lowpass(white, a_rumble), a_rumble)
        thump_phase += glide(95.0, 38.0, i, 0.35 * rate) / rate
        # debris: sparse clicks in the first two thirds, getting rarer
        if i < 0.65 * rate and crackle_rng.below(1000) < 14 - i * 14 // int(0.65 * rate):
            crackle += crackle_rng.uniform() * 0.8
        crackle *= k_crackle
        attack = min(1.0, i / 40.0)
        s = (
            0.8 * env_crack * white
            + 1.0 * env_body * low
            + 6.0 * env_rumble * r
            + 0.7 * env_thump * sine(thump_phase)
            + crackle * env_body
        )
        out.append(attack * s)
        env_crack *= k_crack
        env_body *= k_body
        env_rumble *= k_rumble
        env_thump *= k_thump
    return finish(out, peak=0.95, fade_in=12, fade_out=1200), 8000


# Band-limited waveforms for the sting, one cycle each, built from the sine
# table: a bright brass-like tone and a mellow one; the note fades from the
# first towards the second, as a brass section's tone darkens after its attack.
_WAVE_SIZE = 1024


def _additive(amplitudes):
    table = []
    for i in range(_WAVE_SIZE):
        p = i / _WAVE_SIZE
        table.append(sum(a * sine((h + 1) * p) for h, a in enumerate(amplitudes)))
    top = max(abs(v) for v in table)
    return [v / top for v in table]


def _lookup(table, phase):
    phase -= int(phase)
    pos = phase * _WAVE_SIZE
    i = int(pos)
    frac = pos - i
    a = table[i % _WAVE_SIZE]
    b = table[(i + 1) % _WAVE_SIZE]
    return a + (b - a) * frac


def _midi_hz(note):
    # equal temperament from A4 = 440 Hz; the twelfth root of two by
    # repeated multiplication keeps it free of pow()
    semitone = 1.0594630943592953
    f = 440.0
    steps = note - 69
    for _ in range(abs(steps)):
        f = f * semitone if steps > 0 else f / semitone
    return f


def make_sting():
    """End-of-game sting at 22000 Hz, 3.4 s: two short brass stabs, then a
    long dark chord with a timpani hit and a cymbal wash that dies away."""
    rate = 22000
    n = int(3.4 * rate)
    bright = _additive([1.0 / (h + 1) for h in range(12)])
    mellow = _additive([1.0 / ((h + 1) * (h + 1)) for h in range(12)])
    rng = Rng(0x7E77)
    cymbal = StateVariable()
    # (start s, stop s, notes): stab, stab, then the held chord -
    # D minor octaves, then B flat major over a low D.
    events = [
        (0.00, 0.16, [50, 62, 69]),
        (0.26, 0.42, [50, 62, 69]),
        (0.55, 3.40, [38, 50, 58, 62, 65, 70]),
    ]
    voices = []
    for start, stop, notes in events:
        for note in notes:
            voices.append([int(start * rate), int(stop * rate), _midi_hz(note), 0.0])
    out = [0.0] * n
    release = int(0.05 * rate)
    for v_start, v_stop, freq, phase in voices:
        held = v_stop - v_start > rate
        k = decay_factor((1.3 if held else 0.25) * rate)
        env = 1.0
        for i in range(v_start, min(v_stop, n)):
            t = i - v_start
            # slow vibrato on the held chord only, entering after half a second
            vib = 1.0
            if held and t > rate // 2:
                vib = 1.0 + 0.003 * sine(5.2 * t / rate)
            phase += freq * vib / rate
            brightness = env * env
            tone = brightness * _lookup(bright, phase) + (1.0 - brightness) * _lookup(mellow, phase)
            attack = min(1.0, t / (0.012 * rate))
            tail = 1.0
            if v_stop - i < release and not held:
                tail = (v_stop - i) / release
            out[i] += 0.22 * attack * tail * env * tone
            env *= k
    # timpani and cymbal under the held chord
    hit = int(0.55 * rate)
    timp_phase = 0.0
    env_timp = 1.0
    k_timp = decay_factor(0.55 * rate)
    env_cym = 1.0
    k_cym = decay_factor(0.7 * rate)
    for i in range(hit, n):
        t = i - hit
        timp_phase += glide(78.0, 73.4, t, 0.1 * rate) / rate
        _, _, high = cymbal.run(rng.uniform(), 6000.0, rate, 1.4)
        attack = min(1.0, t / 30.0)
        out[i] += attack * (0.9 * env_timp * sine(timp_phase) + 0.18 * env_cym * high)
        env_timp *= k_timp
        env_cym *= k_cym
    # long fade over the last 0.9 s so the chord dies instead of stopping
    fade = int(0.9 * rate)
    for j in range(fade):
        out[n - 1 - j] *= j / fade
    return finish(out, peak=0.9, fade_in=20, fade_out=200), rate


# ---------------------------------------------------------------- entry point


def generate(out_dir: pathlib.Path) -> list[pathlib.Path]:
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    written = []
    for name, maker in (("plyrshot.voc", make_shot), ("pickup.voc", make_hit), ("boom.voc", make_boom)):
        samples, nominal = maker()
        path = out_dir / name
        path.write_bytes(voc_bytes(samples, nominal))
        written.append(path)
    samples, rate = make_sting()
    path = out_dir / "terrible.wav"
    path.write_bytes(wav_bytes(samples, rate))
    written.append(path)
    return written
