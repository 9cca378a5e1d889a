"""The thunder: a sharp clap followed by a rolling rumble, 2.6 seconds of 16-bit mono sound."""

import io
import math
import random
import struct
import wave

RATE = 44100
SECONDS = 2.6


def one_pole(samples, cutoff):
    """A gentle low-pass: each sample moves part of the way towards the input."""
    k = 1 - math.exp(-2 * math.pi * cutoff / RATE)
    out, y = [], 0.0
    for x in samples:
        y += k * (x - y)
        out.append(y)
    return out


def thunder_samples(seed=801):
    rng = random.Random(seed)
    n = round(RATE * SECONDS)
    white = [rng.uniform(-1, 1) for _ in range(n)]

    # the clap: a few close cracks of bright noise, each dying within tens of milliseconds
    bright = [white[i] - 0.6 * white[i - 1] for i in range(n)]
    clap = [0.0] * n
    for start, strength, decay in ((0.0, 1.0, 0.035), (0.045, 0.7, 0.03), (0.11, 0.5, 0.05)):
        first = round(start * RATE)
        for i in range(first, min(n, first + round(decay * 8 * RATE))):
            clap[i] += strength * bright[i] * math.exp(-(i - first) / (decay * RATE))
    clap = one_pole(clap, 5000)

    # the rumble: deep noise that swells and rolls away
    rumble = one_pole(one_pole(white, 160), 220)
    peak = max(abs(v) for v in rumble) or 1.0
    phases = [rng.uniform(0, 2 * math.pi) for _ in range(3)]
    rolls = (1.7, 3.1, 5.3)
    result = []
    for i in range(n):
        t = i / RATE
        swell = min(1.0, t / 0.12) * math.exp(-max(0.0, t - 0.25) / 0.75)
        wobble = sum(math.sin(2 * math.pi * f * t + p) for f, p in zip(rolls, phases)) / 3
        roll = 0.65 + 0.35 * wobble
        fade = min(1.0, (SECONDS - t) / 0.4)
        result.append((0.55 * clap[i] + 1.4 * swell * roll * rumble[i] / peak) * fade)
    loudest = max(abs(v) for v in result) or 1.0
    return [v * 0.9 / loudest for v in result]


def thunder_bytes():
    samples = thunder_samples()
    buffer = io.BytesIO()
    with wave.open(buffer, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", round(v * 32767)) for v in samples))
    return buffer.getvalue()
