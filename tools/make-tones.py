#!/usr/bin/env python3
"""Writes the three short cues of Tarvex into data/sounds/ as 16-bit mono WAV files:
refusal (two falling low tones), doubt (one soft middle tone), fault (three high beeps).
Pure sine tones with short fades, so that they do not click. Run it again after a change:
    python3 tools/make-tones.py
"""
import math
import os
import struct
import wave

RATE = 11025
FADE = 0.008  # seconds of fade in and out of each tone


def tone(freq, seconds, volume=0.5):
    count = int(RATE * seconds)
    fade = int(RATE * FADE)
    samples = []
    for i in range(count):
        gain = min(1.0, i / fade, (count - 1 - i) / fade)
        samples.append(volume * gain * math.sin(2 * math.pi * freq * i / RATE))
    return samples


def silence(seconds):
    return [0.0] * int(RATE * seconds)


CUES = {
    "refusal.wav": tone(440, 0.12) + silence(0.03) + tone(294, 0.18),
    "doubt.wav": tone(660, 0.16, 0.4),
    "fault.wav": tone(988, 0.07) + silence(0.04) + tone(988, 0.07) + silence(0.04) + tone(988, 0.07),
}

folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "sounds")
os.makedirs(folder, exist_ok=True)
for name, samples in CUES.items():
    with wave.open(os.path.join(folder, name), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))
