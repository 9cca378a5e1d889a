"""A small Standard MIDI File writer: format 1, one conductor track and one track per part."""

import struct

NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def note_number(name):
    """'C4' is 60, 'F#5' is 78, 'Bb3' is 58."""
    pitch = NOTE_NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        pitch += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pitch


def variable_length(value):
    """A MIDI variable-length quantity: seven bits a byte, high bit set on all but the last."""
    if value < 0:
        raise ValueError("negative delta time")
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


class Track:
    def __init__(self, name, channel=None):
        self.channel = channel
        self.events = []  # (tick, order, bytes); order puts note-offs before note-ons
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, 0, bytes([0xFF, kind]) + variable_length(len(data)) + data))

    def tempo(self, tick, beats_per_minute):
        micros = round(60_000_000 / beats_per_minute)
        self.meta(tick, 0x51, micros.to_bytes(3, "big"))

    def time_signature(self, tick, numerator, denominator_power):
        self.meta(tick, 0x58, bytes([numerator, denominator_power, 24, 8]))

    def program(self, tick, number):
        self.events.append((tick, 1, bytes([0xC0 | self.channel, number])))

    def controller(self, tick, number, value):
        self.events.append((tick, 1, bytes([0xB0 | self.channel, number, value])))

    def note(self, tick, length, pitch, velocity):
        if isinstance(pitch, str):
            pitch = note_number(pitch)
        self.events.append((tick, 2, bytes([0x90 | self.channel, pitch, velocity])))
        self.events.append((tick + length, 0, bytes([0x80 | self.channel, pitch, 0])))

    def chunk(self, end_tick):
        data = bytearray()
        now = 0
        for tick, _, event in sorted(self.events, key=lambda e: (e[0], e[1])):
            data += variable_length(tick - now) + event
            now = tick
        data += variable_length(max(0, end_tick - now)) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def midi_file(tracks, ticks_per_beat, end_tick):
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), ticks_per_beat)
    return header + b"".join(track.chunk(end_tick) for track in tracks)
