"""Synthesized sound effects and music as PCM WAVE files ("fmt " first, then "data").

Every effect is mono (the positioned ones must be, and the rest gain nothing from two
channels), 16-bit, with its attack in the first milliseconds so that a restart is heard
at once. Music comes in two forms:

* short (default): a few seconds of one seamless loop. The stage code sets loop positions
  far beyond such a file, so the buffer simply wraps at its end, which is seamless too.
* full (--full-music): 44100 Hz stereo files that run one second past the loop end of the
  stage's loop table, periodic with period (loop end - loop start), both rounded down to
  whole frames, so the jump back to the loop start is seamless. About 165 MB in all.
"""
import array
import math
import random
import struct

SR = 22050

# Loop positions of the stage music in bytes of the play cursor ("mu8" shares "mu6"'s).
MUSIC_LOOPS = {
    "mu1": (1052578, 23965704),
    "mu2": (1964214, 16996139),
    "mu3": (1052578, 11441304),
    "mu4": (176400, 13335839),
    "mu5": (186983, 12612600),
    "mu6": (121186, 23974877),
    "mu7": (176400, 36867600),
    "mu8": (121186, 23974877),
}


def wave_bytes(samples, rate, channels=1):
    """16-bit PCM WAVE: RIFF header, a 16-byte "fmt " chunk first, then "data"."""
    if isinstance(samples, (bytes, bytearray)):
        data = bytes(samples)
    else:
        data = pcm16(samples)
    block = 2 * channels
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * block, block, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def pcm16(samples, peak=0.85):
    m = max(1e-9, max(abs(s) for s in samples))
    k = peak * 32767 / m
    return array.array("h", [int(s * k) for s in samples]).tobytes()


def parse_wave(data):
    """(format tag, channels, rate, bits, data bytes) of a WAVE image; raises ValueError."""
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE" or data[12:16] != b"fmt ":
        raise ValueError("not a RIFF/WAVE file with 'fmt ' first")
    n = struct.unpack("<I", data[16:20])[0]
    tag, ch, rate, _, _, bits = struct.unpack("<HHIIHH", data[20:36])
    pos = 20 + n
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        if cid == b"data":
            if pos + 8 + size > len(data):
                raise ValueError("data chunk runs past the end")
            return tag, ch, rate, bits, data[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)
    raise ValueError("no data chunk")


# ---- building blocks --------------------------------------------------------------------------
def n_of(sec, sr=SR):
    return int(sec * sr)


def noise(n, rng):
    return [rng.uniform(-1, 1) for _ in range(n)]


def lowpass(x, cutoff, sr=SR):
    """One-pole low-pass; cutoff may be a number or a list (a sweep)."""
    out, y = [], 0.0
    if isinstance(cutoff, (int, float)):
        a = 1 - math.exp(-2 * math.pi * cutoff / sr)
        for s in x:
            y += a * (s - y)
            out.append(y)
    else:
        for s, c in zip(x, cutoff):
            y += (1 - math.exp(-2 * math.pi * c / sr)) * (s - y)
            out.append(y)
    return out


def highpass(x, cutoff, sr=SR):
    lp = lowpass(x, cutoff, sr)
    return [a - b for a, b in zip(x, lp)]


def env_exp(n, decay, attack=0.002, sr=SR):
    """Fast attack, exponential decay (decay = time constant in seconds)."""
    na = max(1, int(attack * sr))
    return [(i / na if i < na else math.exp(-(i - na) / (decay * sr))) for i in range(n)]


def sweep_osc(n, f0, f1, shape="sine", sr=SR, curve=1.0):
    out, ph = [], 0.0
    for i in range(n):
        t = (i / max(1, n - 1)) ** curve
        f = f0 + (f1 - f0) * t
        ph += f / sr
        p = ph % 1.0
        if shape == "sine":
            out.append(math.sin(2 * math.pi * p))
        elif shape == "square":
            out.append(1.0 if p < 0.5 else -1.0)
        elif shape == "saw":
            out.append(2 * p - 1)
        else:  # triangle
            out.append(4 * abs(p - 0.5) - 1)
    return out


def mul(a, b):
    return [x * y for x, y in zip(a, b)]


def mix_into(buf, x, start=0, gain=1.0, wrap=False):
    n = len(buf)
    for i, s in enumerate(x):
        j = start + i
        if j >= n:
            if not wrap:
                break
            j %= n
        buf[j] += s * gain


def fade_out(x, sec, sr=SR):
    k = min(len(x), int(sec * sr))
    for i in range(k):
        x[len(x) - k + i] *= 1 - i / k
    return x


# ---- effects ----------------------------------------------------------------------------------------
def explosion(dur, body, rumble, seed, bright=3000.0):
    """Noise burst shaped by an exponential envelope, darkening as it decays, over a
    falling sine thump."""
    rng = random.Random(seed)
    n = n_of(dur)
    nz = noise(n, rng)
    cut = [bright * math.exp(-3 * i / n) + 150 for i in range(n)]
    burst = mul(lowpass(nz, cut), env_exp(n, body))
    thump = mul(sweep_osc(n, 140, 35, curve=0.5), env_exp(n, rumble, 0.001))
    out = [a * 1.6 + b * 0.9 for a, b in zip(burst, thump)]
    return fade_out(out, min(0.3, dur * 0.3))


def shot():
    n = n_of(0.15)
    rng = random.Random(2)
    click = mul(highpass(noise(n, rng), 2500), env_exp(n, 0.008, 0.0005))
    tone = mul(sweep_osc(n, 1400, 500, "square"), env_exp(n, 0.03, 0.0005))
    return fade_out([a * 0.8 + b * 0.35 for a, b in zip(click, tone)], 0.05)


def missile_whoosh():
    n = n_of(0.55)
    rng = random.Random(3)
    cut = [400 + 5000 * math.sin(math.pi * min(1.0, i / n * 1.3)) for i in range(n)]
    body = mul(lowpass(noise(n, rng), cut), env_exp(n, 0.25, 0.003))
    tone = mul(sweep_osc(n, 300, 900, "saw"), env_exp(n, 0.12, 0.002))
    return fade_out([a * 1.5 + 0.15 * b for a, b in zip(body, tone)], 0.1)


def blip(freq, dur, shape="sine", decay=0.03):
    n = n_of(dur)
    return fade_out(mul(sweep_osc(n, freq, freq, shape), env_exp(n, decay, 0.001)), dur * 0.3)


def wind_loop():
    """Engine and wind noise, 2 s at 44100 Hz, seamless: the hum's frequencies fit whole
    cycles into the loop and the noise is cross-faded over the seam."""
    sr, sec, xf = 44100, 2.0, 0.25
    n, nx = int(sec * sr), int(xf * sr)
    rng = random.Random(4)
    nz = lowpass(noise(n + nx, rng), 900, sr)
    gust = [0.7 + 0.3 * math.sin(2 * math.pi * 1.0 * i / sr) for i in range(n + nx)]
    nz = mul(nz, gust)
    for i in range(nx):   # cross-fade the tail over the head
        t = i / nx
        nz[i] = nz[i] * math.sqrt(t) + nz[n + i] * math.sqrt(1 - t)
    nz = nz[:n]
    hum = [0.22 * math.sin(2 * math.pi * 110 * i / sr) + 0.12 * math.sin(2 * math.pi * 220 * i / sr)
           + 0.06 * math.sin(2 * math.pi * 55 * i / sr) for i in range(n)]
    return [a * 3.0 + b for a, b in zip(nz, hum)], sr


def jingle(notes, step, shape="square", decay=0.25, tail=0.8):
    """A sequence of (semitone offset from A4, start step) notes."""
    total = max(s for _, s in notes) * step + tail
    buf = [0.0] * n_of(total)
    for semi, s in notes:
        f = 440.0 * 2 ** (semi / 12.0)
        n = n_of(decay * 4)
        tone = [a * 0.6 + b * 0.4 for a, b in zip(sweep_osc(n, f, f, shape), sweep_osc(n, f * 2, f * 2))]
        mix_into(buf, mul(tone, env_exp(n, decay, 0.004)), n_of(s * step))
    return fade_out(buf, 0.2)


def ray_sound():
    n1, n2 = n_of(0.3), n_of(0.75)
    charge = mul(sweep_osc(n1, 300, 1800, "sine", curve=2.0), [0.2 + 0.8 * i / n1 for i in range(n1)])
    vib = [2200 + 60 * math.sin(2 * math.pi * 28 * i / SR) for i in range(n2)]
    ph, beam = 0.0, []
    for f in vib:
        ph += f / SR
        beam.append((2 * (ph % 1.0) - 1) * 0.4 + math.sin(2 * math.pi * ph * 0.5) * 0.4)
    beam = mul(lowpass(beam, 5000), env_exp(n2, 0.35, 0.001))
    return fade_out(charge + beam, 0.1)


def zenk_swell():
    """A rising chord that can be cut anywhere: 4 s."""
    n = n_of(4.0)
    buf = [0.0] * n
    for semi in (0, 4, 7, 12):
        f0 = 220 * 2 ** (semi / 12.0)
        tone = sweep_osc(n, f0, f0 * 1.5, "saw", curve=1.5)
        mix_into(buf, tone, 0, 0.25)
    buf = lowpass(buf, [600 + 5000 * i / n for i in range(n)])
    trem = [min(1.0, 0.05 + i / (0.15 * SR)) * (0.8 + 0.2 * math.sin(2 * math.pi * 6 * i / SR)) for i in range(n)]
    return fade_out(mul(buf, trem), 0.3)


def chime(freqs, dur, decay):
    n = n_of(dur)
    buf = [0.0] * n
    for k, f in enumerate(freqs):
        start = n_of(0.08 * k)
        m = n - start
        mix_into(buf, mul(sweep_osc(m, f, f), env_exp(m, decay, 0.002)), start, 0.5)
        mix_into(buf, mul(sweep_osc(m, f * 2.76, f * 2.76), env_exp(m, decay * 0.4, 0.002)), start, 0.15)
    return fade_out(buf, 0.05)


def nuke_launch():
    rng = random.Random(9)
    n = n_of(0.8)
    thump = mul(sweep_osc(n, 120, 40, curve=0.4), env_exp(n, 0.2, 0.0005))
    hiss = mul(lowpass(noise(n, rng), [3000 - 2500 * i / n for i in range(n)]), env_exp(n, 0.35, 0.001))
    return fade_out([a + 1.2 * b for a, b in zip(thump, hiss)], 0.15)


def spell_sting():
    n = n_of(1.6)
    buf = [0.0] * n
    for semi in (-12, 0, 3, 7, 10):
        f = 220 * 2 ** (semi / 12.0)
        mix_into(buf, sweep_osc(n, f, f * 0.98, "saw"), 0, 0.22)
    buf = mul(lowpass(buf, [6000 * math.exp(-2.5 * i / n) + 300 for i in range(n)]), env_exp(n, 0.6, 0.002))
    rng = random.Random(10)
    crash = mul(highpass(noise(n, rng), 3000), env_exp(n, 0.25, 0.001))
    return fade_out([a + 0.5 * b for a, b in zip(buf, crash)], 0.2)


def tick():
    n = n_of(0.035)
    return fade_out(mul(sweep_osc(n, 2400, 1800, "square"), env_exp(n, 0.006, 0.0003)), 0.01)


EFFECTS = {
    # file under ./data/sound/: (builder, sample rate)
    "effect/exp01.wav": lambda: explosion(0.45, 0.06, 0.05, 11, 5000),
    "effect/exp02.wav": lambda: explosion(0.7, 0.1, 0.08, 12, 4000),
    "effect/expb01.wav": lambda: explosion(1.0, 0.18, 0.15, 13, 3000),
    "effect/bom26_a.wav": lambda: explosion(1.5, 0.3, 0.25, 14, 2500),
    "effect/bom31_a.wav": lambda: explosion(2.0, 0.45, 0.4, 15, 2200),
    "effect/bom35.wav": lambda: explosion(2.8, 0.8, 0.7, 16, 1800),
    "effect2/shot_02.wav": shot,
    "effect2/missile.wav": missile_whoosh,
    "effect2/lockon.wav": lambda: blip(1760, 0.06, "square", 0.02),
    "wind.wav": None,  # built by wind_loop at 44100 Hz
    "deadend.wav": lambda: jingle([(3, 0), (0, 1), (-4, 2), (-9, 3), (-12, 5), (-9, 5), (-5, 5)], 0.28, "square",
                                  0.3, 1.2),
    "ray.wav": ray_sound,
    "zenk.wav": zenk_swell,
    "zenkready.wav": lambda: chime([1046.5, 1568.0], 0.8, 0.25),
    "nuke_launch.wav": nuke_launch,
    "spell.wav": spell_sting,
    "score1.wav": tick,
    "score2.wav": lambda: chime([880.0, 1318.5, 1760.0], 0.5, 0.15),
}


def effect_bytes(name):
    if name == "wind.wav":
        samples, sr = wind_loop()
        return wave_bytes(samples, sr)
    return wave_bytes(EFFECTS[name](), SR)


# ---- music ---------------------------------------------------------------------------------------------
SCALES = {"major": [0, 2, 4, 5, 7, 9, 11], "minor": [0, 2, 3, 5, 7, 8, 10], "dorian": [0, 2, 3, 5, 7, 9, 10]}

TRACKS = {
    # bpm, root (semitones from A3), scale, chord degrees per bar, lead seed, drive
    "mu1": (144, 3, "major", [0, 5, 3, 4], 1, 1.0),     # main flight theme
    "mu2": (156, 0, "minor", [0, 5, 6, 4], 2, 1.2),     # stage-1 boss
    "mu3": (150, 5, "dorian", [0, 3, 6, 4], 3, 1.1),    # stage-3 boss
    "mu4": (138, -2, "minor", [0, 6, 5, 4], 4, 1.3),    # stage-4 boss, in the caves
    "mu5": (132, 7, "major", [0, 3, 4, 0], 5, 0.9),     # stage-5 boss, among the flowers
    "mu6": (160, 1, "minor", [0, 3, 5, 4], 6, 1.4),     # last boss
    "mu7": (148, 8, "dorian", [0, 6, 3, 4], 7, 1.0),    # the late flights
    "mu8": (164, 10, "minor", [0, 5, 3, 6], 8, 1.5),    # extra stage
}


class _NoteCache:
    def __init__(self, sr):
        self.sr, self.cache = sr, {}

    def get(self, kind, freq, dur):
        key = (kind, round(freq, 3), round(dur, 4))
        if key in self.cache:
            return self.cache[key]
        sr = self.sr
        n = int(dur * sr)
        if kind == "bass":
            w = sweep_osc(n, freq, freq, "triangle", sr)
            e = [min(1.0, i / (0.004 * sr)) * math.exp(-i / (0.25 * sr)) for i in range(n)]
        elif kind == "pad":
            w = [a * 0.5 + b * 0.5 for a, b in zip(sweep_osc(n, freq, freq, "saw", sr),
                                                 sweep_osc(n, freq * 1.004, freq * 1.004, "saw", sr))]
            w = lowpass(w, 1800, sr)
            e = [min(1.0, i / (0.08 * sr)) * min(1.0, (n - i) / (0.1 * sr)) for i in range(n)]
        elif kind == "lead":
            ph, w = 0.0, []
            for i in range(n):
                ph += freq * (1 + 0.006 * math.sin(2 * math.pi * 5.5 * i / sr)) / sr
                w.append(1.0 if ph % 1.0 < 0.25 else -1.0)
            w = lowpass(w, 3500, sr)
            e = [min(1.0, i / (0.005 * sr)) * (0.6 + 0.4 * math.exp(-i / (0.1 * sr))) * min(1.0, (n - i) / (0.02 * sr))
                 for i in range(n)]
        elif kind == "kick":
            w = sweep_osc(n, 150, 45, "sine", sr, curve=0.4)
            e = [math.exp(-i / (0.09 * sr)) for i in range(n)]
        elif kind == "snare":
            rng = random.Random(77)
            w = [a * 0.7 + b * 0.3 for a, b in zip(highpass(noise(n, rng), 1200, sr), sweep_osc(n, 200, 180, "sine", sr))]
            e = [math.exp(-i / (0.06 * sr)) for i in range(n)]
        else:  # hat
            rng = random.Random(78)
            w = highpass(noise(n, rng), 6000, sr)
            e = [math.exp(-i / (0.015 * sr)) for i in range(n)]
        out = mul(w, e)
        self.cache[key] = out
        return out


def music_pattern(track, sr, frames=None):
    """Two bars of the track as a circular buffer of whole frames (tails wrap to the start),
    so that the pattern repeats without a seam. frames fixes the length (the tempo follows)."""
    bpm, root, scale, chords, seed, drive = TRACKS[track]
    bars = 2
    n = frames or int(round(bars * 4 * 60.0 / bpm * sr))
    beat = n / float(bars * 4 * sr)
    buf = [0.0] * n
    notes = _NoteCache(sr)
    rng = random.Random(seed)
    deg = SCALES[scale]

    def freq(step, octave=0):
        o, k = divmod(step, 7)
        return 220.0 * 2 ** ((root + deg[k] + 12 * (o + octave)) / 12.0)

    def at(b):
        return int(round(b * beat * sr)) % n
    for bar in range(bars):
        for half in range(2):
            chord = chords[(bar * 2 + half) % len(chords)]
            t0 = bar * 4 + half * 2
            for k in (0, 2, 4):
                mix_into(buf, notes.get("pad", freq(chord + k), 2 * beat), at(t0), 0.13, wrap=True)
            for e in range(4):
                mix_into(buf, notes.get("bass", freq(chord, -1) * (2 if e % 2 else 1), beat * 0.45),
                         at(t0 + e * 0.5), 0.35, wrap=True)
    # lead: a stepwise tune over the chords, eighth and quarter notes
    b, step = 0.0, rng.randrange(7) + 7
    while b < bars * 4 - 0.01:
        dur = 0.5 if rng.random() < 0.6 else 1.0
        step += rng.choice([-2, -1, -1, 1, 1, 2, 0, 3, -3])
        step = max(5, min(14, step))
        if rng.random() > 0.12:
            mix_into(buf, notes.get("lead", freq(step), dur * beat * 0.9), at(b), 0.2, wrap=True)
        b += dur
    for q in range(bars * 4):
        mix_into(buf, notes.get("kick", 0, 0.25), at(q), 0.5 * drive, wrap=True)
        if q % 2 == 1:
            mix_into(buf, notes.get("snare", 0, 0.2), at(q), 0.3 * drive, wrap=True)
        for h in (0.0, 0.5):
            mix_into(buf, notes.get("hat", 0, 0.05), at(q + h), 0.12, wrap=True)
    return buf


def music_bytes(track, full=False):
    """The music file. Short: one pattern at 22050 Hz mono. Full: 44100 Hz stereo, periodic
    with period (loop end - loop start) frames so that the jump back is seamless, running
    one second past the loop end."""
    if not full:
        return wave_bytes(music_pattern(track, SR), SR)
    sr, block = 44100, 4
    start, end = MUSIC_LOOPS[track]
    start -= start % block
    end -= end % block
    period = (end - start) // block
    bpm = TRACKS[track][0]
    nominal = 8 * 60.0 / bpm * sr
    # the period is cut into `count` patterns of `base` or `base + 1` frames; the pattern is
    # rendered at exactly `base` frames (the tempo moves by well under one per cent) and the
    # longer ones repeat their last frame
    count = max(1, int(round(period / nominal)))
    base, extra = divmod(period, count)
    mono = array.array("h", pcm16(music_pattern(track, sr, base), 0.8))
    frames = array.array("h", [0]) * (2 * len(mono))
    frames[0::2] = mono
    frames[1::2] = mono
    short_pat = frames.tobytes()
    longer = short_pat + short_pat[-block:]
    body = short_pat * (count - extra) + longer * extra
    assert len(body) == period * block
    total = end + sr * block
    reps = -(-total // len(body))
    # frame i of the file is frame (i mod period) of the body, so the audio after the loop
    # end is the audio after the loop start
    data = (body * reps)[:total]
    return wave_bytes(data, sr, channels=2)
