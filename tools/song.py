"""The table's song: a gentle pentatonic tune in D for flute, koto, bass, strings and a little
percussion; 48 bars at 112 beats a minute (about 1 minute 43). It ends on the A chord that
leads back into its first bar, so it loops."""

from midi_writer import Track, midi_file, note_number

BEAT = 480
EIGHTH = BEAT // 2
BAR = 4 * BEAT
TEMPO = 112

CHORDS = {
    "D": ("D3", "F#3", "A3"), "Bm": ("B2", "D3", "F#3"), "G": ("G2", "B2", "D3"),
    "A": ("A2", "C#3", "E3"), "F#m": ("F#2", "A2", "C#3"),
}

# Melodies in eighths: (note or None for a rest, length in eighths); each bar adds up to 8.
THEME = [
    [("F#5", 2), ("A5", 1), ("B5", 1), ("A5", 2), ("F#5", 2)],
    [("E5", 2), ("F#5", 1), ("E5", 1), ("D5", 2), ("B4", 2)],
    [("D5", 3), ("E5", 1), ("D5", 1), ("B4", 1), ("A4", 2)],
    [("B4", 2), ("D5", 2), ("E5", 4)],
    [("F#5", 2), ("A5", 1), ("B5", 1), ("D6", 2), ("B5", 2)],
    [("A5", 2), ("F#5", 1), ("A5", 1), ("B5", 2), ("F#5", 2)],
    [("E5", 2), ("D5", 1), ("E5", 1), ("F#5", 2), ("E5", 2)],
    [("D5", 6), (None, 2)],
]
THEME_CHORDS = ["D", "Bm", "G", "A", "D", "Bm", "G", "D"]

RISE = [
    [("B5", 2), ("D6", 2), ("B5", 1), ("A5", 1), ("B5", 2)],
    [("A5", 2), ("E5", 2), ("F#5", 1), ("E5", 1), ("A5", 2)],
    [("F#5", 3), ("A5", 1), ("F#5", 2), ("E5", 2)],
    [("D5", 2), ("B4", 2), ("D5", 4)],
    [("B5", 2), ("D6", 2), ("E6", 2), ("D6", 2)],
    [("B5", 1), ("A5", 1), ("F#5", 2), ("A5", 4)],
    [("F#5", 2), ("E5", 1), ("F#5", 1), ("A5", 2), ("B5", 2)],
    [("F#5", 6), (None, 2)],
]
RISE_CHORDS = ["G", "A", "F#m", "Bm", "G", "A", "D", "D"]

BRIDGE = [
    [("D5", 4), ("F#5", 4)],
    [("E5", 4), ("D5", 2), ("B4", 2)],
    [("A4", 4), ("D5", 4)],
    [("E5", 6), (None, 2)],
    [("F#5", 4), ("A5", 4)],
    [("B5", 4), ("A5", 2), ("F#5", 2)],
    [("E5", 4), ("F#5", 2), ("E5", 2)],
    [("E5", 6), (None, 2)],
]
BRIDGE_CHORDS = ["Bm", "G", "D", "A", "Bm", "G", "A", "A"]

# (melody bars or None, chords, strings on, percussion on)
SECTIONS = [
    (None, ["D", "Bm", "G", "A"], False, False),
    (THEME, THEME_CHORDS, False, True),
    (RISE, RISE_CHORDS, True, True),
    (THEME, THEME_CHORDS, True, True),
    (BRIDGE, BRIDGE_CHORDS, True, False),
    (THEME, THEME_CHORDS, False, True),
    (None, ["D", "Bm", "G", "A"], False, False),
]

FLUTE, KOTO, BASS, STRINGS = 73, 107, 32, 48  # General MIDI programs, counted from 0
LOW_TOM, HIGH_WOOD_BLOCK, LOW_WOOD_BLOCK = 45, 76, 77
PERCUSSION_CHANNEL = 9


def voiced(track, channel_program, volume, pan, reverb):
    track.program(0, channel_program)
    track.controller(0, 7, volume)
    track.controller(0, 10, pan)
    track.controller(0, 91, reverb)


def play_melody(track, bars, start):
    tick = start
    for bar in bars:
        if sum(eighths for _, eighths in bar) != 8:
            raise ValueError(f"a bar of the melody is not four beats long: {bar}")
        for pitch, eighths in bar:
            length = eighths * EIGHTH
            if pitch:
                track.note(tick, length - 20, pitch, 92 if tick % BAR == 0 else 84)
            tick += length


def koto_arpeggio(track, chord, start, velocity):
    root, third, fifth = (note_number(n) + 12 for n in CHORDS[chord])
    pattern = [root, fifth, root + 12, third + 12, fifth + 12, root + 12, fifth, third]
    for k, pitch in enumerate(pattern):
        accent = 12 if k == 0 else 0
        ring = EIGHTH * min(2, len(pattern) - k)  # let notes ring, but not past the bar
        track.note(start + k * EIGHTH, ring, pitch, velocity + accent)


def bass_line(track, chord, start):
    root, _, fifth = (note_number(n) - 12 for n in CHORDS[chord])
    track.note(start, 3 * EIGHTH - 30, root, 88)
    track.note(start + 3 * EIGHTH, EIGHTH - 20, fifth, 72)
    track.note(start + 4 * EIGHTH, 4 * EIGHTH - 40, root, 80)


def string_chord(track, chord, start):
    for name in CHORDS[chord]:
        track.note(start, BAR - 10, note_number(name) + 12, 52)


def percussion_bar(track, start, full):
    track.note(start, EIGHTH, LOW_TOM, 70 if full else 50)
    for beat in (1, 3):
        track.note(start + beat * BEAT, EIGHTH, HIGH_WOOD_BLOCK, 46)
    if full:
        track.note(start + 7 * EIGHTH, EIGHTH, LOW_WOOD_BLOCK, 40)


def song_bytes():
    conductor = Track("Velloran")
    conductor.tempo(0, TEMPO)
    conductor.time_signature(0, 4, 2)
    flute, koto, bass, strings = (Track("Flute", 0), Track("Koto", 1), Track("Bass", 2),
                                  Track("Strings", 3))
    drums = Track("Percussion", PERCUSSION_CHANNEL)
    voiced(flute, FLUTE, 104, 70, 50)
    voiced(koto, KOTO, 96, 48, 40)
    voiced(bass, BASS, 100, 64, 20)
    voiced(strings, STRINGS, 80, 80, 70)
    drums.controller(0, 7, 80)

    bar = 0
    for melody, chords, with_strings, with_percussion in SECTIONS:
        if melody:
            play_melody(flute, melody, bar * BAR)
        for k, chord in enumerate(chords):
            start = (bar + k) * BAR
            koto_arpeggio(koto, chord, start, 58 if melody else 70)
            bass_line(bass, chord, start)
            if with_strings:
                string_chord(strings, chord, start)
            if with_percussion or k % 2 == 0:
                percussion_bar(drums, start, with_percussion)
        bar += len(chords)
    return midi_file([conductor, flute, koto, bass, strings, drums], BEAT, bar * BAR)


def bars_in_song():
    return sum(len(chords) for _, chords, _, _ in SECTIONS)
