#!/usr/bin/env python3
"""Composes the production's music and writes it as a standard MIDI file (format 1).

162 beats per minute, 4/4, 120 bars in six sections that the acts follow:
intro 1-16, build 17-32, drop A 33-64, breakdown 65-80, drop B 81-112, outro 113-120.
A minor. Everything is written out note by note; the only randomness (small velocity and
timing variations of the drums) comes from a generator with a fixed seed, so the file is the
same on every run.

Usage: compose_music.py OUT.mid
"""
import random
import struct
import sys

TEMPO_BPM = 162
TICKS = 480                      # per beat
BAR = 4 * TICKS
BARS = 120
END_BEATS = BARS * 4 + 8         # room after the last bar for the final chord's release

# General MIDI programs (0-based) and channels.
PAD, ARP, BASS, LEAD, LEAD2, STRINGS, PIANO, STAB, DRUMS = 0, 1, 2, 3, 4, 5, 6, 7, 9
PROGRAMS = {PAD: 89, ARP: 4, BASS: 38, LEAD: 81, LEAD2: 80, STRINGS: 49, PIANO: 0, STAB: 90}
VOLUMES = {PAD: 84, ARP: 104, BASS: 107, LEAD: 62, LEAD2: 50, STRINGS: 90, PIANO: 127,
           STAB: 67, DRUMS: 127}
PANS = {PAD: 64, ARP: 44, BASS: 64, LEAD: 64, LEAD2: 80, STRINGS: 84, PIANO: 60, STAB: 40,
        DRUMS: 64}
REVERB = {PAD: 80, ARP: 60, BASS: 10, LEAD: 50, LEAD2: 50, STRINGS: 70, PIANO: 70, STAB: 50,
          DRUMS: 24}
CHORUS = {PAD: 40, ARP: 20, LEAD: 30, LEAD2: 20, STRINGS: 30, STAB: 30}

KICK, RIM, SNARE, CLAP, CLOSED_HAT, PEDAL_HAT, OPEN_HAT, CRASH, RIDE, TOM_LOW, TOM_MID, TOM_HIGH = (
    36, 37, 38, 39, 42, 44, 46, 49, 51, 45, 47, 50)

NOTE_NAMES = {'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7, 'A': 9, 'B': 11}


def note(name):
    """'A4' -> 69, 'G#5' -> 80, 'Bb3' -> 58."""
    pitch = NOTE_NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in '#b':
        pitch += 1 if rest[0] == '#' else -1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pitch


# Chords as (root name for the bass, chord tones from the root upwards in the pad's register).
CHORDS = {
    'Am': ('A', ['A3', 'C4', 'E4', 'A4']),
    'F': ('F', ['F3', 'A3', 'C4', 'F4']),
    'C': ('C', ['G3', 'C4', 'E4', 'G4']),
    'G': ('G', ['G3', 'B3', 'D4', 'G4']),
    'E': ('E', ['G#3', 'B3', 'E4', 'G#4']),
    'Em': ('E', ['G3', 'B3', 'E4', 'G4']),
    'Dm': ('D', ['F3', 'A3', 'D4', 'F4']),
    'Esus': ('E', ['A3', 'B3', 'E4', 'A4']),
}

PHRASE_A = ['Am', 'F', 'C', 'G', 'Am', 'F', 'G', 'E']
PHRASE_B = ['F', 'G', 'Em', 'Am', 'F', 'G', 'Am', 'E']
PHRASE_END = ['Am', 'F', 'C', 'G', 'Am', 'F', 'G', 'Am']

# The theme: (beat within the eight-bar phrase, length in beats, note).
THEME_A = [
    (0, 1, 'A4'), (1, 1, 'C5'), (2, 1.5, 'E5'), (3.5, 0.5, 'D5'),
    (4, 1.5, 'C5'), (5.5, 0.5, 'A4'), (6, 1, 'C5'), (7, 1, 'D5'),
    (8, 1.5, 'E5'), (9.5, 0.5, 'D5'), (10, 1, 'C5'), (11, 1, 'E5'),
    (12, 2.5, 'D5'), (14.5, 0.5, 'B4'), (15, 1, 'G4'),
    (16, 1, 'A4'), (17, 1, 'C5'), (18, 1.5, 'E5'), (19.5, 0.5, 'D5'),
    (20, 1.5, 'C5'), (21.5, 0.5, 'A4'), (22, 1, 'F5'), (23, 1, 'E5'),
    (24, 1.5, 'D5'), (25.5, 0.5, 'B4'), (26, 1, 'D5'), (27, 1, 'G5'),
    (28, 1, 'G#4'), (29, 1, 'B4'), (30, 2, 'E5'),
]
# The theme answered: more movement, a climb to A5 in bar 6 and a turn back to the dominant.
THEME_A2 = [
    (0, 1, 'A4'), (1, 1, 'C5'), (2, 1, 'E5'), (3, 0.5, 'A5'), (3.5, 0.5, 'G5'),
    (4, 1.5, 'F5'), (5.5, 0.5, 'E5'), (6, 1, 'C5'), (7, 1, 'A4'),
    (8, 1, 'G4'), (9, 1, 'C5'), (10, 1.5, 'E5'), (11.5, 0.5, 'G5'),
    (12, 1.5, 'D5'), (13.5, 0.5, 'E5'), (14, 1, 'D5'), (15, 1, 'B4'),
    (16, 1, 'A4'), (17, 1, 'C5'), (18, 1, 'E5'), (19, 0.5, 'A5'), (19.5, 0.5, 'G5'),
    (20, 1, 'F5'), (21, 1, 'A5'), (22, 1.5, 'C6'), (23.5, 0.5, 'A5'),
    (24, 1.5, 'B5'), (25.5, 0.5, 'A5'), (26, 1, 'G5'), (27, 1, 'D5'),
    (28, 1.5, 'E5'), (29.5, 0.5, 'D5'), (30, 0.5, 'B4'), (30.5, 0.5, 'G#4'), (31, 1, 'B4'),
]
THEME_B = [
    (0, 1.5, 'A5'), (1.5, 0.5, 'G5'), (2, 1, 'F5'), (3, 1, 'E5'),
    (4, 1.5, 'D5'), (5.5, 0.5, 'E5'), (6, 2, 'G5'),
    (8, 1.5, 'E5'), (9.5, 0.5, 'D5'), (10, 1, 'B4'), (11, 1, 'G4'),
    (12, 1.5, 'C5'), (13.5, 0.5, 'B4'), (14, 2, 'A4'),
    (16, 1.5, 'A5'), (17.5, 0.5, 'G5'), (18, 1, 'F5'), (19, 1, 'A5'),
    (20, 1.5, 'B5'), (21.5, 0.5, 'A5'), (22, 1, 'G5'), (23, 1, 'D5'),
    (24, 1.5, 'E5'), (25.5, 0.5, 'D5'), (26, 1, 'C5'), (27, 1, 'B4'),
    (28, 1, 'G#4'), (29, 1, 'B4'), (30, 1, 'D5'), (31, 1, 'E5'),
]
# The last phrase of a drop: the theme again, resolving to the tonic.
THEME_END = THEME_A[:24] + [
    (24, 1.5, 'D5'), (25.5, 0.5, 'E5'), (26, 1, 'D5'), (27, 1, 'B4'),
    (28, 3, 'A4'),
]


class Song:
    def __init__(self):
        self.events = {}          # channel -> list of (tick, order, bytes)
        self.rng = random.Random(20261207)

    def add(self, channel, tick, data, order=1):
        self.events.setdefault(channel, []).append((int(round(tick)), order, bytes(data)))

    def note(self, channel, beat, length, pitch, velocity):
        """A note from `beat` (absolute, 0-based) lasting `length` beats."""
        if isinstance(pitch, str):
            pitch = note(pitch)
        start = beat * TICKS
        end = (beat + length) * TICKS - 12      # a hair of air between repeated notes
        velocity = max(1, min(127, int(velocity)))
        self.add(channel, start, [0x90 | channel, pitch, velocity], order=2)
        self.add(channel, end, [0x80 | channel, pitch, 0], order=0)

    def control(self, channel, beat, number, value):
        self.add(channel, beat * TICKS, [0xB0 | channel, number, max(0, min(127, int(value)))],
                 order=1)

    def humanise(self, velocity, spread=6):
        return velocity + self.rng.randint(-spread, spread)

    def write(self, path):
        def vlq(value):
            out = [value & 0x7F]
            value >>= 7
            while value:
                out.insert(0, (value & 0x7F) | 0x80)
                value >>= 7
            return bytes(out)

        def track(events, name):
            body = bytearray(b'\x00\xFF\x03' + vlq(len(name)) + name.encode('ascii'))
            last = 0
            for tick, _, data in sorted(events, key=lambda e: (e[0], e[1], e[2])):
                body += vlq(tick - last) + data
                last = tick
            body += vlq(END_BEATS * TICKS - last) + b'\xFF\x2F\x00'
            return b'MTrk' + struct.pack('>I', len(body)) + body

        tempo = round(60_000_000 / TEMPO_BPM)
        conductor = [(0, 0, b'\xFF\x51\x03' + tempo.to_bytes(3, 'big')),
                     (0, 0, b'\xFF\x58\x04\x04\x02\x18\x08')]
        tracks = [track(conductor, 'Zod\'e Revez')]
        names = {PAD: 'Pad', ARP: 'Arpeggio', BASS: 'Bass', LEAD: 'Lead', LEAD2: 'Lead low',
                 STRINGS: 'Strings', PIANO: 'Piano', STAB: 'Stabs', DRUMS: 'Drums'}
        for channel in sorted(self.events):
            tracks.append(track(self.events[channel], names[channel]))
        with open(path, 'wb') as out:
            out.write(b'MThd' + struct.pack('>IHHH', 6, 1, len(tracks), TICKS))
            for t in tracks:
                out.write(t)


def bar_beat(bar):
    """First beat of a 1-based bar."""
    return (bar - 1) * 4


def setup(song):
    for channel, program in PROGRAMS.items():
        song.add(channel, 0, [0xC0 | channel, program], order=0)
    for channel in list(PROGRAMS) + [DRUMS]:
        song.control(channel, 0, 7, VOLUMES[channel])
        song.control(channel, 0, 10, PANS[channel])
        song.control(channel, 0, 91, REVERB.get(channel, 30))
        song.control(channel, 0, 93, CHORUS.get(channel, 0))
        song.control(channel, 0, 11, 127)


def chords_for(first_bar, names, bars_each=1):
    """[(bar, chord name)] for a run of chords."""
    return [(first_bar + i * bars_each, name) for i, name in enumerate(names)]


def pad(song, bar, chord, bars=1, velocity=70, channel=PAD):
    _, tones = CHORDS[chord]
    for tone in tones:
        song.note(channel, bar_beat(bar), 4 * bars, tone, velocity)


def arpeggio(song, bar, chord, step, velocity, bars=1, octave=1):
    """Chord tones up and down in steps of `step` beats, an octave above the pad."""
    _, tones = CHORDS[chord]
    pitches = [note(t) + 12 * octave for t in tones]
    pattern = pitches + [pitches[2], pitches[1]]
    count = int(4 * bars / step)
    for i in range(count):
        accent = 12 if (i * step) % 4 == 0 else (4 if (i * step) % 1 == 0 else 0)
        song.note(ARP, bar_beat(bar) + i * step, step, pattern[i % len(pattern)],
                  velocity + accent)


def bass(song, bar, chord, style, velocity=96):
    root_name, _ = CHORDS[chord]
    root = note(root_name + '2')
    if root > note('D#2'):
        root -= 12                  # keep the bass between E1 and D#2
    b = bar_beat(bar)
    if style == 'whole':
        song.note(BASS, b, 4, root, velocity)
    elif style == 'quarters':
        for i in range(4):
            song.note(BASS, b + i, 1, root, velocity - (0 if i == 0 else 10))
    elif style == 'eighths':
        for i in range(8):
            song.note(BASS, b + i * 0.5, 0.5, root + (12 if i in (3, 7) else 0),
                      velocity - (0 if i % 2 == 0 else 14))
    elif style == 'offbeat':
        # Trance style: the kick owns the beat, the bass answers on every off-beat,
        # with a pickup an octave up at the end of the bar.
        for i in range(4):
            song.note(BASS, b + i + 0.5, 0.5, root, velocity)
        song.note(BASS, b + 3.75, 0.25, root + 12, velocity - 20)
    elif style == 'rolling':
        for i in range(8):
            pitch = root + (12 if i % 4 == 2 else 0) + (7 if i == 7 else 0)
            song.note(BASS, b + i * 0.5, 0.5, pitch, velocity - (0 if i % 2 else 8))


def melody(song, channel, first_bar, theme, transpose=0, velocity=96, length_scale=1.0):
    base = bar_beat(first_bar)
    for beat, length, name in theme:
        accent = 8 if beat % 4 == 0 else (4 if beat % 1 == 0 else 0)
        song.note(channel, base + beat * length_scale, length * length_scale * 0.96,
                  note(name) + transpose, velocity + accent)


def drums(song, bar, style, fill=False, crash=False):
    b = bar_beat(bar)
    h = song.humanise
    if crash:
        song.note(DRUMS, b, 2, CRASH, 110)
    if style == 'light':
        song.note(DRUMS, b, 0.5, KICK, h(100, 4))
        song.note(DRUMS, b + 2, 0.5, KICK, h(92, 4))
        for i in range(8):
            song.note(DRUMS, b + i * 0.5, 0.25, CLOSED_HAT, h(58 if i % 2 else 40, 4))
    elif style == 'light2':
        song.note(DRUMS, b, 0.5, KICK, h(104, 4))
        song.note(DRUMS, b + 2, 0.5, KICK, h(96, 4))
        song.note(DRUMS, b + 2.5, 0.5, KICK, h(70, 4))
        song.note(DRUMS, b + 1, 0.5, RIM, h(72, 4))
        song.note(DRUMS, b + 3, 0.5, RIM, h(76, 4))
        for i in range(8):
            song.note(DRUMS, b + i * 0.5, 0.25, CLOSED_HAT, h(62 if i % 2 else 44, 4))
    elif style in ('four', 'full'):
        for i in range(4):
            song.note(DRUMS, b + i, 0.5, KICK, h(118, 3))
        song.note(DRUMS, b + 1, 0.5, CLAP, h(100, 5))
        song.note(DRUMS, b + 3, 0.5, CLAP, h(104, 5))
        if style == 'full':
            song.note(DRUMS, b + 1, 0.5, SNARE, h(84, 5))
            song.note(DRUMS, b + 3, 0.5, SNARE, h(88, 5))
            for i in range(16):
                pos = i % 4
                if pos == 2:
                    song.note(DRUMS, b + i * 0.25, 0.25, OPEN_HAT, h(78, 5))
                else:
                    song.note(DRUMS, b + i * 0.25, 0.25, CLOSED_HAT,
                              h((64, 38, 0, 50)[pos], 6))
            song.note(DRUMS, b + 3.75, 0.25, KICK, h(64, 4))       # a ghost kick into the bar
        else:
            for i in range(4):
                song.note(DRUMS, b + i + 0.5, 0.5, OPEN_HAT, h(64, 5))
                song.note(DRUMS, b + i, 0.25, PEDAL_HAT, h(42, 5))
    if fill:
        # A fill over the last beat: sixteenth snares rising, then toms.
        for i in range(4):
            song.note(DRUMS, b + 3 + i * 0.25, 0.25, SNARE, 70 + i * 12)
        song.note(DRUMS, b + 2, 0.5, TOM_HIGH, 90)
        song.note(DRUMS, b + 2.5, 0.5, TOM_MID, 94)


def snare_roll(song, first_bar, bars):
    """Quarters, then eighths, then sixteenths, rising in velocity: the build into a drop."""
    total = bars * 4
    t = 0.0
    while t < total:
        frac = t / total
        step = 1.0 if frac < 0.25 else (0.5 if frac < 0.5 else (0.25 if frac < 0.875 else 0.125))
        song.note(DRUMS, bar_beat(first_bar) + t, step, SNARE, 50 + 70 * frac)
        t += step


def expression_ramp(song, channel, first_bar, bars, start, end, steps_per_bar=4):
    steps = bars * steps_per_bar
    for i in range(steps + 1):
        song.control(channel, bar_beat(first_bar) + i * 4 / steps_per_bar, 11,
                     start + (end - start) * i / steps)


def stabs(song, bar, chord, velocity=70):
    """Off-beat chord stabs in the drops."""
    _, tones = CHORDS[chord]
    for i in (0.5, 1.5, 2.5, 3.5):
        for tone in tones[1:]:
            song.note(STAB, bar_beat(bar) + i, 0.3, note(tone) + 12, velocity)


def pump(song, channel, first_bar, bars, depth=56):
    """The pad ducks under every kick and swells back within the beat: the drops' breathing."""
    shape = (127 - depth, 127 - depth // 2, 127 - depth // 6, 127)
    for b in range(bars * 4):
        for i, value in enumerate(shape):
            song.control(channel, bar_beat(first_bar) + b + i * 0.25, 11, value)


def compose():
    song = Song()
    setup(song)

    # ---- intro, bars 1-16: pads and a slow arpeggio, drums from bar 9 ----
    for bar, chord in chords_for(1, PHRASE_A[:4] * 4):
        pad(song, bar, chord, velocity=64 if bar < 9 else 72)
        arpeggio(song, bar, chord, 1.0 if bar < 9 else 0.5, 52 if bar < 9 else 58)
        if bar >= 9:
            drums(song, bar, 'light' if bar < 13 else 'light2', fill=(bar == 16),
                  crash=(bar == 9))
        if bar >= 13:
            bass(song, bar, chord, 'whole', 80)
    expression_ramp(song, PAD, 1, 4, 40, 127)

    # ---- build, bars 17-32: bass and drums, rising ----
    build = PHRASE_A[:4] * 2 + ['Am', 'F', 'C', 'G', 'F', 'G', 'Esus', 'E']
    for bar, chord in chords_for(17, build):
        pad(song, bar, chord, velocity=70)
        song.note(STRINGS, bar_beat(bar), 4, CHORDS[chord][1][1], 70)
        song.note(STRINGS, bar_beat(bar), 4, note(CHORDS[chord][1][2]) + 12, 70)
        arpeggio(song, bar, chord, 0.5 if bar < 25 else 0.25, 60)
        bass(song, bar, chord, 'quarters' if bar < 25 else 'eighths', 92)
        drums(song, bar, 'four', fill=(bar in (20, 24)), crash=(bar in (17, 25)))
    expression_ramp(song, STRINGS, 17, 16, 50, 127)
    snare_roll(song, 29, 4)
    # A glimpse of the theme on the lead in the last eight bars: its first four bars, then long
    # notes climbing to the dominant under the snare roll.
    melody(song, LEAD, 25, [n for n in THEME_A if n[0] < 16], velocity=84)
    melody(song, LEAD, 29, [(0, 4, 'C5'), (4, 4, 'D5'), (8, 4, 'E5'), (12, 4, 'G#5')], velocity=80)
    expression_ramp(song, LEAD, 25, 8, 60, 110)
    song.control(LEAD, bar_beat(33), 11, 127)

    # ---- drop A, bars 33-64: full beat and the lead melody ----
    def drop(first_bar, lead_transpose, velocity):
        phrases = [(PHRASE_A, THEME_A), (PHRASE_A, THEME_A2), (PHRASE_B, THEME_B),
                   (PHRASE_END, THEME_END)]
        for p, (progression, theme) in enumerate(phrases):
            start = first_bar + 8 * p
            for bar, chord in chords_for(start, progression):
                pad(song, bar, chord, velocity=62)
                stabs(song, bar, chord, 66 if p % 2 == 0 else 72)
                # The arpeggio keeps out of the lead's register: above it in drop A, below the
                # raised lead in drop B.
                if lead_transpose:
                    arpeggio(song, bar, chord, 0.25, 50, octave=1)
                else:
                    arpeggio(song, bar, chord, 0.5, 44, octave=2)
                bass(song, bar, chord, 'offbeat' if p % 2 == 0 else 'rolling', 100)
                last = bar == start + 7
                drums(song, bar, 'full', fill=last, crash=(bar == start))
            pump(song, PAD, start, 8)
            melody(song, LEAD, start, theme, transpose=lead_transpose, velocity=velocity)
            if lead_transpose:
                melody(song, LEAD2, start, theme, transpose=0, velocity=velocity - 16)

    drop(33, 0, 96)

    # ---- breakdown, bars 65-80: drums out, chords and a solo voice ----
    breakdown = ['Am', 'F', 'C', 'G', 'Am', 'F', 'G', 'E']
    for bar, chord in chords_for(65, breakdown, bars_each=2):
        pad(song, bar, chord, bars=2, velocity=70)
        for tone in CHORDS[chord][1][:3]:
            song.note(STRINGS, bar_beat(bar), 8, note(tone) + 12, 64)
        bass(song, bar, chord, 'whole', 76)
        bass(song, bar + 1, chord, 'whole', 70)
    song.control(STRINGS, bar_beat(65), 11, 100)
    song.control(PAD, bar_beat(65), 11, 96)
    song.control(PAD, bar_beat(81), 11, 127)
    # The theme at half speed on the piano: the same tune, now a song.
    melody(song, PIANO, 65, THEME_A, transpose=0, velocity=108, length_scale=2.0)
    for bar in range(65, 81, 2):
        # Soft piano chords under the solo, one on each bar.
        chord = breakdown[(bar - 65) // 2]
        for half in (0, 1):
            for tone in CHORDS[chord][1][:3]:
                song.note(PIANO, bar_beat(bar + half), 4, tone, 50)
    # The drop's last hit rings into the breakdown.
    song.note(DRUMS, bar_beat(65), 4, CRASH, 100)
    song.note(DRUMS, bar_beat(65), 0.5, KICK, 110)
    snare_roll(song, 77, 4)
    for bar in (77, 78, 79, 80):
        drums(song, bar, 'light', fill=(bar == 80))
    expression_ramp(song, STRINGS, 73, 8, 100, 127)

    # ---- drop B, bars 81-112: full beat, the lead an octave up ----
    drop(81, 12, 90)

    # ---- outro, bars 113-120: the intro's pads, a final chord ----
    song.control(PAD, bar_beat(113), 11, 127)
    outro = ['Am', 'F', 'C', 'G', 'F', 'E']
    for bar, chord in chords_for(113, outro):
        pad(song, bar, chord, velocity=68)
        arpeggio(song, bar, chord, 1.0 if bar > 116 else 0.5, 56 - 2 * (bar - 113))
        bass(song, bar, chord, 'whole', 76)
    song.note(DRUMS, bar_beat(113), 2, CRASH, 96)
    drums(song, 113, 'light')
    drums(song, 114, 'light')
    expression_ramp(song, PAD, 117, 2, 127, 110)
    # The final chord: two bars, piano and pad together, left to ring out.
    final = bar_beat(119)
    for tone in ['A2', 'E3', 'A3', 'C4', 'E4', 'A4']:
        song.note(PIANO, final, 7.5, tone, 78)
    song.control(PAD, final, 11, 127)
    pad(song, 119, 'Am', bars=2, velocity=72)
    song.note(BASS, final, 6, 'A1', 80)
    song.note(STRINGS, final, 7.5, 'E5', 58)
    song.note(STRINGS, final, 7.5, 'A5', 58)
    song.control(STRINGS, final, 11, 90)
    expression_ramp(song, PAD, 119, 2, 127, 40, steps_per_bar=8)
    expression_ramp(song, STRINGS, 119, 2, 90, 20, steps_per_bar=8)
    return song


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    compose().write(sys.argv[1])
    return 0


if __name__ == '__main__':
    sys.exit(main())
